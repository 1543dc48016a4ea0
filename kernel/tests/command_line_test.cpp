#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "kernel/command_line.h"
#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "platform/classes.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "command_tree.h"
#include "test_support.h"

namespace {

TCmdLeaf* Leaf(const std::string& name, const std::string& text) {
    TCmdLeaf* l = TCmdLeaf::New();
    l->SetName(name);
    l->text = text;
    return l;
}

// The message of the exception the call raises.
std::string Raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<nothing raised>";
}

std::string Syntax(int pos, const char* expected) {
    return Cz("Chyba syntaxe. .. na pozici ") + IntToStr(pos) + Cz(" očekávám \"") + expected + "\"";
}

std::vector<std::string> Lines(TStringList* list) {
    std::unique_ptr<TStringList> owned(list);
    std::vector<std::string> out;
    for (int i = 0; i < owned->Count(); ++i) out.push_back(owned->Strings(i));
    return out;
}

// root: Scale 2.5, Text "root", View -> view (Scale 7), Plain -> a TCmdThing
//   Legend (leaf, "legend text"), Sub (node: a "A", b "B"), Note (leaf, "note")
class CommandLine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool registered = false;
        if (!registered) {
            RegisterZarixClass<TCmdNode>();
            RegisterZarixClass<TCmdLeaf>();
            registered = true;
        }
    }
    void SetUp() override {
        root = TCmdNode::New();
        root->scale = 2.5;
        root->text = "root";
        view = TCmdNode::New();
        view->scale = 7;
        root->view = view;
        root->plain = &thing;
        root->AddElement(Leaf("Legend", "legend text"));
        sub = TCmdNode::New();
        sub->SetName("Sub");
        sub->AddElement(Leaf("a", "A"));
        sub->AddElement(Leaf("b", "B"));
        root->AddElement(sub);
        root->AddElement(Leaf("Note", "note"));
    }
    void TearDown() override {
        Free(root);
        Free(view);
    }
    std::string Text(const std::string& cmd) {
        std::string r = "unset";
        EXPECT_TRUE(root->ExecuteCommandLine(cmd, r)) << cmd;
        return r;
    }
    std::string TextError(const std::string& cmd) {
        std::string r = "unset";
        std::string msg = Raised([&] { root->ExecuteCommandLine(cmd, r); });
        EXPECT_EQ(r, "") << cmd;
        return msg;
    }
    InstalledHost host;
    TCmdThing thing;
    TCmdNode* root = nullptr;
    TCmdNode* view = nullptr;
    TCmdNode* sub = nullptr;
};

TEST_F(CommandLine, PathsToText) {
    EXPECT_EQ(Text("Scale"), "2.5");
    EXPECT_EQ(Text("View.Scale"), "7");
    EXPECT_EQ(Text("FindElementByName(Legend).Text"), "legend text");
    EXPECT_EQ(Text("FINDELEMENTBYNAME(legend).text"), "legend text");
    EXPECT_EQ(Text("FindElementByClass(TCmdNode).Name"), "Sub");
    EXPECT_EQ(Text("FindElementByName(Sub).FindElementByName(b).Text"), "B");
    EXPECT_EQ(Text("Plain.Text"), "thing");  // an object that is not an element
    EXPECT_EQ(Text("Nothing"), "");
    EXPECT_EQ(Text("View."), "");             // the property with the empty name
    EXPECT_EQ(Text(""), "");
}

TEST_F(CommandLine, BlanksAroundNamesAndDelimiters) {
    EXPECT_EQ(Text("  Scale  "), "2.5");
    EXPECT_EQ(Text(" View . Scale "), "7");
    EXPECT_EQ(Text(" FindElementByName ( Legend ) . Text "), "legend text");
    EXPECT_EQ(Text("FindElementByName( Sub ).FindElementByName (b ). Text"), "B");
    EXPECT_EQ(root->ExecuteCommandLineToElement(" FindElementByName ( Note ) "), root->FindElementName("Note"));
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList(" FindElementByName ( Sub ) . ELEMENT . Text ")),
              (std::vector<std::string>{"A", "B"}));
}

TEST_F(CommandLine, PathsToElement) {
    EXPECT_EQ(root->ExecuteCommandLineToElement("FindElementByName(Legend)"), root->FindElementName("Legend"));
    EXPECT_EQ(root->ExecuteCommandLineToElement("FindElementByName(Nope)"), nullptr);
    EXPECT_EQ(root->ExecuteCommandLineToElement("View"), view);
    EXPECT_EQ(root->ExecuteCommandLineToElement("Plain"), nullptr);  // not an element
    EXPECT_EQ(root->ExecuteCommandLineToElement("Scale"), nullptr);
    EXPECT_EQ(root->ExecuteCommandLineToElement("FindElementByName(Sub).FindElementByName(a)"),
              sub->FindElementName("a"));
    // Any delimiter may follow the ")" here; the text in between is dropped.
    sub->view = view;
    EXPECT_EQ(root->ExecuteCommandLineToElement("FindElementByName(Sub)x(View"), view);
    EXPECT_EQ(root->ExecuteCommandLineToElement("FindElementByName(Sub) dropped )View"), view);
    EXPECT_EQ(root->ExecuteCommandLineToElement("FindElementByName(Sub)x.View"), view);
    EXPECT_EQ(Raised([&] { root->ExecuteCommandLineToElement("FindElementByName(Nope).View"); }),
              Cz("Chyba ... nenalezl jsem objekt Nope"));
}

