// Test fixture for the simulated dongle: loads the built library through the program's loader and
// gives each test a clean VARNOCK_SIM_* environment.
#pragma once

#include "streaming/rtlsdr_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace varnock::test {

inline void clearSimEnvironment()
{
    std::vector<std::string> names;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "VARNOCK_SIM_", 12) == 0)
            names.emplace_back(*e, std::strchr(*e, '=') - *e);
    for (const std::string& n : names)
        unsetenv(n.c_str());
}

class SimDongleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearSimEnvironment();
        if (const char* old = std::getenv(kRtlSdrLibraryEnv))
            oldLib_ = old;
        setenv(kRtlSdrLibraryEnv, VARNOCK_SIMDONGLE_LIB, 1);
        ASSERT_TRUE(lib_.load()) << lib_.error() << " " << lib_.detail();
    }

    void TearDown() override
    {
        for (rtlsdr_dev_t* dev : opened_)
            api().close(dev);
        lib_.unload();
        clearSimEnvironment();
        if (oldLib_.empty())
            unsetenv(kRtlSdrLibraryEnv);
        else
            setenv(kRtlSdrLibraryEnv, oldLib_.c_str(), 1);
    }

    const RtlSdrApi& api() const { return lib_.api(); }

    static void set(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

    // Opens a device that TearDown closes; null when the library refuses.
    rtlsdr_dev_t* open(uint32_t index = 0)
    {
        rtlsdr_dev_t* dev = nullptr;
        if (api().open(&dev, index) != 0)
            return nullptr;
        opened_.push_back(dev);
        return dev;
    }

    // Closes now, so TearDown does not close it again.
    void close(rtlsdr_dev_t* dev)
    {
        std::erase(opened_, dev);
        EXPECT_EQ(api().close(dev), 0);
    }

private:
    RtlSdrLibrary lib_;
    std::string oldLib_;
    std::vector<rtlsdr_dev_t*> opened_;
};

} // namespace varnock::test
