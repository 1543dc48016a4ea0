#include <gtest/gtest.h>

#include <string>

#include "../../kernel/tests/test_support.h"
#include "composition/composition.h"
#include "composition/user_symbol_colour.h"
#include "gravo/gravo.h"
#include "kernel/kernel.h"

namespace {

// Ten times the colour index the element shows while the tool runs; raises on index 7.
class TTimesTen : public TResultTool {
    ZARIX_CLASS(TTimesTen, TResultTool)

public:
    void DoIt() override {
        int32_t i = GravoPropsOf(Input)->ColorIndex;
        if (i == 7) throw Exception("index 7");
        Result = std::to_string(i * 10);
    }
};

class UserSymbolColor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterCompositionClasses();
    }
    void SetUp() override {
        area = TPlosnaZnacka::New();
        area->Fill.ColorIndex = 3;
        area->Groups.resize(1);
        area->Groups[0].Items.resize(2);
        area->Groups[0].Items[0].ColorIndex = 5;
        area->Groups[0].Items[1].ColorIndex = -1;
        withProps = TAreaElement::New();
        AttachGravoProps(withProps, 9);
        plain = TAreaElement::New();
        palette = TColorPalette::New();
        tool = TSetUserSymbolColor::New();
        timesTen = TTimesTen::New();
    }
    void TearDown() override {
        for (TElement* e : std::initializer_list<TElement*>{area, withProps, plain, palette, tool, timesTen}) Free(e);
    }
    TPlosnaZnacka* area = nullptr;
    TAreaElement* withProps = nullptr;
    TAreaElement* plain = nullptr;
    TColorPalette* palette = nullptr;
    TSetUserSymbolColor* tool = nullptr;
    TTimesTen* timesTen = nullptr;
};

TEST_F(UserSymbolColor, AreaPartsThroughEveryRule) {
    struct Case {
        const char* what;
        bool useColor;
        TColor color;
        bool useTool;
        bool elemHasProps;
        const char* propColor;
        bool byPalette;
        bool byGravo;
        TColor fill, item;  // index 3 and 5; index -1 stays -1
    };
    const Case cases[] = {
        {"fixed colour", true, 0x123456, true, true, "", false, false, 0x123456, 0x123456},
        {"fixed colour through the palette", true, 2, false, true, "", true, false, 0x008000, 0x008000},
        {"tool", false, 0, true, true, "", false, false, 30, 50},
        {"tool through the table", false, 0, true, true, "", false, true, DejBarvicku(30), DejBarvicku(50)},
        {"tool without Gravo properties", false, 0, true, false, "x", true, false, -1, -1},
        {"no colour expression: white", false, 0, false, true, "", false, false, 0xFFFFFF, 0xFFFFFF},
        {"own index", false, 0, false, true, "x", false, false, 3, 5},
        {"own index through the palette", false, 0, false, true, "x", true, true, 0x808000, 0x800080},
        {"own index through the table", false, 0, false, true, "x", false, true, DejBarvicku(3), DejBarvicku(5)},
    };
    for (const Case& c : cases) {
        tool->UseColor = c.useColor;
        tool->Color = c.color;
        tool->SetToolColor(c.useTool ? timesTen : nullptr);
        tool->SetElem(c.elemHasProps ? withProps : plain);
        tool->PropColor = c.propColor;
        tool->ColorByPalette = c.byPalette;
        tool->SetPalette(palette);
        tool->ColorByGravo = c.byGravo;
        tool->FillBackground = !c.byGravo;
        tool->SetInput(area);
        tool->DoIt();
        EXPECT_TRUE(area->Fill.UserColored) << c.what;
        EXPECT_EQ(area->Fill.Color, c.fill) << c.what;
        EXPECT_EQ(area->Groups[0].Items[0].Color, c.item) << c.what;
        EXPECT_TRUE(area->Groups[0].Items[1].UserColored) << c.what;
        EXPECT_EQ(area->Groups[0].Items[1].Color, -1) << c.what;
        EXPECT_EQ(area->FillBackground, !c.byGravo) << c.what;
        EXPECT_EQ(GravoPropsOf(withProps)->ColorIndex, 9) << c.what;
    }
}

TEST_F(UserSymbolColor, LineComponentsTakeTheElementsIndexForMinusOne) {
    TLiniovaZnacka* line = TLiniovaZnacka::New();
    line->Components.resize(2);
    line->Components[0].ColorIndex = -1;
    line->Components[1].ColorIndex = 2;
    auto* road = TPolyLineElement::New();
    tool->PropColor = "x";
    tool->SetInput(line);

    tool->SetElem(withProps);  // not a polyline: left alone
    tool->DoIt();
    EXPECT_FALSE(line->UserColored);
    EXPECT_FALSE(line->Components[0].UserColored);

    tool->SetElem(road);  // no Gravo properties: index 0
    tool->DoIt();
    EXPECT_TRUE(line->UserColored);
    EXPECT_EQ(line->Components[0].Color, 0);
    EXPECT_EQ(line->Components[1].Color, 2);

    AttachGravoProps(road, 6);
    tool->DoIt();
    EXPECT_TRUE(line->Components[0].UserColored);
    EXPECT_EQ(line->Components[0].Color, 6);

    tool->SetToolColor(timesTen);
    tool->DoIt();
    EXPECT_EQ(line->Components[0].Color, 60);
    EXPECT_EQ(line->Components[1].Color, 20);
    EXPECT_EQ(GravoPropsOf(road)->ColorIndex, 6);

    // A tool that raises leaves the element its own index.
    line->Components[1].ColorIndex = 7;
    EXPECT_THROW(tool->DoIt(), Exception);
    EXPECT_EQ(GravoPropsOf(road)->ColorIndex, 6);
    Free(road);
    Free(line);
}

}  // namespace
