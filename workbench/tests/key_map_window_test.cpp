#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "composition/key_map.h"
#include "composition/key_map_interprets.h"
#include "composition/modelfile.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "workbench/key_map_window.h"
#include "workbench/main_tool_base.h"
#include "workbench_test_util.h"

namespace {

// A main tool whose ini file lies in the test's own folder.
class TKeyMapMain : public TOldMainTool {
    ZARIX_CLASS(TKeyMapMain, TOldMainTool)

public:
    static std::string& Folder() {
        static std::string f;
        return f;
    }
    std::string GetIniDirectory() override { return Folder() + "ini/"; }
    std::string GetIniFileName() override { return GetIniDirectory() + "Test.INI"; }
};

// Two 1:50000 sheets side by side.
const char* const kSheetList = "Sl Ra Zkr. Nazev\r\n17 53 GOST Gostyn\r\n18 53 RYDU Rydultowy\r\n";

class KeyMapWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        wbtest::RegisterAll();
        ClearHostLog();
        SetUserHost(&host);
        dir = wbtest::TempPath("keymap") + "/";
        std::filesystem::create_directories(dir + "ini");
        std::filesystem::create_directories(dir + "work");
        TKeyMapMain::Folder() = dir;
        old = GetCurrentDir();
        ASSERT_EQ(chdir((dir + "work").c_str()), 0);
        main = TKeyMapMain::New();
        TOldMainTool::InstallWorld(main);
    }
    void TearDown() override {
        Application().ProcessMessages();
        if (tool && IsLive(tool)) Free(tool);
        Free(World);
        World = nullptr;
        Application().ProcessMessages();
        SetUserHost(nullptr);
        EXPECT_EQ(chdir(old.c_str()), 0);
        std::filesystem::remove_all(dir);
    }
    static TGuide* NewGuide() {
        TGuide* g = TGuide::New();
        TStringList lines;
        lines.SetText(kSheetList);
        g->ReadSheetLines(lines, "MAPLSMO.txt");
        g->EnsureStructure();
        return g;
    }
    void SaveGuideFile(TGuide* g) {
        g->ResetIDs();
        TSave* save = TSave::New(dir + "ini/Guide.ZRX");
        save->SetInput(g);
        save->DoIt();
        Free(save);
    }
    // The window with a key map of two sheets, showing only the given series.
    void Open(std::initializer_list<const char*> shown = {"b_50"}) {
        TGuide* g = NewGuide();
        SaveGuideFile(g);
        Free(g);
        OpenAsIs();
        for (const char* b : TGuideForm::SeriesButtons) {
            bool want = std::string(b) == "b_Texty" || std::string(b) == "b_Fill";
            for (const char* s : shown) want = want || std::string(b) == s;
            if (Form()[b].Checked != want) Form()[b].Click();
        }
        Application().ProcessMessages();
    }
    void OpenAsIs() {
        tool = TGuideFormTool::New();
        main->AddTool(tool);
        tool->DoIt();
        Application().ProcessMessages();
    }
    TGuideForm& Form() { return *tool->GuideForm(); }
    TGuide* Guide() { return tool->GetGuide(); }
    TSMO_50* Sheet(const char* abbreviation) {
        for (int32_t c = 0; c < Guide()->ColumnCount(); ++c)
            if (TSpaces* col = Guide()->Column(c))
                for (int32_t i = 0; i < col->ElementsCount(); ++i)
                    if (auto* s = As<TSMO_50>(col->Get(i)); s && s->GetZkratka() == abbreviation) return s;
        return nullptr;
    }
    // A click of the button at the model point, through the window.
    void Click(double x, double y, TMouseButton button = mbLeft) {
        TPixelPoint p = tool->GetProjection()->GetPagePoint(x, y);
        Form().MouseDown(button, 0, p.X, p.Y);
        Form().MouseUp(button, 0, p.X, p.Y);
        Application().ProcessMessages();
    }
    void Use(const char* className) {
        tool->ShowTool(className);
        Application().ProcessMessages();
    }
    ScriptedHost host;
    std::string dir, old;
    TKeyMapMain* main = nullptr;
    TGuideFormTool* tool = nullptr;
};

