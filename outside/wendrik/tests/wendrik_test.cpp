#include <gtest/gtest.h>

#include <gdal.h>
#include <ogr_api.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>

#include "../../../kernel/tests/test_support.h"
#include "kernel/kernel.h"
#include "wendrik/wendrik.h"

namespace {

class Wendrik : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterSpaceClasses();
        RegisterGravoTopologyClasses();
        RegisterWendrikClasses();
    }
    void SetUp() override {
        lines = TPolyLineString::New();
        lines->SetName("L");
    }
    void TearDown() override {
        Free(lines);
        DropQueue();
    }
    TPolyLineElement* Line(std::vector<T2DPoint> pts, TEntity* into = nullptr) {
        auto* l = TPolyLineElement::New();
        l->SetPoints(std::move(pts));
        (into ? into : static_cast<TEntity*>(lines))->AddElement(l);
        return l;
    }
    static TLineLinks LinksOf(TElement* e) { return ReadLinkRecord(GravoPropsOf(e)->LinkRecord); }
    TPolyLineString* lines = nullptr;
};

TEST_F(Wendrik, TreeQueriesInOrderAndSkipsWhatItCannotHold) {
    Owned<TSpaceEntityQTree> tree(TSpaceEntityQTree::New());
    auto* a = Line({{0, 0}, {10, 0}});
    auto* b = Line({{5, -1}, {5, 1}});
    auto* nan = Line({{NAN, 0}, {1, 1}});
    auto* empty = Line({});
    EXPECT_TRUE(tree->AddSpaceEntity(b));
    EXPECT_TRUE(tree->AddSpaceEntity(a));
    EXPECT_FALSE(tree->AddSpaceEntity(nan));
    EXPECT_FALSE(tree->AddSpaceEntity(empty));
    EXPECT_EQ(tree->Query(4, 0, 4, 0, 1.5), (std::vector<TSpaceEntity*>{b, a}));
    EXPECT_EQ(tree->Query(20, 20, 20, 20), std::vector<TSpaceEntity*>{});
    EXPECT_TRUE(tree->Query(NAN, 0, 1, 1).empty());
    EXPECT_TRUE(tree->ContainsXY(10, 1));
    lines->FreeElement(b);
    EXPECT_EQ(tree->Query(4, 0, 4, 0, 1.5), std::vector<TSpaceEntity*>{a});
}

