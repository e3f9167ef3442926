// varnock-replay as a user runs it: bad input gives one clear line and a non-zero exit; whole buffers only.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ReplayRun {
    int status = -1;
    std::string out, err;
};

// Tests run in parallel processes: every file name carries the test's own name.
std::string tempPath(const std::string& name)
{
    return ::testing::TempDir() + "varnock_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
}

std::string slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

ReplayRun replay(const std::string& args)
{
    const std::string out = tempPath("out.txt"), err = tempPath("err.txt");
    const std::string cmd = std::string(VARNOCK_REPLAY_BIN) + " " + args + " >" + out + " 2>" + err;
    ReplayRun r;
    const int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

void writeFile(const std::string& path, std::size_t bytes, uint8_t value = 128)
{
    std::ofstream f(path, std::ios::binary);
    std::vector<char> b(bytes, static_cast<char>(value));
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
}

int lineCount(const std::string& s)
{
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

} // namespace

TEST(ReplayCli, BadInputIsOneClearLineAndFailure)
{
    const std::string empty = tempPath("empty.iq"), small = tempPath("small.iq");
    writeFile(empty, 0);
    writeFile(small, 1000);
    struct Case {
        std::string args, needle;
    } cases[] = {
        {tempPath("does-not-exist.iq"), "cannot open"},
        {empty, "is empty"},
        {small, "less than one buffer"},
        {"--scenario nowhere", "unknown scenario"},
        {"--seconds abc --scenario demo", "--seconds"},
        {"", "no input"},
        // The run is short in case the refusal ever goes: it would serve for that long.
        {"--serve 0 --scenario demo --seconds 1", "--serve: '0' is not a port base in 1..65527"},
        {"--serve 65528 --scenario demo --seconds 1", "--serve: '65528'"},
    };
    for (const auto& c : cases) {
        ReplayRun r = replay(c.args);
        EXPECT_NE(r.status, 0) << c.args;
        EXPECT_NE(r.err.find(c.needle), std::string::npos) << c.args << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    // Short input on stdin is also refused.
    ReplayRun r = replay("- <" + small);
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
}

TEST(ReplayCli, ProcessesWholeBuffersAndReportsTheRemainder)
{
    const std::string path = tempPath("quiet.iq");
    writeFile(path, 2 * 2048000 + 777);
    ReplayRun r = replay(path);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("buffers processed: 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("777 bytes after the last whole buffer"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("frames accepted: 0"), std::string::npos) << r.err;
}

TEST(ReplayCli, DemoScenarioYieldsFramesDeterministically)
{
    ReplayRun a = replay("--scenario demo --seconds 4");
    ReplayRun b = replay("--scenario demo --seconds 4");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_GT(lineCount(a.out), 100);
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.out.rfind("*", 0), 0u);
    EXPECT_NE(a.err.find("distinct addresses accepted: 20"), std::string::npos) << a.err;
}
