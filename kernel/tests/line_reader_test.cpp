#include "kernel/line_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(CtiRadek, CharactersAndTheStickyFlag) {
    TCtiRadekClass r("abc");
    EXPECT_EQ(std::string({r.DejChar(), r.DejChar(), r.DejChar()}), "abc");
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.DejChar(), '\0');
    EXPECT_TRUE(r.DosloKChybe());

    // Neutral answers until a new line comes; going back to the start keeps the flag.
    r.ZnovuOdZacatkuRadku();
    EXPECT_TRUE(r.DosloKChybe());
    EXPECT_EQ(r.DejChar(), '\0');
    EXPECT_EQ(r.DejString(2), "");
    EXPECT_EQ(r.DejInteger(), 0);
    EXPECT_FALSE(r.DejBoolean());
    r.NovyString("xy");
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.DejChar(), 'x');
}

TEST(CtiRadek, PositionLimits) {
    TCtiRadekClass r("ab");
    r.StepVl();
    EXPECT_FALSE(r.DosloKChybe());
    r.StepVl();  // below position 0
    EXPECT_EQ(r.Pozice(), 0);
    EXPECT_TRUE(r.DosloKChybe());

    std::string line(300, 'x');
    line[253] = 'Y';  // position 254
    r.NovyString(line);
    r.JdiNa(254);
    r.StepVp();
    EXPECT_EQ(r.Pozice(), 254);
    EXPECT_TRUE(r.DosloKChybe());
    r.NovyString(line);
    r.JdiNa(254);
    EXPECT_EQ(r.DejChar(), 'Y');  // answered, and the flag is set
    EXPECT_TRUE(r.DosloKChybe());
    r.NovyString(std::string(254, 'a'));  // its end cannot be reached by moving
    r.JdiNaMnozinu(TsetOfChar("b"));
    EXPECT_EQ(r.Pozice(), 254);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("abc");
    r.JdiNa(255);
    EXPECT_FALSE(r.DosloKChybe());
    for (int32_t bad : {256, -1}) {
        r.NovyString("abc");
        r.JdiNa(bad);
        EXPECT_TRUE(r.DosloKChybe());
        EXPECT_EQ(r.Pozice(), 1);
    }
}

TEST(CtiRadek, PositionZeroReadsNothingBeforeTheLine) {
    TCtiRadekClass r("ab");
    r.JdiNa(0);
    EXPECT_EQ(r.AktualniZnak(), '\0');
    EXPECT_EQ(r.DejChar(), '\0');
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.DejChar(), 'a');
    r.JdiNa(0);
    EXPECT_EQ(r.DejString(2), "a");
    r.JdiNa(0);
    EXPECT_DOUBLE_EQ(r.DejDekodovanyReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());
}

TEST(CtiRadek, MovesAndTexts) {
    TCtiRadekClass r("  \tkey=value");
    r.PreskocMezery();  // the blank character only
    EXPECT_EQ(r.AktualniZnak(), '\t');
    r.JdiZaZnak('=');
    EXPECT_EQ(r.AktualniZnak(), 'v');
    r.JdiZaZnak('#');
    EXPECT_TRUE(r.KonecRadku());
    r.NovyString("aabbc");
    r.PreskocMnozinu(TsetOfChar("ab"));
    EXPECT_EQ(r.AktualniZnak(), 'c');

    r.NovyString("abcdef");
    EXPECT_EQ(r.DejString(2), "ab");
    EXPECT_EQ(r.DejString(10), "cdef");
    EXPECT_EQ(r.Pozice(), 13);

    r.NovyString("name value;rest");
    EXPECT_EQ(r.DejStringPoZnak(' '), "name");
    EXPECT_EQ(r.AktualniZnak(), ' ');
    r.StepVp();
    EXPECT_EQ(r.DejStringPoMnozinu(TsetOfChar(";,")), "value");
    EXPECT_EQ(r.AktualniZnak(), ';');
    EXPECT_EQ(r.DejStringPos(1, 3), "");
    r.StepVp();
    EXPECT_EQ(r.DejStringPoZnak('#'), "rest");
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_FALSE(r.DosloKChybe());
}

TEST(CtiRadek, QuotedStrings) {
    TCtiRadekClass r("'it''s' x");
    r.JdiNa(2);
    EXPECT_EQ(r.DejStringPoApostrof(), "it's");
    EXPECT_EQ(r.Pozice(), 7);
    r.NovyString("'open");
    r.JdiNa(2);
    EXPECT_EQ(r.DejStringPoApostrof(), "open");
    EXPECT_TRUE(r.KonecRadku());

    r.NovyString("name 'a''b' rest 'c'");
    EXPECT_EQ(r.DejStringMeziApostrofy(), "a'b");
    EXPECT_EQ(r.AktualniZnak(), ' ');
    EXPECT_EQ(r.DejStringMeziApostrofy(), "c");
    EXPECT_EQ(r.DejStringMeziApostrofy(), "");
    EXPECT_FALSE(r.DosloKChybe());

    bool quoted = true;
    r.NovyString("abc def");
    EXPECT_EQ(r.DejParametrStr(quoted), "abc");
    EXPECT_FALSE(quoted);
    EXPECT_EQ(r.Pozice(), 4);
    r.NovyString("'a b' rest");
    EXPECT_EQ(r.DejParametrStr(quoted), "a b");
    EXPECT_TRUE(quoted);
    EXPECT_EQ(r.Pozice(), 6);

    // The step past a closing apostrophe at 254 sets the flag, as every step does there.
    const std::string at254 = "'" + std::string(252, 'b') + "'";
    r.NovyString(at254);
    EXPECT_EQ(r.DejStringMeziApostrofy(), std::string(252, 'b'));
    EXPECT_TRUE(r.DosloKChybe());
    r.NovyString(at254);
    EXPECT_EQ(r.DejParametrStr(quoted), std::string(252, 'b'));
    EXPECT_TRUE(r.DosloKChybe());

    // A missing parameter is an error, at the end of a line as on an empty one.
    for (const char* line : {"abc", ""}) {
        r.NovyString(line);
        r.JdiZaZnak('#');
        EXPECT_FALSE(r.DosloKChybe());
        EXPECT_EQ(r.DejParametrStr(quoted), "") << line;
        EXPECT_FALSE(quoted);
        EXPECT_TRUE(r.DosloKChybe()) << line;
    }
}

