#include <gtest/gtest.h>

#include <string>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_tools.h"
#include "checker/script_tools.h"
#include "kernel/class_registry.h"

namespace {

class TParcel : public TOwnerElement {
    ZARIX_CLASS(TParcel, TOwnerElement)
    static void Publish(PropertyTable& t) {
        using C = TParcel;
        t.Int<C>("Kod", [](C* c) { return c->Kod; }, [](C* c, int32_t v) { c->Kod = v; });
        t.Str<C>("Druh", [](C* c) { return c->Druh; }, [](C* c, const std::string& v) { c->Druh = v; });
    }

public:
    int32_t Kod = 0;
    std::string Druh;
};

// Parcels named by their code and kind, under one entity.
class CheckToolsTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        RegisterZarixClass<TParcel>();
        data = NewNamed<TOwnerEntity>("data");
    }
    void TearDown() override {
        Free(data);
        ScriptWorld::TearDown();
    }
    void AddParcels(std::initializer_list<std::pair<int32_t, const char*>> parcels) {
        for (auto [kod, druh] : parcels) {
            auto* p = NewNamed<TParcel>("p" + std::to_string(data->ElementsCount() + 1));
            p->Kod = kod;
            p->Druh = druh;
            data->AddElement(p);
        }
    }
    TOwnerEntity* data = nullptr;
};

// Runs the check made by the setup lines on every parcel, as a check interpret would:
// reset, run, then the number and the fault text of each.
const char kCheckEach[] = R"L(
local results = {}
for i = 0, self:ChildCount() - 1 do
  check.Input = self:Child(i)
  check.Error = 0
  check:DoIt()
  results[#results + 1] = check.Error .. (sep or "") .. check.ErrorMsg
end
local summary = check.ResultMsg
check:Free()
return table.concat(results, "|") .. "#" .. summary
)L";

TEST_F(CheckToolsTest, PropertyConditionCheck) {
    AddParcels({{1, "les"}, {2, "louka"}, {1, "pole"}});
    struct Case {
        const char* setup;
        const char* result;
        int boxes;
    } cases[] = {
        {"check.TestCondition = \"(Kod = 1) AND (Druh = 'les')\" check.MsgProp = 'Name, Druh'",
         "0|1000: p2 * louka|1000: p3 * pole#", 0},
        {"check.TestCondition = \"Kod = 1\" check.MsgProp = 'Kod,Druh, Name'", "0|1000: 2 * louka * p2|0#", 0},
        {"check.TestCondition = \"Kod = 1\"", "0|1000: |0#", 0},  // empty MsgProp: the empty name
        {"check.TestCondition = ''", "0|0|0#", 0},                // an empty condition passes all
        {"check.TestCondition = 'Kod = ('", "0|0|0#", 3},         // broken: a box per element
        {"check.TestCondition = 'Plocha > 1'", "0|0|0#", 3},
    };
    for (const Case& c : cases) {
        std::string code = std::string("check = yesk.Create('TCheckPropsTool')\n") + c.setup + kCheckEach;
        EXPECT_EQ(Run("props.yesk", code, data), c.result) << c.setup << "\n" << runner->Result;
        std::vector<std::string> boxes = Boxes();
        ASSERT_EQ(boxes.size(), static_cast<size_t>(c.boxes)) << c.setup;
        for (const std::string& box : boxes) EXPECT_EQ(box.rfind("Condition processing Error\r\n", 0), 0u) << box;
    }
    Run("broken.yesk", std::string("check = yesk.Create('TCheckPropsTool') check.TestCondition = 'Kod ='") + kCheckEach,
        data);
    EXPECT_EQ(Boxes().back(), "Condition processing Error\r\nKod =");
}

