// IniFile: a sectioned key=value file read and written key by key, keeping every other byte as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace varnock {

// The system calls through which the file is replaced; tests put failing ones in.
struct FileOps {
    std::function<int(char* nameTemplate)> makeTemp;                    // mkstemp
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> sync;                                    // fsync
    std::function<int(const char* from, const char* to)> rename;
    static FileOps system();
};

// Nothing is cached: every read parses the file anew and every write re-reads it, changes one line and
// replaces the file. Section and key names compare without regard to ASCII letter case.
class IniFile {
public:
    // decimalSeparator: the separator of float values; unset means the C locale's (localeconv) at each use.
    explicit IniFile(std::string path, std::optional<char> decimalSeparator = std::nullopt)
        : path_(std::move(path)), separator_(decimalSeparator)
    {
    }

    const std::string& path() const { return path_; }

    // The trimmed value text, or nothing when the file, section or key is missing.
    std::optional<std::string> readValue(std::string_view section, std::string_view key) const;

    std::string readString(std::string_view section, std::string_view key, const std::string& def) const;
    // Decimal with an optional sign, or hexadecimal after "0x"; anything else (or out of range) gives def.
    int readInt(std::string_view section, std::string_view key, int def) const;
    // An integer as readInt; any value but 0 is true.
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    // Decimal number with the current separator and an optional exponent.
    double readFloat(std::string_view section, std::string_view key, double def) const;

    // Writes between these two go to a copy of the file in memory, which commitBatch() puts in place
    // whole, or not at all: a save of many keys then replaces the file once. beginBatch() is false
    // when the file exists but cannot be read; commitBatch() when it cannot be replaced.
    bool beginBatch();
    bool commitBatch();

    // Each returns false when the file could not be written. Line breaks in a value become blanks.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);
    bool writeBool(std::string_view section, std::string_view key, bool value);
    bool writeFloat(std::string_view section, std::string_view key, double value);

    char decimalSeparator() const;

    void setFileOps(FileOps ops) { ops_ = std::move(ops); }

    // The value-text conversions on their own (also used by the tests).
    static std::optional<int> parseInt(std::string_view text);
    static std::optional<double> parseFloat(std::string_view text, char separator);
    static std::string formatFloat(double value, char separator);

private:
    std::string path_;
    std::optional<char> separator_;
    FileOps ops_ = FileOps::system();
    std::optional<std::string> batch_;
};

} // namespace varnock
