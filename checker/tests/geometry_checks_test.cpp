#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "../../kernel/tests/test_support.h"
#include "../../platform/tests/test_support.h"
#include "composition/modelfile.h"
#include "checker/check_tools.h"
#include "checker/geometry_checks.h"
#include "checker/spatial_operations.h"
#include "geometry_fixture.h"
#include "gravo/topology.h"

namespace {

TEST_F(GeometryChecks, SegmentLengthsAgainstTheBounds) {
    struct Case {
        double min, max;
        bool outside;
        std::vector<T2DPoint> pts;
        int32_t error;
    };
    const double nan = NAN;
    const Case cases[] = {
        {1, 10, false, {{0, 0}, {10, 0}}, 0},
        {1, 10, false, {{0, 0}, {3, 0}, {13.5, 0}}, 5012},
        {1, 10, false, {{0, 0}, {0.5, 0}}, 5011},
        {1, 10, false, {{0, 0}, {1, 0}}, 0},
        {0, 5, true, {{0, 0}, {5, 0}}, 5013},
        {0, 5, true, {{0, 0}, {6, 0}}, 0},
        {1, 10, false, {{0, 0}}, 0},
        {1, 10, false, {}, 0},
        {1, 10, false, {{nan, 0}, {3, 0}}, 0},
        {1, 10, false, {{0, 0}, {INFINITY, 0}}, 5012},
        {1, 10, false, {{2, 2}, {2, 2}}, 5011},
    };
    Owned<TCheckPolyDistance> check(TCheckPolyDistance::New());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " " << c.pts.size());
        check->MinValue = c.min;
        check->MaxValue = c.max;
        check->OutSide = c.outside;
        EXPECT_EQ(Run(check, Line(c.pts)), c.error);
    }
    Run(check, Line({{0, 0}, {2, 0.5}, {12.5, 0.5}}));
    check->MinValue = 1;
    check->MaxValue = 10;
    check->OutSide = false;
    EXPECT_EQ(Run(check, Line({{0, 0}, {2, 0.5}, {12.5, 0.5}})), 5012);
    EXPECT_EQ(check->GetErrorMsg(), "Hodnota: 10,5 sour:[2,0,5]");
    EXPECT_EQ(Run(check, Line({{0, 0}, {2, 0}})), 0);
    EXPECT_EQ(check->GetErrorMsg(), "");
}

TEST_F(GeometryChecks, AnglesFindTheFirstSharpVertex) {
    Owned<TCheckPolyAngle> check(TCheckPolyAngle::New());
    check->MinValue = 10;
    check->MaxValue = 180;
    EXPECT_EQ(Run(check, Line({{0, 0}, {10, 0}})), 0);
    EXPECT_EQ(Run(check, Line({{0, 0}, {10, 0}, {10, 10}, {20, 10}})), 0);
    // A spike at (10,0): out to it and straight back.
    EXPECT_EQ(Run(check, Line({{0, 0}, {5, 0}, {10, 0}, {0, 0.1}, {0, 10}})), 5001);
    EXPECT_EQ(check->X, 10);
    EXPECT_EQ(check->Y, 0);
    EXPECT_EQ(check->GetErrorMsg().rfind("Hodnota:0,", 0), 0u) << check->GetErrorMsg();
    EXPECT_EQ(Run(check, Line({{NAN, 0}, {5, 0}, {10, 0}})), 0);
    check->MaxValue = 170;  // a straight run is above
    EXPECT_EQ(Run(check, Line({{0, 0}, {5, 0}, {10, 0}})), 5002);
}

