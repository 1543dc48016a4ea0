#include <gtest/gtest.h>

#include "composition/default_interpret_script.h"
#include "composition/modelfile.h"
#include "page_drawing_test_util.h"

namespace {

using drawtest::PageDrawing;

TEST_F(PageDrawing, ViewWithoutScriptDrawsTheSampleDataThroughTheDefaultScript) {
    PathOfLibraries = SAMPLE_SERVICE_DIR;
    TView* view = GridView(TRectEntity::New(), -465000, -1105000);
    desktop->AddElement(view);
    view->GetModelScript()->AddLayerOrParameter("OKOLI", "ostravsko.gpkg|okoli");
    view->GetModelScript()->FillWildNames(SAMPLE_DATA_DIR);
    view->SetScale(1000000);  // the whole layer
    view->BuildModel();
    // Cells of about 4.5 km: 18 pixels at 1:100000, under one at 1:50000000 (under 3: left out).
    for (auto [scale, drawn] : {std::pair{100000.0, true}, {50000000.0, false}}) {
        SCOPED_TRACE(scale);
        view->SetScale(scale);
        device->GetBitmap()->Fill(clWhite);
        DrawDesktop(desktop, device);
        EXPECT_EQ(AnyNotWhite(402, 42, 758, 398), drawn);
        EXPECT_FALSE(AnyNotWhite(1, 1, 399, 599));  // nothing outside the view
    }
    PathOfLibraries.clear();
}

TEST(DefaultScript, RastersPointStringsAndOneInterpretPerKind) {
    drawtest::RegisterAll();
    for (auto [profile, rasters] : {std::pair{TModelFileProfile::Oskelt, true}, {TModelFileProfile::Oskelt, false},
                                    {TModelFileProfile::Tarvine, true}}) {
        SetModelFileProfile(profile);
        UseRasters = rasters;
        bool checking = profile == TModelFileProfile::Tarvine;
        Owned<TUniversalGravoScriptCreator> creator(TUniversalGravoScriptCreator::New());
        creator->DoIt();
        Owned<TInterpretScript> script(As<TInterpretScript>(creator->Output));
        auto node = [&](TElement* e) {
            TISClass* n = script->FindNode(e);
            Free(e);
            return n;
        };
        EXPECT_EQ(node(TRaster::New())->GetIClass() == TRaster::StaticClass(), rasters && !checking);
        EXPECT_EQ(node(TAreaElement::New())->GetInterpret(), node(TAreaString::New())->GetInterpret());
        EXPECT_NE(node(TAreaElement::New())->GetInterpret(), nullptr);
        EXPECT_EQ(node(TPointString::New())->GetInterpret() == nullptr, checking);
    }
    SetModelFileProfile(TModelFileProfile::Oskelt);
    UseRasters = true;
}

}  // namespace
