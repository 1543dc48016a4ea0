#include <gtest/gtest.h>

#include <set>

#include "composer/map_sheet_editor.h"
#include "composer/map_sheet_production.h"
#include "composer_test_support.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "composition/text_blocks.h"
#include "composition/views.h"
#include "device/device.h"
#include "platform/inifiles.h"
#include "raster/raster.h"
#include "workbench/element_dialogs.h"

namespace {

class MapSheetEditorTest : public ComposerTest {
protected:
    TMSEditorFormTool* Open() {
        Start();
        ed = TMSEditorFormTool::New();
        tool->AddTool(ed);
        ed->DoIt();
        Run();
        return ed;
    }
    void Run() { Application().ProcessMessages(); }
    TMSEditorForm& Form() { return *ed->EditorForm(); }
    TPixelPoint Px(double x, double y) { return ed->GetProjection()->GetPagePoint(x, y); }
    void Use(int32_t msg) {
        ed->PostMsg(msg, ed, nullptr, false);
        Run();
    }
    // A left-button drag through the window, in pixels.
    void Drag(TPixelPoint a, TPixelPoint b) {
        Form().MouseDown(mbLeft, ssLeft, a.X, a.Y);
        Run();
        Form().MouseMove(ssLeft, (a.X + b.X) / 2, (a.Y + b.Y) / 2);
        Form().MouseMove(ssLeft, b.X, b.Y);
        Run();
        Form().MouseUp(mbLeft, 0, b.X, b.Y);
        Run();
    }
    // Draws a model rectangle with the active tool.
    void Draw(double x0, double y0, double x1, double y1) { Drag(Px(x0, y1), Px(x1, y0)); }
    TDesktop* Page() { return ed->GetDocument(); }
    TRectEntity* Selected() { return ed->GetEditor()->GetSelected(); }
    // The page's elements without the selection marker.
    std::vector<TElement*> Elements() {
        std::vector<TElement*> out;
        for (int32_t i = 0; i < Page()->ElementsCount(); ++i)
            if (!As<TSelectedElement>(Page()->Get(i))) out.push_back(Page()->Get(i));
        return out;
    }

