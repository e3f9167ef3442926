// The file operations of the explorer, behind an interface so that failures can be provoked in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnock::sisex {

class ExplorerFiles {
public:
    virtual ~ExplorerFiles() = default;
    // True when something (file or folder) has that name.
    virtual bool exists(const std::string& path) const = 0;
    virtual bool isDirectory(const std::string& path) const = 0;
    // Reads the first `size` bytes of a regular file into `out`. False, with the reason in `error`,
    // when the file cannot be opened, is not a regular file or holds fewer bytes.
    virtual bool readExactly(const std::string& path, uint8_t* out, size_t size, std::string& error) const = 0;
    // Writes `size` bytes under `path` through a temporary file in the same folder renamed over it,
    // so that a failed write never leaves a truncated file under `path`.
    virtual bool writeReplacing(const std::string& path, const void* data, size_t size, std::string& error) = 0;
    // Creates one folder (not its parents).
    virtual bool makeDirectory(const std::string& path, std::string& error) = 0;
};

// The real file system (POSIX calls).
class PosixExplorerFiles final : public ExplorerFiles {
public:
    bool exists(const std::string& path) const override;
    bool isDirectory(const std::string& path) const override;
    bool readExactly(const std::string& path, uint8_t* out, size_t size, std::string& error) const override;
    bool writeReplacing(const std::string& path, const void* data, size_t size, std::string& error) override;
    bool makeDirectory(const std::string& path, std::string& error) override;
};

} // namespace varnock::sisex
