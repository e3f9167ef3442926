// Loading the rtl-sdr library with dlopen and resolving its functions with dlsym.
#include "streaming/rtlsdr_api.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace varnock {

namespace {

std::string loaderError()
{
    const char* e = dlerror();
    return e != nullptr ? std::string(e) : std::string();
}

template <typename Fn>
void resolve(void* handle, const char* symbol, Fn& slot)
{
    void* p = dlsym(handle, symbol);
    // Object-to-function pointer conversion, as POSIX guarantees for dlsym results.
    static_assert(sizeof(p) == sizeof(slot));
    std::memcpy(&slot, &p, sizeof(slot));
}

} // namespace

std::string ownLibraryFile(const std::string& name, const std::string& programDir)
{
    if (name.find('/') != std::string::npos || programDir.empty()) return name;
    for (const char* sub : {"/streaming/simdongle/", "/../lib/varnock/"}) {
        const std::string file = programDir + sub + name;
        if (::access(file.c_str(), R_OK) == 0) return file;
    }
    return name;
}

namespace {

std::string programDir()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string p(path, static_cast<std::size_t>(n));
    const std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

} // namespace

std::string rtlSdrLibraryFile()
{
    const char* env = std::getenv(kRtlSdrLibraryEnv);
    if (env == nullptr || *env == '\0') return kRtlSdrLibraryFile;
    return ownLibraryFile(env, programDir());
}

bool libusbAvailable()
{
    void* h = dlopen(kLibusbLibraryFile, RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr)
        return false;
    dlclose(h);
    return true;
}

RtlSdrLibrary::~RtlSdrLibrary()
{
    unload();
}

void RtlSdrLibrary::unload()
{
    api_ = RtlSdrApi{};
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

bool RtlSdrLibrary::load(const std::string& file)
{
    unload();
    error_.clear();
    detail_.clear();

    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        error_ = "Cannot find " + file + ".";
        detail_ = loaderError();
        return false;
    }

    RtlSdrApi api;
    const char* missing = nullptr;
#define VARNOCK_RTLSDR_RESOLVE(name, required)                              \
    resolve(handle_, "rtlsdr_" #name, api.name);                            \
    if ((required) && api.name == nullptr && missing == nullptr)            \
        missing = "rtlsdr_" #name;
    VARNOCK_RTLSDR_FUNCTIONS(VARNOCK_RTLSDR_RESOLVE)
#undef VARNOCK_RTLSDR_RESOLVE

    if (missing != nullptr) {
        error_ = std::string("Cannot find ") + missing + " in " + file + ".";
        unload();
        return false;
    }
    api_ = api;
    return true;
}

} // namespace varnock
