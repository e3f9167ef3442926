// Tests of the switch grammar against a literal candidate scan, and of the options filled at START.
#include "app/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnock {
namespace {

Switches make(std::vector<std::string> args)
{
    args.insert(args.begin(), "/opt/varnock/varnock");
    return Switches(std::move(args));
}

// What trying every candidate text finds, written as plainly as possible.
int scan(const Switches& sw, const std::string& prefix, int maxValue)
{
    int found = -1;
    for (int n = 0; n <= maxValue; ++n)
        if (sw.has(prefix + std::to_string(n))) found = n;
    return found;
}

TEST(Switches, NumericGrammar)
{
    struct Case {
        std::vector<std::string> args;
        int portBase;
    } cases[] = {
        {{"-PortBase=32000"}, 32000},
        {{"/portbase=32000"}, 32000},
        {{"-portbase=032000"}, 0},
        {{"-portbase", "32000"}, 0},
        {{"--portbase=32000"}, 0},
        {{"-portbase=31000", "-portbase=40000"}, 40000},
        {{"-portbase=40000", "-portbase=31000"}, 40000},
        {{"-portbase=+5"}, 0},
        {{"-portbase=-5"}, 0},
        {{"-portbase=65535"}, 65535},
        {{"-portbase=65536"}, 0},
        {{"-portbase=0"}, 0},
        {{"-portbase="}, 0},
        {{"-portbase=32000 "}, 0},
        {{"- portbase=32000"}, 0},
        {{"portbase=32000"}, 0},
        {{"-portbase=99999999999999999999"}, 0},
        {{"-portbase=1e3"}, 0},
        {{"-udptarget=31000"}, 0},
    };
    for (const Case& c : cases) {
        Switches sw = make(c.args);
        CommandLineOptions o;
        sw.fillOptions(o);
        EXPECT_EQ(o.portBase, c.portBase) << c.args[0];
        int scanned = scan(sw, "portbase=", 65535);
        EXPECT_EQ(sw.largestNumber("portbase=", 65535), scanned) << c.args[0];
    }
    // The program path is never a switch, whatever it looks like.
    EXPECT_FALSE(Switches({"-run"}).has("run"));
}

TEST(Switches, SerialSelection)
{
    EXPECT_EQ(make({"-ser=1000"}).serial(), -1);
    EXPECT_EQ(make({"-ser=7"}).serial(), 7);
    EXPECT_EQ(make({"-ser=0"}).serial(), 0);
    EXPECT_EQ(make({"-ser=007"}).serial(), -1);
    EXPECT_EQ(make({"/SER=999", "-ser=12"}).serial(), 999);
    EXPECT_EQ(make({}).serial(), -1);
    for (const char* a : {"-ser=7", "-ser=1000", "-ser=00", "-Ser=0", "-ser=999", "-ser=-1"})
        EXPECT_EQ(make({a}).serial(), scan(make({a}), "ser=", 999)) << a;
}

TEST(Switches, FlagsAreWholeWordsAndOptionsAreOnlySet)
{
    CommandLineOptions o;
    make({"-LOG", "/avr", "-cntr", "-30003", "-udptarget=31010", "-runx", "-mi", "--ascii", "-newp ", "multilat1"})
        .fillOptions(o);
    EXPECT_TRUE(o.log);
    EXPECT_TRUE(o.avr);
    EXPECT_TRUE(o.cntr);
    EXPECT_TRUE(o.cntrWiden);
    EXPECT_TRUE(o.port30003);
    EXPECT_TRUE(o.httpEnabled);
    EXPECT_TRUE(o.webEnabled);
    EXPECT_EQ(o.udpTarget, 31010);
    EXPECT_FALSE(o.ascii || o.newp || o.multilat1 || o.eeprom);

    Switches sw = make({"-nohttp", "-run", "/Min", "-ExitDialog"});
    EXPECT_TRUE(sw.run() && sw.min() && sw.exitDialog());
    CommandLineOptions none;
    sw.fillOptions(none);
    EXPECT_FALSE(none.httpEnabled);
    EXPECT_TRUE(none.webEnabled);
    CommandLineOptions noWeb;
    make({"/NOWEB"}).fillOptions(noWeb);
    EXPECT_TRUE(noWeb.httpEnabled);
    EXPECT_FALSE(noWeb.webEnabled);

    // A second START never clears what the first one set.
    make({}).fillOptions(o);
    EXPECT_TRUE(o.log && o.avr && o.cntr);
    EXPECT_EQ(o.udpTarget, 31010);
    EXPECT_FALSE(make({"-log"}).run());
}

TEST(Switches, RepeatedValuesInOrderWithTheirOwnCase)
{
    const Switches sw = make({"-connect=Feed.example:30004", "connect=x:1", "/CONNECT=[::1]:2", "-connect=", "-run"});
    EXPECT_EQ(sw.valuesOf("connect="), (std::vector<std::string>{"Feed.example:30004", "[::1]:2"}));
    EXPECT_TRUE(make({}).valuesOf("connect=").empty());
}

} // namespace
} // namespace varnock