    TMSEditorFormTool* ed = nullptr;
};

TEST(RectEditorHitTest, GripsUseStrictComparisons) {
    const TPixelRect r{100, 100, 200, 160};  // centre (150, 130)
    struct Case {
        int x, y, code;
    } cases[] = {{94, 100, 0},  {95, 100, 5},  {95, 165, 9},   {205, 95, 6},  {205, 165, 10}, {100, 130, 1},
                 {105, 135, 1}, {105, 136, 15}, {106, 130, 15}, {199, 125, 2}, {150, 95, 4},  {155, 165, 8},
                 {156, 165, 0}, {150, 130, 15}, {150, 166, 0},  {120, 159, 15}};
    for (const Case& c : cases) EXPECT_EQ(TRectEntityEditor::HitTest(r, c.x, c.y), c.code) << c.x << "," << c.y;
}

TEST_F(MapSheetEditorTest, NewEditorDrawsMovesResizesAndDeletes) {
    Open();
    // An A4 page lying, selected, with the position dialog shown.
    ASSERT_NE(Page(), nullptr);
    EXPECT_DOUBLE_EQ(Page()->GetMaxX(), 0.297);
    EXPECT_DOUBLE_EQ(Page()->GetMaxY(), 0.21);
    EXPECT_EQ(Selected(), Page());
    EXPECT_TRUE(ed->GetRectForm()->Visible);
    EXPECT_TRUE(Form()["b_RectForm"].Checked);
    EXPECT_EQ(ed->GetCaption(), "NONAME.MSD");

    // F5 zooms in, "Vše ve výřezu" shows the whole page again.
    const double scale = ed->GetDeviceScale();
    Form().OnKeyDown(Form(), VK_F5, 0);
    Run();
    EXPECT_DOUBLE_EQ(ed->GetDeviceScale(), scale / 2);
    Form()["VseVeVyrezu1"].Click();
    Run();
    EXPECT_DOUBLE_EQ(ed->GetDeviceScale(), scale);

    // The page is selected but never dragged.
    Drag(Px(0.1, 0.1), Px(0.15, 0.12));
    EXPECT_DOUBLE_EQ(Page()->GetMinX(), 0);
    EXPECT_DOUBLE_EQ(Page()->GetMaxX(), 0.297);

    Use(msed::UseNewDrawRect);
    EXPECT_EQ(ed->GetActiveToolClassName(), "TNewDrawRect");
    // A drag of 2 pixels is a click: nothing is made.
    TPixelPoint a = Px(0.05, 0.05);
    Drag(a, TPixelPoint{a.X + 2, a.Y + 2});
    EXPECT_TRUE(Elements().empty());
    Draw(0.02, 0.02, 0.10, 0.08);
    ASSERT_EQ(Elements().size(), 1u);
    auto* frame = As<TDrawRectangle>(Elements()[0]);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Selected(), frame);
    EXPECT_TRUE(ed->GetModified());
    EXPECT_NEAR(frame->GetMinX(), 0.02, 0.001);
    EXPECT_NEAR(frame->GetMaxY(), 0.08, 0.001);
    EXPECT_EQ(frame->GetBrushStyle(), bsSolid);  // the selected page's fill is in the tool bar
    // Dragged up and to the left it is a click too; straight down it has no width.
    Drag(Px(0.2, 0.05), Px(0.15, 0.1));
    EXPECT_EQ(Elements().size(), 1u);
    Drag(Px(0.2, 0.1), Px(0.2, 0.05));
    ASSERT_EQ(Elements().size(), 2u);
    EXPECT_EQ(As<TRectEntity>(Elements()[1])->GetWidth(), 0);
    Form().OnKeyDown(Form(), 46, 0);  // the new-object tool does not delete
    Run();
    EXPECT_EQ(Elements().size(), 2u);
    Use(msed::UseMapSheetEditor);
    Form().OnKeyDown(Form(), 46, 0);
    Run();
    ASSERT_EQ(Elements().size(), 1u);
    Use(msed::UseNewDrawRect);
    // A drag that leaves the window still makes the rectangle it drew.
    Drag(Px(0.2, 0.15), TPixelPoint{Form().Width + 40, -30});
    ASSERT_EQ(Elements().size(), 2u);
    auto* outside = As<TRectEntity>(Elements()[1]);
    EXPECT_GT(outside->GetMaxX(), 0.297);
    EXPECT_LT(outside->GetMinX(), outside->GetMaxX());

