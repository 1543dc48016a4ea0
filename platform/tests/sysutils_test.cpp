#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/files.h"
#include "platform/sysutils.h"
#include "test_support.h"

TEST(Cp1250, CzechLiteralsRoundTrip) {
    std::string s = Cz("Příliš žluťoučký kůň");
    EXPECT_EQ(s.size(), 20u);
    EXPECT_EQ(static_cast<unsigned char>(s[1]), 0xF8);  // ř
    EXPECT_EQ(ToUtf8(s), "Příliš žluťoučký kůň");
}

TEST(Cp1250, MalformedUtf8NeverSwallowsTheNextCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xC3" "A", "?A"},              // a lead byte without its continuation
        {"\xE2\x82" "x", "?x"},          // a sequence cut short
        {"\xC0\xAF", "??"},              // overlong "/"
        {"\xE0\x80\xAF", "???"},         // overlong "/" in three bytes
        {"\xED\xA0\x80", "???"},         // a surrogate
        {"\xF4\x90\x80\x80", "????"},    // beyond U+10FFFF
        {"\x80" "a\xFF", "?a?"},          // stray bytes
        {"\xC3\xA9\xE2\x82\xAC", "\xE9\x80"}, // é and the euro sign
        {"\xC3", "?"},
    };
    for (const auto& [utf8, cp1250] : cases) EXPECT_EQ(Cz(utf8), cp1250) << ToUtf8(cp1250);
    EXPECT_EQ(FromOsName("\xC0\xAF"), "\xC0\xAF");  // not UTF-8: the name stays as it is
    EXPECT_EQ(FromOsName("caf\xC3\xA9"), "caf\xE9");
}

TEST(Cp1250, CaseTable) {
    EXPECT_EQ(AnsiUpperCase(Cz("ěščřžýáíéůúďťň")), Cz("ĚŠČŘŽÝÁÍÉŮÚĎŤŇ"));
    EXPECT_EQ(AnsiLowerCase(Cz("ĚŠČŘŽÝÁÍÉŮÚĎŤŇ")), Cz("ěščřžýáíéůúďťň"));
    EXPECT_EQ(AnsiUpperChar(0xDF), 0xDF);  // ß has no capital
    EXPECT_EQ(AnsiUpperChar(0xFF), 0xFF);
    EXPECT_EQ(AnsiUpperChar(0xF7), 0xF7);  // ÷
    EXPECT_EQ(UpperCase(Cz("čaj")), Cz("čAJ"));  // ASCII only
    EXPECT_TRUE(AnsiSameText(Cz("Žluť"), Cz("žLUŤ")));
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
}

TEST(Numbers, LocaleSeparator) {
    SeparatorScope comma(',');
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1e-5), "1E-5");
    double v = 0;
    EXPECT_TRUE(TextToFloat(" 2,25 ", v));
    EXPECT_DOUBLE_EQ(v, 2.25);
    EXPECT_FALSE(TextToFloat("2.25", v));
    EXPECT_TRUE(TextToFloatC("2.5e3", v));
    EXPECT_DOUBLE_EQ(v, 2500);
    EXPECT_EQ(Format("%*.*f|%*d", 6, 2, 3.14159, 4, 7), "  3,14|   7");
}

TEST(Numbers, ValReportsPosition) {
    int code;
    EXPECT_EQ(ValInt("  -42", code), -42);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt("$FF", code), 255);
    EXPECT_EQ(ValInt("0x10", code), 16);
    ValInt("12a", code);
    EXPECT_EQ(code, 3);
    ValInt("", code);
    EXPECT_EQ(code, 1);
    EXPECT_THROW(StrToInt("x"), EConvertError);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
}

TEST(Numbers, RoundOutsideInt64Raises) {
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-9223372036854775808.0), INT64_MIN);
    EXPECT_EQ(Round(9223372036854774784.0), 9223372036854774784);  // the largest double below 2^63
    EXPECT_THROW(Round(9223372036854775808.0), ERangeError);
    EXPECT_THROW(Round(-9223372036854777856.0), ERangeError);
    EXPECT_THROW(Round(std::nan("")), ERangeError);
    EXPECT_THROW(Round(HUGE_VAL), ERangeError);
    EXPECT_THROW(Round(-HUGE_VAL), ERangeError);
}

