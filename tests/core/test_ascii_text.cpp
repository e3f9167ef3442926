// ASCII trimming and letter case: each caller's set of blanks, and case that only touches letters.
#include <gtest/gtest.h>

#include <string>

#include "core/ascii_text.h"

namespace varnock {
namespace {

TEST(AsciiText, TrimmedStripsOnlyTheGivenBlanks)
{
    struct Case { const char* text; std::string_view blanks; const char* want; };
    const Case cases[] = {
        {"  AB C  ", kSpaces, "AB C"},
        {"\tAB ", kSpaces, "\tAB"},
        {" \tAB\t ", kSpacesAndTabs, "AB"},
        {"\rAB\n", kSpacesAndTabs, "\rAB\n"},
        {"\t\v\fAB\r ", kLineBlanks, "AB"},
        {"AB\n", kLineBlanks, "AB\n"}, // a line break ends a line; it is no blank within one
        {"\n\t AB\r\v\f", kWhiteSpace, "AB"},
        {"    ", kSpaces, ""},
        {"", kWhiteSpace, ""},
        {"\xA0" "AB\xA0", kWhiteSpace, "\xA0" "AB\xA0"}, // no locale widens the set
    };
    for (const Case& c : cases) EXPECT_EQ(trimmed(c.text, c.blanks), c.want) << '"' << c.text << '"';

    std::string out = "<";
    appendTrimmed(out, " KLM1023 ");
    appendTrimmed(out, "   ");
    EXPECT_EQ(out, "<KLM1023");
}

TEST(AsciiText, CaseChangesLettersOnly)
{
    const std::string all = "@AZ[`az{09\xC4\xE4";
    std::string lower, upper;
    for (char c : all) {
        lower += lowerAscii(c);
        upper += upperAscii(c);
    }
    EXPECT_EQ(lower, "@az[`az{09\xC4\xE4");
    EXPECT_EQ(upper, "@AZ[`AZ{09\xC4\xE4");

    EXPECT_TRUE(equalsIgnoringCase("Content-Length", "content-LENGTH"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
    EXPECT_FALSE(equalsIgnoringCase("run", "runx"));
    EXPECT_FALSE(equalsIgnoringCase("@", "`")); // one bit apart, but no letters
    EXPECT_FALSE(equalsIgnoringCase("[", "{"));
    EXPECT_FALSE(equalsIgnoringCase("\xC4", "\xE4"));
}

} // namespace
} // namespace varnock
