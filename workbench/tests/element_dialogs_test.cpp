#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "composition/pages.h"
#include "kernel/string_routines.h"
#include "platform/files.h"
#include "workbench/element_dialogs.h"
#include "workbench/length_units.h"
#include "workbench/position_dialog.h"
#include "workbench/text_dialogs.h"
#include "dialogs_test_support.h"

using namespace dlgtest;

namespace {

// A tool that keeps the numbers of the messages addressed to it.
class TRecordingTool : public TTool {
    ZARIX_CLASS(TRecordingTool, TTool)

public:
    std::vector<int32_t> Got;
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        inherited::HandleMessage(m, handled);
        if (m) Got.push_back(m->Message);
    }
};

class ElementDialogsTest : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        static bool done = [] {
            RegisterZarixClass<TRecordingTool>();
            return true;
        }();
        (void)done;
        SetDecimalSeparator('.');
    }
    void TearDown() override {
        WorkbenchTest::TearDown();
        SetDecimalSeparator(old_);
    }
    char old_ = DecimalSeparator();
};

TEST(LengthUnitsTest, FixedTextRoundsToPrecisionThenDecimals) {
    SeparatorScope dot('.');
    struct Case {
        double value;
        int precision, decimals;
        std::string text;
    } cases[] = {
        {2.5, 7, 0, "2"},          // half to even
        {12.0, 7, 0, "12"},
        {0.25, 5, 2, "0.25"},
        {0.0025, 2, 3, "0.003"},
        {1.23456, 2, 3, "1.200"},  // two significant digits only
        {123.0, 2, 3, "123"},      // more integer digits than the precision: general form
        {-0.0004, 2, 3, "0.000"},
        {90, 7, 2, "90.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FixedText(c.value, c.precision, c.decimals), c.text) << c.value;
    double v = 0;
    EXPECT_TRUE(ParseNumber("   12,5 ", v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_FALSE(ParseNumber("12a", v));
    EXPECT_FALSE(ParseNumber("", v));
}

TEST_F(ElementDialogsTest, PositionDialogShowsUnitsAndAppliesExactSortedBounds) {
    TRecordingTool* tool = TRecordingTool::New();
    main_->AddTool(tool);
    Owned<TRectEntity> e(TRectEntity::New());
    e->SetName("ram");
    e->SetRect(0.01, 0.02, 0.05, 0.08);
    TF_rectedForm f;
    f.SetTool(tool);
    int reselections = 0;
    f.SelectedElement = [&]() -> TRectEntity* { return e; };
    f.SelectAgain = [&](TRectEntity* s) {
        ++reselections;
        f.SetXmin(s->GetMinX());
        f.SetYmin(s->GetMinY());
        f.SetXmax(s->GetMaxX());
        f.SetYmax(s->GetMaxY());
        f.SetObjectName(s->GetName());
    };
    f.SelectAgain(e);
    EXPECT_EQ(f["edXmin"].Text, DoubleToStr(10, 15, 2));  // "[mm]" by default
    EXPECT_EQ(f["edWidth"].Text, DoubleToStr(40, 15, 2));
    EXPECT_EQ(f["edY"].Text, DoubleToStr(20, 15, 2));

    // Units: the same bounds in each, the values unrounded.
    f.SetXmin(0.0125);
    struct Unit {
        const char* item;
        double factor;
        int decimals;
    } units[] = {{"[m]", 1, 3}, {"[cm]", 100, 2}, {"[mm]", 1000, 2}};
    for (const Unit& u : units) {
        EXPECT_TRUE(f["cbUnits"].Pick(u.item));
        EXPECT_EQ(f["edXmin"].Text, DoubleToStr(0.0125 * u.factor, 15, u.decimals)) << u.item;
        EXPECT_EQ(f["edYmax"].Text, DoubleToStr(0.08 * u.factor, 15, u.decimals)) << u.item;
        EXPECT_DOUBLE_EQ(f.GetXmin(), 0.0125) << u.item;
    }
    f["cbUnits"].Pick("[m]");  // shows "0.013"
    f["edXmin"].Focus();
    f["edXmax"].Focus();  // leaving the untouched field keeps 0.0125

    // A stray letter restores the field; typed numbers are in the unit shown.
    f["edYmin"].Focus();
    f["edYmin"].Type("0.0x2");
    f["edXmax"].Focus();  // leaves edYmin
    EXPECT_EQ(f["edYmin"].Text, DoubleToStr(0.02, 15, 3));
    EXPECT_DOUBLE_EQ(f.GetYmin(), 0.02);
    f["edXmax"].Type("0.004");  // left of Xmin
    f["b_Apply"].Click();
    EXPECT_DOUBLE_EQ(e->GetMinX(), 0.004);
    EXPECT_DOUBLE_EQ(e->GetMaxX(), 0.0125);
    EXPECT_DOUBLE_EQ(e->GetMinY(), 0.02);
    EXPECT_DOUBLE_EQ(e->GetMaxY(), 0.08);
    EXPECT_EQ(reselections, 2);

    // The undo button survives the reselection's four updates and goes at the next drag.
    EXPECT_TRUE(f["b_Undo"].Visible);
    f.SetXmin(0.001);
    EXPECT_FALSE(f["b_Undo"].Visible);
    f["b_Undo"].Visible = true;
    f["b_Undo"].Click();
    EXPECT_DOUBLE_EQ(e->GetMinX(), 0.01);
    EXPECT_DOUBLE_EQ(e->GetMaxX(), 0.05);
    EXPECT_FALSE(f["b_Undo"].Visible);

    // X moves the rectangle by its width; dX shifts it.
    f.SetXmin(0.01);
    f.SetXmax(0.05);
    f.SetX(0.1);
    EXPECT_DOUBLE_EQ(f.GetXmax(), 0.14);
    f.SetdX(0.01);
    EXPECT_DOUBLE_EQ(f.GetXmin(), 0.11);
    EXPECT_DOUBLE_EQ(f.GetXmax(), 0.15);
    f.SetRectWidth(0.02);
    EXPECT_DOUBLE_EQ(f.GetXmax(), 0.13);

    // Shown: a drop, a mouse release and a resize redraw the map; the 10 ms timer redraws
    // it once the form has moved.
    Application().ProcessMessages();
    tool->Got.clear();
    f.Show();
    EXPECT_TRUE(f.Timer().Enabled());
    f.DragDrop();
    f.MouseUp();
    f.SetBounds(f.Left, f.Top, f.Width + 10, f.Height);
    Application().ProcessMessages();
    EXPECT_EQ(tool->Got, (std::vector<int32_t>{tm_Redraw, tm_Redraw, tm_Redraw}));
    tool->Got.clear();
    f.SetBounds(f.Left + 5, f.Top, f.Width, f.Height);  // moved, not resized
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Application().ProcessMessages();  // the loop runs the due timer
    Application().ProcessMessages();
    EXPECT_EQ(tool->Got, (std::vector<int32_t>{tm_Redraw}));

    Application().ProcessMessages();
    tool->Got.clear();
    f.Show();
    f["b_Close"].Click();
    Application().ProcessMessages();
    EXPECT_EQ(tool->Got, (std::vector<int32_t>{tm_HideRectForm, tm_Redraw}));
    f.ToolDestroying = true;
    f.Show();
    f.Close();
    Application().ProcessMessages();
    EXPECT_EQ(tool->Got.size(), 2u);
}

TEST_F(ElementDialogsTest, TextDialogEditsTheCopyAndKeepsExactHeights) {
    Owned<TText> element(TText::New());
    element->SetName("popis");
    element->SetText("Les");
    element->SetTextHeight(0.0025);
    element->SetOrientation(90);
    TText* copy = TText::New();
    copy->Assign(element);
    copy->SetName(element->GetName());

    TEditTextDialog d;
    d.SetElement(copy);
    EXPECT_EQ(d["ed_Height"].Text, "2");
    EXPECT_EQ(d["ed_Orientation"].Text, "90.00");
    EXPECT_EQ(d["ed_Text"].Text, "Les");
    host_.PushAction([] {
        TForm& f = *ActiveModalForm();
        f["Combo_Units"].Pick("cm");
        EXPECT_EQ(f["ed_Height"].Text, "0.25");
        f["Combo_Units"].Pick("m");
        EXPECT_EQ(f["ed_Height"].Text, "0.003");
        f["ed_Height"].Type("zz");  // restored from the copy
        EXPECT_EQ(f["ed_Height"].Text, "0.003");
        f["ed_Text"].Type("Louka");
        f["ed_Orientation"].Type("45.6");
        f["ed_OrientationUp"].Click();
        f["OK"].Click();
        return f.ModalResult;
    });
    ASSERT_EQ(d.ShowModal(), mrOk);
    CopyBackText(d.Element(), element);
    EXPECT_DOUBLE_EQ(element->GetTextHeight(), 0.0025);  // not the 3 mm shown
    EXPECT_EQ(element->GetText(), "Louka");
    EXPECT_EQ(element->GetOrientation(), 47);

    // Typed and spun heights; the font dialog; cancel copies nothing back.
    TText* copy2 = TText::New();
    copy2->Assign(element);
    d.SetElement(copy2);
    host_.PushAction([] {
        TForm& f = *ActiveModalForm();
        f["Combo_Units"].Pick("mm");
        f["ed_Height"].Type("4");
        f["ed_HeightUp"].Click();
        return mrOk;
    });
    host_.PushAction([] {
        TForm& font = *ActiveModalForm();
        EXPECT_EQ(font["Height"].Text, "10");
        font["Name"].Type("Times");
        font["Bold"].SetChecked(true);
        font["Color"].Type("255");
        font["OK"].Click();
        return font.ModalResult;
    });
    ASSERT_EQ(d.ShowModal(), mrOk);
    d["FontPanel"].Click();
    EXPECT_NEAR(d.Element()->GetTextHeight(), 0.005, 1e-12);
    EXPECT_EQ(d.Element()->GetFontName(), "Times");
    EXPECT_EQ(d.Element()->GetFontStyle(), fsBold);
    EXPECT_EQ(d.Element()->GetColor(), 255);
    EXPECT_EQ(d["FontPanel"].Caption, "Times");
    CopyBackTextFromRectEditor(d.Element(), element);
    EXPECT_EQ(element->GetFontStyle(), 0);  // the rectangle editor takes no style
    EXPECT_EQ(element->GetColor(), 255);
}

TEST_F(ElementDialogsTest, TextBlockDialogReadsTheChosenFile) {
    TempDir dir("block");
    std::string path = dir.Path("legenda.txt");
    std::ofstream(path) << "jedna\r\ndva\r\n";
    Owned<TTextBlock> element(TTextBlock::New());
    TTextBlock* copy = TTextBlock::New();
    copy->Assign(element);
    TEditTextBlockDialog d;
    d.SetElement(copy);
    EXPECT_EQ(d["ed_LHeight"].Text, "15");
    EXPECT_EQ(d["ed_FHeight"].Text, "10");
    host_.PushText(path);
    d["b_Browse"].Click();
    EXPECT_EQ(d["ed_File"].Text, path);
    EXPECT_EQ(d.InitialDir, dir.Path());
    EXPECT_EQ(d.Block()->GetLinesCount(), 2);
    EXPECT_EQ(host_.Records().back().caption, Cz("textové soubory *.txt|*.txt|všechny soubory|*.*"));
    d["ed_LHeight"].Type("20");
    CopyBackTextBlock(d.Block(), element);
    EXPECT_DOUBLE_EQ(element->GetLineHeight(), 0.02);
    EXPECT_EQ(element->GetFileName(), path);
    EXPECT_EQ(element->GetLinesCount(), 2);
}

TEST_F(ElementDialogsTest, ViewDialogChecksEveryFieldBeforeApplyingAny) {
    Owned<TDesktop> desk(TDesktop::New());
    TView* a = TView::New();
    a->SetName("A");
    a->SetScale(5000.7);
    TView* b = TView::New();
    b->SetName("B");
    desk->AddElement(a);
    desk->AddElement(b);
    Owned<TViewDialog> d(TViewDialog::New());
    d->SetInput(a);
    host_.PushAction([] {
        TForm& f = *ActiveModalForm();
        EXPECT_EQ(f["edScale"].Text, "5000");
        EXPECT_EQ(f["edControlView"].Items, (std::vector<std::string>{"A", "B"}));
        f["edName"].Type("Nový");
        f["edScale"].Type("abc");
        f["OK"].Click();  // refused: the field shows the view's scale again
        EXPECT_EQ(f.ModalResult, 0);
        EXPECT_EQ(f["edScale"].Text, "5000");
        f["edScale"].Type("0");
        f["OK"].Click();
        EXPECT_EQ(f.ModalResult, 0);
        f["Cancel"].Click();
        return f.ModalResult;
    });
    d->DoIt();
    EXPECT_EQ(a->GetName(), "A");
    EXPECT_DOUBLE_EQ(a->GetScale(), 5000.7);

    host_.PushAction([] {
        TForm& f = *ActiveModalForm();
        f["edName"].Type("Hlavni");
        f["edScale"].Pick("10000");
        f["edVirtualScale"].Type("2500,5");
        f["edControlView"].Pick("B");
        f["cbReadAfter"].SetChecked(true);
        f["OK"].Click();
        return f.ModalResult;
    });
    d->DoIt();
    EXPECT_EQ(a->GetName(), "Hlavni");
    EXPECT_DOUBLE_EQ(a->GetScale(), 10000);
    EXPECT_DOUBLE_EQ(a->GetVirtualScale(), 2500.5);
    EXPECT_EQ(a->GetControlViewName(), "B");
    EXPECT_TRUE(a->GetReadAfter());

    // A view on no desktop lists itself.
    Owned<TView> alone(TView::New());
    alone->SetName("S");
    d->SetInput(alone);
    std::vector<std::string> items;
    host_.PushAction([&] {
        items = (*ActiveModalForm())["edControlView"].Items;
        return mrCancel;
    });
    d->DoIt();
    EXPECT_EQ(items, std::vector<std::string>{"S"});
}

TEST_F(ElementDialogsTest, PenWidthAndPictureDialogs) {
    TPenWidthDialog p;
    struct Case {
        const char* typed;
        double width;
        const char* shown;
    } cases[] = {{"0.35", 0.35, "0.35"}, {"0.05", 0, "0.05"}, {"x", 0, "0.0"}, {"1,5", 1.5, "1,5"}};
    for (const Case& c : cases) {
        p["ed_Width"].Type(c.typed);
        EXPECT_DOUBLE_EQ(p.GetWidth(), c.width) << c.typed;
        EXPECT_EQ(p["ed_Width"].Text, c.shown) << c.typed;
    }
    p.SetWidth(0.3);
    p["ed_WidthUp"].Click();
    EXPECT_NEAR(p.GetWidth(), 0.4, 1e-12);
    EXPECT_EQ(p["ed_Width"].Text, "0.4");

    TempDir dir("pictures");
    ASSERT_TRUE(CreateDir(dir.Path("sub")));
    std::ofstream(dir.Path("mapa.PNG")) << "not a picture";
    std::ofstream(dir.Path("notes.txt")) << "x";
    TNewBMPDlg b;
    b.SetFileName(dir.Path("mapa.PNG"));
    EXPECT_EQ(b["FileList"].Items, std::vector<std::string>{"mapa.PNG"});
    EXPECT_EQ(b.FileName(), dir.Path("mapa.PNG"));
    EXPECT_EQ(b["Image"].Caption, "");  // no picture to show
    b["Directory"].Pick("sub");
    EXPECT_EQ(b.Folder(), dir.Path("sub"));
    EXPECT_EQ(b.FileName(), "");
    b.SetPanelHeight(400);
    EXPECT_EQ(b["FileList"].Value, 267);
}

}  // namespace
