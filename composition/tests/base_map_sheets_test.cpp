#include "composition/base_map_sheets.h"

#include <cmath>

#include "sheets_test_util.h"

namespace sheets {
namespace {

using BaseMapTest = SheetsTest;

TMapsZM* Sheet(int32_t scale, int32_t n200, int32_t n100, int32_t n50, int32_t n25, int32_t n10) {
    TMapsZM* zm = TMapsZM::New();
    zm->SetScale(scale);
    zm->SetMap200(n200);
    zm->SetMap100(n100);
    zm->SetMap50(n50);
    zm->SetMap25(n25);
    zm->SetMap10(n10);
    return zm;
}

TEST_F(BaseMapTest, NewElementBoundsTheWholeBaseMap) {
    TMapsZM* zm = TMapsZM::New();
    EXPECT_EQ(zm->GetScale(), 200000);
    EXPECT_EQ(zm->GetMap200(), 0);
    EXPECT_EQ(zm->GetMapName(), "");
    EXPECT_DOUBLE_EQ(zm->GetMinX(), -934619.816);   // node 31
    EXPECT_DOUBLE_EQ(zm->GetMaxX(), -437863.421);   // node 16
    EXPECT_DOUBLE_EQ(zm->GetMinY(), -1269686.596);  // node 46
    EXPECT_DOUBLE_EQ(zm->GetMaxY(), -909652.431);   // node 1
    Free(zm);
}

TEST_F(BaseMapTest, NumbersAreCheckedAgainstTheLevelAbove) {
    struct Case {
        int32_t n200, n100, n50, n25, n10;
        int32_t got200, got100, got50, got25, got10;
    } cases[] = {
        {5, 1, 1, 1, 1, 0, 0, 0, 0, 0},        // 5 is no sheet, so nothing below holds
        {31, 1, 1, 1, 1, 0, 0, 0, 0, 0},
        {35, 4, 4, 4, 25, 35, 4, 4, 4, 25},
        {3, 2, 4, 0, 26, 3, 2, 4, 0, 0},
        {3, 5, 4, 1, 1, 3, 0, 0, 0, 0},
        {1, 1, 0, 1, 1, 1, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        TMapsZM* zm = Sheet(10000, c.n200, c.n100, c.n50, c.n25, c.n10);
        EXPECT_EQ(zm->GetMap200(), c.got200) << c.n200;
        EXPECT_EQ(zm->GetMap100(), c.got100) << c.n200;
        EXPECT_EQ(zm->GetMap50(), c.got50) << c.n200;
        EXPECT_EQ(zm->GetMap25(), c.got25) << c.n200;
        EXPECT_EQ(zm->GetMap10(), c.got10) << c.n200;
        Free(zm);
    }
}

TEST_F(BaseMapTest, NamesCornersCentresAndAngle) {
    struct Case {
        int32_t scale;
        const char* name;
    } cases[] = {{200000, "03"}, {100000, "03-2"}, {50000, "03-24"}, {25000, "03-243"}, {10000, "03-24-07"}};
    for (const Case& c : cases) {
        TMapsZM* zm = Sheet(c.scale, 3, 2, 4, 3, 7);
        EXPECT_EQ(zm->GetMapName(), c.name);
        // The centre of the level's sheet names it again.
        TMapsZM* finder = TMapsZM::New();
        finder->SetScale(c.scale);
        EXPECT_EQ(finder->FindMapNameAt(zm->GetZMCenterX(), zm->GetZMCenterY()), c.name);
        EXPECT_EQ(finder->GetMap200(), 3);
        Free(finder);
        Free(zm);
    }

    // Sheet 1: nodes 1, 2, 11, 12 with (x, y) = (-B, -A).
    TMapsZM* zm = Sheet(200000, 1, 0, 0, 0, 0);
    const TCorners& c = zm->Corners(200000);
    EXPECT_EQ(c[0], (T2DPoint{-898025.984, -909652.431}));
    EXPECT_EQ(c[1], (T2DPoint{-805128.319, -924005.96}));
    EXPECT_EQ(c[2], (T2DPoint{-910223.928, -984669.564}));
    EXPECT_EQ(c[3], (T2DPoint{-816140.335, -999206.329}));
    EXPECT_DOUBLE_EQ(zm->GetZMCenterX(), (-898025.984 - 805128.319 - 910223.928 - 816140.335) / 4);
    EXPECT_DOUBLE_EQ(zm->GetAngle(), std::atan2(-999206.329 + 984669.564, -816140.335 + 910223.928));
    // Quadrant 4 keeps the lower right corner; cell 25 of its 1:50000 quadrant 4 too.
    zm->SetMap100(4);
    EXPECT_EQ(zm->Corners(100000)[3], c[3]);
    zm->SetMap50(4);
    zm->SetMap10(25);
    EXPECT_NEAR(zm->Corners(10000)[3].X, c[3].X, 1e-6);
    EXPECT_NEAR(zm->Corners(10000)[3].Y, c[3].Y, 1e-6);
    zm->SetMap10(1);
    EXPECT_EQ(zm->Corners(10000)[0], zm->Corners(50000)[0]);
    Free(zm);

    TMapsZM* finder = TMapsZM::New();
    finder->SetScale(10000);
    EXPECT_EQ(finder->FindMapNameAt(0, 0), "");
    Free(finder);
}

TEST_F(BaseMapTest, MapNameIsReadBackAndABadNameIsShown) {
    TMapsZM* zm = TMapsZM::New();
    zm->SetMapName("03-24-07");
    EXPECT_EQ(zm->GetScale(), 10000);
    EXPECT_EQ(zm->GetMap200(), 3);
    EXPECT_EQ(zm->GetMap100(), 2);
    EXPECT_EQ(zm->GetMap50(), 4);
    EXPECT_EQ(zm->GetMap10(), 7);
    EXPECT_TRUE(HostLog().empty());

    for (const char* bad : {"03-2x-09", "03-2"}) {
        ClearHostLog();
        zm->SetMapName(bad);
        ASSERT_EQ(HostLog().size(), 1u);
        EXPECT_EQ(HostLog()[0], Cz("Špatné jméno mapy ZM: ") + bad);
        EXPECT_EQ(zm->GetMap100(), 2);  // parsed before the fault
        EXPECT_EQ(zm->GetMap10(), 7);   // not reached
    }
    Free(zm);
}

// The frames of the base map on a raster, at a drawing scale that shows or hides the
// 1:100000 division.
TEST_F(BaseMapTest, InterpretDrawsFinerFramesOnlyAtLargerScales) {
    TMapsZM* probe = Sheet(200000, 13, 0, 0, 0, 0);
    const TCorners c = probe->Corners(200000);
    Free(probe);
    // A point on the frame's upper edge, and one on the 1:100000 division below it.
    T2DPoint edge{(c[0].X + c[1].X) / 2, (c[0].Y + c[1].Y) / 2};
    T2DPoint centre{(edge.X + (c[2].X + c[3].X) / 2) / 2, (edge.Y + (c[2].Y + c[3].Y) / 2) / 2};
    T2DPoint division{(3 * edge.X + centre.X) / 4, (3 * edge.Y + centre.Y) / 4};
    auto inked = [](TBitmapDevice* dev, const T2DPoint& p) {
        TPixelPoint px = dev->GetProjection()->GetPagePoint(p);
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if (TColor p = dev->GetBitmap()->Pixel(px.X + dx, px.Y + dy); p != clWhite && p != -1) return true;
        return false;
    };
    struct Case {
        double scale;
        bool division;
    } cases[] = {{5000000, false}, {3000000, true}, {9000000, false}};
    for (const Case& k : cases) {
        TBitmapDevice* dev = TBitmapDevice::New();
        dev->SetPageSize(400, 400);
        // The same model region at every scale: 200 m a pixel.
        dev->GetPage()->SetResolution(k.scale / 200, k.scale / 200);
        dev->GetProjection()->ChangeProjection(centre, dev->GetPage(), k.scale);
        dev->Clear();
        TMapsZM* zm = TMapsZM::New();
        zm->SetScale(10000);
        zm->SetColor(clRed);
        TInterpretZM* i = TInterpretZM::New();
        i->SetDevice(dev);
        i->SetInput(zm);
        i->DoIt();
        EXPECT_EQ(inked(dev, edge), k.scale < 8000000) << k.scale;
        EXPECT_EQ(inked(dev, division), k.division) << k.scale;
        EXPECT_EQ(zm->GetMap100(), 0);  // cleared after each 1:200000 sheet
        Free(i);
        Free(zm);
        Free(dev);
    }
}

}  // namespace
}  // namespace sheets
