// Tests of loading the rtl-sdr library: missing files, foreign libraries and the system library.
#include "streaming/rtlsdr_api.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>
#include <string>

namespace varnock {
namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST(RtlSdrLibrary, FileComesFromTheEnvironmentWhenSet)
{
    {
        ScopedEnv env(kRtlSdrLibraryEnv, nullptr);
        EXPECT_EQ(rtlSdrLibraryFile(), "librtlsdr.so.0");
    }
    {
        ScopedEnv env(kRtlSdrLibraryEnv, "");
        EXPECT_EQ(rtlSdrLibraryFile(), "librtlsdr.so.0");
    }
    {
        ScopedEnv env(kRtlSdrLibraryEnv, "/opt/sim/libfake-rtlsdr.so");
        EXPECT_EQ(rtlSdrLibraryFile(), "/opt/sim/libfake-rtlsdr.so");
    }
}

TEST(RtlSdrLibrary, MissingFileNamesTheFile)
{
    ScopedEnv env(kRtlSdrLibraryEnv, "/nonexistent/varnock/librtlsdr-missing.so");
    RtlSdrLibrary lib;
    EXPECT_FALSE(lib.load());
    EXPECT_EQ(lib.error(), "Cannot find /nonexistent/varnock/librtlsdr-missing.so.");
    EXPECT_FALSE(lib.detail().empty());
    EXPECT_FALSE(lib.loaded());
    EXPECT_EQ(lib.api().open, nullptr);
    EXPECT_EQ(lib.api().read_async, nullptr);
}

TEST(RtlSdrLibrary, LibraryWithoutTheFunctionsIsRefused)
{
    if (!libusbAvailable())
        GTEST_SKIP() << "libusb-1.0.so.0 not installed";
    RtlSdrLibrary lib;
    EXPECT_FALSE(lib.load(kLibusbLibraryFile));
    EXPECT_EQ(lib.error(), "Cannot find rtlsdr_get_device_count in libusb-1.0.so.0.");
    EXPECT_FALSE(lib.loaded());
    EXPECT_EQ(lib.api().get_device_count, nullptr);
}

TEST(RtlSdrLibrary, SystemLibraryLoadsAndCountsDevices)
{
    RtlSdrLibrary lib;
    if (!lib.load(kRtlSdrLibraryFile)) {
        EXPECT_EQ(lib.error(), "Cannot find librtlsdr.so.0.");
        GTEST_SKIP() << "librtlsdr.so.0 not installed";
    }
    EXPECT_TRUE(lib.error().empty());
    const RtlSdrApi& api = lib.api();
#define VARNOCK_EXPECT_RESOLVED(name, required) EXPECT_NE(api.name, nullptr) << #name;
    VARNOCK_RTLSDR_FUNCTIONS(VARNOCK_EXPECT_RESOLVED)
#undef VARNOCK_EXPECT_RESOLVED
    const uint32_t count = api.get_device_count();
    EXPECT_LT(count, 64u); // 0 without a dongle
    lib.unload();
    EXPECT_EQ(lib.api().get_device_count, nullptr);
}

} // namespace
} // namespace varnock

// A bare library name is found in the build tree's layout and in the installed one; others pass through.
TEST(OwnLibraryFile, BuildTreeThenInstalledThenTheLoadersSearch)
{
    char tmpl[] = "/tmp/varnock-libdir-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string root = tmpl;
    const std::string bin = root + "/bin";
    for (const std::string& d : {bin, root + "/lib", root + "/lib/varnock", bin + "/streaming", bin + "/streaming/simdongle"})
        ASSERT_EQ(::mkdir(d.c_str(), 0700), 0) << d;
    const auto touch = [](const std::string& f) { std::fclose(std::fopen(f.c_str(), "w")); };

    EXPECT_EQ(varnock::ownLibraryFile("libx.so", bin), "libx.so");
    touch(root + "/lib/varnock/libx.so");
    EXPECT_EQ(varnock::ownLibraryFile("libx.so", bin), bin + "/../lib/varnock/libx.so");
    touch(bin + "/streaming/simdongle/libx.so");
    EXPECT_EQ(varnock::ownLibraryFile("libx.so", bin), bin + "/streaming/simdongle/libx.so");
    EXPECT_EQ(varnock::ownLibraryFile("./libx.so", bin), "./libx.so");
    EXPECT_EQ(varnock::ownLibraryFile("libx.so", ""), "libx.so");

    std::remove((bin + "/streaming/simdongle/libx.so").c_str());
    std::remove((root + "/lib/varnock/libx.so").c_str());
    for (const std::string& d : {bin + "/streaming/simdongle", bin + "/streaming", bin, root + "/lib/varnock", root + "/lib", root})
        ::rmdir(d.c_str());
}
