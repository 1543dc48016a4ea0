#include "composer/tiling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>

#include "composer_test_support.h"
#include "composer/composer.h"
#include "composition/pages.h"
#include "composition/views.h"
#include "kernel/messages.h"
#include "kernel/world.h"
#include "pelvar/map_world.h"
#include "platform/forms.h"

namespace {

// Holds the tool and keeps the texts of the notes (8) posted to it.
class TNoteHolder : public TOwnerEntity {
    ZARIX_CLASS(TNoteHolder, TOwnerEntity)
public:
    std::vector<std::string> Notes;
    void HandleMessage(TZarixMessage*& message, bool& handled) override {
        if (auto* t = As<TZarixTextMessage>(message); t && t->Message == tm_TextNote) {
            Notes.push_back(t->GetMessageText());
            handled = true;
            return;
        }
        TOwnerEntity::HandleMessage(message, handled);
    }
};

class TilingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterComposerClasses();
        RegisterZarixClass<TNoteHolder>();
    }
    void SetUp() override {
        SetUserHost(&host);
        world = TWCSWorld::New();
        World = world;
        world->HookApplication();
        holder = TNoteHolder::New();
        world->AddElement(holder);
    }
    void TearDown() override {
        Free(world);
        World = nullptr;
        SetUserHost(nullptr);
    }
    // A desktop 1 x 1 with one view "SRC" of the size at scale 1000 over a model of
    // 10 km x 10 km; the caller's.
    TDesktop* Source(double w, double h) {
        TDesktop* d = TDesktop::New();
        d->SetRect(0, 0, 1, 1);
        TView* v = TView::New();
        v->SetName("SRC");
        d->AddElement(v);
        v->SetRect(0, 0, w, h);
        TRectEntity* model = TRectEntity::New();
        model->SetRect(0, 0, 10000, 10000);
        v->SetModel(model);
        v->SetScale(1000);
        v->SetModelCenterX(5000);
        v->SetModelCenterY(5000);
        return d;
    }
    // A page template 0.3 x 0.25 with a view "MAP" of 0.21 x 0.2.
    std::string Template() {
        std::string path = dir.Path("page.msd");
        WriteText(path,
                  "[TDesktop]\r\nNAME=A\r\nMinX=0\r\nMinY=0\r\nMaxX=0.3\r\nMaxY=0.25\r\nEND\r\n"
                  "[TView]\r\nNAME=MAP\r\nMinX=0.01\r\nMinY=0.01\r\nMaxX=0.22\r\nMaxY=0.21\r\nEND\r\n");
        return path;
    }
    template <class T> T* Tool() {
        T* t = T::New();
        holder->AddElement(t);
        return t;
    }
    std::vector<std::string> Notes() {
        Application().ProcessMessages();
        return holder->Notes;
    }

    ScriptedHost host;
    TWCSWorld* world = nullptr;
    TNoteHolder* holder = nullptr;
    TempDir dir{"tiling"};
};

TEST_F(TilingTest, TilesCoverTheViewInWholeTiles) {
    struct Case {
        double width;
        int columns;
    } cases[] = {{0.25, 3}, {0.2, 2}, {0.05, 1}};
    for (const Case& c : cases) {
        TDesktop* d = Source(c.width, 0.1);
        auto* tile = Tool<TTileTemplate>();
        tile->TileX = 0.1;
        tile->TileY = 0.1;
        tile->dX = 0.005;
        tile->Margin = 0.01;
        tile->SetInput(d);
        tile->DoIt();
        EXPECT_EQ(tile->Output, d);
        EXPECT_EQ(d->FindElementName("SRC"), nullptr);
        EXPECT_EQ(d->GetClassCount(TView::StaticClass()), c.columns) << c.width;
        EXPECT_NEAR(d->GetWidth(), c.columns * 0.1 + (c.columns - 1) * 0.005 + 0.02, 1e-12) << c.width;
        TView* last = FindView(d, "V-" + std::to_string(c.columns - 1) + "-0");
        ASSERT_NE(last, nullptr);
        EXPECT_NEAR(last->GetRefX(), (0.1 + 0.005) * (c.columns - 1) + 0.01, 1e-12);
        EXPECT_NEAR(last->GetWidth(), 0.1, 1e-12);
        EXPECT_EQ(last->GetPenStyle(), psClear);
        // neighbouring tiles show neighbouring parts of the one model
        TView* first = FindView(d, "V-0-0");
        EXPECT_EQ(first->GetModel(), last->GetModel());
        EXPECT_NEAR(first->GetModelCenterX(), 5000 - 50 * c.columns + 50, 1e-6);
        EXPECT_NEAR(last->GetModelCenterX() - first->GetModelCenterX(), 100 * (c.columns - 1), 1e-6);
        Free(d);
    }
}