TEST(Numbers, Val64Limits) {
    int code;
    EXPECT_EQ(ValInt64("9223372036854775807", code), INT64_MAX);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt64("-9223372036854775808", code), INT64_MIN);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt64("9223372036854775808", code), 0);
    EXPECT_EQ(code, 19);
    EXPECT_EQ(ValInt64(" +9223372036854775808", code), 0);
    EXPECT_EQ(code, 21);
    ValInt64("-9223372036854775809", code);
    EXPECT_EQ(code, 20);
    ValInt64("99999999999999999999", code);
    EXPECT_EQ(code, 19);
    EXPECT_EQ(ValInt64("$FFFFFFFFFFFFFFFF", code), -1);  // hex fills all 64 bits
    EXPECT_EQ(code, 0);
    ValInt64("$10000000000000000", code);
    EXPECT_EQ(code, 18);
}

TEST(Numbers, Val32OverflowNamesTheDigit) {
    int code;
    EXPECT_EQ(ValInt("2147483647", code), INT32_MAX);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt("-2147483648", code), INT32_MIN);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt("2147483648", code), 0);
    EXPECT_EQ(code, 10);
    ValInt("-2147483649", code);
    EXPECT_EQ(code, 11);
    ValInt("  99999999999x", code);  // the digit, not the length or the later letter
    EXPECT_EQ(code, 12);
    ValInt("3000000000", code);
    EXPECT_EQ(code, 10);
    ValInt("30000000000", code);
    EXPECT_EQ(code, 10);
    // Hex fills 32 bits unsigned.
    EXPECT_EQ(ValInt("$FFFFFFFF", code), -1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt("0x80000000", code), INT32_MIN);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValInt("-$80000000", code), INT32_MIN);
    EXPECT_EQ(code, 0);
    ValInt("$100000000", code);
    EXPECT_EQ(code, 10);
    ValInt("-$80000001", code);
    EXPECT_EQ(code, 10);
    EXPECT_EQ(StrToIntDef("4294967296", 5), 5);
}

TEST(Numbers, FormatNeverCutsLongValues) {
    std::string longText(3000, 'x');
    EXPECT_EQ(Format("<%s>", longText.c_str()), "<" + longText + ">");
    EXPECT_EQ(Format("%*d", 600, 5).size(), 600u);
    EXPECT_EQ(Format("%.0f", 1e300).size(), 301u);
    EXPECT_EQ(Format("%c%s", 'a', "b"), "ab");
}

TEST(Numbers, FloatTextsAreNeverCut) {
    SeparatorScope point('.');
    const std::string s = FloatToStrF(-1e308, 100);
    ASSERT_EQ(s.size(), 411u);
    EXPECT_EQ(s.substr(0, 20), "-1000000000000000010");
    EXPECT_EQ(s.substr(310), "." + std::string(100, '0'));
    EXPECT_EQ(FloatToStrF(2.5, 0), "2");
    EXPECT_EQ(FloatToStrF(-0.125, 2), "-0.12");
}

TEST(Numbers, TextsJustBeyondTheRangeReadAsItsLimit) {
    SeparatorScope point('.');
    EXPECT_EQ(FloatToStr(-DBL_MAX), "-1.79769313486232E308");
    const std::pair<const char*, double> limits[] = {
        {"-1.79769313486232E308", -DBL_MAX}, {"1.79769313486232e308", DBL_MAX},
        {"+1.797693134862316E308", DBL_MAX}, {"1e-400", 0.0}};
    for (auto [text, want] : limits) {
        double v = 1;
        EXPECT_TRUE(TextToFloatC(text, v)) << text;
        EXPECT_EQ(v, want) << text;
    }
    double v;
    for (const char* beyond : {"1.79769313486233E308", "-1e309", "1e99999"})
        EXPECT_FALSE(TextToFloatC(beyond, v)) << beyond;
    EXPECT_EQ(StrToFloat(FloatToStr(DBL_MAX)), DBL_MAX);
}

