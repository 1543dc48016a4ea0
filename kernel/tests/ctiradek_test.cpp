#include "kernel/ctiradek.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// True when v carries no more than the 40-bit mantissa of a 6-byte real.
bool Fits40Bits(double v) {
    int e = 0;
    double m = std::ldexp(std::frexp(v, &e), 40);
    return m == std::nearbyint(m);
}

}  // namespace

TEST(CtiRadek, CharactersAndTheStickyFlag) {
    TCtiRadekClass r("abc");
    EXPECT_EQ(r.DejChar(), 'a');
    EXPECT_EQ(r.DejChar(), 'b');
    EXPECT_EQ(r.DejChar(), 'c');
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.DejChar(), '\0');
    EXPECT_TRUE(r.DosloKChybe());

    // Everything answers neutral values until a new line comes.
    r.ZnovuOdZacatkuRadku();
    EXPECT_TRUE(r.DosloKChybe());
    EXPECT_EQ(r.AktualniZnak(), 'a');
    EXPECT_EQ(r.DejChar(), '\0');
    EXPECT_EQ(r.DejString(2), "");
    EXPECT_EQ(r.DejInteger(), 0);
    EXPECT_FALSE(r.DejBoolean());

    r.NovyString("xy");
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.Pozice(), 1);
    EXPECT_EQ(r.DejChar(), 'x');
}

TEST(CtiRadek, StepsAndPositionLimits) {
    TCtiRadekClass r("ab");
    r.StepVl();
    EXPECT_EQ(r.Pozice(), 0);
    EXPECT_FALSE(r.DosloKChybe());
    r.StepVl();
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
    EXPECT_EQ(r.DejChar(), 'Y');  // answered, but the flag is set
    EXPECT_TRUE(r.DosloKChybe());

    // A 254-character line cannot be walked past its last character.
    r.NovyString(std::string(254, 'a'));
    r.JdiNaMnozinu(TsetOfChar("b"));
    EXPECT_EQ(r.Pozice(), 254);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("abc");
    r.JdiNa(255);
    EXPECT_EQ(r.Pozice(), 255);
    EXPECT_FALSE(r.DosloKChybe());
    r.JdiNa(256);
    EXPECT_TRUE(r.DosloKChybe());
    EXPECT_EQ(r.Pozice(), 255);
    r.NovyString("abc");
    r.JdiNa(-1);
    EXPECT_TRUE(r.DosloKChybe());
    EXPECT_EQ(r.Pozice(), 1);
}

TEST(CtiRadek, PositionZeroReadsNothingBeforeTheLine) {
    TCtiRadekClass r("ab");
    r.JdiNa(0);
    EXPECT_FALSE(r.KonecRadku());
    EXPECT_EQ(r.AktualniZnak(), '\0');
    EXPECT_EQ(r.DejChar(), '\0');
    EXPECT_FALSE(r.DosloKChybe());
    EXPECT_EQ(r.DejChar(), 'a');

    r.JdiNa(0);
    EXPECT_EQ(r.DejString(2), "a");
    r.JdiNa(0);
    EXPECT_EQ(r.DejStringPoZnak('b'), "a");
    r.JdiNa(0);
    EXPECT_DOUBLE_EQ(r.DejDekodovanyReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());
}

TEST(CtiRadek, MovesOverSetsAndCharacters) {
    TCtiRadekClass r("   key=value");
    r.PreskocMezery();
    EXPECT_EQ(r.Pozice(), 4);
    r.JdiZaZnak('=');
    EXPECT_EQ(r.AktualniZnak(), 'v');
    r.JdiZaZnak('#');
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_FALSE(r.DosloKChybe());

    r.NovyString("aabbc");
    r.PreskocMnozinu(TsetOfChar("ab"));
    EXPECT_EQ(r.AktualniZnak(), 'c');
    r.ZnovuOdZacatkuRadku();
    r.JdiNaMnozinu(TsetOfChar("cb"));
    EXPECT_EQ(r.Pozice(), 3);
    r.NovyString("\t x");
    r.PreskocMezery();  // only the blank character is skipped
    EXPECT_EQ(r.AktualniZnak(), '\t');
}

TEST(CtiRadek, Texts) {
    TCtiRadekClass r("abcdef");
    EXPECT_EQ(r.DejString(2), "ab");
    EXPECT_EQ(r.DejString(10), "cdef");
    EXPECT_EQ(r.Pozice(), 13);
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_FALSE(r.DosloKChybe());

    r.NovyString("name value;rest");
    EXPECT_EQ(r.DejStringPoZnak(' '), "name");
    EXPECT_EQ(r.AktualniZnak(), ' ');
    r.StepVp();
    EXPECT_EQ(r.DejStringPoMnozinu(TsetOfChar(";,")), "value");
    EXPECT_EQ(r.AktualniZnak(), ';');
    r.StepVp();
    EXPECT_EQ(r.DejStringPoZnak('#'), "rest");
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_EQ(r.DejStringPoZnak('#'), "");
    EXPECT_EQ(r.DejStringPos(1, 3), "");
    EXPECT_FALSE(r.DosloKChybe());
}

