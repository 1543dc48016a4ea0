#include <gtest/gtest.h>

#include <string>

#include "kernel/kernel.h"
#include "kernel/property_access.h"
#include "kernel/value_elements.h"
#include "platform/host.h"
#include "yesk/condition.h"
#include "yesk/yesk.h"

namespace {

const TTypeInfo* ColourType() {
    static const TTypeInfo* t = MakeEnumType("TColour", {"cRed", "cGreen", "cBlue"});
    return t;
}

// An element with a property of every kind a condition compares.
class TCondSubject : public TOwnerElement {
    ZARIX_CLASS(TCondSubject, TOwnerElement)
    static void Publish(PropertyTable& t) {
        using C = TCondSubject;
        t.Int<C>("Kod", [](C* c) { return c->Kod; }, nullptr);
        t.Int64<C>("Big", [](C* c) { return c->Big; }, nullptr);
        t.Float<C>("Plocha", [](C* c) { return c->Plocha; }, nullptr);
        t.Str<C>("Nazev", [](C* c) { return c->Nazev; }, nullptr);
        t.Bool<C>("Visible", [](C* c) { return c->Visible; }, nullptr);
        t.Enum<C, int>("Colour", ColourType(), [](C* c) { return c->Colour; }, nullptr);
        t.Char<C>("Letter", [](C* c) { return c->Letter; }, nullptr);
        t.Int<C>("Hidden", nullptr, [](C*, int32_t) {});
    }

public:
    int32_t Kod = 12;
    int64_t Big = 5000000000LL;
    double Plocha = 1500.5;
    std::string Nazev = "Dlouhá 'louka'";
    bool Visible = true;
    int Colour = 1;
    char Letter = 'x';
};

class ConditionTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        RegisterYeskClasses();
        subject = TCondSubject::New();
    }
    void TearDown() override { Free(subject); }

    bool Eval(const std::string& text) {
        auto tree = CompileCondition(text);
        EXPECT_NE(tree, nullptr) << text;
        return tree && EvaluateCondition(*tree, subject);
    }
    TCondSubject* subject = nullptr;
};

TEST_F(ConditionTest, OperatorsOverEveryKind) {
    subject->Nazev = Cz("Dlouhá 'louka'");
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {"Kod = 12", true}, {"Kod <> 12", false}, {"Kod < 13", true}, {"Kod > 12", false},
        {"Kod <= 12", true}, {"Kod >= 13", false}, {"Kod = 12.0", true}, {"Kod < 12.5", true},
        {"Kod = -12", false}, {"Kod > -1E3", true}, {"Kod = '12'", true}, {"Kod = ' 12 '", true},
        {"Big = 5000000000", true}, {"Big > 4999999999", true},
        {"Plocha = 1500.5", true}, {"Plocha > 1500", true}, {"Plocha < 1.5e3", false},
        {"Plocha = '1500,5'", true},
        {"Nazev = 'Dlouhá ''louka'''", true}, {"Nazev <> 'dlouhá ''louka'''", true},
        {"Nazev > 'D'", true}, {"Nazev < 'D'", false},
        {"Visible = 1", true}, {"Visible = 'true'", true}, {"Visible = 'False'", false},
        {"Colour = 'cGreen'", true}, {"Colour < 'cBlue'", true}, {"Colour = 1", true},
        {"Letter = 'x'", true}, {"Letter >= 'y'", false},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(Cz(c.text)), c.expected) << c.text;
}

TEST_F(ConditionTest, LogicNestingAndCase) {
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {"((Kod=1)AND(Nazev='x'))OR((Kod=12)AND(Letter='x'))", true},
        {"((Kod=1)AND(Nazev='x'))OR((Kod=2)AND(Letter='x'))", false},
        {"kod = 12 and letter = 'x'", true},
        {"KOD=12 AnD NOT LETTER='x'", false},
        {"Kod = 1 OR Kod = 12 AND Letter = 'y'", false},  // AND binds tighter
        {"(Kod = 1 OR Kod = 12) AND Letter = 'x'", true},
        {"NOT NOT Kod = 12", true},
        {"not(Kod=12)or(Kod=12)", true},
        {"((((((Kod=12))))))", true},
        {"Kod = 1 OR Kod = 2 OR Kod = 3 OR Kod = 12", true},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.expected) << c.text;
}