    Use(msed::UseMapSheetEditor);
    ed->SetModified(false);
    // A press inside another element selects it without moving it.
    TPixelPoint c = Px(0.06, 0.05);
    Drag(c, TPixelPoint{c.X + 20, c.Y});
    EXPECT_EQ(Selected(), frame);
    EXPECT_NEAR(frame->GetMinX(), 0.02, 0.001);
    // The cursor follows the grips; off every element it says nothing can be selected.
    TPixelRect pr = ed->GetProjection()->GetPageRect(frame->Rect());
    Form().MouseMove(0, pr.Left, pr.Top);
    Run();
    EXPECT_EQ(Form().ImageCursor, crSizeNWSE);
    Form().MouseMove(0, pr.Right, pr.Bottom - 20);
    Run();
    EXPECT_EQ(Form().ImageCursor, crSizeWE);
    Form().MouseMove(0, 3, 3);
    Run();
    EXPECT_EQ(Form().ImageCursor, 9);
    // Moving shifts all four edges alike, also under the aspect lock; each step shows the
    // rectangle in the position dialog.
    ed->GetEditor()->SetAspectLock(true, double(pr.Width()) / pr.Height());
    const double w = frame->GetWidth(), h = frame->GetHeight();
    Drag(c, TPixelPoint{c.X + 20, c.Y + 10});
    EXPECT_NEAR(frame->GetWidth(), w, 0.001);
    EXPECT_NEAR(frame->GetHeight(), h, 0.001);
    EXPECT_GT(frame->GetMinX(), 0.025);
    EXPECT_LT(frame->GetMinY(), 0.019);
    EXPECT_TRUE(ed->GetModified());
    EXPECT_NEAR(ed->GetRectForm()->GetXmin(), frame->GetMinX(), 1e-9);
    EXPECT_NEAR(ed->GetRectForm()->GetYmax(), frame->GetMaxY(), 1e-9);
    ed->GetEditor()->SetAspectLock(false, 0);
    // A frame is edited with the tool bar; the page has no properties dialog.
    Use(msed::EditSelected);
    EXPECT_TRUE(Logged(Cz("Použijte nástroje pro obecné nastavení na horní liště editoru")));
    // The left grip dragged across the right edge turns the rectangle over.
    pr = ed->GetProjection()->GetPageRect(frame->Rect());
    const double right = frame->GetMaxX();
    Drag(TPixelPoint{pr.Left, (pr.Top + pr.Bottom) / 2}, TPixelPoint{pr.Right + 30, (pr.Top + pr.Bottom) / 2});
    EXPECT_NEAR(frame->GetMinX(), right, 0.001);
    EXPECT_GT(frame->GetMaxX(), frame->GetMinX());
    // Dragged onto the opposite edge it has no width; it stays selectable at its grip.
    pr = ed->GetProjection()->GetPageRect(frame->Rect());
    Drag(TPixelPoint{pr.Right, (pr.Top + pr.Bottom) / 2}, TPixelPoint{pr.Left, (pr.Top + pr.Bottom) / 2});
    EXPECT_NEAR(frame->GetWidth(), 0, 1e-9);
    Drag(TPixelPoint{pr.Left, (pr.Top + pr.Bottom) / 2}, TPixelPoint{pr.Left + 25, (pr.Top + pr.Bottom) / 2});
    EXPECT_GT(frame->GetWidth(), 0.005);

    // Popup "Odstranit" does nothing; Delete on the first selects the new first, then the
    // only one left goes and nothing is selected; the page itself is never deleted.
    Use(msed::DeleteSelected);
    EXPECT_EQ(Elements().size(), 2u);
    Form().OnKeyDown(Form(), 46, 0);
    Run();
    ASSERT_EQ(Elements().size(), 1u);
    EXPECT_EQ(Selected(), outside);
    Form().OnKeyDown(Form(), 46, 0);
    Run();
    EXPECT_TRUE(Elements().empty());
    EXPECT_EQ(Selected(), nullptr);
    Drag(Px(0.1, 0.1), Px(0.1, 0.1));  // a click on the page selects it
    EXPECT_EQ(Selected(), Page());
    Form().OnKeyDown(Form(), 46, 0);
    Run();
    EXPECT_EQ(Selected(), Page());
}

TEST_F(MapSheetEditorTest, LayerOrderOnlyWithTheEditorActive) {
    Open();
    Use(msed::UseNewDrawRect);
    Draw(0.01, 0.01, 0.05, 0.05);
    Draw(0.06, 0.01, 0.09, 0.05);
    Draw(0.10, 0.01, 0.14, 0.05);
    std::vector<TElement*> made = Elements();
    ASSERT_EQ(made.size(), 3u);
    Use(msed::UseViewer);
    Use(msed::SendToBack);  // the viewer is active: nothing
    EXPECT_EQ(Elements(), made);
    Use(msed::UseMapSheetEditor);
    ed->SetModified(false);
    Use(msed::MoveUp);  // the top element stays on top, yet the page is modified
    EXPECT_EQ(Elements(), made);
    EXPECT_TRUE(ed->GetModified());
    EXPECT_EQ(Page()->Get(Page()->ElementsCount() - 1), ed->GetEditor()->GetMarker());
    Use(msed::SendToBack);
    EXPECT_EQ(Elements(), (std::vector<TElement*>{made[2], made[0], made[1]}));
    ed->SetModified(false);
    Use(msed::MoveDown);  // at the bottom already
    EXPECT_FALSE(ed->GetModified());
    Use(msed::MoveUp);
    EXPECT_EQ(Elements(), (std::vector<TElement*>{made[0], made[2], made[1]}));
    Use(msed::BringToFront);
    EXPECT_EQ(Elements(), (std::vector<TElement*>{made[0], made[1], made[2]}));
}