TEST_F(Wendrik, ComparatorPieces) {
    struct Case {
        const char* name;
        std::vector<T2DPoint> earlier, line;
        double tolerance;
        size_t pieces;  // with own pieces
        bool firstIsEarlier, changed;
    };
    const Case cases[] = {
        {"apart", {{0, 0}, {10, 0}}, {{0, 5}, {10, 5}}, 0.5, 1, false, false},
        {"crossing", {{0, 0}, {10, 0}}, {{5, -5}, {5, 5}}, 0.5, 1, false, false},
        {"joined at an end", {{0, 0}, {10, 0}}, {{10, 0}, {20, 3}}, 0.5, 1, false, false},
        {"same line", {{0, 0}, {10, 0}}, {{0, 0}, {10, 0}}, 0.1, 1, true, true},
        {"within tolerance", {{0, 0}, {10, 0}}, {{0, 0.05}, {10, -0.05}}, 0.1, 1, true, true},
        {"overlay in the middle", {{4, 0}, {6, 0}}, {{0, 0}, {10, 0}}, 0.1, 3, false, true},
        {"exact overlay, no tolerance", {{0, 0}, {5, 0}}, {{0, 0}, {10, 0}}, 0, 2, true, true},
        {"no length", {{0, 0}, {10, 0}}, {{3, 0}, {3, 0}}, 0.1, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Owned<TQTreeTopLin> tree(TQTreeTopLin::New());
        tree->AddSpaceEntity(Line(c.earlier));
        auto* line = Line(c.line);
        Owned<TLinComparator> cmp(TLinComparator::New());
        cmp->OwnPieces = true;
        cmp->QTree = tree;
        cmp->Tolerance = c.tolerance;
        cmp->SetInput(line);
        cmp->DoIt();
        Owned<TLinesAbscEntity> result(As<TLinesAbscEntity>(cmp->Output));
        ASSERT_NE(result.p, nullptr);
        ASSERT_EQ(result->Pieces.size(), c.pieces);
        if (c.pieces) {
            EXPECT_EQ(result->Pieces.front().Line != line, c.firstIsEarlier);
        }
        EXPECT_EQ(result->Changed, c.changed);
    }
}

// Lines that meet at a node and part there at any angle, or cross, are not laid over each
// other; lines that share a stretch longer than the tolerance are, whatever the angle at
// which they part after it. The same at every tolerance and scale.
TEST_F(Wendrik, ComparatorPartingLinesAndSharedStretches) {
    using Points = std::vector<T2DPoint>;
    struct Case {
        const char* name;
        Points earlier;
        // the line, given its direction leaving the node (0,0) at the angle
        std::function<Points(T2DPoint)> line;
        bool changed, firstIsEarlier;
    };
    auto dense = [](T2DPoint d) {  // a vertex every metre
        Points p;
        for (int i = 0; i <= 100; ++i) p.push_back({i * d.X, i * d.Y});
        return p;
    };
    const Case cases[] = {
        {"both start at the node", {{0, 0}, {100, 0}}, [](T2DPoint d) { return Points{{0, 0}, {100 * d.X, 100 * d.Y}}; },
         false, false},
        {"ends at the node", {{0, 0}, {100, 0}}, [](T2DPoint d) { return Points{{100 * d.X, 100 * d.Y}, {0, 0}}; },
         false, false},
        {"starts on the earlier line", {{-100, 0}, {100, 0}},
         [](T2DPoint d) { return Points{{0, 0}, {100 * d.X, 100 * d.Y}}; }, false, false},
        {"earlier line starts on it", {{0, 0}, {100, 0}},
         [](T2DPoint d) { return Points{{-100 * d.X, -100 * d.Y}, {100 * d.X, 100 * d.Y}}; }, false, false},
        {"crossing", {{-100, 0}, {100, 0}},
         [](T2DPoint d) { return Points{{-100 * d.X, -100 * d.Y}, {100 * d.X, 100 * d.Y}}; }, false, false},
        {"dense vertices", {{0, 0}, {50, 0}, {100, 0}}, dense, false, false},
        {"shared, then parting", {{-100, 0}, {100, 0}},
         [](T2DPoint d) { return Points{{-50, 0}, {0, 0}, {100 * d.X, 100 * d.Y}}; }, true, true},
        {"parting, then shared", {{-100, 0}, {100, 0}},
         [](T2DPoint d) { return Points{{100 * d.X, 100 * d.Y}, {0, 0}, {-50, 0}}; }, true, false},
        {"shared with an offset under the tolerance", {{-100, 0}, {100, 0}},
         [](T2DPoint d) { return Points{{-50, 0.4}, {0, 0.4}, {100 * d.X, 0.4 + 100 * d.Y}}; }, true, true},
    };
    for (double degrees : {5.0, 15.0, 29.0, 31.0})
        for (double scale : {0.02, 1.0, 10.0, 1000.0})
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message() << c.name << " at " << degrees << " degrees, scale " << scale);
                double a = degrees * std::numbers::pi / 180;
                auto scaled = [&](Points p) {
                    for (T2DPoint& q : p) q = {q.X * scale - 462367.5 * scale, q.Y * scale + 1085252.25};
                    return p;
                };
                Owned<TQTreeTopLin> tree(TQTreeTopLin::New());
                tree->AddSpaceEntity(Line(scaled(c.earlier)));
                auto* line = Line(scaled(c.line({std::cos(a), std::sin(a)})));
                Owned<TLinComparator> cmp(TLinComparator::New());
                cmp->OwnPieces = true;
                cmp->QTree = tree;
                cmp->Tolerance = 0.5 * scale;
                cmp->SetInput(line);
                cmp->DoIt();
                Owned<TLinesAbscEntity> result(As<TLinesAbscEntity>(cmp->Output));
                ASSERT_NE(result.p, nullptr);
                ASSERT_FALSE(result->Pieces.empty());
                EXPECT_EQ(result->Changed, c.changed);
                EXPECT_EQ(result->Pieces.front().Line != line, c.firstIsEarlier);
            }
}