TEST_F(GeometryChecks, OverlayComparesEachLineWithTheEarlierOnes) {
    Owned<TCheckPolyLineOverlay> check(TCheckPolyLineOverlay::New());
    check->Tolerance = 0.1;
    struct Step {
        std::vector<T2DPoint> pts;
        int32_t error;
    };
    const Step steps[] = {
        {{{0, 0}, {10, 0}}, 0},                    // the first line is never compared
        {{{10, 0}, {20, 5}}, 0},                   // continues at the end
        {{{0, 0.05}, {10, 0.05}}, 5022},           // the first line again, within tolerance
        {{{-5, 0}, {15, 0}, {15, 3}}, 5021},       // runs on the first line in its middle
        {{{3, 3}, {3, 3}}, 5023},                  // no length: nothing to compare
        {{{NAN, 1}, {4, 4}}, 5023},                // nor with a coordinate that is no number
        {{{5, -5}, {5, 5}}, 0},                    // crosses
    };
    for (const Step& s : steps) {
        TPolyLineElement* line = Line(s.pts);
        EXPECT_EQ(Run(check, line), s.error) << line->GetVertices();
    }
    EXPECT_EQ(check->GetErrorMsg(), "");
    EXPECT_EQ(check->GetQTree()->Count(), 6);  // the line with no number is not held
    Run(check, Line({{0, 0}, {10, 0}}));
    EXPECT_EQ(check->GetErrorMsg(), " sour:[5,0]");
}

TEST_F(GeometryChecks, PointNearAnEarlierPoint) {
    struct Case {
        double tolerance;
        T2DPoint a, b;
        int32_t second;
    };
    const Case cases[] = {
        {1, {0, 0}, {0, 0}, 6021},
        {0.001, {0, 0}, {0, 0}, 6021},
        {0, {0, 0}, {0, 0}, 0},  // strict: with no tolerance nothing is near
        {1, {0, 0}, {1, 0}, 0},
        {1, {0, 0}, {0.6, 0.6}, 6021},
        {NAN, {0, 0}, {0, 0}, 0},
        {1, {NAN, 0}, {NAN, 0}, 0},
    };
    for (const Case& c : cases) {
        Owned<TCheckPointPointDistance> check(TCheckPointPointDistance::New());
        check->Tolerance = c.tolerance;
        EXPECT_EQ(Run(check, Point(c.a.X, c.a.Y)), 0);
        EXPECT_EQ(Run(check, Point(c.b.X, c.b.Y)), c.second) << c.tolerance << " " << c.b.X;
        if (c.second) {
            EXPECT_EQ(check->GetErrorMsg(), " sour:[" + FloatToStr(c.b.X) + "," + FloatToStr(c.b.Y) + "]");
        }
    }
}

TEST_F(GeometryChecks, PointOnOrOffTheLines) {
    Line({{0, 0}, {100, 0}});
    TPointElement* on = Point(50, 0.5);
    TPointElement* off = Point(50, 5);
    for (bool inTolerance : {true, false}) {
        Owned<TCheckPointLineDistance> check(TCheckPointLineDistance::New());
        check->Tolerance = 1;
        check->InTolerance = inTolerance;
        EXPECT_EQ(Run(check, on), inTolerance ? 0 : 6021);
        EXPECT_EQ(Run(check, off), inTolerance ? 6021 : 0);
        EXPECT_EQ(check->GetQTree()->Count(), 1);
    }
    // A point outside a model has no lines to be tested against.
    Owned<TCheckPointLineDistance> check(TCheckPointLineDistance::New());
    check->InTolerance = true;
    Owned<TPointElement> lone(TPointElement::New(0, 50));
    EXPECT_EQ(Run(check, lone), 0);
    EXPECT_EQ(check->GetQTree(), nullptr);
    // The filter leaves out the points whose property is not listed.
    check->SetPropertyStringByName("PropertyName", "SymbolCode");
    check->SetPropertyStringByName("ValuesString", "7");
    off->SetSymbolCode(3);
    EXPECT_EQ(Run(check, off), 0);
    off->SetSymbolCode(7);
    EXPECT_EQ(Run(check, off), 6021);
    // A property the point does not have: the failure is told and the point passes.
    check->SetPropertyStringByName("PropertyName", "NoSuchProperty");
    EXPECT_NO_THROW(EXPECT_EQ(Run(check, off), 0));
}