TEST_F(KeyMapWindowTest, WithoutAKeyMapFileANewOneIsBuiltAndCancelOrApplyEndsIt) {
    OpenAsIs();
    // No "Guide.ZRX": a new key map, the apply panel and the 1:50000 sheets.
    ASSERT_NE(Guide(), nullptr);
    EXPECT_TRUE(Form()["Panel1"].Visible);
    EXPECT_TRUE(Form()["b_50"].Checked);
    EXPECT_TRUE(tool->GuideInterpret()->Show_50);
    EXPECT_FALSE(tool->NormalMode());
    // Apply saves it and ends the building.
    tool->PostMsg(guide_msg::Apply, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(FileExists(dir + "ini/Guide.ZRX"));
    EXPECT_FALSE(Form()["Panel1"].Visible);
    EXPECT_TRUE(tool->NormalMode());

    TGuide* first = Guide();
    tool->PostMsg(guide_msg::NewGuideManual, tool, nullptr, false);
    Application().ProcessMessages();
    TGuide* second = Guide();
    EXPECT_NE(second, first);
    EXPECT_EQ(tool->GetBackupGuide(), first);
    // 141 and 142 while the panel is shown do nothing.
    for (int32_t m : {guide_msg::NewGuideAuto, guide_msg::NewGuideManual}) {
        tool->PostMsg(m, tool, nullptr, false);
        Application().ProcessMessages();
        EXPECT_EQ(Guide(), second);
    }
    // Cancel brings the previous key map back and frees the new one.
    uint64_t serial = second->Serial();
    tool->PostMsg(guide_msg::Cancel, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(Guide(), first);
    EXPECT_FALSE(IsLive(second, serial));
    EXPECT_EQ(tool->GetBackupGuide(), nullptr);
}

TEST_F(KeyMapWindowTest, ABrokenOrForeignKeyMapFileGivesAMessageAndANewKeyMap) {
    TRectEntity* foreign = TRectEntity::New();
    foreign->SetRect(0, 0, 10, 10);
    TSave* save = TSave::New(dir + "foreign.zrx");
    save->SetInput(foreign);
    save->DoIt();
    Free(save);
    Free(foreign);
    std::string foreignBytes = wbtest::ReadFile(dir + "foreign.zrx");
    TGuide* g = NewGuide();
    SaveGuideFile(g);
    Free(g);
    std::string guideBytes = wbtest::ReadFile(dir + "ini/Guide.ZRX");
    for (const std::string& bytes :
         {std::string("ZRX0garbage"), std::string("TPF0\x01\x02", 6), guideBytes.substr(0, guideBytes.size() / 2),
          foreignBytes, std::string()}) {
        SCOPED_TRACE(bytes.size());
        std::ofstream(dir + "ini/Guide.ZRX", std::ios::binary | std::ios::trunc) << bytes;
        ClearHostLog();
        OpenAsIs();
        EXPECT_TRUE(std::any_of(HostLog().begin(), HostLog().end(), [](const std::string& s) {
            return s.find(Cz("Soubor průvodce byl patrně poškozen")) != std::string::npos;
        }));
        ASSERT_NE(Guide(), nullptr);
        EXPECT_FALSE(tool->NormalMode());
        Free(tool);
        tool = nullptr;
        Application().ProcessMessages();
    }
}

TEST_F(KeyMapWindowTest, OpeningAnotherModelKeepsTheKeyMap) {
    Open();
    TGuide* before = Guide();
    std::ofstream(dir + "other.zrx", std::ios::binary) << "not a key map";
    host.PushText(dir + "other.zrx");
    tool->PostMsg(tm_OpenFile, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(Guide(), before);
    EXPECT_TRUE(std::any_of(HostLog().begin(), HostLog().end(), [](const std::string& s) {
        return s.find(Cz("ponechávám původní")) != std::string::npos;
    }));
}

TEST_F(KeyMapWindowTest, ClicksMarkTheSheetsOfTheFinestSeriesShown) {
    Open({"b_2"});
    TSMO_50* gost = Sheet("GOST");
    ASSERT_NE(gost, nullptr);
    // A point inside cell (3, 4), smaller-x half of its 1:2000 split.
    double x = gost->GetMaxX() - 3 * 2500 - 1900, y = gost->GetMaxY() - 4 * 2000 - 300;
    Use("TGuideSelector");
    // Nothing below the 1:50000 sheet yet: three levels are made, the new 1:2000 sheet unmarked.
    Click(x, y);
    TSMO_10* s10 = gost->FindDetail10(3, 4);
    ASSERT_NE(s10, nullptr);
    TSMO_5* s5 = s10->FindDetail(3, 4);
    ASSERT_NE(s5, nullptr);
    ASSERT_EQ(s5->ElementsCount() > 0, true);
    TSMO_2* s2 = s5->FindDetail(1, 0);
    ASSERT_NE(s2, nullptr);
    EXPECT_TRUE(s2->Is<TGuidePage_2>());
    EXPECT_FALSE(s2->GetSelected());
    // The next click marks it, a right click does nothing, another left click unmarks.
    Click(x, y);
    EXPECT_TRUE(s2->GetSelected());
    Click(x, y, mbRight);
    EXPECT_TRUE(s2->GetSelected());
    Click(x, y);
    EXPECT_FALSE(s2->GetSelected());
    // Only 1:50000 shown: the sheet itself.
    Form()["b_2"].Click();
    Form()["b_50"].Click();
    Application().ProcessMessages();
    Click(x, y);
    EXPECT_TRUE(gost->GetSelected());
    EXPECT_FALSE(s5->GetSelected());
    // Detail mode with 1:2000 shown fills the 1:5000 sheet with its four 1:2000 sheets.
    Form()["b_50"].Click();
    Form()["b_2"].Click();
    Form()["b_MakeDetail"].Click();
    Application().ProcessMessages();
    EXPECT_TRUE(tool->Selector()->Detail);
    Click(x, y);
    for (int s = 0; s <= 1; ++s)
        for (int t = 0; t <= 1; ++t) EXPECT_NE(s5->FindDetail(s, t), nullptr) << s << t;
}

TEST_F(KeyMapWindowTest, ApplyWritesTheMarkedSheetsIntoTheCurrentFolder) {
    Open({"b_50"});
    Use("TGuideSelector");
    TSMO_50* rydu = Sheet("RYDU");
    ASSERT_NE(rydu, nullptr);
    Click(rydu->GetCenterX(), rydu->GetCenterY());
    ASSERT_TRUE(rydu->GetSelected());
    tool->PostMsg(guide_msg::StartSheetSelection, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(Form()["Panel1"].Visible);
    tool->PostMsg(guide_msg::Apply, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_FALSE(FileExists(dir + "ini/Select.ZRX"));
    ASSERT_TRUE(FileExists(dir + "work/Select.ZRX"));
    std::string error;
    TEntity* selection = ReadSheetSelection(dir + "work/Select.ZRX", error);
    ASSERT_NE(selection, nullptr) << error << (HostLog().empty() ? "" : HostLog().back());
    ASSERT_EQ(selection->ElementsCount(), 1);
    EXPECT_EQ(As<TMapSpace>(selection->Get(0))->GetZkratka(), "RYDU");
    Free(selection);
    // The main tool's view of the selection is the same.
    TEntity* spaces = tool->GetSelectedMapSpaces();
    ASSERT_NE(spaces, nullptr);
    EXPECT_EQ(spaces->ElementsCount(), 1);
    while (spaces->ElementsCount() > 0) spaces->RemoveElement(spaces->Get(0));
    Free(spaces);
}

TEST_F(KeyMapWindowTest, ABrokenOrForeignSelectionFileIsRefusedWhole) {
    Open({"b_50"});
    Use("TGuideSelector");
    Click(Sheet("GOST")->GetCenterX(), Sheet("GOST")->GetCenterY());
    tool->PostMsg(guide_msg::Apply, tool, nullptr, false);
    Application().ProcessMessages();
    std::string good = wbtest::ReadFile(dir + "work/Select.ZRX");
    ASSERT_FALSE(good.empty());
    // A key map is no selection.
    std::string guide = wbtest::ReadFile(dir + "ini/Guide.ZRX");
    for (const std::string& bytes : {good.substr(0, good.size() - 7), std::string("TPF0"), guide, std::string("x")}) {
        SCOPED_TRACE(bytes.size());
        std::ofstream(dir + "bad.zrx", std::ios::binary | std::ios::trunc) << bytes;
        std::string error;
        EXPECT_EQ(ReadSheetSelection(dir + "bad.zrx", error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(KeyMapWindowTest, UserMapSpacesAreDrawnMarkedAndRefusedWithoutScaleOrArea) {
    Open({"b_U"});
    TSMO_50* gost = Sheet("GOST");
    Use("TNewUserMapSpace");
    auto* maker = As<TNewUserMapSpace>(tool->GetActiveTool());
    ASSERT_NE(maker, nullptr);
    maker->Scale = 0;
    maker->Width = 3000;
    maker->Height = 2000;
    Click(gost->GetCenterX(), gost->GetCenterY());
    TUserMapSpaces* spaces = Guide()->GetUserMapSpaces();
    ASSERT_EQ(spaces->ElementsCount(), 1);
    auto* space = As<TUserMapSpace>(spaces->Get(0));
    EXPECT_EQ(space->GetName(), Cz("Mapa 1:10000"));
    EXPECT_DOUBLE_EQ(space->GetScale(), 10000);
    EXPECT_NEAR(space->GetWidth(), 3000, 3000 * 0.02);
    // A box of no area is refused with the message.
    maker->Width = 0;
    ClearHostLog();
    Click(gost->GetCenterX() + 9000, gost->GetCenterY());
    EXPECT_EQ(spaces->ElementsCount(), 1);
    EXPECT_FALSE(HostLog().empty());

    // The sheet selector with U on marks user map spaces; zoom to selection counts only them.
    Use("TGuideSelector");
    Click(space->GetCenterX(), space->GetCenterY());
    EXPECT_TRUE(space->GetSelected());
    gost->SetSelected(true);
    TRecGuideSelect* r = TRecGuideSelect::New();
    r->SU = r->S50 = true;
    r->SetInput(Guide());
    r->DoIt();
    EXPECT_DOUBLE_EQ(r->Result.GetWidth(), space->GetWidth());
    Free(r);

    // The editor selects it; the form refuses a scale of 0 and an empty rectangle.
    Use("TUserMapSpaceEditor");
    Click(space->GetCenterX(), space->GetCenterY());
    TF_UMSedForm* form = tool->GetUMSEditForm();
    EXPECT_NEAR(form->Xmin, space->GetMinX(), 1e-6);
    ClearHostLog();
    (*form)["e_Scale"].Text = "0";
    form->EditLeft("e_Scale");
    EXPECT_DOUBLE_EQ(form->Scale, 10000);
    EXPECT_FALSE(HostLog().empty());
    double maxX = space->GetMaxX();
    (*form)["e_Xmax"].Text = FloatToStr(form->Xmin);
    form->EditLeft("e_Xmax");
    ClearHostLog();
    (*form)["b_Apply"].Click();
    EXPECT_FALSE(HostLog().empty());
    EXPECT_DOUBLE_EQ(space->GetMaxX(), maxX);
    // A proper change applies and can be undone.
    (*form)["e_Xmax"].Text = FloatToStr(maxX + 500);
    form->EditLeft("e_Xmax");
    (*form)["b_Apply"].Click();
    EXPECT_DOUBLE_EQ(space->GetMaxX(), maxX + 500);
    EXPECT_TRUE((*form)["b_Undo"].Visible);
    (*form)["b_Undo"].Click();
    EXPECT_DOUBLE_EQ(space->GetMaxX(), maxX);
}

TEST_F(KeyMapWindowTest, TheFirstCloseAsksTheMainToolAndTheSwitchesAreKept) {
    Open({"b_10", "b_25"});
    EXPECT_FALSE(Form().Close());
    Free(tool);
    tool = nullptr;
    TIniFile ini(dir + "ini/Test.INI");
    EXPECT_TRUE(ini.ReadBool("GuideForm", "10", false));
    EXPECT_TRUE(ini.ReadBool("GuideForm", "25", false));
    EXPECT_FALSE(ini.ReadBool("GuideForm", "5", true));
    OpenAsIs();
    EXPECT_TRUE(tool->GuideInterpret()->Show_10);
    EXPECT_TRUE(tool->Selector()->Show_25);
    EXPECT_FALSE(tool->GuideInterpret()->Show_5);
}

}  // namespace

namespace {

TEST_F(KeyMapWindowTest, PopupInvertsAndRemovesTheMarkedSheetsAndZoomsToThem) {
    Open({"b_50"});
    Use("TGuideSelector");
    TSMO_50* gost = Sheet("GOST");
    TSMO_50* rydu = Sheet("RYDU");
    Click(gost->GetCenterX(), gost->GetCenterY());
    ASSERT_TRUE(gost->GetSelected());
    // Zoom to the selection centres on the marked sheet.
    Form()["pVyrezVyber"].Click();
    Application().ProcessMessages();
    EXPECT_NEAR(tool->GetProjection()->GetCenterX(), gost->GetCenterX(), 1);
    Form()["pInverze"].Click();
    Application().ProcessMessages();
    EXPECT_FALSE(gost->GetSelected());
    EXPECT_TRUE(rydu->GetSelected());
    double x = rydu->GetCenterX(), y = rydu->GetCenterY();
    uint64_t serial = rydu->Serial();
    Form()["pOdstranit"].Click();
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(rydu, serial));
    EXPECT_EQ(FindSheetAt(Guide(), x, y), nullptr);
    EXPECT_EQ(Sheet("GOST"), gost);
}

// A key map still open when the program's world is freed saves its key map and switches
// where the program keeps them, nothing in the current folder.
TEST_F(KeyMapWindowTest, AKeyMapOpenWhenTheWorldEndsSavesBesideTheProgramsIniFile) {
    Open({"b_25"});
    std::filesystem::remove(dir + "ini/Guide.ZRX");
    Free(World);
    World = nullptr;
    tool = nullptr;
    Application().ProcessMessages();
    EXPECT_TRUE(FileExists(dir + "ini/Guide.ZRX"));
    EXPECT_TRUE(TIniFile(dir + "ini/Test.INI").ReadBool("GuideForm", "25", false));
    EXPECT_TRUE(std::filesystem::is_empty(dir + "work"));
}

}  // namespace

namespace {

// The user-map-space editor is the rectangle editor: grips resize, "FixPage" locks the
// aspect to the page, Delete removes the space; Esc ends the drag of a new one.
TEST_F(KeyMapWindowTest, UserMapSpacesAreResizedAtTheirGripsAspectLockedAndDeleted) {
    Open({"b_U"});
    TSMO_50* gost = Sheet("GOST");
    Use("TNewUserMapSpace");
    auto* maker = As<TNewUserMapSpace>(tool->GetActiveTool());
    ASSERT_NE(maker, nullptr);
    maker->Scale = 25000;
    maker->Width = 4000;
    maker->Height = 4000;
    TPixelPoint c = tool->GetProjection()->GetPagePoint(gost->GetCenterX(), gost->GetCenterY());
    Form().MouseDown(mbLeft, ssLeft, c.X, c.Y);
    Form().OnKeyDown(Form(), VK_ESCAPE, 0);
    Form().MouseUp(mbLeft, 0, c.X, c.Y);
    Application().ProcessMessages();
    TUserMapSpaces* spaces = Guide()->GetUserMapSpaces();
    EXPECT_EQ(spaces->ElementsCount(), 0);
    Click(gost->GetCenterX(), gost->GetCenterY());
    ASSERT_EQ(spaces->ElementsCount(), 1);
    auto* space = As<TUserMapSpace>(spaces->Get(0));
    EXPECT_EQ(space->GetName(), Cz("Mapa 1:25000"));

    Use("TUserMapSpaceEditor");
    Click(space->GetCenterX(), space->GetCenterY());
    auto* editor = As<TUserMapSpaceEditor>(tool->GetActiveTool());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Selected(), space);
    TF_UMSedForm* form = tool->GetUMSEditForm();
    EXPECT_NEAR(form->Xmax, space->GetMaxX(), 1e-6);
    auto drag = [&](TPixelPoint from, int dx, int dy) {
        Form().MouseDown(mbLeft, ssLeft, from.X, from.Y);
        Form().MouseMove(ssLeft, from.X + dx / 2, from.Y + dy / 2);
        Form().MouseMove(ssLeft, from.X + dx, from.Y + dy);
        Form().MouseUp(mbLeft, 0, from.X + dx, from.Y + dy);
        Application().ProcessMessages();
    };
    auto rect = [&] { return tool->GetProjection()->GetPageRect(space->Rect()); };
    // The right grip widens it; the left edge stays, and the form follows the drag.
    TPixelRect r = rect();
    const double minX = space->GetMinX(), height = space->GetHeight();
    drag(TPixelPoint{r.Right, (r.Top + r.Bottom) / 2}, 20, 0);
    EXPECT_NEAR(space->GetMinX(), minX, 1e-6);
    EXPECT_GT(rect().Right - r.Right, 17);
    EXPECT_NEAR(space->GetHeight(), height, height * 0.02);
    EXPECT_NEAR(form->Xmax, space->GetMaxX(), 1e-6);
    // With the page fixed the rectangle keeps the page's aspect (A4 lying).
    form->PageWidth = 0.297;
    form->PageHeight = 0.210;
    form->ShowValues();
    (*form)["FixPage"].SetChecked(true);
    r = rect();
    drag(TPixelPoint{r.Right, r.Bottom}, 40, 0);
    EXPECT_NEAR(space->GetWidth() / space->GetHeight(), 0.297 / 0.210, 0.03);
    (*form)["FixPage"].SetChecked(false);
    r = rect();
    drag(TPixelPoint{r.Right, (r.Top + r.Bottom) / 2}, 30, 0);
    EXPECT_GT(space->GetWidth() / space->GetHeight(), 0.297 / 0.210 + 0.05);
    // Delete removes the selected space from the key map.
    uint64_t serial = space->Serial();
    Form().OnKeyDown(Form(), 46, 0);
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(space, serial));
    EXPECT_EQ(spaces->ElementsCount(), 0);
    EXPECT_EQ(editor->Selected(), nullptr);
}

}  // namespace
