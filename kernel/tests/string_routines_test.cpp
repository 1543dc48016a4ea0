#include "kernel/string_routines.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sysutils.h"
#include "test_support.h"

namespace {

// Scans a whole text, as callers do: token and delimiter pairs up to the NUL delimiter.
std::vector<std::pair<std::string, char>> Scan(const std::string& text, std::string_view delims,
                                               bool trim = false) {
    std::vector<std::pair<std::string, char>> out;
    int32_t pos = 1;
    for (int guard = 0; guard < 100; ++guard) {
        std::string token;
        char delim = 'x';
        if (trim) ReadToDelimiterWithoutWS(text, delims, pos, token, pos, delim);
        else ReadToDelimiter(text, delims, pos, token, pos, delim);
        out.emplace_back(token, delim);
        if (delim == '\0') break;
    }
    return out;
}

using Tokens = std::vector<std::pair<std::string, char>>;

}  // namespace

TEST(UString, NumberTexts) {
    EXPECT_EQ(StrToLongInt(""), 0);
    EXPECT_EQ(StrToLongInt("-45"), -45);
    EXPECT_EQ(StrToLongInt("12abc"), 0);
    EXPECT_EQ(StrToLongInt("99999999999"), 0);
    EXPECT_TRUE(StrToBool("tak"));
    EXPECT_FALSE(StrToBool(""));
    EXPECT_FALSE(StrToBool(" TRUE"));

    EXPECT_EQ(IntToStrZ(7, 3, true), "007");
    EXPECT_EQ(IntToStrZ(7, 3, false), "  7");
    EXPECT_EQ(IntToStrZ(12345, 3, true), "12345");
    EXPECT_EQ(IntToPrezStr(0), "0");
    EXPECT_EQ(IntToPrezStr(999), "999");
    EXPECT_EQ(IntToPrezStr(1000), "1 000");
    EXPECT_EQ(IntToPrezStr(1234567), "1 234 567");
    EXPECT_EQ(IntToPrezStr(1000000), "1 000 000");
    EXPECT_EQ(IntToPrezStr(-1234), "-1 234");
    EXPECT_EQ(StrToStrSp("abc", 5), "abc  ");
    EXPECT_EQ(StrToStrSp("abcdef", 3), "abc");
}

TEST(UString, FloatsWithEitherSeparator) {
    for (char sep : {'.', ','}) {
        SeparatorScope scope(sep);
        EXPECT_DOUBLE_EQ(StrToExtended("1,25"), 1.25) << sep;
        EXPECT_DOUBLE_EQ(StrToExtended("1.25"), 1.25) << sep;
        EXPECT_DOUBLE_EQ(StrToExtended("-2e3"), -2000.0) << sep;
        EXPECT_DOUBLE_EQ(StrToExtended("abc"), 0.0) << sep;
        EXPECT_DOUBLE_EQ(StrToExtended(""), 0.0) << sep;
        EXPECT_TRUE(StringIsFloat("3,5")) << sep;
        EXPECT_FALSE(StringIsFloat("1,2,3")) << sep;
    }
    EXPECT_TRUE(StringIsFloat(std::string(63, '1') + "x"));  // only 63 characters are read
    SeparatorScope comma(',');
    EXPECT_EQ(DoubleToStr(-0.125, 15, 3), std::string(9, ' ') + "-0,125");
}

TEST(UString, TrimmingAndCharacters) {
    const std::string nul(1, '\0');
    EXPECT_EQ(BezVnejsichMezer("  a b " + nul), "a b");
    EXPECT_EQ(BezVnejsichMezer("\ta\t"), "\ta\t");
    EXPECT_EQ(BezVnejsichMezer(" " + nul + " "), "");
    EXPECT_EQ(RemoveAllSpaces(" a b" + nul + "c\t"), "abc\t");

    std::string s = "1,5.3";
    SwapChars(s, '.', ',');
    EXPECT_EQ(s, "1.5.3");

    s = "a-b-c";
    EXPECT_TRUE(ChangeCharInString(s, '-', '_', false));
    EXPECT_EQ(s, "a_b-c");
    EXPECT_TRUE(ChangeCharInString(s, '-', '_', true));
    EXPECT_EQ(s, "a_b_c");
    EXPECT_FALSE(ChangeCharInString(s, '-', '_', true));
    // Equal characters with "all" answer whether the character occurs.
    EXPECT_TRUE(ChangeCharInString(s, '_', '_', true));
    EXPECT_EQ(s, "a_b_c");
    EXPECT_FALSE(ChangeCharInString(s, 'x', 'x', true));
    s = "a" + nul;
    EXPECT_FALSE(ChangeCharInString(s, '\0', 'x', false));
    s.clear();
    EXPECT_FALSE(ChangeCharInString(s, 'a', 'b', false));

    EXPECT_EQ(TakeFromApos("'abc'"), "abc");
    EXPECT_EQ(TakeFromApos("'"), "");
    EXPECT_EQ(TakeFromApos("abc'"), "abc'");
    std::string name = "Element", result;
    CheckClassName(name, result);
    EXPECT_EQ(name + result, "TElementTElement");
    name = "tool";
    CheckClassName(name, result);
    EXPECT_EQ(result, "tool");
}