// The check behaves the same whether its filter was set in code or read from a model file.
TEST_F(GeometryChecks, PointLineFilterAfterALoad) {
    Line({{0, 0}, {100, 0}});
    TPointElement* off = Point(50, 5);
    TempDir scratch("pointline");
    const std::string file = scratch.Path() + "/check.zrx";
    {
        Owned<TCheckPointLineDistance> made(TCheckPointLineDistance::New());
        made->Tolerance = 1;
        made->InTolerance = true;
        made->SetPropertyStringByName("PropertyName", "SymbolCode");
        made->SetPropertyStringByName("ValuesString", "7");
        Owned<TSave> save(TSave::New(file));
        save->SetInput(made);
        save->DoIt();
    }
    Owned<TLoad> load(TLoad::New(file));
    load->DoIt();
    Owned<TCheckPointLineDistance> loaded(As<TCheckPointLineDistance>(load->Output));
    ASSERT_NE(loaded.p, nullptr);
    const int32_t children = loaded->ElementsCount();
    off->SetSymbolCode(3);
    EXPECT_EQ(Run(loaded, off), 0);
    EXPECT_EQ(loaded->GetQTree(), nullptr);  // a point the filter leaves out builds nothing
    off->SetSymbolCode(7);
    EXPECT_EQ(Run(loaded, off), 6021);
    EXPECT_EQ(loaded->GetPropertyStringByName("ValuesString"), "7");
    EXPECT_EQ(loaded->ElementsCount(), children);
    // Without a filter no filter child is made by the test.
    Owned<TCheckPointLineDistance> plain(TCheckPointLineDistance::New());
    plain->Tolerance = 1;
    plain->InTolerance = true;
    EXPECT_EQ(Run(plain, off), 6021);
    EXPECT_EQ(plain->ElementsCount(), 0);
}

