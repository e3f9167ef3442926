// IniFile: line scanning, value conversions and the write-through replacement of the file.
#include "app/ini_file.h"

#include "core/ascii_text.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnock {

namespace {

// Where a key stands in the text, or where it would go.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    std::size_t keyBegin = 0, keyEnd = 0; // the key line without its line break
    std::string_view fileKey;             // the key as spelled in the file
    std::string_view value;
    std::size_t insertAt = 0;             // after the last non-blank line of the section
    bool insertNeedsBreakFirst = false;   // that line is the last of the file and has no break
};

Location locate(std::string_view text, std::string_view section, std::string_view key)
{
    Location loc;
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        std::size_t contentEnd = end;
        if (contentEnd > pos && text[contentEnd - 1] == '\r') --contentEnd;
        std::string_view line = trimmed(text.substr(pos, contentEnd - pos), kLineBlanks);

        if (!line.empty() && line.front() == '[') {
            if (inSection) break; // only the first section of that name counts
            std::size_t close = line.find(']');
            const std::size_t nameLength = close == std::string_view::npos ? line.npos : close - 1;
            std::string_view name = trimmed(line.substr(1, nameLength), kLineBlanks);
            if (equalsIgnoringCase(name, section)) {
                inSection = true;
                loc.sectionFound = true;
                loc.insertAt = next;
                loc.insertNeedsBreakFirst = nl == std::string_view::npos;
            }
        } else if (inSection && !line.empty()) {
            loc.insertAt = next;
            loc.insertNeedsBreakFirst = nl == std::string_view::npos;
            if (line.front() != ';' && line.front() != '#') {
                std::size_t eq = line.find('=');
                if (eq != std::string_view::npos && equalsIgnoringCase(trimmed(line.substr(0, eq), kLineBlanks), key)) {
                    loc.keyFound = true;
                    loc.keyBegin = pos;
                    loc.keyEnd = contentEnd;
                    loc.fileKey = trimmed(line.substr(0, eq), kLineBlanks);
                    loc.value = trimmed(line.substr(eq + 1), kLineBlanks);
                    return loc;
                }
            }
        }
        pos = next;
    }
    return loc;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    return bad ? ReadResult::Failed : ReadResult::Ok;
}

bool writeAll(const FileOps& ops, int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ops.write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside the target, written, synced and renamed over it: the old file stays whole
// until the new one is complete on disk. Never written in place - a full disk would cut it short.
bool replaceFile(const FileOps& ops, const std::string& linkOrPath, const std::string& text)
{
    // A settings file that is a link (kept with the user's other dotfiles) stays one: its target is replaced.
    std::string path = linkOrPath;
    if (char resolved[PATH_MAX]; ::realpath(linkOrPath.c_str(), resolved) != nullptr) path = resolved;
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ops.makeTemp(name.data());
    if (fd < 0) return false;
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    ::fchmod(fd, mode);
    bool ok = writeAll(ops, fd, text);
    ok = ok && ops.sync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ops.rename(name.data(), path.c_str()) == 0;
    if (!ok) ::unlink(name.data());
    return ok;
}

} // namespace

FileOps FileOps::system()
{
    FileOps ops;
    ops.makeTemp = [](char* t) { return ::mkstemp(t); };
    ops.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
    ops.sync = [](int fd) { return ::fsync(fd); };
    ops.rename = [](const char* from, const char* to) { return std::rename(from, to); };
    return ops;
}

char IniFile::decimalSeparator() const
{
    if (separator_) return *separator_;
    const std::lconv* lc = std::localeconv();
    if (lc == nullptr || lc->decimal_point == nullptr || lc->decimal_point[0] == '\0') return '.';
    return lc->decimal_point[0];
}

std::optional<std::string> IniFile::readValue(std::string_view section, std::string_view key) const
{
    std::string text;
    if (readWholeFile(path_, text) != ReadResult::Ok) return std::nullopt;
    Location loc = locate(text, section, key);
    if (!loc.keyFound) return std::nullopt;
    // A lone CR inside the line is read as the blank a write would store, so a value read and
    // written back is the same value.
    std::string value(loc.value);
    for (char& c : value)
        if (c == '\r') c = ' ';
    return value;
}

