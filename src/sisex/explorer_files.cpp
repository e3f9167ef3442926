// POSIX file operations of the explorer: bounded reads and replace-by-rename writes.
#include "sisex/explorer_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varnock::sisex {

namespace {

std::string reason(int err)
{
    return std::strerror(err);
}

} // namespace

bool PosixExplorerFiles::exists(const std::string& path) const
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool PosixExplorerFiles::isDirectory(const std::string& path) const
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixExplorerFiles::readExactly(const std::string& path, uint8_t* out, size_t size, std::string& error) const
{
    // Non-blocking, so that a pipe under a page file's name cannot hang the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = reason(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? reason(EISDIR) : "not a regular file";
        ::close(fd);
        return false;
    }
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, out + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = reason(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    ::close(fd);
    if (got < size) {
        error = "shorter than " + std::to_string(size) + " bytes";
        return false;
    }
    return true;
}

bool PosixExplorerFiles::writeReplacing(const std::string& path, const void* data, size_t size, std::string& error)
{
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = reason(errno);
        return false;
    }
    ::fchmod(fd, 0644);
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    bool ok = true;
    while (done < size) {
        const ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? reason(errno) : "nothing written";
            ok = false;
            break;
        }
        done += size_t(n);
    }
    if (::close(fd) != 0 && ok) {
        error = reason(errno);
        ok = false;
    }
    if (ok && std::rename(name.data(), path.c_str()) != 0) {
        error = reason(errno);
        ok = false;
    }
    if (!ok) ::unlink(name.data());
    return ok;
}

bool PosixExplorerFiles::makeDirectory(const std::string& path, std::string& error)
{
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    error = reason(errno);
    return false;
}

} // namespace varnock::sisex