TEST_F(TilingTest, FramesAndReferSpace) {
    TDesktop* d = Source(0.25, 0.1);
    auto* tile = Tool<TTileTemplate>();
    tile->TileX = tile->TileY = 0.1;
    tile->Frame = true;
    tile->FrameColor = 255;
    tile->SetInput(d);
    tile->DoIt();
    TView* v = FindView(d, "V-1-0");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->GetPenStyle(), psSolid);
    EXPECT_EQ(v->GetPenColor(), 255);
    Free(d);

    d = Source(0.25, 0.1);
    TRectEntity* refer = TRectEntity::New();
    tile->ReferSpace = refer;
    tile->SetInput(d);
    tile->DoIt();
    TView* src = FindView(d, "SRC");
    ASSERT_NE(src, nullptr);  // not tiled
    EXPECT_NEAR(src->GetWidth(), 0.3, 1e-12);
    EXPECT_NEAR(refer->GetWidth(), 300, 1e-6);
    EXPECT_EQ(src->FindElementClass(TModelScript::StaticClass()), nullptr);
    Free(refer);
    tile->ReferSpace = nullptr;
    Free(d);

    tile->TileX = 0;
    d = Source(0.25, 0.1);
    tile->SetInput(d);
    tile->DoIt();
    EXPECT_NE(FindView(d, "SRC"), nullptr);
    EXPECT_EQ(Notes().size(), 1u);
    Free(d);
}

TEST_F(TilingTest, MultiPageDesktopPagesAndNumbers) {
    // view 0.5 wide, page view 0.21 wide, overlap 0.01: step 0.2, 3 columns, view 0.61 wide;
    // 0.3 high with page view 0.2 high: step 0.19, 2 rows.
    TDesktop* d = Source(0.5, 0.3);
    auto* creator = Tool<TMultiPageDesktopCreator>();
    creator->TemplateFile = Template();
    creator->SourceViewName = "SRC";
    creator->PageViewName = "MAP";
    creator->Overlap = 0.01;
    creator->Space = 0.02;
    creator->SetInput(d);
    creator->DoIt();
    auto* pages = As<TMultiPageDesktop>(creator->Output);
    ASSERT_NE(pages, nullptr);
    TView* src = FindView(d, "SRC");
    EXPECT_NEAR(src->GetWidth(), 0.61, 1e-12);
    EXPECT_NEAR(src->GetHeight(), 2 * 0.19 + 0.01, 1e-12);
    ASSERT_EQ(pages->PageCount(), 6);
    EXPECT_NEAR(pages->RealOverlap, 10, 1e-9);
    // numbered from the top row, left to right
    for (int n = 0; n < 6; ++n) {
        TDesktop* p = pages->GetPage(n);
        int row = 1 - n / 3, col = n % 3;
        EXPECT_EQ(p->GetName(), "Page " + std::to_string(n + 1));
        EXPECT_NEAR(p->GetMinX(), 0.02 + (0.3 + 0.02) * col, 1e-12) << n;
        EXPECT_NEAR(p->GetMinY(), 0.02 + (0.25 + 0.02) * row, 1e-12) << n;
        TView* v = FindView(p, "MAP");
        EXPECT_EQ(v->GetModel(), src->GetModel());
        EXPECT_NEAR(v->GetModelCenterX(), src->GetModelMinX() + 105 + 200 * col, 1e-6) << n;
    }
    EXPECT_NEAR(pages->GetMaxX(), 0.02 + 3 * 0.3 + 2 * 0.02 + 0.02, 1e-12);

    auto* preview = Tool<TMultiPageDesktopPreview>();
    preview->TemplateFile = creator->TemplateFile;
    preview->SourceViewName = "MAP";
    preview->PageViewName = "MAP";
    preview->PenColor = 255;
    preview->SetInput(pages);
    preview->DoIt();
    auto* page = As<TDesktop>(preview->Output);
    ASSERT_NE(page, nullptr);
    auto* model = As<TRectEntity>(FindView(page, "MAP")->GetModel());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetName(), "MODELVIEW");
    // the first page's map and an outline per page, shrunk by half the overlap towards
    // each neighbour: page 1 has neighbours right and below
    auto* one = As<TDrawRectangle>(model->FindElementName("1"));
    ASSERT_NE(one, nullptr);
    TView* v1 = FindView(pages->GetPage(0), "MAP");
    EXPECT_NEAR(one->GetMinX(), v1->GetModelMinX(), 1e-6);
    EXPECT_NEAR(one->GetMaxX(), v1->GetModelMaxX() - 5, 1e-6);
    EXPECT_NEAR(one->GetMinY(), v1->GetModelMinY() + 5, 1e-6);
    EXPECT_NEAR(one->GetMaxY(), v1->GetModelMaxY(), 1e-6);
    EXPECT_EQ(one->GetPenColor(), 255);
    EXPECT_NE(model->FindElementName("6"), nullptr);
    Free(pages);
    Free(d);
}

