#include <gtest/gtest.h>

#include "composition/default_interpret_script.h"
#include "composition/modelfile.h"
#include "page_drawing_test_util.h"

namespace {

using drawtest::PageDrawing;

// A view over page (0.1, 0.05)-(0.19, 0.14) (pixels 400..760 x 40..400) showing the sample
// data's Voronoi cells around Ostrava, drawn through the default script.
class SampleView : public PageDrawing {
protected:
    void SetUp() override {
        PageDrawing::SetUp();
        PathOfLibraries = SAMPLE_SERVICE_DIR;
        view = AddView(0.1, 0.05, 0.19, 0.14, -465000, -1105000, 100000);
        TModelScript* script = view->GetModelScript();
        script->AddLayerOrParameter("OKOLI", "ostravsko.gpkg|okoli");
        script->FillWildNames(SAMPLE_DATA_DIR);
        view->SetScale(1000000);  // read the whole layer
        view->BuildModel();
        ASSERT_NE(view->GetModel(), nullptr);
    }
    void TearDown() override {
        PathOfLibraries.clear();
        PageDrawing::TearDown();
    }
    TView* view = nullptr;
};

TEST_F(SampleView, ViewWithoutScriptDrawsItsMapDataThroughTheDefaultScript) {
    struct Case {
        double scale;
        bool areasDrawn;  // cells of about 4.5 km: 18 pixels at 1:100000, under a pixel at 1:50000000
    } cases[] = {{100000, true}, {50000000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        view->SetScale(c.scale);
        device->GetBitmap()->Fill(clWhite);
        Draw();
        EXPECT_EQ(AnyNotWhite(402, 42, 758, 398), c.areasDrawn);
        // Nothing of the map lands outside the view.
        EXPECT_FALSE(AnyNotWhite(1, 1, 399, 599));
    }
}

TEST(DefaultScript, OneInterpretServesTheElementAndTheStringClassOfItsKind) {
    drawtest::RegisterAll();
    Owned<TUniversalGravoScriptCreator> creator(TUniversalGravoScriptCreator::New());
    creator->DoIt();
    Owned<TInterpretScript> script(As<TInterpretScript>(creator->Output));
    ASSERT_NE(script.p, nullptr);
    struct Case {
        TElement* element;
        TElement* string;
        const TClassInfo* interpret;
    } cases[] = {
        {TTextElement::New(), TTextString::New(), TInterpretTopTextu::StaticClass()},
        {TPointElement::New(), TPointString::New(), TInterpretTopBodu::StaticClass()},
        {TAreaElement::New(), TAreaString::New(), TInterpretTopPloch::StaticClass()},
        {TPolyLineElement::New(), TPolyLineString::New(), TInterpretTopLinii::StaticClass()},
    };
    for (const Case& c : cases) {
        TInterpret* a = script->FindNode(c.element)->GetInterpret();
        TInterpret* b = script->FindNode(c.string)->GetInterpret();
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a, b);
        EXPECT_EQ(a->ClassType(), c.interpret);
        Free(c.element);
        Free(c.string);
    }
}

}  // namespace

namespace {

TEST(DefaultScript, CheckingProgramHasNoRastersAndPointStrings) {
    drawtest::RegisterAll();
    for (TModelFileProfile profile : {TModelFileProfile::Oskelt, TModelFileProfile::Tarvine}) {
        SetModelFileProfile(profile);
        bool checking = profile == TModelFileProfile::Tarvine;
        Owned<TUniversalGravoScriptCreator> creator(TUniversalGravoScriptCreator::New());
        creator->DoIt();
        Owned<TInterpretScript> script(As<TInterpretScript>(creator->Output));
        Owned<TRaster> raster(TRaster::New());
        Owned<TPointString> points(TPointString::New());
        EXPECT_EQ(script->FindNode(raster)->GetIClass() == TRaster::StaticClass(), !checking);
        EXPECT_EQ(script->FindNode(points)->GetInterpret() == nullptr, checking);
    }
    SetModelFileProfile(TModelFileProfile::Oskelt);
}

}  // namespace