TEST_F(GeometryChecks, AreaReferencePointInside) {
    Owned<TCheckAreaPointInside> check(TCheckAreaPointInside::New());
    TAreaElement* square = Area({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    EXPECT_EQ(Run(check, square), 0);
    square->SetRefX(20);
    EXPECT_EQ(Run(check, square), 6001);
    EXPECT_EQ(check->GetErrorMsg(), " X: 20 Y: 5");
    EXPECT_EQ(Run(check, Area({})), 6001);  // no area holds a point
    EXPECT_NO_THROW(Run(check, Area({{0, 0}, {10, 10}, {10, 0}, {0, 10}, {0, 0}})));  // a bow tie
    EXPECT_EQ(Run(check, Point(1, 1)), 0);
}

TEST_F(GeometryChecks, AreaInItsFather) {
    Owned<TAreaString> fathers(TAreaString::New());
    auto* father = TAreaElement::New();
    father->SetPoints({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}});
    fathers->AddElement(father);
    fathers->AddElement(TPointElement::New(1, 1));
    auto topology = std::make_shared<TGravoTopology>();
    topology->SetLayer('P', fathers);
    TAreaElement* child = Area({{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}});
    TAreaElement* away = Area({{210, 10}, {220, 10}, {220, 20}, {210, 20}, {210, 10}});
    AttachTopologyProps(areas, topology);
    auto father_of = [](TAreaElement* a, int32_t index) { As<TGravoAreaProps>(a->GetPropertyObject())->FatherIndex = index; };
    Owned<TCheckGravoAreaInFather> check(TCheckGravoAreaInFather::New());
    struct Case {
        TAreaElement* area;
        int32_t father, error;
    };
    for (Case c : {Case{child, 0, 0}, Case{child, -1, 0}, Case{away, 0, 6012}, Case{child, 1, 6011}, Case{child, 5, 6011}}) {
        father_of(c.area, c.father);
        EXPECT_EQ(Run(check, c.area), c.error) << c.father;
    }
    EXPECT_EQ(Run(check, Line({{0, 0}, {1, 1}})), 0);  // no area properties
}

TEST_F(GeometryChecks, LineLinks) {
    Owned<TCheckLineConnection> check(TCheckLineConnection::New());
    TPolyLineElement* line = Line({{0, 0}, {4, 2}});
    EXPECT_EQ(Run(check, line), 0);  // no property object
    AttachTopologyProps(lines, std::make_shared<TGravoTopology>());
    TGravoProps* props = GravoPropsOf(line);
    ASSERT_EQ(props->Number, 1);
    struct Case {
        TLineLinks links;
        int32_t error;
    };
    const Case cases[] = {
        {{2, true, 3, false, 1, 2}, 0},
        {{0, false, 3, false, 1, 2}, 10001},
        {{0, false, 0, false, 1, 2}, 10002},
        {{2, true, 3, false, 0, 2}, 10003},
        {{2, true, 3, false, 0, 0}, 10004},
        {{1, true, 3, false, 1, 1}, 10005},
        {{1, false, 3, false, 1, 1}, 0},
        {{1, true, 1, false, 1, 1}, 10006},
        {{2, true, 1, true, 1, 1}, 0},
    };
    for (const Case& c : cases) {
        WriteLinkRecord(props->LinkRecord, c.links);
        EXPECT_EQ(Run(check, line), c.error) << c.links.A << " " << c.links.B << " " << c.links.C << " " << c.links.D;
    }
    EXPECT_EQ(check->GetErrorMsg(), "");
    EXPECT_EQ(props->LinkRecord[5], 1);  // B, little-endian after A and its flag
}

TEST_F(GeometryChecks, ResetKeepsTheTree) {
    Owned<TCheckPointPointDistance> check(TCheckPointPointDistance::New());
    check->Tolerance = 1;
    Run(check, Point(0, 0));
    EXPECT_EQ(Run(check, Point(0, 0)), 6021);
    check->Reset();
    EXPECT_EQ(check->State, 0);
    EXPECT_EQ(check->X, 0);
    EXPECT_EQ(check->GetQTree()->Count(), 2);
}

TEST_F(GeometryChecks, SpatialOperations) {
    TAreaElement* left = Area({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    TAreaElement* right = Area({{10, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 0}});
    right->SetSkip(true);
    left->AddElement(TPolyLineElement::New());
    Point(5, 5);
    Point(15, 5);
    Point(50, 5);

    auto run = [](TTool* tool, TElement* input) {
        tool->SetInput(input);
        tool->DoIt();
        return tool->Output;
    };
    Owned<TSpaceStringToQTree> toTree(TSpaceStringToQTree::New());
    Owned<TSpaceEntityQTree> tree(As<TSpaceEntityQTree>(run(toTree, areas)));
    ASSERT_EQ(tree->Count(), 2);
    Owned<TFindFirstSpaceEntityForXY> find(TFindFirstSpaceEntityForXY::New());
    struct Case {
        double x, y;
        TElement* found;
    };
    for (Case c : {Case{5, 5, left}, Case{10, 5, left}, Case{15, 5, right}, Case{25, 5, nullptr}, Case{NAN, 5, nullptr}}) {
        find->X = c.x;
        find->Y = c.y;
        EXPECT_EQ(run(find, tree), c.found) << c.x;
    }
    EXPECT_EQ(run(find, left), nullptr);  // not a tree

    Owned<TSpOperInside> inside(TSpOperInside::New());
    inside->SetOperand(areas);
    Owned<TSpaceEntityString> found(As<TSpaceEntityString>(run(inside, points)));
    ASSERT_NE(found.p, nullptr);
    EXPECT_EQ(found->ElementsCount(), 2);
    EXPECT_EQ(found->GetMaxX(), 15);

    Owned<TAreasToQTree> areaTree(TAreasToQTree::New());
    Owned<TSpaceEntityQTree> unskipped(As<TSpaceEntityQTree>(run(areaTree, model)));
    EXPECT_EQ(unskipped->Count(), 1);

    Owned<TAreaToAreaAndLines> parts(TAreaToAreaAndLines::New());
    Owned<TRectEntity> whole(As<TRectEntity>(run(parts, left)));
    EXPECT_EQ(whole->ElementsCount(), 2);
    EXPECT_EQ(whole->GetMaxX(), 10);
}

}  // namespace
