#include "kernel/u_string.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/sysutils.h"

namespace {

// Sets the locale decimal separator for one test and restores it afterwards.
class SeparatorScope {
public:
    explicit SeparatorScope(char c) : old_(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~SeparatorScope() { SetDecimalSeparator(old_); }
private:
    char old_;
};

struct Token {
    std::string text;
    char delimiter;
};

std::vector<Token> Scan(const std::string& text, std::string_view delimiters, bool trim) {
    std::vector<Token> out;
    int32_t pos = 1;
    for (int guard = 0; guard < 100; ++guard) {
        std::string token;
        char delim = 'x';
        if (trim) ReadToDelimiterWithoutWS(text, delimiters, pos, token, pos, delim);
        else ReadToDelimiter(text, delimiters, pos, token, pos, delim);
        out.push_back({token, delim});
        if (delim == '\0') break;
    }
    return out;
}

}  // namespace

TEST(UString, IntegerAndBooleanTexts) {
    EXPECT_EQ(StrToLongInt(""), 0);
    EXPECT_EQ(StrToLongInt("123"), 123);
    EXPECT_EQ(StrToLongInt("-45"), -45);
    EXPECT_EQ(StrToLongInt("12abc"), 0);
    EXPECT_EQ(StrToLongInt("99999999999"), 0);

    EXPECT_EQ(BoolToStr(true), "TRUE");
    EXPECT_EQ(BoolToStr(false), "FALSE");
    EXPECT_TRUE(StrToBool("t"));
    EXPECT_TRUE(StrToBool("Tak"));
    EXPECT_FALSE(StrToBool(""));
    EXPECT_FALSE(StrToBool(" TRUE"));
    EXPECT_FALSE(StrToBool("1"));
}

TEST(UString, FloatsWithEitherSeparator) {
    {
        SeparatorScope dot('.');
        EXPECT_DOUBLE_EQ(StrToExtended("1,25"), 1.25);
        EXPECT_DOUBLE_EQ(StrToExtended("1.25"), 1.25);
        EXPECT_DOUBLE_EQ(StrToExtended("-2e3"), -2000.0);
        EXPECT_TRUE(StringIsFloat("3,5"));
        EXPECT_FALSE(StringIsFloat("1,2,3"));
    }
    {
        SeparatorScope comma(',');
        EXPECT_DOUBLE_EQ(StrToExtended("1.25"), 1.25);
        EXPECT_DOUBLE_EQ(StrToExtended("1,25"), 1.25);
        EXPECT_TRUE(StringIsFloat("7"));
    }
    EXPECT_DOUBLE_EQ(StrToExtended("abc"), 0.0);
    EXPECT_DOUBLE_EQ(StrToExtended(""), 0.0);
    EXPECT_FALSE(StringIsFloat("abc"));
    EXPECT_FALSE(StringIsFloat(""));
    // Only the first 63 characters are read.
    EXPECT_TRUE(StringIsFloat(std::string(63, '1') + "x"));
}

TEST(UString, FormattedNumbers) {
    EXPECT_EQ(IntToStrZ(7, 3, true), "007");
    EXPECT_EQ(IntToStrZ(7, 3, false), "  7");
    EXPECT_EQ(IntToStrZ(12345, 3, true), "12345");
    EXPECT_EQ(IntToStrZ(-7, 3, true), "-007");

    EXPECT_EQ(IntToPrezStr(0), "0");
    EXPECT_EQ(IntToPrezStr(999), "999");
    EXPECT_EQ(IntToPrezStr(1000), "1 000");
    EXPECT_EQ(IntToPrezStr(1234567), "1 234 567");
    EXPECT_EQ(IntToPrezStr(1000000), "1 000 000");
    EXPECT_EQ(IntToPrezStr(-1234), "-1 234");

    {
        SeparatorScope dot('.');
        EXPECT_EQ(DoubleToStr(1.5, 6, 2), "  1.50");
    }
    {
        SeparatorScope comma(',');
        EXPECT_EQ(DoubleToStr(-0.125, 15, 3), std::string(9, ' ') + "-0,125");
    }

    EXPECT_EQ(StrToStrSp("abc", 5), "abc  ");
    EXPECT_EQ(StrToStrSp("abcdef", 3), "abc");
    EXPECT_EQ(StrToStrSp("abc", 0), "");
    EXPECT_EQ(StrToStrSp("", 2), "  ");
}

TEST(UString, TrimmingTakesBlanksAndNulOnly) {
    std::string nul(1, '\0');
    EXPECT_EQ(BezVnejsichMezer("  a b " + nul), "a b");
    EXPECT_EQ(BezVnejsichMezer(nul + " x"), "x");
    EXPECT_EQ(BezVnejsichMezer("\ta\t"), "\ta\t");
    EXPECT_EQ(BezVnejsichMezer("   "), "");
    EXPECT_EQ(BezVnejsichMezer(""), "");
    EXPECT_EQ(RemoveAllSpaces(" a b" + nul + "c "), "abc");
    EXPECT_EQ(RemoveAllSpaces("a\tb"), "a\tb");
}

TEST(UString, SwapAndChangeCharacters) {
    std::string s = "1,5.3";
    SwapChars(s, '.', ',');
    EXPECT_EQ(s, "1.5.3");
    s = "2.5";
    SwapChars(s, '.', ',');
    EXPECT_EQ(s, "2,5");
    s = "abc";
    SwapChars(s, '.', ',');
    EXPECT_EQ(s, "abc");

    s = "a-b-c";
    EXPECT_TRUE(ChangeCharInString(s, '-', '_', false));
    EXPECT_EQ(s, "a_b-c");
    s = "a-b-c";
    EXPECT_TRUE(ChangeCharInString(s, '-', '_', true));
    EXPECT_EQ(s, "a_b_c");
    EXPECT_FALSE(ChangeCharInString(s, '-', '_', true));
    EXPECT_EQ(s, "a_b_c");

    // Equal characters with "all": answers whether the character occurs and returns.
    s = "a-b";
    EXPECT_TRUE(ChangeCharInString(s, '-', '-', true));
    EXPECT_EQ(s, "a-b");
    EXPECT_FALSE(ChangeCharInString(s, 'x', 'x', true));

    s = "";
    EXPECT_FALSE(ChangeCharInString(s, 'a', 'b', true));
    s = std::string("a\0b", 3);
    EXPECT_FALSE(ChangeCharInString(s, '\0', 'x', false));
    EXPECT_EQ(s, std::string("a\0b", 3));
}

TEST(UString, ApostrophesAndClassNames) {
    EXPECT_EQ(TakeFromApos("'abc'"), "abc");
    EXPECT_EQ(TakeFromApos("''"), "");
    EXPECT_EQ(TakeFromApos("'"), "");
    EXPECT_EQ(TakeFromApos("'abc"), "'abc");
    EXPECT_EQ(TakeFromApos("abc'"), "abc'");
    EXPECT_EQ(TakeFromApos(""), "");

    std::string name = "Element", result;
    CheckClassName(name, result);
    EXPECT_EQ(name, "TElement");
    EXPECT_EQ(result, "TElement");
    name = "tool";
    CheckClassName(name, result);
    EXPECT_EQ(result, "tool");
    name = "";
    result = "old";
    CheckClassName(name, result);
    EXPECT_EQ(result, "");
}

TEST(UString, BackSlashes) {
    std::string path = "C:", result;
    AddBackSlash(path, result);
    EXPECT_EQ(path, "C:\\");
    EXPECT_EQ(result, "C:\\");
    AddBackSlash(path, result);
    EXPECT_EQ(result, "C:\\");

    path = "";
    CheckBackSlash(path, result);
    EXPECT_EQ(path, "");
    EXPECT_EQ(result, "\\");

    path = "C:\\";
    RemoveBackSlash(path, result);
    EXPECT_EQ(path, "C:");
    EXPECT_EQ(result, "C:");
    path = "dir\\\\";
    RemoveBackSlash(path, result);
    EXPECT_EQ(result, "dir\\");
    path = "";
    result = "x";
    RemoveBackSlash(path, result);
    EXPECT_EQ(result, "");
}

TEST(UString, HeapStringsAndWindowsFolder) {
    std::string* p = nullptr;
    std::string text = "x";
    GetPString(p, text);
    EXPECT_EQ(text, "");
    SetPString(p, "abc");
    ASSERT_NE(p, nullptr);
    GetPString(p, text);
    EXPECT_EQ(text, "abc");
    SetPString(p, "");
    EXPECT_EQ(p, nullptr);

    const char* old = std::getenv("WINDIR");
    std::string saved = old ? old : "";
    setenv("WINDIR", "/tmp/win", 1);
    EXPECT_EQ(WinDirStr(), "/tmp/win");
    unsetenv("WINDIR");
    EXPECT_EQ(WinDirStr(), "C:\\WINDOWS");
    if (old) setenv("WINDIR", saved.c_str(), 1);
}

TEST(UString, ParametersSplitAtFirstSeparator) {
    std::string name, value;
    EXPECT_TRUE(StringAsParameter(" KEY = a=b ", name, value));
    EXPECT_EQ(name, "KEY");
    EXPECT_EQ(value, "a=b");

    EXPECT_FALSE(StringAsParameter("  QUERYTEXTDLG ", name, value));
    EXPECT_EQ(name, "QUERYTEXTDLG");
    EXPECT_EQ(value, "");

    EXPECT_TRUE(StringAsParameter("k=", name, value));
    EXPECT_EQ(name, "k");
    EXPECT_EQ(value, "");

    // The "=" counts only within the first 255 characters.
    std::string longName(254, 'n');
    EXPECT_TRUE(StringAsParameter(longName + "=v", name, value));
    EXPECT_EQ(value, "v");
    EXPECT_FALSE(StringAsParameter(longName + "n=v", name, value));
    EXPECT_EQ(name, longName + "n=v");
    EXPECT_EQ(value, "");
}

TEST(UString, SplittingAtCommasEndsWithEmptyPiece) {
    std::vector<std::string> pieces;
    std::string rest = "a, b,", first;
    for (int guard = 0; guard < 10; ++guard) {
        bool more = StringAsTwoParams(rest, ',', first, rest);
        pieces.push_back(first);
        if (!more) break;
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "b", ""}));

    std::string second = "old";
    EXPECT_TRUE(StringAsTwoParams("x;", ';', first, second));
    EXPECT_EQ(first, "x");
    EXPECT_EQ(second, "");
    EXPECT_FALSE(StringAsTwoParams(" y ", ';', first, second));
    EXPECT_EQ(first, "y");
    EXPECT_EQ(second, "");
}