TEST_F(Wendrik, ComparatorAbscissasCoverTheLine) {
    Owned<TQTreeTopLin> tree(TQTreeTopLin::New());
    auto* a = Line({{4, 0}, {6, 0}});
    tree->AddSpaceEntity(a);
    auto* line = Line({{0, 0}, {10, 0}});
    Owned<TLinComparator> cmp(TLinComparator::New());
    cmp->OwnPieces = true;
    cmp->QTree = tree;
    cmp->Tolerance = 0.1;
    cmp->SetInput(line);
    cmp->DoIt();
    Owned<TLinesAbscEntity> result(As<TLinesAbscEntity>(cmp->Output));
    ASSERT_EQ(result->Pieces.size(), 3u);
    EXPECT_EQ(result->Pieces[1].Line, a);
    EXPECT_NEAR(result->Pieces[1].From, 3.9, 1e-9);
    EXPECT_NEAR(result->Pieces[1].To, 6.1, 1e-9);
    EXPECT_NEAR(result->Pieces[2].To, 10, 1e-9);
}

// A square of four lines, a dangle into it and a line crossing its right side.
TEST_F(Wendrik, LinksOfASquareWithADangle) {
    auto* bottom = Line({{0, 0}, {10, 0}});
    auto* right = Line({{10, 0}, {10, 10}});
    auto* top = Line({{10, 10}, {0, 10}});
    auto* left = Line({{0, 10}, {0, 0}});
    auto* dangle = Line({{0, 0}, {4, 4}});
    auto* crossing = Line({{10, 5}, {15, 5}});  // starts on the right side
    auto topology = std::make_shared<TGravoTopology>();
    topology->SetLayer('L', lines);
    AttachTopologyProps(lines, topology);
    EXPECT_TRUE(BuildLineTopology(lines).empty());

    TLineLinks b = LinksOf(bottom);
    // Around (0,0) counter-clockwise from the bottom line (east): the dangle (45°), then left.
    EXPECT_EQ(b.A, 5);
    EXPECT_TRUE(b.FlagA);
    EXPECT_EQ(b.B, 2);
    EXPECT_TRUE(b.FlagB);
    // Inside the square on the left of the bottom line, outside on its right.
    EXPECT_EQ(b.C, 1);
    EXPECT_EQ(b.D, 0);
    TLineLinks l = LinksOf(left);
    EXPECT_EQ(l.B, 1);  // around (0,0) from the left line (north): the bottom line (east)
    TLineLinks d = LinksOf(dangle);
    EXPECT_EQ(d.B, 5);  // a free end: the line itself, at its end
    EXPECT_FALSE(d.FlagB);
    EXPECT_EQ(d.C, d.D);
    TLineLinks c = LinksOf(crossing);
    EXPECT_EQ(c.A, 2);  // passes through the start
    EXPECT_EQ(c.B, 6);
    EXPECT_FALSE(c.FlagB);
    EXPECT_EQ(LinksOf(top).B, 4);
    (void)right;
}

TEST_F(Wendrik, FreeStartLinksToItself) {
    auto* lone = Line({{0, 0}, {5, 0}});
    auto* ring = Line({{20, 0}, {30, 0}, {30, 10}, {20, 0}});
    auto* gap = Line({{40, 0}, {50, 0}, {50, 10}, {40, 10}, {40, 0.5}});  // a ring with a gap
    AttachTopologyProps(lines, std::make_shared<TGravoTopology>());
    BuildLineTopology(lines);
    TLineLinks a = LinksOf(lone);
    EXPECT_EQ(a.A, 1);
    EXPECT_TRUE(a.FlagA);
    EXPECT_EQ(a.B, 1);
    EXPECT_FALSE(a.FlagB);
    TLineLinks r = LinksOf(ring);  // closes on itself: no free end
    EXPECT_EQ(r.A, 2);
    EXPECT_FALSE(r.FlagA);
    EXPECT_EQ(r.B, 2);
    EXPECT_TRUE(r.FlagB);
    EXPECT_NE(r.C + r.D, 0);
    TLineLinks g = LinksOf(gap);  // two free ends, no face
    EXPECT_EQ(g.A, 3);
    EXPECT_TRUE(g.FlagA);
    EXPECT_EQ(g.B, 3);
    EXPECT_FALSE(g.FlagB);
    EXPECT_EQ(g.C, 0);
    EXPECT_EQ(g.D, 0);
}