TEST_F(ConditionTest, LongChainsEvaluateWithoutDeepRecursion) {
    // 300,000 terms (several MB of text): no stack of the chain's length.
    auto chain = [](const std::string& term, const char* op, const std::string& last) {
        std::string text;
        for (int i = 0; i < 300000 - 1; ++i) text += term + op;
        return text + last;
    };
    struct Case {
        std::string text;
        bool expected;
    } cases[] = {
        {chain("(Kod=12)", " AND ", "(Letter='x')"), true},
        {chain("(Kod=12)", " AND ", "(Letter='y')"), false},
        {chain("(Kod=1)", " OR ", "(Kod=12)"), true},
        {chain("Kod=1 AND Kod=12", " OR ", "NOT (Kod=1 OR Letter='x')"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.expected) << c.text.substr(0, 60);
}

TEST_F(ConditionTest, SyntaxErrorsGiveTheirPosition) {
    struct Case {
        const char* text;
        int position;
    } cases[] = {
        {"", 0},            // empty: no condition, no error
        {"Kod", 4},         // operator missing at the end
        {"Kod == 1", 6},
        {"Kod = ", 7},
        {"= 1", 1},
        {"(Kod = 1", 1},    // the unclosed parenthesis
        {"(Kod = 1 Nazev='x')", 10},
        {"Kod = 1)", 8},
        {"Kod = 'abc", 7},
        {"Kod = 12a", 9},
        {"Kod = 99999999999999999999", 7},
        {"Kod = 1 AND", 12},
        {"AND Kod = 1", 1},
        {"Kod = 1 XOR Kod = 2", 9},
        {"Kod = abc", 7},
    };
    for (const Case& c : cases) {
        if (c.position == 0) {
            EXPECT_EQ(CompileCondition("  "), nullptr);
            continue;
        }
        try {
            CompileCondition(c.text);
            ADD_FAILURE() << c.text << " compiled";
        } catch (const ECondSyntaxError& e) {
            EXPECT_EQ(e.Position, c.position) << c.text << ": " << e.what();
            EXPECT_NE(e.Message().find("pozici " + std::to_string(c.position)), std::string::npos) << e.what();
        }
    }
    std::string deep(300, '(');
    EXPECT_THROW(CompileCondition(deep + "Kod=1" + std::string(300, ')')), ECondSyntaxError);
}

TEST_F(ConditionTest, MissingPropertiesAndTextsThatDoNotCompareRaise) {
    for (const char* text : {"Neni = 1", "Hidden = 1", "Nazev = 1", "Kod = 'abc'", "Colour = 'cPink'",
                             "Plocha < 'x'"})
        EXPECT_THROW(Eval(text), ECondError) << text;
    // The other side of an OR that already holds is not looked at.
    EXPECT_TRUE(Eval("Kod = 12 OR Neni = 1"));
}

TEST_F(ConditionTest, StringListItemsArePropertiesToo) {
    TStringListElement* list = TStringListElement::New();
    list->AddNameString("Typ", "les");
    list->AddNameString("Vyska", "250");
    auto tree = CompileCondition("typ = 'les' AND Vyska > 200");
    EXPECT_TRUE(EvaluateCondition(*tree, list));
    EXPECT_THROW(EvaluateCondition(*CompileCondition("Barva = 'x'"), list), ECondError);
    Free(list);
}

TEST_F(ConditionTest, CreatorSharesTreesAndHandsOverItsOutput) {
    TCondCreator* creator = TCondCreator::New();
    creator->Text = "Kod = 12";
    creator->DoIt();
    TCondition* first = creator->TakeOutput();
    ASSERT_NE(first, nullptr);
    creator->DoIt();  // the same text again: the same tree
    auto* second = As<TCondition>(creator->Output);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CompileCondition("Kod = 12"), CompileCondition("Kod = 12"));
    second->SetSubject(subject);
    EXPECT_TRUE(second->Evaluate());
    EXPECT_EQ(GetPropStringByName(second, "Value"), "True");
    EXPECT_EQ(second->GetText(), "Kod = 12");

    creator->Text = "Kod = (";
    EXPECT_THROW(creator->DoIt(), ECondSyntaxError);
    EXPECT_EQ(creator->Output, nullptr);
    EXPECT_FALSE(IsLive(second));  // freed: nobody took it
    creator->Text = " ";
    creator->DoIt();
    EXPECT_EQ(creator->Output, nullptr);
    Free(creator);

    EXPECT_THROW(first->Evaluate(), ECondError);  // no subject
    Free(first);
}

}  // namespace
