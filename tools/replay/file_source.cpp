// Buffer source over an I/Q file or stdin: whole buffers only, the remainder is reported.
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "buffer_source.h"
#include "demod/magnitude.h"

namespace varnock::replay {

namespace {

class FileSource final : public BufferSource {
public:
    FileSource(std::FILE* f, bool owned, std::string name) : f_(f), owned_(owned), name_(std::move(name)) {}
    ~FileSource() override
    {
        if (owned_) std::fclose(f_);
    }

    bool next(uint8_t* out) override
    {
        if (done_) return false;
        std::size_t got = 0;
        while (got < static_cast<std::size_t>(kBytesPerBuffer)) {
            const std::size_t n = std::fread(out + got, 1, kBytesPerBuffer - got, f_);
            if (n == 0) break;
            got += n;
        }
        if (std::ferror(f_)) error_ = "error reading " + name_ + ": " + std::strerror(errno);
        if (got == static_cast<std::size_t>(kBytesPerBuffer)) return true;
        leftover_ = got;
        done_ = true;
        return false;
    }

    std::string endNote() const override
    {
        if (leftover_ == 0) return {};
        return std::to_string(leftover_) + " bytes after the last whole buffer were not processed";
    }
    std::string error() const override { return error_; }

private:
    std::FILE* f_;
    bool owned_;
    std::string name_;
    bool done_ = false;
    std::size_t leftover_ = 0;
    std::string error_;
};

} // namespace

std::unique_ptr<BufferSource> openFileSource(const std::string& path, std::string& error)
{
    if (path == "-") return std::make_unique<FileSource>(stdin, false, "stdin");
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "cannot read " + path + ": it is a directory";
        return nullptr;
    }
    if (S_ISREG(st.st_mode) && st.st_size == 0) {
        error = path + " is empty";
        return nullptr;
    }
    if (S_ISREG(st.st_mode) && st.st_size < kBytesPerBuffer) {
        error = path + " holds " + std::to_string(st.st_size) + " bytes, less than one buffer (" +
                std::to_string(kBytesPerBuffer) + " bytes, 0.512 s at 2 Msps)";
        return nullptr;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<FileSource>(f, true, path);
}

} // namespace varnock::replay