// The links and faces of a network do not depend on its unit, scale or position: a square
// split by its diagonal, a line ending half a unit short of it, a line starting on it and
// a sliver face 0.2 units wide, and two lines whose starts lie 0.0002 units apart.
TEST_F(Wendrik, LinksAreTheSameInEveryUnit) {
    const std::vector<std::vector<T2DPoint>> network = {
        {{0, 0}, {10, 0}},   {{10, 0}, {10, 10}}, {{10, 10}, {0, 10}},          {{0, 10}, {0, 0}},
        {{0, 0}, {10, 10}},  {{15, 5}, {10.5, 5}}, {{10, 2}, {15, 2}},          {{0, 10}, {5, 10.2}, {10, 10}},
        {{20, 0.0012}, {25, 0}}, {{20, 0.0014}, {20, -5}},
    };
    auto links = [&](double scale, T2DPoint shift) {
        Owned<TPolyLineString> layer(TPolyLineString::New());
        for (const auto& pts : network) {
            std::vector<T2DPoint> p;
            for (const T2DPoint& q : pts) p.push_back({q.X * scale + shift.X, q.Y * scale + shift.Y});
            Line(p, layer);
        }
        AttachTopologyProps(layer, std::make_shared<TGravoTopology>());
        EXPECT_TRUE(BuildLineTopology(layer).empty());
        std::vector<std::array<int32_t, 6>> out;
        for (int32_t i = 0; i < layer->ElementsCount(); ++i) {
            TLineLinks l = LinksOf(layer->Get(i));
            out.push_back({l.A, l.FlagA, l.B, l.FlagB, l.C, l.D});
        }
        return out;
    };
    const auto metres = links(1, {0, 0});
    EXPECT_EQ(metres[5][2], 6);  // the end short of the square is free
    EXPECT_EQ(metres[5][3], 0);
    EXPECT_EQ(metres[6][0], 2);  // the start on the right side joins it
    // the sliver lies between the arc and the top side, the square's upper half below that
    EXPECT_EQ(metres[7][4] * metres[7][5], 0);
    EXPECT_EQ(metres[7][4] + metres[7][5], metres[2][5]);
    EXPECT_NE(metres[2][4], 0);
    EXPECT_NE(metres[2][4], metres[2][5]);
    const struct {
        double scale;
        T2DPoint shift;
    } units[] = {{2, {0, 0}}, {1000, {0, 0}}, {0.001, {0, 0}}, {1.0 / 1024, {0, 0}},
                 {1, {-462367.5, -1085252.25}}, {1000, {-462367500, -1085252250}}};
    for (const auto& u : units) {
        SCOPED_TRACE(testing::Message() << "scale " << u.scale << ", shift " << u.shift.X);
        EXPECT_EQ(links(u.scale, u.shift), metres);
    }
}