TEST(CtiRadek, Integers) {
    TCtiRadekClass r("x = -12, 7");
    EXPECT_EQ(r.DejInteger(), -12);
    EXPECT_EQ(r.DejLongInt(), 7);
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.DejInteger(), 0);  // no number left
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("12-3");
    EXPECT_EQ(r.DejInteger(), 12);
    EXPECT_EQ(r.AktualniZnak(), '-');
    EXPECT_EQ(r.DejInteger(), -3);
    for (const char* bad : {"+-5", "99999999999"}) {
        r.NovyString(bad);
        EXPECT_EQ(r.DejInteger(), 0);
        EXPECT_TRUE(r.DosloKChybe()) << bad;
    }

    // Integer lists are read until the flag is set.
    r.NovyString(" 1 2,3;");
    std::vector<int32_t> got;
    for (int32_t v = r.DejInteger(); !r.DosloKChybe() && got.size() < 10; v = r.DejInteger())
        got.push_back(v);
    EXPECT_EQ(got, (std::vector<int32_t>{1, 2, 3}));
}

TEST(CtiRadek, Floats) {
    TCtiRadekClass r("a 1.5e3");
    EXPECT_DOUBLE_EQ(r.DejExtended(), 1.5);
    EXPECT_EQ(r.AktualniZnak(), 'e');
    EXPECT_DOUBLE_EQ(r.DejExtended(), 3.0);
    r.NovyString("v=-.25;");
    EXPECT_DOUBLE_EQ(r.DejExtended(), -0.25);
    r.NovyString("1,5");  // the comma separates numbers
    EXPECT_DOUBLE_EQ(r.DejExtended(), 1.0);
    EXPECT_DOUBLE_EQ(r.DejExtended(), 5.0);
    for (const char* bad : {"1.2.3", "1-2"}) {
        r.NovyString(bad);
        EXPECT_DOUBLE_EQ(r.DejExtended(), 0.0);
        EXPECT_TRUE(r.DosloKChybe()) << bad;
    }

    // A 6-byte real keeps 40 bits of mantissa.
    r.NovyString("x 0.1");
    double v = r.DejReal();
    int e = 0;
    double m = std::ldexp(std::frexp(v, &e), 40);
    EXPECT_EQ(m, std::nearbyint(m));
    EXPECT_NEAR(v, 0.1, 1e-12);
    EXPECT_NE(v, 0.1);
    r.NovyString("1" + std::string(40, '0'));  // beyond its range
    EXPECT_DOUBLE_EQ(r.DejReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());
}

TEST(CtiRadek, EncodedValues) {
    TCtiRadekClass r("???@");
    EXPECT_NEAR(r.DejDekodovanyReal(), 0.1, 1e-11);
    EXPECT_EQ(r.Pozice(), 5);
    r.NovyString("~~~~x");
    EXPECT_NEAR(r.DejDekodovanyReal(), 1677721.5, 1e-5);
    EXPECT_EQ(r.AktualniZnak(), 'x');
    r.NovyString("A???");  // 2 x 262144 / 10
    EXPECT_NEAR(r.DejDekodovanyReal(), 52428.8, 1e-6);
    EXPECT_FALSE(r.DosloKChybe());

    for (const std::string bad : {"??", "?? ?", "??\x7F?"}) {
        r.NovyString(bad);
        EXPECT_DOUBLE_EQ(r.DejDekodovanyReal(), 0.0);
        EXPECT_TRUE(r.DosloKChybe()) << bad;
        EXPECT_EQ(r.Pozice(), 1);
    }
}

TEST(CtiRadek, Booleans) {
    TCtiRadekClass r(" ano");
    EXPECT_TRUE(r.DejBoolean());
    EXPECT_EQ(r.Pozice(), 3);
    r.NovyString("xyz");
    EXPECT_FALSE(r.DejBoolean());
    EXPECT_TRUE(r.DosloKChybe());
    for (const char* t : {"1", "T", "t"}) {
        r.NovyString(t);
        EXPECT_TRUE(r.DejBoolean()) << t;
    }
    for (const char* f : {"0", "f", "  Ne"}) {
        r.NovyString(f);
        EXPECT_FALSE(r.DejBoolean()) << f;
        EXPECT_FALSE(r.DosloKChybe()) << f;
    }
}
