// Loading the rtl-sdr library with dlopen and resolving its functions with dlsym.
#include "streaming/rtlsdr_api.h"

#include <dlfcn.h>

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

std::string rtlSdrLibraryFile()
{
    const char* env = std::getenv(kRtlSdrLibraryEnv);
    return env != nullptr && *env != '\0' ? std::string(env) : std::string(kRtlSdrLibraryFile);
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