// The aspect lock keeps width / height at its ratio: the larger change of the step wins and
// the edge opposite the grip stays.
TEST_F(MapSheetEditorTest, AspectLockAtTheGrips) {
    Open();
    Use(msed::UseNewDrawRect);
    Draw(0.05, 0.05, 0.15, 0.10);
    Use(msed::UseMapSheetEditor);
    auto* frame = As<TRectEntity>(Selected());
    ASSERT_NE(frame, nullptr);
    struct Case {
        const char* grip;
        int dx, dy;
    } cases[] = {{"right", 20, 3}, {"bottom", 2, 16}, {"top-left", -24, -4}};
    for (const Case& c : cases) {
        frame->SetRect(0.05, 0.05, 0.15, 0.10);
        ed->GetEditor()->Select(frame);
        const TPixelRect r = ed->GetProjection()->GetPageRect(frame->Rect());
        const double ratio = double(r.Width()) / r.Height();
        ed->GetEditor()->SetAspectLock(true, ratio);
        TPixelPoint from = std::string(c.grip) == "right"    ? TPixelPoint{r.Right, (r.Top + r.Bottom) / 2}
                           : std::string(c.grip) == "bottom" ? TPixelPoint{(r.Left + r.Right) / 2, r.Bottom}
                                                             : TPixelPoint{r.Left, r.Top};
        Form().MouseDown(mbLeft, ssLeft, from.X, from.Y);
        Run();
        Form().MouseMove(ssLeft, from.X + c.dx, from.Y + c.dy);
        Run();
        const TPixelRect band = ed->GetEditor()->Band();
        Form().MouseUp(mbLeft, 0, from.X + c.dx, from.Y + c.dy);
        Run();
        EXPECT_NEAR(double(band.Width()) / band.Height(), ratio, 0.05) << c.grip;
        if (std::string(c.grip) == "top-left") {
            EXPECT_EQ(band.Right, r.Right) << c.grip;
            EXPECT_EQ(band.Bottom, r.Bottom) << c.grip;
        } else {
            EXPECT_EQ(band.Left, r.Left) << c.grip;
            EXPECT_EQ(band.Top, r.Top) << c.grip;
        }
        EXPECT_GT(band.Width(), r.Width()) << c.grip;
    }
    ed->GetEditor()->SetAspectLock(false, 0);

    // The tool bar's colours go to the selected frame and mark the template.
    ed->SetModified(false);
    host.PushAction([] {
        TForm& c = *ActiveModalForm();
        c["Color"].Type("255");
        c["OK"].Click();
        return c.ModalResult;
    });
    Form()["ColorPanel"].Click();
    Run();
    EXPECT_EQ(As<TDrawRectangle>(frame)->GetPenColor(), 255);
    EXPECT_TRUE(ed->GetModified());
    const bool filled = Form().Fill();  // as the selected frame is
    Form()["b_fill"].Click();
    Run();
    EXPECT_EQ(As<TDrawRectangle>(frame)->GetBrushStyle(), filled ? bsClear : bsSolid);

    // "Použít" of the position dialog moves the selected element and marks the template.
    ed->SetModified(false);
    TF_rectedForm& f = *ed->GetRectForm();
    f.SetXmin(0.02);
    f["b_Apply"].Click();
    Run();
    EXPECT_DOUBLE_EQ(frame->GetMinX(), 0.02);
    EXPECT_TRUE(ed->GetModified());
    EXPECT_TRUE(f["b_Undo"].Visible);
    EXPECT_EQ(Selected(), frame);
}

