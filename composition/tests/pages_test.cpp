#include <gtest/gtest.h>

#include "composition/map_spaces.h"
#include "composition/pages.h"
#include "composition/views.h"
#include "page_test_util.h"

namespace {

using PagesTest = pagetest::PageModelTest;

// A page with the five number texts.
TDesktop* NewPage(double minX, double minY, double w, double h) {
    TDesktop* page = TDesktop::New();
    page->SetRect(minX, minY, minX + w, minY + h);
    for (const char* name : {"N", "L", "R", "T", "B"}) {
        TText* text = TText::New();
        text->SetName(name);
        page->AddElement(text);
    }
    return page;
}

std::string TextOf(TMultiPageDesktop* m, int32_t page, const char* name) {
    return As<TText>(m->GetPage(page)->FindElementName(name))->GetText();
}

// Four pages of 10 x 10 as a 2 x 2 grid, in the order lower left, lower right, upper left,
// upper right.
TMultiPageDesktop* NewGrid() {
    TMultiPageDesktop* m = TMultiPageDesktop::New();
    m->NumberTextName = "N";
    m->LeftNumberTextName = "L";
    m->RightNumberTextName = "R";
    m->TopNumberTextName = "T";
    m->BottomNumberTextName = "B";
    m->NoNumberText = "-";
    m->AddElement(NewPage(0, 0, 10, 10));
    m->AddElement(NewPage(10, 0, 10, 10));
    m->AddElement(NewPage(0, 10, 10, 10));
    m->AddElement(NewPage(10, 10, 10, 10));
    return m;
}

TEST_F(PagesTest, MultiPageNumbersAndNeighbourTexts) {
    TMultiPageDesktop* m = NewGrid();
    EXPECT_EQ(m->GetActualNumber(), 0);
    EXPECT_EQ(m->GetActualRightNumber(), 0);  // no actual page yet
    m->SetFillNumbers(true);
    EXPECT_EQ(m->GetActualNumber(), 4);
    struct Row {
        const char *name, *n, *l, *r, *t, *b;
    };
    const Row rows[] = {{"Page 1", "1", "-", "2", "3", "-"},
                        {"Page 2", "2", "1", "-", "4", "-"},
                        {"Page 3", "3", "-", "4", "-", "1"},
                        {"Page 4", "4", "3", "-", "-", "2"}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m->GetPage(i)->GetName(), rows[i].name);
        EXPECT_EQ(TextOf(m, i, "N"), rows[i].n);
        EXPECT_EQ(TextOf(m, i, "L"), rows[i].l);
        EXPECT_EQ(TextOf(m, i, "R"), rows[i].r);
        EXPECT_EQ(TextOf(m, i, "T"), rows[i].t);
        EXPECT_EQ(TextOf(m, i, "B"), rows[i].b);
    }
    m->SetFIndPageNumber(0);
    EXPECT_EQ(m->GetActualNumber(), 1);
    EXPECT_EQ(m->GetActualTopNumber(), 3);
    m->SetFIndPageNumber(99);
    EXPECT_EQ(m->GetActualNumber(), 4);
    EXPECT_EQ(m->GetPage(99), m->GetPage(3));
    EXPECT_EQ(m->PageNumberAt(5, 15), 3);
    EXPECT_EQ(m->PageNumberAt(50, 50), 0);

    // Deleting: out of range changes nothing; the actual page first.
    m->SetPageNumberToDelete(0);
    m->SetPageNumberToDelete(5);
    EXPECT_EQ(m->PageCount(), 4);
    m->SetFIndPageNumber(1);
    m->SetPageNumberToDelete(1);
    ASSERT_EQ(m->PageCount(), 3);
    EXPECT_EQ(m->GetActualNumber(), 3);
    EXPECT_EQ(m->GetPage(0)->GetName(), "Page 1");
    EXPECT_EQ(TextOf(m, 0, "N"), "1");
    EXPECT_EQ(TextOf(m, 0, "L"), "-");  // the old page 2 lost its left neighbour
    EXPECT_EQ(TextOf(m, 0, "T"), "3");
    EXPECT_EQ(m->GetPage(2)->GetName(), "Page 3");
    for (int n = 3; n >= 1; --n) m->SetPageNumberToDelete(n);
    EXPECT_EQ(m->PageCount(), 0);
    EXPECT_EQ(m->GetActualPage(), nullptr);
    EXPECT_EQ(m->GetPage(0), nullptr);
    m->SetFIndPageNumber(1);
    m->SetFillNumbers(true);
    EXPECT_EQ(m->GetActualNumber(), 0);
    EXPECT_EQ(m->GetActualLeftNumber(), 0);
    Free(m);
}