// The line-layer run: regions of a square split in two, one matched with an area.
TEST_F(Wendrik, RegionsAndTheirAreas) {
    Line({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    Line({{5, -1}, {5, 11}});  // splits the square, ends stick out
    Line({{30, 0}, {31, 0}});  // closes nothing
    Owned<TAreaString> areas(TAreaString::New());
    auto* left = TAreaElement::New();
    left->SetPoints({{0, 0}, {5, 0}, {5, 10}, {0, 10}, {0, 0}});
    areas->AddElement(left);
    auto topology = std::make_shared<TGravoTopology>();
    topology->SetLayer('P', areas);
    AttachTopologyProps(lines, topology);

    Owned<TQTreeTopLin> tree(As<TQTreeTopLin>(RunAndFree(TReadLinesIntoQTree::New(), lines)));
    ASSERT_NE(tree.p, nullptr);
    RunAndFree(TPutNodesIntoQTree::New(), tree);
    EXPECT_EQ(tree->EdgeCount(), 7);  // the square in 2 pieces, the splitter in 3, the lone line
    RunAndFree(TNodesConector::New(), tree);
    RunAndFree(TDeleteDirectRelationsToLinesInQTree::New(), tree);
    EXPECT_TRUE(tree->IndexesEdges());
    TElement* built = RunAndFree(TCreateAreasForQTree::New(), tree);
    ASSERT_NE(built, nullptr);
    RunAndFree(TSubAreaMakerInQTree::New(), built);
    Owned<TEntity> regions(As<TEntity>(RunAndFree(THledacPloch::New(), built)));
    Free(built);
    ASSERT_NE(regions.p, nullptr);
    ASSERT_EQ(regions->ElementsCount(), 2);
    int clear = 0;
    for (int32_t i = 0; i < regions->ElementsCount(); ++i) {
        auto* region = As<TPolyLineAreaElement>(regions->Get(i));
        ASSERT_NE(region, nullptr);
        EXPECT_NEAR(region->GetWholeArea(), 50, 1e-9);
        EXPECT_GE(region->ElementsCount(), 2);  // pieces of the square and the splitter
        ASSERT_NE(GravoPropsOf(region->Get(0)), nullptr);  // the edges carry their lines' properties
        Owned<TFindAreaThroughLines> finder(TFindAreaThroughLines::New());
        finder->SetInput(region);
        finder->DoIt();
        if (finder->ClearFinding) {
            ++clear;
            EXPECT_EQ(finder->Output, left);
        }
    }
    EXPECT_EQ(clear, 1);

    // The export: a GeoPackage layer named as the block.
    TempDir dir("blk");
    RunAndFree(TMultiAreaPointPlacer::New(), regions);
    Owned<TExportAreasToGravo> exporter(TExportAreasToGravo::New());
    exporter->BlockName = dir.Path("Err0.blk");
    exporter->SetInput(regions);
    exporter->DoIt();
    EXPECT_EQ(exporter->Error, 0);
    GDALDatasetH ds = GDALOpenEx(dir.Path("Err0.blk").c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(ds, nullptr);
    OGRLayerH layer = GDALDatasetGetLayerByName(ds, "Err0");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(OGR_L_GetFeatureCount(layer, TRUE), 2);
    GDALClose(ds);
}

// Lines reaching near the largest double stay out of the noding (GEOS's noder did not end
// on them); the rest of the layer gets its topology.
TEST_F(Wendrik, LinesNearTheLargestDoubleAreNotNoded) {
    for (int i = 0; i < 30; ++i) {
        Line({{0, i * 10.0}, {300, i * 10.0 + 3}});
        Line({{i * 10.0, 0}, {i * 10.0 + 3, 300}});
    }
    auto* far = Line({{-465084.27, -1075660.59}, {1.6e308, -1.6e308}});
    Line({{5, 5}, {1.6e308, -1.6e308}});
    Line({{5, 5}, {-1.6e308, 1.6e308}});
    AttachTopologyProps(lines, std::make_shared<TGravoTopology>());
    EXPECT_TRUE(BuildLineTopology(lines).empty());
    TLineLinks middle = LinksOf(lines->Get(30));  // the 16th row: faces on both sides
    EXPECT_NE(middle.C, 0);
    EXPECT_NE(middle.D, 0);
    EXPECT_NE(middle.C, middle.D);
    EXPECT_EQ(LinksOf(far).C, 0);
}

TEST_F(Wendrik, BadGeometryBuildsNoTopologyButNoFailure) {
    Line({{NAN, 0}, {1, 1}});
    Line({{1, 1}});
    Line({});
    Line({{0, 0}, {0, 0}, {0, 0}});
    Line({{0, 0}, {1e300, 1e300}});
    AttachTopologyProps(lines, std::make_shared<TGravoTopology>());
    EXPECT_NO_THROW(BuildLineTopology(lines));
    Owned<TEntity> areas(TRectEntity::New());
    auto* bow = TAreaElement::New();  // self-intersecting
    bow->SetPoints({{0, 0}, {10, 10}, {10, 0}, {0, 10}, {0, 0}});
    areas->AddElement(bow);
    auto* two = TAreaElement::New();
    two->SetPoints({{0, 0}, {1, 1}});
    areas->AddElement(two);
    Owned<TMultiAreaPointPlacer> placer(TMultiAreaPointPlacer::New());
    placer->SetInput(areas);
    EXPECT_NO_THROW(placer->DoIt());
}

}  // namespace
