#include "composer/condition_filter.h"

#include <gdal.h>
#include <ogr_api.h>
#include <gtest/gtest.h>

#include <fstream>

#include "../../platform/tests/test_support.h"
#include "composer/composer.h"
#include "composition/modelfile.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "pelvar/map_world.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/forms.h"

namespace {

const std::string kData = std::string(SUITE_SAMPLES_DIR) + "/data";

TEST(ConditionText, RowsAreAlternativesAndColumnsMustAllMatch) {
    struct Case {
        std::vector<std::string> titles;
        std::vector<std::vector<std::string>> rows;
        std::string condition;
        std::vector<bool> texts = {};
    } cases[] = {
        {{"A", "B"}, {{"1", "x"}, {"2", "y"}}, "@CONDITION=((A=1)AND(B='x'))OR((A=2)AND(B='y'))"},
        {{"A"}, {{"12"}, {"12a"}, {"-3"}}, "@CONDITION=((A=12))OR((A='12a'))OR((A=-3))"},
        {{"A"}, {}, "@CONDITION="},
        // an apostrophe stays inside the text it belongs to
        {{"N"}, {{"O'Brien') OR (A=1"}}, "@CONDITION=((N='O''Brien'') OR (A=1'))"},
        // bare only for plain decimal integers
        {{"A"}, {{"0x1f"}, {"$1F"}, {"+5"}, {" 7"}, {"99999999999"}},
         "@CONDITION=((A='0x1f'))OR((A='$1F'))OR((A='+5'))OR((A=' 7'))OR((A='99999999999'))"},
        // and never against a text attribute
        {{"N", "A"}, {{"042", "42"}}, "@CONDITION=((N='042')AND(A=42))", {true, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildFilterCondition(c.titles, c.rows, c.texts), c.condition);
}

class ConditionFilterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterComposerClasses(); }
    void SetUp() override {
        SetUserHost(&host);
        SetExecutablePath(dir.Path("Oskelt32"));
        world = TWCSWorld::New();
        World = world;
        dialog = TConditionFilterDialog::New();
        dialog->FilterProperties = "stat,okres";
        dialog->DataDirectory = kData;
        dialog->LayerDescription = "MISTA=ostravsko.gpkg|mista";
    }
    void TearDown() override {
        Free(dialog);
        Free(world);
        World = nullptr;
        SetExecutablePath("");
        SetUserHost(nullptr);
    }
    // Answers the form: the rows typed below the header, then the button; what the grid
    // showed before is kept in shown (one "a|b" text per row, header first).
    void Answer(std::vector<std::vector<std::string>> rows, const char* button = "OK") {
        host.PushAction([this, rows, button] {
            TForm& f = *ActiveModalForm();
            EXPECT_EQ(f.ClassName(), "TConditionFilterForm");
            TControl& grid = f["SG"];
            shown.clear();
            for (int r = 0; r < grid.RowCount; ++r) {
                std::string line;
                for (int c = 0; c < grid.ColCount; ++c) line += (c ? "|" : "") + grid.Cell(c, r);
                shown.push_back(line);
            }
            grid.ItemIndex = grid.RowCount - 1;
            f.KeyDown(40);  // Down in the last row adds one
            EXPECT_EQ(grid.RowCount, static_cast<int>(shown.size()) + 1);
            grid.RowCount = 1;
            for (size_t r = 0; r < rows.size(); ++r)
                for (size_t c = 0; c < rows[r].size(); ++c) grid.SetCell(static_cast<int>(c), static_cast<int>(r + 1), rows[r][c]);
            grid.ColWidths = {80, 120};
            f[button].Click();
            return f.ModalResult;
        });
    }
    // Features of the sample places an OGR attribute filter keeps.
    static int OgrCount(const std::string& filter) {
        GDALAllRegister();
        GDALDatasetH ds = GDALOpenEx((kData + "/ostravsko.gpkg").c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
        OGRLayerH layer = GDALDatasetGetLayerByName(ds, "mista");
        OGR_L_SetAttributeFilter(layer, filter.c_str());
        int n = static_cast<int>(OGR_L_GetFeatureCount(layer, TRUE));
        GDALClose(ds);
        return n;
    }
    static int Elements(TElement* model) {
        auto* e = As<TEntity>(model);
        int n = 0;
        for (int32_t i = 0; e && i < e->ElementsCount(); ++i)
            if (auto* s = As<TEntity>(e->Get(i))) n += s->ElementsCount();
        return n;
    }

    TempDir dir{"condfilter"};
    ScriptedHost host;
    TWCSWorld* world = nullptr;
    TConditionFilterDialog* dialog = nullptr;
    std::vector<std::string> shown;
};

TEST_F(ConditionFilterTest, TheGridBuildsTheFilteredLayerAndIsKept) {
    TEntity* input = TEntity::New();
    input->AddElement(TStringElement::New("first", ""));
    input->AddElement(TStringElement::New("second", ""));
    dialog->DataIndex = 1;
    dialog->SetInput(input);
    Answer({{"CZ", "Okres Opava"}, {"PL", ""}, {"CZ", Cz("Okres Karviná")}});
    dialog->DoIt();
    EXPECT_EQ(shown, std::vector<std::string>{"stat|okres"});
    EXPECT_EQ(dialog->Condition, Cz("@CONDITION=((stat='CZ')AND(okres='Okres Opava'))OR((stat='CZ')AND(okres='Okres Karviná'))"));
    ASSERT_NE(dialog->GetData(), nullptr);
    EXPECT_EQ(Elements(dialog->GetData()),
              OgrCount("(stat='CZ' AND okres='Okres Opava') OR (stat='CZ' AND okres='Okres Karviná')"));
    EXPECT_EQ(Elements(dialog->GetData()), 50);
    EXPECT_EQ(input->Get(1), dialog->GetData());
    ASSERT_TRUE(FileExists(TConditionFilterDialog::StateFile()));

    // the next run shows the kept rows (the incomplete one dropped) and sizes
    TConditionFilterDialog* again = TConditionFilterDialog::New();
    again->FilterProperties = "STAT,OKRES";  // another case of the same name
    Answer({}, "Storno");
    again->DoIt();
    EXPECT_EQ(shown, (std::vector<std::string>{"STAT|OKRES", "CZ|Okres Opava", Cz("CZ|Okres Karviná")}));
    auto* size = As<TStringListElement>(again->GetState()->FindElementName("@_SIZE"));
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->GetIntegerByName("okres_Width"), 120);
    Free(again);
    Free(input);
}

// Values are quoted by the attribute's kind, and the columns are FilterProperties' own:
// a state file whose titles are condition text is not taken.
TEST_F(ConditionFilterTest, HostileCellsAndTitlesKeepTheirMeaning) {
    const int int30 = OgrCount("okres='Okres Opava' AND stat='CZ'");
    // titles that are condition text under the root of this filter's name
    TOwnerEntity* state = TOwnerEntity::New();
    state->SetName("stat,okres");
    for (const char* title : {"stat='CZ')OR(okres<>'')OR(stat", "okres", "@_SIZE"}) {
        TStringListElement* column = TStringListElement::New();
        column->SetName(title);
        state->AddElement(column);
    }
    TSave* saver = TSave::New(TConditionFilterDialog::StateFile());
    saver->SetInput(state);
    saver->DoIt();
    Free(saver);
    Free(state);
    struct Case {
        std::vector<std::string> row;
        std::string condition;
        int count;
    } cases[] = {
        {{"CZ", "Okres Opava"}, "@CONDITION=((stat='CZ')AND(okres='Okres Opava'))", int30},
        {{"0x1f", "$1F"}, "@CONDITION=((stat='0x1f')AND(okres='$1F'))", 0},
        {{"CZ", "42"}, "@CONDITION=((stat='CZ')AND(okres='42'))", 0},
    };
    for (const Case& c : cases) {
        dialog->SetData(nullptr);
        Answer({c.row});
        dialog->DoIt();
        EXPECT_EQ(shown.front(), "stat|okres");
        EXPECT_EQ(dialog->Condition, c.condition);
        EXPECT_EQ(Elements(dialog->GetData()), c.count) << c.condition;
    }
    // A number against a numeric attribute stays bare; a text there is the layer's error.
    dialog->FilterProperties = "plocha";
    dialog->LayerDescription = "OKOLI=ostravsko.gpkg|okoli";
    Answer({{"-1"}});
    dialog->DoIt();
    EXPECT_EQ(dialog->Condition, "@CONDITION=((plocha=-1))");
    ClearErrorShown();
    Answer({{"12a"}});
    dialog->DoIt();
    EXPECT_EQ(dialog->Condition, "@CONDITION=((plocha='12a'))");
    EXPECT_EQ(dialog->GetData(), nullptr);
    EXPECT_TRUE(ErrorShown());
    ClearErrorShown();
}

TEST_F(ConditionFilterTest, CancelAndForeignOrDamagedStates) {
    std::string state = TConditionFilterDialog::StateFile();
    // another filter's state is ignored and replaced on OK
    TOwnerEntity* other = TOwnerEntity::New();
    other->SetName("kraj");
    TSave* saver = TSave::New(state);
    saver->SetInput(other);
    saver->DoIt();
    Free(saver);
    Free(other);
    std::string before = ReadFile(state);
    Answer({{"CZ", "x"}}, "Storno");
    dialog->DoIt();
    EXPECT_EQ(shown, std::vector<std::string>{"stat|okres"});
    EXPECT_EQ(ReadFile(state), before);  // cancel changes nothing
    EXPECT_TRUE(dialog->Condition.empty());
    EXPECT_EQ(dialog->GetData(), nullptr);

    std::ofstream(state, std::ios::binary) << std::string("ZRX0\x01garbage", 12);
    Answer({{"", "x"}});
    dialog->DoIt();
    EXPECT_EQ(shown, std::vector<std::string>{"stat|okres"});
    EXPECT_EQ(dialog->Condition, "@CONDITION=");
    EXPECT_NE(ReadFile(state), before);
}

}  // namespace