// One element of each kind drawn from an empty editor, saved, loaded again and produced:
// the produced page draws as the editor showed it.
TEST_F(MapSheetEditorTest, TemplateDrawnSavedLoadedAndProduced) {
    Open();
    const std::string picture = dir.Path("logo.png");
    {
        TRasterImage image;
        image.SetSize(8, 8);
        image.Fill(clRed);
        image.SaveToPNG(picture);
    }
    WriteText(dir.Path("bad.png"), "no picture");
    WriteText(dir.Path("legend.txt"), "line one\r\nline two\r\n");

    Use(msed::UseNewDrawRect);
    Draw(0.01, 0.01, 0.28, 0.20);
    Use(msed::UseNewView);
    Draw(0.03, 0.03, 0.15, 0.15);
    Use(msed::UseNewText);
    host.PushAction([] {
        TForm& f = *ActiveModalForm();
        f["ed_Text"].Type("Mapa");
        f["OK"].Click();
        return f.ModalResult;
    });
    Draw(0.17, 0.16, 0.27, 0.18);
    Use(msed::UseNewTextBlock);
    Draw(0.17, 0.05, 0.27, 0.06);
    auto* block = As<TTextBlock>(Selected());
    ASSERT_NE(block, nullptr);
    block->SetFileName(dir.Path("legend.txt"));
    Use(msed::UseNewBMP);
    const size_t before = Elements().size();
    // A file that is no picture is refused with a message; cancel adds nothing either.
    host.PushAction([&] {
        dynamic_cast<TNewBMPDlg*>(ActiveModalForm())->SetFileName(dir.Path("bad.png"));
        return mrOk;
    });
    Draw(0.17, 0.08, 0.22, 0.12);
    EXPECT_EQ(Elements().size(), before);
    EXPECT_TRUE(Logged(Cz("Soubor není čitelný obrázek: ") + dir.Path("bad.png")));
    host.PushCancel();
    Draw(0.17, 0.08, 0.22, 0.12);
    EXPECT_EQ(Elements().size(), before);
    host.PushAction([&] {
        dynamic_cast<TNewBMPDlg*>(ActiveModalForm())->SetFileName(picture);
        return mrOk;
    });
    Draw(0.17, 0.08, 0.22, 0.12);
    ASSERT_EQ(Elements().size(), before + 1);
    std::vector<std::string> classes;
    for (TElement* e : Elements()) classes.push_back(e->ClassName());
    EXPECT_EQ(classes, (std::vector<std::string>{"TDrawRectangle", "TView", "TText", "TTextBlock",
                                                  "TGraphicFileElement"}));
    EXPECT_EQ(As<TText>(Elements()[2])->GetText(), "Mapa");

    // A folder that cannot be written: a message, the template stays modified.
    ed->SetFileName(dir.Path("missing/x.MSD"));
    EXPECT_FALSE(ed->WriteTemplate());
    EXPECT_TRUE(ed->GetModified());
    EXPECT_FALSE(FileExists(dir.Path("missing/x.MSD")));

    // "Uložit" of a new template asks for the name and registers it in the library.
    tool->ToggleTemplateLibrary();
    ed->SetFileName("");
    const std::string path = dir.Path("Novy.MSD");
    host.PushText(path);
    Use(msed::SaveTemplate);
    ASSERT_TRUE(FileExists(path));
    EXPECT_FALSE(ed->GetModified());
    EXPECT_EQ(tool->Templates().Values("Novy"), path);
    TStringList keys;
    TIniFile(dir.Path("Oskelt32.INI")).ReadSection("TemplateLibrary", keys);
    ASSERT_EQ(keys.Count(), 1);
    EXPECT_EQ(keys[0], "Novy");
    EXPECT_EQ(tool->GetSelectedTemplate(), path);

    // What the editor shows, without the selection.
    ed->GetEditor()->Select(nullptr);
    auto draw = [](TDesktop* page) {
        TBitmapDevice* device = TBitmapDevice::New();
        device->SetPageSize(600, 430);
        device->GetProjection()->ChangeProjectionByRect(0, 0, 0.297, 0.21, device->GetPage());
        device->GetBitmap()->Fill(clWhite);
        DrawDesktop(page, device);
        std::vector<TColor> pixels;
        for (int y = 0; y < 430; ++y)
            for (int x = 0; x < 600; ++x) pixels.push_back(device->GetBitmap()->Pixel(x, y));
        Free(device);
        return pixels;
    };
    std::vector<TColor> shown = draw(Page());
    std::set<TColor> colours(shown.begin(), shown.end());
    EXPECT_TRUE(colours.count(clRed));  // the picture is drawn
    EXPECT_GE(colours.size(), 3u);

    // Opened again in the editor (23), then produced for the sample data.
    host.PushText(path);
    Use(tm_OpenFile);
    EXPECT_EQ(ed->GetFileName(), path);
    EXPECT_FALSE(ed->GetModified());
    ASSERT_EQ(Elements().size(), 5u);
    TMapSheetFiller* filler = TMapSheetFiller::New();
    tool->AddTool(filler);
    TDesktop* produced =
        ProduceMapComposition(tool, filler, nullptr, path, std::string(SUITE_SAMPLES_DIR) + "/data");
    ASSERT_NE(produced, nullptr);
    std::vector<TColor> printed = draw(produced);
    size_t differ = 0;
    for (size_t i = 0; i < shown.size(); ++i) differ += shown[i] != printed[i];
    EXPECT_EQ(differ, 0u);
    Free(produced);
}

