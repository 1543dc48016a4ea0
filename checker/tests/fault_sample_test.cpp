// The sample with faults put in on purpose: each is found by the check meant for it.
#include <gtest/gtest.h>

#include <set>

#include "../../kernel/tests/test_support.h"
#include "checker/check_tools.h"
#include "checker/geometry_checks.h"
#include "quintel/quintel.h"
#include "wendrik/wendrik.h"

namespace {

class FaultSample : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterCheckerClasses();
        Owned<TModelScriptCreator> sc(TModelScriptCreator::New());
        sc->SetDataDirectory(std::string(SUITE_SAMPLES_DIR) + "/data");
        for (const char* item : {"CESTY=ostravsko-faults.gpkg|cesty", "@TOPOLOGY=1",
                                 "MISTA=ostravsko-faults.gpkg|mista", "@TOPOLOGY=1", "@FATHER=OKOLI", "@FATHERKEY=nazev",
                                 "OKOLI=ostravsko-faults.gpkg|okoli", "@TOPOLOGY=1", "@FATHER=ZEME", "@FATHERKEY=stat",
                                 "ZEME=ostravsko-faults.gpkg|zeme",
                                 "HRANICE=ostravsko-faults.gpkg|hranice", "@TOPOLOGY=1", "@AREAS=ZEME"}) {
            if (item[0] == '@') sc->AddLayerProperty(item);
            else sc->AddLayerItem(item);
        }
        sc->DoIt();
        Owned<TElement> script(sc->Output);
        Owned<TModelByScriptCreator> mc(TModelByScriptCreator::New());
        mc->SetInput(script);
        mc->DoIt();
        model = As<TRectEntity>(mc->Output);
    }
    static void TearDownTestSuite() {
        Free(model);
        model = nullptr;
    }
    static TEntity* Layer(const char* name) { return As<TEntity>(model->FindElementName(name)); }
    // Index -> error of every failing element of the layer, in layer order.
    static std::map<int32_t, int32_t> Faults(TCheckTool* check, const char* layer) {
        std::map<int32_t, int32_t> found;
        TEntity* l = Layer(layer);
        for (int32_t i = 0; i < l->ElementsCount(); ++i) {
            check->Reset();
            check->SetInput(l->Get(i));
            check->DoIt();
            if (check->Error) found[i] = check->Error;
        }
        return found;
    }
    static TRectEntity* model;
};
TRectEntity* FaultSample::model = nullptr;

TEST_F(FaultSample, EachPlantedFaultIsFound) {
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(Layer("CESTY")->ElementsCount(), 560);
    struct Case {
        const char* what;
        TCheckTool* check;
        const char* layer;
        int32_t index, error;
    };
    auto* overlay = TCheckPolyLineOverlay::New();
    overlay->Tolerance = 0.5;
    auto* angle = TCheckPolyAngle::New();
    angle->MinValue = 10;
    angle->MaxValue = 180;
    auto* length = TCheckPolyDistance::New();
    length->MinValue = 1;
    length->MaxValue = 1e9;
    auto* links = TCheckLineConnection::New();
    auto* father1 = TCheckGravoAreaInFather::New();
    auto* father2 = TCheckGravoAreaInFather::New();
    const Case cases[] = {
        {"duplicated road", overlay, "CESTY", 559, 5022},
        {"spike vertex", angle, "CESTY", 49, 5001},
        {"segment under a metre", length, "CESTY", 9, 5011},
        {"road end off its junction", links, "CESTY", 0, 10006},
        {"place out of its cell", father1, "MISTA", 19, 6012},
        {"cell out of its country", father2, "OKOLI", 29, 6012},
        // what they cause besides: the roads that closed a face with the moved end, and
        // the place of the moved cell
        {"road beside the moved end", links, "CESTY", 20, 10003},
        {"other road beside the moved end", links, "CESTY", 21, 10003},
        {"place of the moved cell", father1, "MISTA", 29, 6012},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::map<int32_t, int32_t> found = Faults(c.check, c.layer);
        ASSERT_TRUE(found.count(c.index));
        EXPECT_EQ(found[c.index], c.error);
    }
    // The spike's position is its tip.
    Faults(angle, "CESTY");
    angle->Reset();
    angle->SetInput(Layer("CESTY")->Get(49));
    angle->DoIt();
    EXPECT_NEAR(angle->X, -497885.19, 0.01);
    EXPECT_NEAR(angle->Y, -1125939.16, 0.01);
    for (TCheckTool* t : {static_cast<TCheckTool*>(overlay), static_cast<TCheckTool*>(angle),
                          static_cast<TCheckTool*>(length), static_cast<TCheckTool*>(links),
                          static_cast<TCheckTool*>(father1), static_cast<TCheckTool*>(father2)})
        Free(t);
}

TEST_F(FaultSample, TheRingClosesTheOnlyRegionWithoutAnArea) {
    Owned<TQTreeTopLin> tree(As<TQTreeTopLin>(RunAndFree(TReadLinesIntoQTree::New(), Layer("HRANICE"))));
    RunAndFree(TPutNodesIntoQTree::New(), tree);
    RunAndFree(TNodesConector::New(), tree);
    RunAndFree(TDeleteDirectRelationsToLinesInQTree::New(), tree);
    TElement* built = RunAndFree(TCreateAreasForQTree::New(), tree);
    RunAndFree(TSubAreaMakerInQTree::New(), built);
    Owned<TEntity> regions(As<TEntity>(RunAndFree(THledacPloch::New(), built)));
    Free(built);
    ASSERT_NE(regions.p, nullptr);
    std::vector<TAreaElement*> unclosed;
    for (int32_t i = 0; i < regions->ElementsCount(); ++i) {
        Owned<TFindAreaThroughLines> finder(TFindAreaThroughLines::New());
        finder->SetInput(regions->Get(i));
        finder->DoIt();
        if (!finder->ClearFinding) unclosed.push_back(As<TAreaElement>(regions->Get(i)));
    }
    // The border itself closes rings the country areas do not match; the planted one is
    // among them, as a region of its own.
    int planted = 0;
    for (TAreaElement* region : unclosed) {
        if (!region->IsPointInside(-477500, -1111700)) continue;
        ++planted;
        EXPECT_NEAR(region->GetWholeArea(), 500000, 1);
    }
    EXPECT_EQ(planted, 1);
}

}  // namespace