// glibc's newlocale never frees its copy of LOCPATH; the leak checker is told to ignore it.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
using IgnoreGlibcLeaks = __lsan::ScopedDisabler;
#else
struct IgnoreGlibcLeaks {
    IgnoreGlibcLeaks() {}
};
#endif

// Locales made for these tests only, below a folder of their own that LOCPATH names;
// a test skips when the locale sources or localedef are missing.
class LocaleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir("locales_");
        const std::string d = dir_->Path();
        if (d.empty() || std::system("command -v localedef >/dev/null 2>&1") != 0) return;
        const std::string cmd = "localedef -i de_CH -f ISO-8859-1 " + d + "/de_CH.ISO-8859-1 >/dev/null 2>&1 & "
                                "localedef -i el_GR -f ISO-8859-7 " + d + "/el_GR.ISO-8859-7 >/dev/null 2>&1; wait";
        if (std::system(cmd.c_str()) != -1) made_ = std::filesystem::exists(d + "/de_CH.ISO-8859-1/LC_NUMERIC") &&
                                                     std::filesystem::exists(d + "/el_GR.ISO-8859-7/LC_NUMERIC");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        if (!made_) GTEST_SKIP() << "no locale sources to make test locales from";
        for (const char* n : kVars) saved_.emplace_back(n, std::getenv(n) ? std::getenv(n) : "");
        setenv("LOCPATH", dir_->Path().c_str(), 1);
    }
    void TearDown() override {
        setlocale(LC_ALL, "C");
        for (auto& [n, v] : saved_) v.empty() ? unsetenv(n.c_str()) : setenv(n.c_str(), v.c_str(), 1);
    }
    static constexpr const char* kVars[] = {"LOCPATH", "LC_ALL", "LC_NUMERIC", "LANG"};
    static inline TempDir* dir_ = nullptr;
    static inline bool made_ = false;
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(LocaleTest, StartUpSeparatorComesFromTheLocaleDatabase) {
    struct Case { const char *all, *numeric, *lang; char sep; };
    const Case cases[] = {
        {"de_CH.ISO-8859-1", "", "", '.'},  {"el_GR.ISO-8859-7", "", "", ','},
        {"", "el_GR.ISO-8859-7", "C", ','}, {"", "", "el_GR.ISO-8859-7", ','},
        {"C", "el_GR.ISO-8859-7", "", '.'}, {"cs_CZ.NOT-INSTALLED", "", "", '.'},
    };
    for (const Case& c : cases) {
        for (auto [n, v] : {std::pair{"LC_ALL", c.all}, {"LC_NUMERIC", c.numeric}, {"LANG", c.lang}})
            *v ? setenv(n, v, 1) : unsetenv(n);
        IgnoreGlibcLeaks ignore;
        EXPECT_EQ(EnvironmentDecimalSeparator(), c.sep) << c.all << "|" << c.numeric << "|" << c.lang;
    }
}

TEST_F(LocaleTest, NumberTextsIgnoreTheCLocale) {
    // Every locale load below may read LOCPATH, the first use of the separator included.
    IgnoreGlibcLeaks ignore;
    setenv("LC_ALL", "el_GR.ISO-8859-7", 1);
    ASSERT_NE(setlocale(LC_ALL, ""), nullptr);
    SeparatorScope point('.');
    double v = 0;
    EXPECT_TRUE(TextToFloatC("2.5", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_TRUE(TextToFloat("-1.25e2", v));
    EXPECT_EQ(v, -125);
    EXPECT_EQ(FloatToStr(2.5), "2.5");
    EXPECT_EQ(FloatToStrF(2.5, 2), "2.50");
    EXPECT_EQ(Format("%6.2f|%-6.1e|%g", 3.14159, 2.5, 0.5), "  3.14|2.5e+00|0.5");
    SeparatorScope comma(',');
    EXPECT_EQ(FloatToStr(2.5), "2,5");
    EXPECT_EQ(Format("%+07.2f", 2.5), "+002,50");
}