std::string IniFile::readString(std::string_view section, std::string_view key, const std::string& def) const
{
    std::optional<std::string> v = readValue(section, key);
    return v ? *v : def;
}

int IniFile::readInt(std::string_view section, std::string_view key, int def) const
{
    std::optional<std::string> v = readValue(section, key);
    if (!v) return def;
    return parseInt(*v).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const
{
    std::optional<std::string> v = readValue(section, key);
    if (!v) return def;
    std::optional<int> n = parseInt(*v);
    return n ? *n != 0 : def;
}

double IniFile::readFloat(std::string_view section, std::string_view key, double def) const
{
    std::optional<std::string> v = readValue(section, key);
    if (!v) return def;
    return parseFloat(*v, decimalSeparator()).value_or(def);
}

bool IniFile::beginBatch()
{
    std::string text;
    if (readWholeFile(path_, text) == ReadResult::Failed) return false;
    batch_ = std::move(text);
    return true;
}

bool IniFile::commitBatch()
{
    if (!batch_) return true;
    const std::string text = std::move(*batch_);
    batch_.reset();
    return replaceFile(ops_, path_, text);
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    std::string own;
    if (!batch_ && readWholeFile(path_, own) == ReadResult::Failed) return false; // never overwrite what we cannot read
    std::string& text = batch_ ? *batch_ : own;

    // A line break inside a value would start a line of its own and could forge other keys.
    std::string clean(value);
    for (char& c : clean)
        if (c == '\r' || c == '\n') c = ' ';

    std::size_t firstBreak = text.find('\n');
    const char* nl = (firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r') ? "\r\n" : "\n";

    Location loc = locate(text, section, key);
    if (loc.keyFound) {
        std::string line = std::string(loc.fileKey) + "=" + clean;
        text.replace(loc.keyBegin, loc.keyEnd - loc.keyBegin, line);
    } else if (loc.sectionFound) {
        std::string line = std::string(key) + "=" + clean;
        std::string insert = loc.insertNeedsBreakFirst ? nl + line : line + nl;
        text.insert(loc.insertAt, insert);
    } else {
        if (!text.empty() && text.back() != '\n') text += nl;
        text += "[";
        text += section;
        text += "]";
        text += nl;
        text += key;
        text += "=";
        text += clean;
        text += nl;
    }
    return batch_ ? true : replaceFile(ops_, path_, text);
}

bool IniFile::writeInt(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}

bool IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    return writeString(section, key, value ? "1" : "0");
}

bool IniFile::writeFloat(std::string_view section, std::string_view key, double value)
{
    return writeString(section, key, formatFloat(value, decimalSeparator()));
}

std::optional<int> IniFile::parseInt(std::string_view text)
{
    text = trimmed(text, kLineBlanks);
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::int64_t v = 0;
        for (char c : text.substr(2)) {
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return std::nullopt;
            v = v * 16 + d;
            if (v > kMax) return std::nullopt;
        }
        return static_cast<int>(v);
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > kMax + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > kMax || v < std::numeric_limits<int>::min()) return std::nullopt;
    return static_cast<int>(v);
}

std::optional<double> IniFile::parseFloat(std::string_view text, char separator)
{
    text = trimmed(text, kLineBlanks);
    // Checked by hand first: from_chars would also take "inf", "nan" and a '.' under a ',' locale.
    std::string canonical;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') canonical += '-';
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        canonical += text[i++];
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == separator) {
        canonical += '.';
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            canonical += text[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
        std::size_t expDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            canonical += text[i++];
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double v = 0.0;
    auto [end, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), v);
    if (ec != std::errc() || end != canonical.data() + canonical.size()) return std::nullopt;
    return v;
}

std::string IniFile::formatFloat(double value, char separator)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) return "0";
    std::string s(buf, end);
    for (char& c : s)
        if (c == '.') c = separator;
    return s;
}

} // namespace varnock
