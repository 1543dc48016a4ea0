#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../../kernel/tests/test_support.h"
#include "gravo/gravo.h"
#include "kernel/kernel.h"

namespace {

class Gravo : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterDeviceClasses();
        RegisterInterpretClasses();
        RegisterSpaceClasses();
        RegisterSymbolClasses();
        RegisterGravoClasses();
    }
    void SetUp() override {
        PathOfLibraries = SAMPLE_SERVICE_DIR;
        // One pixel per model metre and per millimetre of symbol.
        dev = TBitmapDevice::New();
        dev->SetPageSize(200, 100);
        dev->GetPage()->SetResolution(1000, 1000);
        dev->GetProjection()->ChangeProjectionByRect(0, 0, 200, 100, dev->GetPage());
        dev->Clear();
        model = TRectEntity::New();
    }
    void TearDown() override {
        model->FreeAll();
        Free(model);
        Free(dev);
        PathOfLibraries.clear();
        DropQueue();
    }
    template <class S>
    S* String(TSpaceEntity* e) {
        S* s = S::New();
        s->AddAndUpdateRect(e);
        model->AddAndUpdateRect(s);
        return s;
    }
    void Draw() {
        TInterpretScript* script = TInterpretScript::New();
        script->SetIClass(TElement::StaticClass());
        TISClass* r = script->CreateAndAddClass(TRectEntity::StaticClass(), nullptr);
        auto add = [&](TInterpret* i, TElementClass a, TElementClass b) {
            r->CreateAndAddClass(a, i);
            r->CreateAndAddClass(b, i);
        };
        add(TInterpretTopTextu::New(), TTextElement::StaticClass(), TTextString::StaticClass());
        add(TInterpretTopBodu::New(), TPointElement::StaticClass(), TPointString::StaticClass());
        add(TInterpretTopPloch::New(), TAreaElement::StaticClass(), TAreaString::StaticClass());
        add(TInterpretTopLinii::New(), TPolyLineElement::StaticClass(), TPolyLineString::StaticClass());
        TUniversalInterpret* ui = TUniversalInterpret::New();
        ui->SetScript(script);
        ui->SetDevice(dev);
        ui->SetInput(model);
        ui->Reset(dev);
        ui->DoIt();
        Free(ui);
    }
    TColor Pixel(int x, int y) { return dev->GetBitmap()->Pixel(x, y); }
    TBitmapDevice* dev = nullptr;
    TRectEntity* model = nullptr;
};

TEST_F(Gravo, DrawsMapDataWithTheSampleSymbols) {
    String<TPointString>(TPointElement::New(30, 50));  // no code: a cross
    auto* town = TPointElement::New(60, 50);
    town->SetCode(3001);  // a red disc
    String<TPointString>(town);
    auto* field = TAreaElement::New();
    field->SetPoints({{100, 10}, {190, 10}, {190, 90}, {100, 90}});
    field->SetCode(1001);  // silver background
    auto* speck = TAreaElement::New();
    speck->SetPoints({{10, 10}, {12, 10}, {12, 12}});  // under 3 pixels: left out
    auto* areas = String<TAreaString>(field);
    areas->AddAndUpdateRect(speck);
    auto* road = TPolyLineElement::New();
    road->SetPoints({{10, 80}, {90, 80}});
    AttachGravoProps(road, 4);  // plain, dark red
    String<TPolyLineString>(road);
    Draw();

    EXPECT_EQ(Pixel(30, 50), clBlack);
    EXPECT_EQ(Pixel(31, 50), clBlack);
    EXPECT_EQ(Pixel(30, 48), clBlack);
    EXPECT_EQ(Pixel(33, 50), clWhite);
    EXPECT_EQ(Pixel(60, 50), DejBarvicku(12));
    EXPECT_EQ(Pixel(150, 50), DejBarvicku(7));
    EXPECT_EQ(Pixel(11, 89), clWhite);
    EXPECT_EQ(Pixel(50, 20), DejBarvicku(4));
}

TEST_F(Gravo, LayerCodesAndPlainFills) {
    auto* cell = TAreaElement::New();
    cell->SetPoints({{10, 10}, {90, 10}, {90, 90}, {10, 90}});  // no code, no layer: plain
    AttachGravoProps(cell, 14);
    String<TAreaString>(cell);
    auto* label = TTextElement::New(120, 60, "Ostrava");
    label->SetHeight(12);
    String<TTextString>(label);
    Draw();
    EXPECT_EQ(Pixel(50, 50), DejBarvicku(14));
    EXPECT_EQ(Pixel(10, 50), clBlack);  // the outline
    int dark = 0;
    for (int y = 36; y < 60; ++y)
        for (int x = 118; x < 190; ++x) dark += Pixel(x, y) != clWhite;
    EXPECT_GT(dark, 20);
}

// A label without a height of its own is written in the default font, whatever font, size
// and style the text drawn before it left on the device.
TEST_F(Gravo, LabelsWithoutAHeightKeepOneSizeWhateverWasDrawnBefore) {
    String<TTextString>(TTextElement::New(20, 60, "Kozmice"));
    auto picture = [&] {
        std::vector<TColor> pixels;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) pixels.push_back(Pixel(x, y));
        return pixels;
    };
    Draw();
    std::vector<TColor> fresh = picture();
    EXPECT_GT(fresh.size() - std::count(fresh.begin(), fresh.end(), clWhite), 20u);
    struct {
        int height;
        uint8_t style;
        const char* name;
    } before[] = {{-40, fsBold, "Arial"}, {-5, 0, "Courier New"}, {0, fsItalic | fsUnderline, "Times New Roman"}};
    for (const auto& b : before) {
        dev->Clear();
        dev->GetFont()->SetHeight(b.height);
        dev->GetFont()->SetStyle(b.style);
        dev->GetFont()->SetName(b.name);
        Draw();
        EXPECT_TRUE(picture() == fresh) << b.name;
    }
}

}  // namespace