TEST_F(CheckToolsTest, PropertyFilterCheck) {
    AddParcels({{2, "a"}, {7, "b"}, {2, "c"}, {7, "d"}, {3, "e"}});
    struct Case {
        const char* setup;
        const char* result;
    } cases[] = {
        {"check.ValuesString = '3,1,3' assert(check.ValuesString == '3,1')",
         "1100 2|1100 7|1100 2|1100 7|0 #2,7"},
        {"check.ValuesString = '1, x ,2' assert(check.ValuesString == '1,2') check.ValuesString = '7'",
         "0 |0 |0 |0 |1100 3#3"},
        {"check.ValuesString = '3,7' check.Exclude = true", "0 |1100 7|0 |1100 7|1100 3#3,7"},
        {"check.ValuesString = ''", "1100 2|1100 7|1100 2|1100 7|1100 3#2,3,7"},
    };
    for (const Case& c : cases) {
        // ErrorMsg is the bare value: a blank between number and message reads them apart.
        std::string code = std::string("sep = ' ' check = yesk.Create('TCheckPropsByFilter')\n") +
                           "check.PropertyName = 'Kod'\n" + c.setup + kCheckEach;
        EXPECT_EQ(Run("filter.yesk", code, data), c.result) << c.setup << "\n" << runner->Result;
    }
    EXPECT_TRUE(Boxes().empty());

    // Without input or property name the filter answers Exclude and keeps its last value.
    TIntegerPropertyFilter* filter = TIntegerPropertyFilter::New();
    filter->PropertyName = "Kod";
    filter->SetValuesString("2");
    filter->SetInput(data->Get(0));
    filter->DoIt();
    EXPECT_TRUE(filter->Result);
    filter->SetInput(nullptr);
    filter->Exclude = true;
    filter->DoIt();
    EXPECT_TRUE(filter->Result);
    EXPECT_EQ(filter->LastValue, 2);
    Free(filter);
}

TEST_F(CheckToolsTest, CommaListsSplitAtEveryComma) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommaList(""), V{""});
    EXPECT_EQ(SplitCommaList("a"), V{"a"});
    EXPECT_EQ(SplitCommaList(" a , b "), (V{"a", "b"}));
    EXPECT_EQ(SplitCommaList("a,b,"), (V{"a", "b", ""}));
    EXPECT_EQ(SplitCommaList(",x"), (V{"", "x"}));
}

TEST_F(CheckToolsTest, ScriptToolsListPropertiesAndShowMessages) {
    std::string list = dir.Path("props.txt");
    std::string result = Run("tools.yesk", Cz(R"L(
local t = yesk.Create("TPropertiesToTextTool")
t.Input = yesk.World.ObjectClasses:Child("TShowMessage")
t.FileName = ")L" + list + R"L("
t:DoIt()
local lines = {}
for i = 0, t.List:ChildCount() - 1 do lines[#lines + 1] = t.List:Child(i).Value end
t:Free()
local m = yesk.Create("TShowMessage")
m.Text = "Kontrola skončila"
m:DoIt()
m:Free()
return table.concat(lines, ",")
)L"));
    std::string expected = "TShowMessage";
    for (const TPropInfo& p : TShowMessage::StaticClass()->Props) expected += ",\t" + p.Name;
    EXPECT_EQ(result, expected) << runner->Result;
    EXPECT_NE(expected.find("\tText"), std::string::npos);
    std::string file;
    for (char c : expected) file += c == ',' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadFile(list), file + "\r\n");
    EXPECT_EQ(Boxes(), std::vector<std::string>{Cz("Kontrola skončila")});

    // An element tree lists every element; List written replaces the own lines.
    AddParcels({{1, "les"}});
    TPropertiesToListTool* tool = TPropertiesToListTool::New();
    tool->SetInput(data);
    tool->DoIt();
    TStringListElement* lines = tool->GetList();
    ASSERT_GT(lines->ElementsCount(), 2);
    EXPECT_EQ(lines->GetString(0), "data");
    int parcel = -1;
    for (int i = 0; i < lines->ElementsCount(); ++i)
        if (lines->GetString(i) == "p1") parcel = i;
    ASSERT_GT(parcel, 0);
    EXPECT_EQ(lines->GetString(lines->ElementsCount() - 1), "\tDruh");
    TStringListElement* other = TStringListElement::New();
    other->AddString("jen tohle");
    tool->SetList(other);
    EXPECT_EQ(lines->ElementsCount(), 1);
    EXPECT_EQ(lines->GetString(0), "jen tohle");
    Free(other);
    Free(tool);

    TShowMessage* show = TShowMessage::New();
    show->SetPropertyNumber(4, Cz("poziční"));
    EXPECT_EQ(show->Text, Cz("poziční"));
    Free(show);
}

}  // namespace
