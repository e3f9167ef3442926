// ASCII text without the process locale: trimming and letter case.
#pragma once

#include <string>
#include <string_view>

namespace varnock {

// Which characters a caller strips: each format has its own idea of a blank.
constexpr std::string_view kSpaces = " ";
constexpr std::string_view kSpacesAndTabs = " \t";
constexpr std::string_view kLineBlanks = " \t\r\v\f"; // white space within one line
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r"; // isspace() of the "C" locale

// `s` without the leading and trailing characters found in `blanks`.
constexpr std::string_view trimmed(std::string_view s, std::string_view blanks = kSpaces)
{
    const std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return s.substr(s.size());
    return s.substr(b, s.find_last_not_of(blanks) + 1 - b);
}

inline void appendTrimmed(std::string& out, std::string_view s, std::string_view blanks = kSpaces)
{
    const std::string_view t = trimmed(s, blanks);
    out.append(t.data(), t.size());
}

constexpr char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal but for the case of ASCII letters.
constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

} // namespace varnock
