#include <gtest/gtest.h>

#include "composition/views.h"
#include "page_test_util.h"
#include "quintel/quintel.h"
#include "space/space.h"

namespace {

class ViewModelTest : public pagetest::PageModelTest {
protected:
    void SetUp() override {
        static bool done = [] {
            RegisterSpaceClasses();
            RegisterQuintelClasses();
            return true;
        }();
        (void)done;
        PageModelTest::SetUp();
        WriteLines("places.geojson",
                   R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:EPSG::5514"}},)"
                   R"("features":[)" + Place("A", 100, 100) + "," + Place("B", 200, 150) + "," + Place("C", 5000, 5000) +
                       "]}");
    }
    static std::string Place(const char* name, int x, int y) {
        return std::string(R"({"type":"Feature","properties":{"name":")") + name +
               R"("},"geometry":{"type":"Point","coordinates":[)" + std::to_string(x) + "," + std::to_string(y) + "]}}";
    }
    // A view of 0.1 x 0.1 m of page showing the places layer.
    TView* NewView(double scale, const char* file = "places.geojson") {
        TView* v = TView::New();
        v->SetRect(0, 0, 0.1, 0.1);
        v->SetModelCenterX(150);
        v->SetModelCenterY(125);
        v->SetScale(scale);
        TModelScript* script = v->GetModelScript();
        script->AddLayerOrParameter("PLACES", file);
        script->FillWildNames(dir_);
        return v;
    }
    // The number of map elements the model holds in its layer strings.
    static int32_t Features(TElement* model) {
        auto* e = As<TEntity>(model);
        int32_t n = 0;
        for (int32_t i = 0; e && i < e->ElementsCount(); ++i)
            if (auto* s = As<TEntity>(e->Get(i))) n += s->ElementsCount();
        return n;
    }
};

TEST_F(ViewModelTest, BuildsTheShownAreaAndKeepsItThroughAModelFile) {
    TView* v = NewView(2000);  // shows 50..250 x 25..225
    EXPECT_EQ(v->GetModelScript()->GetName(), "Model Script");
    EXPECT_EQ(v->GetModelScript(), v->GetModelScript());
    EXPECT_EQ(v->GetModel(), nullptr);  // the script is not the model
    v->SetReadModel(true);
    ASSERT_NE(v->GetModel(), nullptr);
    EXPECT_EQ(v->GetModel()->GetName(), "VIEWMODEL");
    EXPECT_EQ(Features(v->GetModel()), 2);

    // Building again replaces the model and frees the old one.
    TElement* first = v->GetModel();
    v->BuildModel();
    EXPECT_FALSE(IsLive(first));
    EXPECT_EQ(Features(v->GetModel()), 2);

    TView* back = RoundTrip(v);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->ElementsCount(), 3);  // projection, script, model
    ASSERT_NE(back->GetModel(), nullptr);
    EXPECT_EQ(back->GetModel()->GetName(), "VIEWMODEL");
    EXPECT_EQ(Features(back->GetModel()), 2);
    EXPECT_NE(back->GetModel(), back->GetModelScript());
    Free(back);
}

TEST_F(ViewModelTest, WithoutAScaleTheWholeLayerIsReadAndShownInTheMiddle) {
    TView* v = NewView(0);
    v->BuildModel();
    ASSERT_NE(v->GetModel(), nullptr);
    EXPECT_EQ(Features(v->GetModel()), 3);
    EXPECT_DOUBLE_EQ(v->GetProjection()->GetCenterX(), 2550);
    EXPECT_DOUBLE_EQ(v->GetProjection()->GetCenterY(), 2550);
    Free(v);
}

TEST_F(ViewModelTest, NoScriptOrNoOutputKeepsTheModel) {
    TView* v = NewView(2000, "missing.geojson");
    TElement* kept = v->CreateModel();
    v->BuildModel();
    EXPECT_EQ(v->GetModel(), kept);
    Free(v);

    TView* bare = TView::New();
    bare->CreateModel();
    bare->SetReadModel(true);
    EXPECT_EQ(bare->GetModel()->GetName(), Cz("Předmět zájmu"));
    EXPECT_EQ(bare->FindElementClass(TModelScript::StaticClass()), nullptr);
    Free(bare);
}

}  // namespace