// "Uložit jako" onto an existing file asks first; "No" keeps the file and the name.
TEST_F(MapSheetEditorTest, SaveAsAsksBeforeReplacingAFile) {
    Open();
    const std::string path = dir.Path("b.MSD"), named = dir.Path("a.MSD");
    WriteText(path, "kept");
    ed->SetFileName(named);
    struct Case {
        int answer;
        bool written;
    } cases[] = {{mrNo, false}, {mrYes, true}};
    for (const Case& c : cases) {
        ClearHostLog();
        host.PushText(path);
        host.PushResult(c.answer);
        Use(tm_SaveFileAs);
        ASSERT_FALSE(HostLog().empty());
        EXPECT_EQ(HostLog().back(), path + Cz(" již existuje.") + "\r" + Cz("Chcete jej nahradit?"));
        EXPECT_EQ(ReadFile(path) != "kept", c.written);
        EXPECT_EQ(ed->GetFileName(), c.written ? path : named);
    }
}

// Selecting the page takes its pen and fill into the tool bar; hiding the position dialog
// with its tool-bar button redraws the page behind it.
TEST_F(MapSheetEditorTest, ThePageFillsTheToolBarAndHidingTheDialogRedraws) {
    Open();
    Page()->SetPenColor(clRed);
    Page()->SetPenWidth(0.001);
    Page()->SetBrushColor(clBlue);
    Page()->SetBrushStyle(bsClear);
    ed->GetEditor()->Select(Page());
    Run();
    EXPECT_EQ(Form().LineColour, clRed);
    EXPECT_DOUBLE_EQ(Form().PenWidth, 0.001);
    EXPECT_EQ(Form().FillColour, clBlue);
    EXPECT_FALSE(Form().Fill());
    Page()->SetBrushStyle(bsSolid);
    ed->GetEditor()->Select(Page());
    Run();
    EXPECT_TRUE(Form().Fill());

    ASSERT_TRUE(ed->GetRectForm()->Visible);
    int redraws = 0;
    TApplication::MessageHook saved = Application().OnMessage;
    Application().OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message == WM_USER && m.lParam) {
            auto* zm = reinterpret_cast<TZarixMessage*>(m.lParam);
            if (IsLive(zm) && zm->Message == tm_ReView) ++redraws;
        }
        if (saved) saved(m, handled);
    };
    Form()["b_RectForm"].Click();
    Run();
    Application().OnMessage = saved;
    EXPECT_FALSE(ed->GetRectForm()->Visible);
    EXPECT_FALSE(Form()["b_RectForm"].Checked);
    EXPECT_GE(redraws, 1);
}