TEST_F(CommandLine, ErrorTextsAndPositions) {
    EXPECT_EQ(TextError("FindElementByName(Nope).Name"), Cz("Chyba ... nenalezl jsem objekt Nope"));
    EXPECT_EQ(TextError("Foo(x).Name"), Cz("Chyba ... nenalezl jsem objekt x"));
    root->view = nullptr;
    EXPECT_EQ(TextError("View.Scale"), Cz("Chyba ... nenalezl jsem objekt "));
    root->view = view;
    // "(" at 44: the character before it is 43.
    EXPECT_EQ(TextError("FindElementByName(Legend).FindElementByName(x).Text"),
              Cz("Objekt na pozici 43 není Entita ... nelze prohledávat"));
    EXPECT_EQ(TextError("Plain.Find(x).Text"), Cz("Objekt na pozici 10 není Entita ... nelze prohledávat"));
    // Missing ")": the delimiter met instead, or the length + 1.
    EXPECT_EQ(TextError("FindElementByName(Legend.Text"), Syntax(25, ")"));
    EXPECT_EQ(TextError("FindElementByName(Leg"), Syntax(22, ")"));
    EXPECT_EQ(TextError("FindElementByName(Leg(x)"), Syntax(22, ")"));
    // A search must be followed by "." except in the element form: position of the ")".
    EXPECT_EQ(TextError("FindElementByName(Legend)"), Syntax(25, "."));
    EXPECT_EQ(TextError("FindElementByName(Legend)Text"), Syntax(25, "."));
    EXPECT_EQ(TextError(" FindElementByName ( Legend ) "), Syntax(29, "."));
    EXPECT_EQ(TextError("FindElementByName(Legend)(x)"), Syntax(25, "."));
    EXPECT_EQ(TextError("FindElementByClass(TNothing).Name"), Cz("Zarix nenašel třídu TNothing"));
    std::string r;
    EXPECT_THROW(root->ExecuteCommandLine("FindElementByClass(TNothing).Name", r), EClassNotFound);
}

TEST_F(CommandLine, Lists) {
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList("ELEMENT.Name")),
              (std::vector<std::string>{"Legend", "Sub", "Note"}));
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList("FindElementByClass(TCmdNode).ELEMENT.Text")),
              (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList("element.Nothing")), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList("View.Scale")), (std::vector<std::string>{"7"}));
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList("View.ELEMENT.Name")), (std::vector<std::string>{}));
    // "ELEMENT" without "." is a property name like any other.
    EXPECT_EQ(Lines(root->ExecuteCommandLineToList("ELEMENT")), (std::vector<std::string>{""}));

    auto listError = [&](const std::string& cmd) {
        return Raised([&] { delete root->ExecuteCommandLineToList(cmd); });
    };
    EXPECT_EQ(listError("FindElementByName(Legend).ELEMENT.Name"),
              Cz("Poslední objekt není Entita - nelze vytvořit seznam !"));
    EXPECT_EQ(listError("Plain.ELEMENT.Text"), Cz("Poslední objekt není ani Element, natož Entita !"));
    EXPECT_EQ(listError("ELEMENT.Name.Text"), Cz("Chybné zakončení příkazu: ."));
    EXPECT_EQ(listError("ELEMENT.Name(x)"), Cz("Chybné zakončení příkazu: ("));
    EXPECT_EQ(listError("FindElementByName(Sub)"), Syntax(22, "."));
    EXPECT_EQ(listError("FindElementByName(Nope).ELEMENT.Name"), Cz("Chyba ... nenalezl jsem objekt Nope"));
}

TEST_F(CommandLine, ElementPropertyWrappers) {
    TCmdLeaf* leaf = As<TCmdLeaf>(root->FindElementName("Legend"));
    ASSERT_NE(leaf, nullptr);
    EXPECT_TRUE(leaf->HasPropertyByName("TEXT"));
    EXPECT_TRUE(leaf->HasPropertyByName("name"));
    EXPECT_FALSE(leaf->HasPropertyByName("Nothing"));

    leaf->SetPropertyLongIntByName("Count", -12);
    EXPECT_EQ(leaf->count, -12);
    EXPECT_EQ(leaf->GetPropertyLongIntByName("Count"), -12);
    leaf->SetPropertyStringByName("Text", "12abc");
    EXPECT_EQ(leaf->GetPropertyLongIntByName("Text"), 0);
    EXPECT_EQ(leaf->GetPropertyLongIntByName("Nothing"), 0);

    leaf->SetPropertyBooleanByName("Flag", true);
    EXPECT_TRUE(leaf->flag);
    EXPECT_TRUE(leaf->GetPropertyBooleanByName("Flag"));
    leaf->SetPropertyBooleanByName("Text", false);
    EXPECT_EQ(leaf->text, "FALSE");
    leaf->SetPropertyBooleanByName("Text", true);
    EXPECT_EQ(leaf->text, "TRUE");
    for (const char* yes : {"True", "TRUE", "T", "tak"}) {
        leaf->text = yes;
        EXPECT_TRUE(leaf->GetPropertyBooleanByName("Text")) << yes;
    }
    for (const char* no : {"Yes", "", "1", "FALSE"}) {
        leaf->text = no;
        EXPECT_FALSE(leaf->GetPropertyBooleanByName("Text")) << no;
    }
}

}  // namespace
