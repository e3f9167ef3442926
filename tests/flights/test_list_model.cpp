// The list model: WriteLogLine trimming and log shedding, sorted insertion, the list log file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "flights/list_model.h"

using namespace varnock;

namespace {

struct RecordingLog final : ListLogAppender {
    std::vector<std::vector<std::string>> calls;
    void appendLines(const std::string* lines, std::size_t n) override { calls.emplace_back(lines, lines + n); }
};

struct Rig {
    Controls controls;
    CommandLineOptions options;
    RecordingLog log;
    ListModel list{controls, options};
    Rig() { list.setLogAppender(&log); }
    void fill(int n)
    {
        for (int i = 0; i < n; ++i) list.WriteLogLine("line " + std::to_string(i));
    }
};

} // namespace

TEST(WriteLogLine, ShedsFiftyOneLinesAboveOneHundredIntoTheLog)
{
    for (bool log : {false, true}) {
        Rig rig;
        rig.options.log = log;
        rig.fill(101);
        ASSERT_EQ(rig.list.count(), 101);
        rig.list.WriteLogLine("new");
        ASSERT_EQ(rig.list.count(), 51);
        EXPECT_EQ(rig.list.text(0), "line 51");
        EXPECT_EQ(rig.list.lastText(), "new");
        EXPECT_FALSE(rig.list.updating());
        ASSERT_EQ(rig.log.calls.size(), log ? 1u : 0u);
        if (log) {
            ASSERT_EQ(rig.log.calls[0].size(), 51u);
            EXPECT_EQ(rig.log.calls[0].back(), "line 50");
        }
    }

    Rig up; // "List" up: the round owns the list, nothing is trimmed
    up.controls.sblist = false;
    up.options.log = true;
    up.fill(250);
    EXPECT_EQ(up.list.count(), 250);
    EXPECT_TRUE(up.log.calls.empty());
}

TEST(ListModel, SortedInsertionKeepsHeaderFirstAndAttachedIntegers)
{
    Rig rig;
    rig.list.setSorted(true);
    rig.list.add("C#x", 3);
    rig.list.add("a#y", 1);
    rig.list.add("   #z", 2);
    rig.list.add("                 #ICAO", 0);
    ASSERT_EQ(rig.list.count(), 4);
    EXPECT_EQ(rig.list.text(0), "                 #ICAO");
    EXPECT_EQ(rig.list.data(1), 2);
    EXPECT_EQ(rig.list.data(2), 1); // case does not matter
    EXPECT_EQ(rig.list.data(3), 3);
}

TEST(ListLogFile, NameAndOpenAppendClose)
{
    const LocalDateTime t{2026, 3, 7, 9, 5, 4};
    EXPECT_EQ(listLogFileName(t, "/opt/v"), "/opt/v/varnock-260307-090504.log");
    EXPECT_EQ(listLogFileName(t, "/opt/v/"), "/opt/v/varnock-260307-090504.log");

    const auto dir = std::filesystem::temp_directory_path() / ("varnock-list-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ListLogFile file((dir / "l.log").string());
    std::ofstream(file.path()) << "stale";
    file.create();
    const std::string a[2] = {"one", "two"};
    file.appendLines(a, 2);
    file.appendLines(a, 1);
    std::stringstream content;
    content << std::ifstream(file.path()).rdbuf();
    EXPECT_EQ(content.str(), "one\ntwo\none\n");
    std::filesystem::remove_all(dir);

    ListLogFile lost((dir / "missing" / "l.log").string()); // errors are ignored
    lost.create();
    lost.appendLines(a, 2);
    EXPECT_FALSE(std::filesystem::exists(lost.path()));
}