TEST(UString, ReadToDelimiterWalksTokens) {
    auto tokens = Scan("a(b).c", "().", false);
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].text, "a");
    EXPECT_EQ(tokens[0].delimiter, '(');
    EXPECT_EQ(tokens[1].text, "b");
    EXPECT_EQ(tokens[1].delimiter, ')');
    EXPECT_EQ(tokens[2].text, "");
    EXPECT_EQ(tokens[2].delimiter, '.');
    EXPECT_EQ(tokens[3].text, "c");
    EXPECT_EQ(tokens[3].delimiter, '\0');

    std::string token = "x";
    int32_t pos = 0;
    char delim = 'x';
    ReadToDelimiter("abc", ".", 1, token, pos, delim);
    EXPECT_EQ(token, "abc");
    EXPECT_EQ(pos, 5);  // length + 2
    EXPECT_EQ(delim, '\0');

    ReadToDelimiter("", ".", 3, token, pos, delim);
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(delim, '\0');

    ReadToDelimiter("ab.", ".", 3, token, pos, delim);
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(delim, '.');

    // Beyond the end, and before the start, of the text: nothing is read.
    ReadToDelimiter("ab", ".", 7, token, pos, delim);
    EXPECT_EQ(token, "");
    EXPECT_EQ(delim, '\0');
    ReadToDelimiter("ab", ".", 0, token, pos, delim);
    EXPECT_EQ(token, "");
    EXPECT_EQ(delim, '\0');

    // Characters outside 32..126 are never delimiters.
    ReadToDelimiter("a\tb~c", "\t~", 1, token, pos, delim);
    EXPECT_EQ(token, "a\tb");
    EXPECT_EQ(delim, '~');
}

TEST(UString, ReadToDelimiterWithoutWSTrimsTokens) {
    auto tokens = Scan(" ?  : !:x ", ":", true);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].text, "?");
    EXPECT_EQ(tokens[1].text, "!");
    EXPECT_EQ(tokens[2].text, "x");
    EXPECT_EQ(tokens[2].delimiter, '\0');
}

TEST(UString, NamesWithEndNumbers) {
    EXPECT_EQ(GetNameWithoutNumber("Label12"), "Label");
    EXPECT_EQ(GetNameWithoutNumber("Label"), "Label");
    EXPECT_EQ(GetNameWithoutNumber("12"), "");
    EXPECT_EQ(GetNameWithoutNumber(""), "");
    EXPECT_EQ(GetNameWithoutNumber("a1b2"), "a1b");
    EXPECT_EQ(GetNameEndNumber("Label12"), 12);
    EXPECT_EQ(GetNameEndNumber("Label"), 0);
    EXPECT_EQ(GetNameEndNumber("12"), 0);
    EXPECT_EQ(GetNameEndNumber(""), 0);
    EXPECT_EQ(GetNameEndNumber("View007"), 7);
}