TEST_F(MapSheetEditorTest, QuitAsksOnlyForModifiedTemplates) {
    Open();
    const std::string path = dir.Path("a.MSD");
    WriteText(path, "[TDesktop]\nMinX=0\nMinY=0\nMaxX=0.2\nMaxY=0.1\nEND\n");
    host.PushText(path);
    Use(tm_OpenFile);
    ASSERT_EQ(ed->GetFileName(), path);
    const std::string saved = ReadFile(path);
    // Modified: Cancel keeps the window; No closes it without writing.
    ed->SetModified(true);
    host.PushResult(mrCancel);
    Form().Close();
    Run();
    EXPECT_TRUE(IsLive(ed));
    EXPECT_FALSE(Form().CloseFlag);
    ed->SetModified(false);
    Form().Close();  // named and unmodified: no question
    Run();
    EXPECT_EQ(host.Pending(), 0u);
    EXPECT_FALSE(IsLive(ed));
    EXPECT_EQ(ReadFile(path), saved);
    EXPECT_NE(Ini().find("[MSEditForm]"), std::string::npos);
}

}  // namespace

namespace {

void FindEditors(TEntity* holder, std::vector<TMSEditorFormTool*>& out) {
    for (int32_t i = 0; i < holder->ElementsCount(); ++i) {
        TElement* e = holder->Get(i);
        if (auto* ed = As<TMSEditorFormTool>(e)) out.push_back(ed);
        else if (As<TTools>(e)) FindEditors(As<TEntity>(e), out);
    }
}

// The library window's buttons reach the main tool, which opens the editors.
TEST_F(ComposerTest, LibraryButtonsOpenTheTemplateEditor) {
    const std::string path = dir.Path("a.MSD");
    WriteText(path, "[TDesktop]\r\nNAME=Alfa\r\nMinX=0\r\nMinY=0\r\nMaxX=0.2\r\nMaxY=0.1\r\nEND\r\n");
    Start();
    tool->ToggleTemplateLibrary();
    host.PushText(path);
    (*tool->TemplateForm())["bbNova"].Click();
    Application().ProcessMessages();
    TControl& list = (*tool->TemplateForm())["ListBox"];
    ASSERT_EQ(list.Items, std::vector<std::string>{"Alfa"});
    (*tool->TemplateForm())["b_EditMS"].Click();
    Application().ProcessMessages();
    (*tool->TemplateForm())["b_NewMS"].Click();
    Application().ProcessMessages();
    std::vector<TMSEditorFormTool*> editors;
    FindEditors(tool, editors);
    ASSERT_EQ(editors.size(), 2u);
    EXPECT_EQ(editors[0]->GetFileName(), path);
    ASSERT_NE(editors[0]->GetDocument(), nullptr);
    EXPECT_EQ(editors[0]->GetDocument()->GetName(), "Alfa");
    EXPECT_FALSE(editors[0]->GetModified());
    EXPECT_EQ(editors[1]->GetFileName(), "NONAME.MSD");
    EXPECT_DOUBLE_EQ(editors[1]->GetDocument()->GetMaxX(), 0.297);
    EXPECT_EQ(editors[1]->GetPageColor(), clSilver);
    // The selection without a list entry: "Zobrazení šablony" posts nothing.
    list.ItemIndex = -1;
    (*tool->TemplateForm())["bbViewTemplate"].Click();
    EXPECT_FALSE(Application().HandleMessage());
}

}  // namespace
