#include <gtest/gtest.h>

#include "workbench/print_pages.h"
#include "workbench_test_util.h"

namespace {

class PrintPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        wbtest::RegisterAll();
        device = wbtest::PaperDevice(0.21, 0.297);
        source = TRectEntity::New();
        grid = TPrintPages::New();
        grid->SetDevice(device);
    }
    void TearDown() override {
        Free(grid);
        Free(source);
        Free(device);
    }
    TBitmapDevice* device = nullptr;
    TRectEntity* source = nullptr;
    TPrintPages* grid = nullptr;
};

TEST_F(PrintPagesTest, SheetCountsFollowTheStepAndTheTolerance) {
    struct Case {
        const char* what;
        double w, h, scale, overlap;
        bool fit;
        int cols, rows;
    } cases[] = {
        {"a4 at 1:100", 100, 50, 100, 0, false, 5, 2},
        {"just over whole steps", 21 * 3.0005, 29.7, 100, 0, false, 3, 1},
        {"over the tolerance", 21 * 3.002, 29.7, 100, 0, false, 4, 1},
        {"exact steps", 42, 59.4, 100, 0, false, 2, 2},
        {"scale 0 reads as 1", 0.5, 0.5, 0, 0, false, 3, 2},
        {"negative scale reads as 1", 0.5, 0.5, -5, 0, false, 3, 2},
        {"overlap shortens the step", 0.4, 0.29, 1, 0.01, false, 2, 2},
        {"fit to one", 100, 50, 100, 0, true, 1, 1},
        {"empty source", 0, 0, 100, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        source->SetRect(10, 20, 10 + c.w, 20 + c.h);
        grid->SetFitToOne(c.fit);
        grid->SetOverlap(c.overlap);
        grid->SetScale(c.scale);
        grid->SetSource(source);
        EXPECT_EQ(grid->GetColCount(), c.cols);
        EXPECT_EQ(grid->GetRowCount(), c.rows);
        EXPECT_EQ(grid->PageCount(), c.cols * c.rows);
    }
}

TEST_F(PrintPagesTest, SheetsStartOneOverlapBeforeTheirCellRowByRowFromTheBottom) {
    source->SetRect(100, 200, 140, 250);
    grid->SetScale(100);
    grid->SetOverlap(0.005);
    grid->SetSource(source);
    double pw = (0.21 - 0.005) * 100, ph = (0.297 - 0.005) * 100;
    ASSERT_EQ(grid->GetColCount(), 2);
    ASSERT_EQ(grid->GetRowCount(), 2);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            TDrawRectangle* s = grid->GetPage(j * 2 + i);
            ASSERT_NE(s, nullptr);
            EXPECT_DOUBLE_EQ(s->GetMinX(), 100 + i * pw - 0.005);
            EXPECT_DOUBLE_EQ(s->GetMinY(), 200 + j * ph - 0.005);
            EXPECT_DOUBLE_EQ(s->GetWidth(), pw + 0.005);
            EXPECT_DOUBLE_EQ(s->GetHeight(), ph + 0.005);
            EXPECT_EQ(s->GetPenColor(), 0);
            EXPECT_EQ(s->GetBrushStyle(), bsSolid);
            EXPECT_EQ(s->GetBrushColor(), 0xFFFFFF);
        }
    EXPECT_DOUBLE_EQ(grid->GetMinX(), 100 - 0.005);
    EXPECT_DOUBLE_EQ(grid->GetMaxY(), 200 + 2 * ph);
}

TEST_F(PrintPagesTest, CentringMovesTheGridOntoTheSourceCentre) {
    source->SetRect(0, 0, 30, 30);
    grid->SetScale(100);
    grid->SetSource(source);
    double before = grid->GetPage(0)->GetMinX();
    grid->SetCenter(true);
    EXPECT_DOUBLE_EQ(grid->GetCenterX(), 15);
    EXPECT_DOUBLE_EQ(grid->GetCenterY(), 15);
    EXPECT_DOUBLE_EQ(grid->GetPage(0)->GetMinX(), before + 15 - 21);
    EXPECT_DOUBLE_EQ(grid->GetPages()->GetCenterX(), 15);
    // The same flag again does not rebuild, a scale does and keeps the centring.
    grid->SetScale(200);
    EXPECT_EQ(grid->PageCount(), 1);
    EXPECT_DOUBLE_EQ(grid->GetCenterX(), 15);
}

TEST_F(PrintPagesTest, AnOverlapAsLargeAsTheSheetOrTinySheetsBuildNothing) {
    source->SetRect(0, 0, 100, 100);
    grid->SetSource(source);
    grid->SetOverlap(0.21);
    EXPECT_TRUE(grid->GetNoStep());
    EXPECT_EQ(grid->PageCount(), 0);
    grid->SetOverlap(0.5);
    EXPECT_TRUE(grid->GetNoStep());
    grid->SetOverlap(0);
    grid->SetScale(1e-300);
    EXPECT_TRUE(grid->GetTooManyPages());
    EXPECT_EQ(grid->PageCount(), 0);
    grid->SetScale(1);  // 477 x 337 sheets
    EXPECT_TRUE(grid->GetTooManyPages());
    grid->SetScale(10);  // 48 x 34
    EXPECT_FALSE(grid->GetTooManyPages());
    EXPECT_EQ(grid->PageCount(), 48 * 34);
}

TEST_F(PrintPagesTest, AFreedSourceLeavesAnEmptyGrid) {
    TRectEntity* other = TRectEntity::New();
    other->SetRect(0, 0, 1, 1);
    grid->SetSource(other);
    EXPECT_EQ(grid->PageCount(), 5 * 4);
    Free(other);
    grid->BuildPages();
    EXPECT_EQ(grid->PageCount(), 0);
}

}  // namespace