TEST_F(TilingTest, MultiPageProblemsAreNotes) {
    TDesktop* d = Source(0.5, 0.3);
    auto* creator = Tool<TMultiPageDesktopCreator>();
    struct Case {
        TElement* input;
        std::string source, templ, pageView;
        double overlap;
        std::string note;
    } cases[] = {
        {TView::New(), "SRC", Template(), "MAP", 0, "Multipage - Input is not Desktop!"},
        {d, "NONE", Template(), "MAP", 0, "Multipage - SourceView not found!: NONE"},
        {d, "SRC", dir.Path("missing.msd"), "MAP", 0, "Multipage - Cannot create template: " + dir.Path("missing.msd")},
        {d, "SRC", Template(), "NONE", 0, "Multipage - Template View not found: NONE"},
        {d, "SRC", Template(), "MAP", 0.2, "Multipage - Overlap is not smaller than the template view: MAP"},
    };
    for (const Case& c : cases) {
        holder->Notes.clear();
        creator->SourceViewName = c.source;
        creator->TemplateFile = c.templ;
        creator->PageViewName = c.pageView;
        creator->Overlap = c.overlap;
        creator->SetInput(c.input);
        creator->DoIt();
        EXPECT_EQ(creator->Output, nullptr);
        EXPECT_EQ(Notes(), std::vector<std::string>{c.note});
        if (c.input != d) Free(c.input);
    }
    auto* preview = Tool<TMultiPageDesktopPreview>();
    holder->Notes.clear();
    preview->SetInput(d);
    preview->DoIt();
    EXPECT_EQ(Notes(), std::vector<std::string>{"Multipage PreView - Input not found or is not TMultipageDesktop!"});
    Free(d);
}

