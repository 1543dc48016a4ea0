#include <gtest/gtest.h>

#include "kernel/property_access.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "test_support.h"

namespace {

const TTypeInfo* ColorType() {
    static const TTypeInfo* t = MakeEnumType("TColorKind", {"ckRed", "ckGreen", "ckBlue"});
    return t;
}
const TTypeInfo* ColorsType() {
    static const TTypeInfo* t = MakeSetType("TColorKinds", ColorType());
    return t;
}

class TOther : public TPersistent {
    ZARIX_CLASS(TOther, TPersistent)
};

class THolder : public TPersistent {
    ZARIX_CLASS(THolder, TPersistent)
    static void Publish(PropertyTable& t) {
        t.Int<THolder>("Count", &THolder::count, &THolder::SetCount);
        t.Char<THolder>("Letter", &THolder::letter, &THolder::SetLetter);
        t.Bool<THolder>("Flag", &THolder::flag, &THolder::SetFlag);
        t.Enum<THolder, int>("Color", ColorType(), &THolder::color, &THolder::SetColor);
        t.Set<THolder, uint32_t>("Colors", ColorsType(), &THolder::colors, &THolder::SetColors);
        t.Float<THolder>("Scale", &THolder::scale, &THolder::SetScale);
        t.Str<THolder>("Title", &THolder::title, &THolder::SetTitle);
        t.ShortStr<THolder>("Code", 3, &THolder::title, &THolder::SetTitle);
        t.Obj<THolder, THolder>("Link", &THolder::link, &THolder::SetLink);
        t.Method<THolder>("OnEvent", &THolder::event, &THolder::SetEvent);
        t.Int64<THolder>("Big", &THolder::big, &THolder::SetBig);
        t.Int<THolder>("Fixed", &THolder::count, nullptr);
        t.Str<THolder>("Command", nullptr, &THolder::SetTitle);
        t.Float<THolder>("Broken", [](THolder*) -> double { throw Exception("no"); },
                         [](THolder*, double) { throw Exception("no"); });
        t.Int<THolder>("BrokenOrd", [](THolder*) -> int { throw Exception("no"); }, nullptr);
        t.Byte<THolder>("Small", &THolder::small, &THolder::SetSmall);
    }
    int count = 0;
    char letter = 0;
    bool flag = false;
    int color = 0;
    uint32_t colors = 0;
    double scale = 0;
    std::string title;
    THolder* link = nullptr;
    TMethod event;
    int64_t big = 0;
    uint8_t small = 0;
    void SetCount(int v) { count = v; }
    void SetLetter(char v) { letter = v; }
    void SetFlag(bool v) { flag = v; }
    void SetColor(int v) { color = v; }
    void SetColors(uint32_t v) { colors = v; }
    void SetScale(double v) { scale = v; }
    void SetTitle(const std::string& v) { title = v; }
    void SetLink(THolder* v) { link = v; }
    void SetEvent(const TMethod& v) { event = v; }
    void SetBig(int64_t v) { big = v; }
    void SetSmall(uint8_t v) { small = v; }
};

std::string Addr(const void* p) { return IntToStr(static_cast<int64_t>(reinterpret_cast<uintptr_t>(p))); }

class UProps : public ::testing::Test {
protected:
    void SetUp() override {
        sep = DecimalSeparator();
        h = THolder::New();
    }
    void TearDown() override {
        Free(h);
        SetDecimalSeparator(sep);
    }
    // Writes text and answers the box shown, empty when none.
    std::string Write(const std::string& name, const std::string& text) {
        ClearHostLog();
        EXPECT_TRUE(SetPropStringByName(h, name, text));
        return HostLog().empty() ? std::string() : HostLog().back();
    }
    static std::string Refused(const std::string& name, const std::string& text) {
        return "Error filling property " + name + " by string " + text;
    }
    InstalledHost host;
    char sep = '.';
    THolder* h = nullptr;
};

TEST_F(UProps, LookupByIndexAndName) {
    EXPECT_EQ(GetPropCount(h), 16);
    EXPECT_EQ(GetPropCount(nullptr), 0);
    EXPECT_EQ(GetPropIndex(h, "count"), 0);
    EXPECT_EQ(GetPropIndex(h, "ONEVENT"), 9);
    EXPECT_EQ(GetPropIndex(h, "Nothing"), -1);
    EXPECT_EQ(GetPropIndex(h, ""), -1);
    EXPECT_EQ(GetPropName(h, 1), "Letter");
    EXPECT_EQ(GetPropName(h, 16), "");
    EXPECT_EQ(GetPropType(h, 4), tkSet);
    EXPECT_EQ(GetPropType(nullptr, 0), tkUnknown);
    EXPECT_EQ(GetPropString(h, 16), "");
    EXPECT_THROW(GetPropName(h, 16380), ERangeError);
    EXPECT_THROW(GetPropType(h, -1), ERangeError);

    SetPropString(h, 0, "42");
    EXPECT_EQ(GetPropString(h, 0), "42");
    EXPECT_EQ(GetPropStringByName(nullptr, "Count"), "");
    EXPECT_EQ(GetPropStringByName(h, "Nothing"), "");
    EXPECT_FALSE(SetPropStringByName(h, "Nothing", "1"));
    // No writer: nothing is written, still True.
    EXPECT_TRUE(SetPropStringByName(h, "Fixed", "7"));
    EXPECT_EQ(h->count, 42);
    // A write-only property is written and reads empty.
    EXPECT_TRUE(SetPropStringByName(h, "Command", "go"));
    EXPECT_EQ(h->title, "go");
    EXPECT_EQ(GetPropStringByName(h, "Command"), "");
}

TEST_F(UProps, TextFormsOfEachKind) {
    h->count = -17;
    h->letter = 'x';
    h->flag = true;
    h->color = 2;
    h->colors = 5;
    h->title = "abc";
    h->big = 99;
    EXPECT_EQ(GetPropStringByName(h, "Count"), "-17");
    EXPECT_EQ(GetPropStringByName(h, "Letter"), "x");
    EXPECT_EQ(GetPropStringByName(h, "Flag"), "True");
    EXPECT_EQ(GetPropStringByName(h, "Color"), "ckBlue");
    EXPECT_EQ(GetPropStringByName(h, "Colors"), "5");
    EXPECT_EQ(GetPropStringByName(h, "Title"), "abc");
    EXPECT_EQ(GetPropStringByName(h, "Big"), "");
    EXPECT_EQ(GetPropStringByName(h, "Link"), "0");
    EXPECT_EQ(GetPropStringByName(h, "OnEvent"), "0;0");
    h->link = h;
    EXPECT_EQ(GetPropStringByName(h, "Link"), Addr(h));
    h->event = TMethod{12, 34};
    EXPECT_EQ(GetPropStringByName(h, "OnEvent"), "12;34");
    h->flag = false;
    EXPECT_EQ(GetPropStringByName(h, "Flag"), "False");
    // Failing readers.
    EXPECT_EQ(GetPropStringByName(h, "Broken"), "Err Value");
    EXPECT_EQ(GetPropStringByName(h, "BrokenOrd"), "Err Ord Value");
    EXPECT_TRUE(HostLog().empty());
}

TEST_F(UProps, FloatsUnderBothSeparators) {
    SetDecimalSeparator('.');
    h->scale = 2.25;
    EXPECT_EQ(GetPropStringByName(h, "Scale"), "2.25");
    EXPECT_EQ(Write("Scale", "1,5"), "");
    EXPECT_DOUBLE_EQ(h->scale, 1.5);
    EXPECT_EQ(Write("Scale", "0.75"), "");
    EXPECT_DOUBLE_EQ(h->scale, 0.75);

    SetDecimalSeparator(',');
    EXPECT_EQ(GetPropStringByName(h, "Scale"), "0,75");
    EXPECT_EQ(Write("Scale", "1.5"), "");
    EXPECT_DOUBLE_EQ(h->scale, 1.5);
    EXPECT_EQ(Write("Scale", "3,25"), "");
    EXPECT_DOUBLE_EQ(h->scale, 3.25);
    EXPECT_EQ(Write("Scale", ""), "");
    EXPECT_DOUBLE_EQ(h->scale, 0.0);
    h->scale = 4;
    EXPECT_EQ(Write("Scale", "abc"), "");
    EXPECT_DOUBLE_EQ(h->scale, 0.0);
}

TEST_F(UProps, BooleanTexts) {
    for (const char* on : {"TRUE", "true", "True", "1", " 1"}) {
        h->flag = false;
        EXPECT_EQ(Write("Flag", on), "") << on;
        EXPECT_TRUE(h->flag) << on;
    }
    for (const char* off : {"FALSE", "false", "0"}) {
        h->flag = true;
        EXPECT_EQ(Write("Flag", off), "") << off;
        EXPECT_FALSE(h->flag) << off;
    }
    h->flag = true;
    EXPECT_EQ(Write("Flag", "Yes"), Refused("Flag", "Yes"));
    EXPECT_EQ(Write("Flag", "2"), Refused("Flag", "2"));
    EXPECT_EQ(Write("Flag", "T"), Refused("Flag", "T"));
    EXPECT_TRUE(h->flag);
}

TEST_F(UProps, EnumerationsAndSetsFromText) {
    EXPECT_EQ(Write("Color", "CKGREEN"), "");
    EXPECT_EQ(h->color, 1);
    EXPECT_EQ(Write("Color", "2"), "");
    EXPECT_EQ(h->color, 2);
    // Out of range or unknown: reported, value kept.
    EXPECT_EQ(Write("Color", "3"), Refused("Color", "3"));
    EXPECT_EQ(Write("Color", "-1"), Refused("Color", "-1"));
    EXPECT_EQ(Write("Color", "ckPink"), Refused("Color", "ckPink"));
    EXPECT_EQ(h->color, 2);

    EXPECT_EQ(Write("Colors", "6"), "");
    EXPECT_EQ(h->colors, 6u);
    EXPECT_EQ(Write("Colors", "255"), "");
    EXPECT_EQ(h->colors, 7u);  // masked to the three members
    EXPECT_EQ(Write("Colors", "-1"), Refused("Colors", "-1"));
    EXPECT_EQ(Write("Colors", "ckRed"), Refused("Colors", "ckRed"));
    EXPECT_EQ(h->colors, 7u);
}

TEST_F(UProps, IntegersCharsAndStrings) {
    h->count = 5;
    EXPECT_EQ(Write("Count", "abc"), "");
    EXPECT_EQ(h->count, 0);
    EXPECT_EQ(Write("Count", "-2147483648"), "");
    EXPECT_EQ(h->count, INT32_MIN);
    EXPECT_EQ(Write("Count", "2147483648"), "");
    EXPECT_EQ(h->count, 0);
    EXPECT_EQ(Write("Small", "255"), "");
    EXPECT_EQ(h->small, 255);
    EXPECT_EQ(Write("Small", "256"), "");
    EXPECT_EQ(h->small, 0);
    // Char and 64-bit properties are not written from text, silently.
    h->letter = 'a';
    EXPECT_EQ(Write("Letter", "b"), "");
    EXPECT_EQ(h->letter, 'a');
    EXPECT_EQ(Write("Big", "5"), "");
    EXPECT_EQ(h->big, 0);
    // Short strings are cut to their length.
    EXPECT_EQ(Write("Code", "abcdef"), "");
    EXPECT_EQ(h->title, "abc");
    EXPECT_EQ(Write("Broken", "1"), Refused("Broken", "1"));
}

class TUnsignedHolder : public TElement {
    ZARIX_CLASS(TUnsignedHolder, TElement)
    static void Publish(PropertyTable& t) {
        t.Card<TUnsignedHolder>("Mask", &TUnsignedHolder::mask, &TUnsignedHolder::SetMask);
    }
    uint32_t mask = 0;
    void SetMask(uint32_t v) { mask = v; }
};

TEST(UPropsUnsigned, ReadAsSignedDecimalAndTakenBack) {
    Owned<TUnsignedHolder> u(TUnsignedHolder::New());
    const std::pair<uint32_t, const char*> cases[] = {{0xFFFFFFFFu, "-1"}, {0x80000000u, "-2147483648"}, {7, "7"}};
    for (auto [value, text] : cases) {
        u->mask = value;
        EXPECT_EQ(GetPropStringByName(u, "Mask"), text);
        EXPECT_EQ(u->GetPropertyLongIntByName("Mask"), static_cast<int32_t>(value));
        u->mask = 1;
        EXPECT_TRUE(SetPropStringByName(u, "Mask", text));
        EXPECT_EQ(u->mask, value) << text;
    }
    EXPECT_TRUE(SetPropStringByName(u, "Mask", "4294967295"));
    EXPECT_EQ(u->mask, 0xFFFFFFFFu);
}

TEST_F(UProps, ObjectsFromTextOnlyWhenLiveAndFitting) {
    THolder* other = THolder::New();
    TOther* alien = TOther::New();
    EXPECT_EQ(Write("Link", Addr(other)), "");
    EXPECT_EQ(h->link, other);
    EXPECT_EQ(Write("Link", "0"), "");
    EXPECT_EQ(h->link, nullptr);
    h->link = other;
    EXPECT_EQ(Write("Link", ""), "");
    EXPECT_EQ(h->link, nullptr);

    h->link = other;
    EXPECT_EQ(Write("Link", Addr(alien)), Refused("Link", Addr(alien)));
    EXPECT_EQ(Write("Link", "12345"), Refused("Link", "12345"));
    EXPECT_EQ(Write("Link", "abc"), Refused("Link", "abc"));
    EXPECT_EQ(h->link, other);
    std::string gone = Addr(alien);
    Free(alien);
    EXPECT_EQ(Write("Link", gone), Refused("Link", gone));
    EXPECT_EQ(h->link, other);

    EXPECT_EQ(GetObjectPropByName(h, "link"), other);
    EXPECT_EQ(GetObjectPropByName(h, "Count"), nullptr);
    EXPECT_FALSE(SetObjectPropByName(h, "Count", other));
    EXPECT_FALSE(SetObjectPropByName(h, "Nothing", other));
    TOther* wrong = TOther::New();
    EXPECT_FALSE(SetObjectPropByName(h, "Link", wrong));
    EXPECT_EQ(h->link, other);
    EXPECT_TRUE(SetObjectPropByName(h, "Link", nullptr));
    EXPECT_EQ(h->link, nullptr);
    Free(wrong);
    Free(other);
}

TEST_F(UProps, MethodsTakeOnlyNilFromText) {
    EXPECT_EQ(Write("OnEvent", GetPropStringByName(h, "OnEvent")), "");
    h->event = TMethod{12, 34};
    EXPECT_EQ(Write("OnEvent", "0"), "");
    EXPECT_EQ(h->event, TMethod{});
    h->event = TMethod{12, 34};
    EXPECT_EQ(Write("OnEvent", ""), "");
    EXPECT_EQ(h->event, TMethod{});
    h->event = TMethod{12, 34};
    EXPECT_EQ(Write("OnEvent", "12;34"), Refused("OnEvent", "12;34"));
    EXPECT_EQ(Write("OnEvent", "0;" + Addr(h)), Refused("OnEvent", "0;" + Addr(h)));
    EXPECT_EQ(h->event, (TMethod{12, 34}));
}

}  // namespace