TEST(UString, BackSlashesAndHeapStrings) {
    std::string path = "C:", result;
    AddBackSlash(path, result);
    EXPECT_EQ(path + "|" + result, "C:\\|C:\\");
    CheckBackSlash(path, result);
    EXPECT_EQ(result, "C:\\");
    path = "";
    AddBackSlash(path, result);
    EXPECT_EQ(path + "|" + result, "|\\");
    path = "C:\\";
    RemoveBackSlash(path, result);
    EXPECT_EQ(path + "|" + result, "C:|C:");
    path = "";
    RemoveBackSlash(path, result);
    EXPECT_EQ(result, "");

    std::string* p = nullptr;
    std::string text = "x";
    GetPString(p, text);
    EXPECT_EQ(text, "");
    SetPString(p, "abc");
    GetPString(p, text);
    EXPECT_EQ(text, "abc");
    SetPString(p, "");
    EXPECT_EQ(p, nullptr);
}

TEST(UString, ParametersSplitAtFirstSeparator) {
    std::string name, value;
    EXPECT_TRUE(StringAsParameter(" KEY = a=b ", name, value));
    EXPECT_EQ(name + "|" + value, "KEY|a=b");
    EXPECT_FALSE(StringAsParameter("  QUERYTEXTDLG ", name, value));
    EXPECT_EQ(name + "|" + value, "QUERYTEXTDLG|");

    const std::string longName(254, 'n');  // "=" counts within the first 255 characters
    EXPECT_TRUE(StringAsParameter(longName + "=v", name, value));
    EXPECT_FALSE(StringAsParameter(longName + "n=v", name, value));
    EXPECT_EQ(name, longName + "n=v");

    // A splitting loop over "a, b," ends with an empty last piece.
    std::vector<std::string> pieces;
    std::string rest = "a, b,", first;
    for (int guard = 0; guard < 10; ++guard) {
        bool more = StringAsTwoParams(rest, ',', first, rest);
        pieces.push_back(first);
        if (!more) break;
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "b", ""}));
}

TEST(UString, ReadToDelimiter) {
    EXPECT_EQ(Scan("a(b).c", "()."),
              (Tokens{{"a", '('}, {"b", ')'}, {"", '.'}, {"c", '\0'}}));
    EXPECT_EQ(Scan(" ?  : !:x ", ":", true), (Tokens{{"?", ':'}, {"!", ':'}, {"x", '\0'}}));
    // Characters outside 32..126 are never delimiters.
    EXPECT_EQ(Scan("a\tb~c", "\t~"), (Tokens{{"a\tb", '~'}, {"c", '\0'}}));

    std::string token = "x";
    int32_t pos = 0;
    char delim = 'x';
    ReadToDelimiter("abc", ".", 1, token, pos, delim);
    EXPECT_EQ(pos, 5);  // length + 2
    ReadToDelimiter("", ".", 3, token, pos, delim);
    EXPECT_EQ(token + "|" + std::to_string(pos), "|3");
    EXPECT_EQ(delim, '\0');
    for (int32_t start : {0, 7}) {  // before and beyond the text
        ReadToDelimiter("ab", ".", start, token, pos, delim);
        EXPECT_EQ(token, "");
        EXPECT_EQ(delim, '\0');
    }
}

TEST(UString, NamesWithEndNumbers) {
    EXPECT_EQ(GetNameWithoutNumber("Label12"), "Label");
    EXPECT_EQ(GetNameWithoutNumber("Label"), "Label");
    EXPECT_EQ(GetNameWithoutNumber("a1b2"), "a1b");
    EXPECT_EQ(GetNameWithoutNumber("12"), "");
    EXPECT_EQ(GetNameWithoutNumber(""), "");
    EXPECT_EQ(GetNameEndNumber("Label12"), 12);
    EXPECT_EQ(GetNameEndNumber("View007"), 7);
    EXPECT_EQ(GetNameEndNumber("Label"), 0);
    EXPECT_EQ(GetNameEndNumber("12"), 0);
    EXPECT_EQ(GetNameEndNumber(""), 0);
}