// Sizes that are no numbers, and counts beyond a few thousand, are refused at once: no
// view is made and the refusal counts as an error shown.
TEST_F(TilingTest, AbsurdSizesAreRefusedBeforeAnyViewIsMade) {
    const double nan = std::nan(""), inf = HUGE_VAL;
    const std::string positive = "Tile - TileX and TileY must be above 0";
    struct Case {
        double tile, margin;
        std::string note;
    } tiles[] = {
        {1e-4, 0, "Tile - too many pieces: "},
        {nan, 0, positive},
        {inf, 0, positive},
        {0, 0, positive},
        {0.1, nan, "Tile - dX, dy, Margin and the view's size must be numbers"},
    };
    for (const Case& c : tiles) {
        holder->Notes.clear();
        ClearErrorShown();
        TDesktop* d = Source(0.25, 0.1);
        auto* tile = Tool<TTileTemplate>();
        tile->TileX = tile->TileY = c.tile;
        tile->Margin = c.margin;
        tile->SetInput(d);
        tile->DoIt();
        std::vector<std::string> notes = Notes();
        ASSERT_EQ(notes.size(), 1u) << c.tile;
        EXPECT_EQ(notes[0].rfind(c.note, 0), 0u) << notes[0];
        EXPECT_TRUE(ErrorShown()) << c.tile;
        EXPECT_EQ(d->GetClassCount(TView::StaticClass()), 1) << c.tile;
        EXPECT_NEAR(FindView(d, "SRC")->GetWidth(), 0.25, 1e-12) << c.tile;
        Free(d);
    }
    TDesktop* d = Source(0.5, 0.3);
    auto* creator = Tool<TMultiPageDesktopCreator>();
    creator->SourceViewName = "SRC";
    creator->TemplateFile = Template();
    creator->PageViewName = "MAP";
    struct PageCase {
        double overlap, width;
        std::string note;
    } pages[] = {
        {nan, 0.5, "Multipage - Overlap, Space and the sizes of the views must be numbers"},
        {0, inf, "Multipage - Overlap, Space and the sizes of the views must be numbers"},
        {0.1999, 0.5, "Multipage - too many pieces: "},
    };
    for (const PageCase& c : pages) {
        holder->Notes.clear();
        FindView(d, "SRC")->SetWidth(c.width);
        creator->Overlap = c.overlap;
        creator->SetInput(d);
        creator->DoIt();
        EXPECT_EQ(creator->Output, nullptr);
        std::vector<std::string> notes = Notes();
        ASSERT_EQ(notes.size(), 1u) << c.overlap;
        EXPECT_EQ(notes[0].rfind(c.note, 0), 0u) << notes[0];
    }
    Free(d);
}

// The sample: the whole area at 1:100000 on A3 pages with 10 mm overlap, printed. The
// view of 0.75 x 0.60 m and the page view of 0.39 x 0.257 m give steps of 0.38 and 0.247:
// ceil(0.76 / 0.38) = 2 columns and ceil(0.61 / 0.247) = 3 rows.
TEST(OskeltMultiPage, TheSampleAreaIsPrintedOnSixA3Pages) {
    TempDir dir("multipage");
    ASSERT_FALSE(dir.Path().empty());
    std::string script = ReadFile(SUITE_SAMPLES_DIR "/oskelt32/MultiPage.YESK");
    script = std::regex_replace(script, std::regex("\\.\\./templates/"), SUITE_SAMPLES_DIR "/templates/");
    script = std::regex_replace(script, std::regex("\"\\.\\./data\""), "\"" SUITE_SAMPLES_DIR "/data\"");
    WriteText(dir.Path("MultiPage.YESK"), script);
    WriteText(dir.Path("Job.INI"), "[Options]\r\nServiceDirectory=" SUITE_SAMPLES_DIR "/service\r\n");
    std::string command = "cd '" + dir.Path() + "' && SUITE_PRINT_PAPER=A3L SUITE_PRINT_FILE=pages.pdf '" OSKELT32_PATH
                          "' Job.INI MultiPage.YESK --answers '" SUITE_SAMPLES_DIR "/oskelt32/multipage-answers.txt' > log.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("log.txt"));
    std::string pdf = ReadFile(dir.Path("pages.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u) << ReadFile(dir.Path("log.txt"));
    int pages = 0;
    std::regex page("/Type\\s*/Page[^s]"), box("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)");
    for (auto i = std::sregex_iterator(pdf.begin(), pdf.end(), page); i != std::sregex_iterator(); ++i) ++pages;
    EXPECT_EQ(pages, 6);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(pdf, m, box));
    EXPECT_NEAR(std::stod(m[1]), 1190.55, 0.5);  // A3 landscape in points
    EXPECT_NEAR(std::stod(m[2]), 841.89, 0.5);
}

}  // namespace