TEST(CtiRadek, QuotedStrings) {
    TCtiRadekClass r("'it''s' x");
    r.JdiNa(2);
    EXPECT_EQ(r.DejStringPoApostrof(), "it's");
    EXPECT_EQ(r.Pozice(), 7);
    EXPECT_EQ(r.AktualniZnak(), '\'');

    r.NovyString("'open");
    r.JdiNa(2);
    EXPECT_EQ(r.DejStringPoApostrof(), "open");
    EXPECT_TRUE(r.KonecRadku());

    r.NovyString("name 'a''b' rest 'c'");
    EXPECT_EQ(r.DejStringMeziApostrofy(), "a'b");
    EXPECT_EQ(r.AktualniZnak(), ' ');
    EXPECT_EQ(r.DejStringMeziApostrofy(), "c");
    EXPECT_TRUE(r.KonecRadku());
    EXPECT_EQ(r.DejStringMeziApostrofy(), "");
    r.NovyString("no quotes");
    EXPECT_EQ(r.DejStringMeziApostrofy(), "");
    EXPECT_TRUE(r.KonecRadku());
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

    r.NovyString("");
    EXPECT_EQ(r.DejParametrStr(quoted), "");
    EXPECT_FALSE(quoted);
    EXPECT_FALSE(r.DosloKChybe());
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

    r.NovyString("+-5");
    EXPECT_EQ(r.DejInteger(), 0);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("99999999999");
    EXPECT_EQ(r.DejInteger(), 0);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("-2147483648");
    EXPECT_EQ(r.DejInteger(), INT32_MIN);

    // Reading integers until the flag is set, as integer lists are read.
    r.NovyString(" 1 2,3;");
    std::vector<int32_t> got;
    for (int guard = 0; guard < 10; ++guard) {
        int32_t v = r.DejInteger();
        if (r.DosloKChybe()) break;
        got.push_back(v);
    }
    EXPECT_EQ(got, (std::vector<int32_t>{1, 2, 3}));
}

TEST(CtiRadek, Floats) {
    TCtiRadekClass r("a 1.5e3");
    EXPECT_DOUBLE_EQ(r.DejExtended(), 1.5);
    EXPECT_EQ(r.AktualniZnak(), 'e');
    EXPECT_DOUBLE_EQ(r.DejExtended(), 3.0);

    r.NovyString("v=-.25;");
    EXPECT_DOUBLE_EQ(r.DejExtended(), -0.25);
    EXPECT_EQ(r.AktualniZnak(), ';');

    r.NovyString("1,5");  // the comma is no decimal separator here
    EXPECT_DOUBLE_EQ(r.DejExtended(), 1.0);
    EXPECT_DOUBLE_EQ(r.DejExtended(), 5.0);

    r.NovyString("1.2.3");
    EXPECT_DOUBLE_EQ(r.DejExtended(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("1-2");  // signs may stand anywhere in a float run
    EXPECT_DOUBLE_EQ(r.DejExtended(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("x 0.1");
    double v = r.DejReal();
    EXPECT_NEAR(v, 0.1, 1e-12);
    EXPECT_TRUE(Fits40Bits(v));
    EXPECT_NE(v, 0.1);

    r.NovyString("1" + std::string(40, '0'));  // beyond the range of a 6-byte real
    EXPECT_DOUBLE_EQ(r.DejReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());
}

TEST(CtiRadek, EncodedValues) {
    TCtiRadekClass r("???@");
    EXPECT_NEAR(r.DejDekodovanyReal(), 0.1, 1e-11);
    EXPECT_EQ(r.Pozice(), 5);
    EXPECT_FALSE(r.DosloKChybe());

    r.NovyString("~~~~x");
    EXPECT_NEAR(r.DejDekodovanyReal(), 1677721.5, 1e-6);
    EXPECT_EQ(r.AktualniZnak(), 'x');

    r.NovyString("?@A");
    r.JdiNa(1);
    EXPECT_DOUBLE_EQ(r.DejDekodovanyReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("?? ?");  // the blank is no digit
    EXPECT_DOUBLE_EQ(r.DejDekodovanyReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());
    EXPECT_EQ(r.Pozice(), 1);

    r.NovyString(std::string("??\x7F?", 4));
    EXPECT_DOUBLE_EQ(r.DejDekodovanyReal(), 0.0);
    EXPECT_TRUE(r.DosloKChybe());

    r.NovyString("A???");  // 2 x 262144 / 10
    EXPECT_NEAR(r.DejDekodovanyReal(), 52428.8, 1e-6);  // 40-bit mantissa
}

TEST(CtiRadek, Booleans) {
    TCtiRadekClass r(" ano");
    EXPECT_TRUE(r.DejBoolean());
    EXPECT_EQ(r.Pozice(), 3);

    r.NovyString("xyz");
    EXPECT_FALSE(r.DejBoolean());
    EXPECT_TRUE(r.DosloKChybe());

    for (const char* t : {"1", "T", "t", "a"}) {
        r.NovyString(t);
        EXPECT_TRUE(r.DejBoolean()) << t;
    }
    for (const char* f : {"0", "F", "n", "  Ne"}) {
        r.NovyString(f);
        EXPECT_FALSE(r.DejBoolean()) << f;
        EXPECT_FALSE(r.DosloKChybe()) << f;
    }
}