TEST_F(PagesTest, APageHoldsOneMapSpace) {
    TDesktop* page = TDesktop::New();
    TMapSpace* first = TMapSpace::New();
    page->SetMapSpace(first);
    page->SetMapSpace(first);
    EXPECT_EQ(page->ElementsCount(), 1);
    TMapSpace* second = TMapSpace::New();
    page->SetMapSpace(second);
    EXPECT_FALSE(IsLive(first));
    EXPECT_EQ(page->GetMapSpace(), second);
    EXPECT_EQ(page->ElementsCount(), 1);
    page->FreeElement(second);
    EXPECT_EQ(page->GetMapSpace(), nullptr);
    Free(page);
}

TEST_F(PagesTest, OverlappingPagesGoToTheEarlierOne) {
    TMultiPageDesktop* m = TMultiPageDesktop::New();
    m->AddElement(NewPage(0, 0, 10, 10));
    m->AddElement(NewPage(5, 0, 10, 10));
    m->SetFIndPageNumber(1);
    EXPECT_EQ(m->PageNumberAt(7, 5), 1);
    EXPECT_EQ(m->PageNumberAt(12, 5), 2);
    Free(m);
}

TEST_F(PagesTest, DesktopsWithNestedFilesAndSheetsSurviveAModelFile) {
    TMultiPageDesktop* m = NewGrid();
    m->Overlap = 0.01;
    m->RealOverlap = 50;
    m->SetFillNumbers(true);
    TDeskTopFile* file = TDeskTopFile::New();
    file->SetFileName(Path("frame.zrx"));
    file->DeltaX = 0.5;
    file->DeltaY = -0.25;
    m->GetPage(0)->AddElement(file);
    TmapSheet* sheet = TmapSheet::New();
    ClearHostLog();
    sheet->SetSave("a");
    sheet->SetSave("b");
    EXPECT_EQ(HostLog(), (std::vector<std::string>{"MessageBeep(0)", "MessageBeep(0)"}));
    m->GetPage(1)->AddElement(sheet);
    TView* view = TView::New();
    view->SetName("MAP");
    m->GetPage(1)->AddElement(view);

    // Neither the actual page nor the read-only numbers are stored.
    for (const char* name : {"ActualPage", "ActualNumber", "ActualLeftNumber", "ActualRightNumber", "ActualTopNumber",
                             "ActualBottomNumber"})
        EXPECT_FALSE(IsStoredProp(m, *GetPropInfo(m, name))) << name;
    TMultiPageDesktop* back = RoundTrip(m);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->PageCount(), 4);
    EXPECT_DOUBLE_EQ(back->Overlap, 0.01);
    EXPECT_DOUBLE_EQ(back->RealOverlap, 50);
    EXPECT_EQ(back->NoNumberText, "-");
    EXPECT_EQ(back->BottomNumberTextName, "B");
    EXPECT_EQ(back->GetActualPage(), nullptr);  // not stored
    TDesktop* p1 = back->GetPage(0);
    EXPECT_EQ(p1->GetBrushColor(), clWhite);
    EXPECT_EQ(As<TText>(p1->FindElementName("R"))->GetText(), "2");
    auto* f = As<TDeskTopFile>(p1->FindElementClass(TDeskTopFile::StaticClass()));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetFileName(), Path("frame.zrx"));
    EXPECT_DOUBLE_EQ(f->DeltaX, 0.5);
    EXPECT_DOUBLE_EQ(f->DeltaY, -0.25);
    auto* s = As<TmapSheet>(back->GetPage(1)->FindElementClass(TmapSheet::StaticClass()));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetSave(), "b");
    EXPECT_NE(FindView(back->GetPage(1), "map"), nullptr);
    EXPECT_EQ(FindView(back->GetPage(1), "N"), nullptr);  // a text, not a view
    Free(back);
}

}  // namespace
