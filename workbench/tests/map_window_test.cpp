#include <gtest/gtest.h>

#include <cmath>

#include "composition/modelfile.h"
#include "composition/pages.h"
#include "platform/files.h"
#include "workbench/form_tool_manager.h"
#include "workbench_test_util.h"

namespace {

using wbtest::TCountingInterpret;

class MapWindowTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        manager = TFormToolManager::New();
        mainTool->AddTool(manager);
        interpret = TCountingInterpret::New();
        manager->SetInterpret(interpret);
        desktop = TDesktop::New();
        desktop->SetRect(0, 0, 640, 480);
        manager->SetInput(desktop);
    }
    void Open() {
        manager->DoIt();
        Application().ProcessMessages();
    }
    TStandardImageForm& Form() { return *manager->GetForm(); }
    TFormToolManager* manager = nullptr;
    TCountingInterpret* interpret = nullptr;
    TDesktop* desktop = nullptr;
};

TEST_F(MapWindowTest, RequestsWhileDrawingGiveExactlyOneMoreDrawing) {
    Open();
    ASSERT_EQ(interpret->Draws, 1);
    interpret->During = [this](int n) {
        if (n != 2) return;
        manager->PostMsg(tm_RequestReView, manager, nullptr, false);
        manager->PostMsg(tm_RequestReView, manager, nullptr, false);
        manager->PostMsg(tm_ReView, manager, nullptr, false);
    };
    manager->PostMsg(tm_RequestReView, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(interpret->Draws, 3);
    EXPECT_FALSE(manager->Status.Has(st_BREAK_AND_DOIT));
    // An idle request draws once.
    manager->PostMsg(tm_RequestReView, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(interpret->Draws, 4);
}

TEST_F(MapWindowTest, ClosingWhileDrawingClosesWhenTheDrawingStops) {
    Open();
    bool formDuring = false;
    interpret->During = [&](int) {
        EXPECT_FALSE(Form().Close());  // the first request only asks the manager to quit
        Application().ProcessMessages();
        formDuring = manager->GetForm() != nullptr;
    };
    manager->PostMsg(tm_ReView, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(formDuring);
    EXPECT_FALSE(IsLive(manager));  // freed by the main tool after its quit
    EXPECT_EQ(mainTool->ToolsCount(), 0);
}

TEST_F(MapWindowTest, ClosingAnIdleWindowQuitsAtOnce) {
    Open();
    EXPECT_FALSE(Form().Close());
    EXPECT_TRUE(Form().CloseFlag);
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(manager));
}

TEST_F(MapWindowTest, ZoomKeysChangeTheScaleOnce) {
    Open();
    struct Case {
        const char* what;
        bool viewerActive;
        uint16_t key;
        double factor;
    } cases[] = {
        {"F5 with the viewer", true, VK_F5, 0.5},
        {"F6 with the viewer", true, VK_F6, 2.0},
        {"F5 without an active tool", false, VK_F5, 0.5},
        {"F6 without an active tool", false, VK_F6, 2.0},
        {"Esc keeps the scale", true, VK_ESCAPE, 1.0},
    };
    int viewer = manager->GetActiveToolIndex();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        manager->SetActiveToolIndex(c.viewerActive ? viewer : -1);
        double before = manager->GetDeviceScale();
        int draws = interpret->Draws;
        Form().KeyDown(c.key);
        Application().ProcessMessages();
        EXPECT_DOUBLE_EQ(manager->GetDeviceScale(), before * c.factor);
        EXPECT_EQ(interpret->Draws, draws + (c.factor != 1.0 ? 1 : 0));
    }
    // The menu items send the same keys.
    double before = manager->GetDeviceScale();
    Form()["Zvetseni1"].Click();
    Application().ProcessMessages();
    EXPECT_DOUBLE_EQ(manager->GetDeviceScale(), before / 2);
    EXPECT_EQ(Form()["l_M"].Caption, IntToStr(Round(before / 2))) << Form()["l_M"].Text;
}

TEST_F(MapWindowTest, TheViewerZoomsToADragAndCentresOnAClick) {
    Open();
    TPageProjection* p = manager->GetProjection();
    double scale = p->GetScale();
    struct Case {
        const char* what;
        bool active;
        int x0, y0, x1, y1;
        bool zooms, moves;
    } cases[] = {
        {"drag", true, 100, 100, 260, 220, true, true},
        {"click", true, 100, 100, 101, 102, false, true},
        {"drag to the upper left", true, 300, 300, 100, 100, false, true},
        {"first click into an inactive window", false, 100, 100, 260, 220, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        p->ChangeProjection(T2DPoint{320, 240}, nullptr, scale);
        if (!c.active) Form().Deactivate();
        T2DPoint target = p->GetModelPoint(c.x1, c.y1);
        TRectangle band;
        p->GetModelRect(TPixelRect{c.x0, c.y0, c.x1, c.y1}, band);
        Form().MouseDown(mbLeft, ssLeft, c.x0, c.y0);
        Application().ProcessMessages();
        Form().MouseMove(ssLeft, c.x1, c.y1);
        Application().ProcessMessages();
        Form().MouseUp(mbLeft, 0, c.x1, c.y1);
        Application().ProcessMessages();
        if (c.zooms) {
            EXPECT_DOUBLE_EQ(p->GetCenterX(), band.GetCenter().X);
            EXPECT_DOUBLE_EQ(p->GetCenterY(), band.GetCenter().Y);
            EXPECT_LT(p->GetScale(), scale);
        } else if (c.moves) {
            EXPECT_NEAR(p->GetCenterX(), target.X, 1e-9);
            EXPECT_NEAR(p->GetCenterY(), target.Y, 1e-9);
            EXPECT_DOUBLE_EQ(p->GetScale(), scale);
        } else {
            EXPECT_DOUBLE_EQ(p->GetCenterX(), 320);
            EXPECT_DOUBLE_EQ(p->GetScale(), scale);
            EXPECT_TRUE(Form().WindowActive);  // the release made the window active again
        }
    }
    // The rubber band leaves no trace on the picture.
    EXPECT_EQ(Form().Bitmap().Pixel(150, 150), Form().Bitmap().Pixel(5, 5));
}

TEST_F(MapWindowTest, TheScaleDialogSetsTheScaleOrShowsTheWholeInput) {
    Open();
    TPageProjection* p = manager->GetProjection();
    double whole = p->GetScale();
    manager->SetDeviceScale(1234.4);
    std::string shown;
    host.PushAction([&] {
        TForm& f = *ActiveModalForm();
        shown = f["Combo"].Text;
        f["Combo"].Type("2500");
        f.KeyDown(112);
        EXPECT_EQ(static_cast<Tf_SetScale&>(f).HelpTopic, "Tf_SetScale_Combo");
        f["OK"].Click();
        return f.ModalResult;
    });
    Form()["Meritko1"].Click();
    Application().ProcessMessages();
    EXPECT_EQ(shown, "1234");
    EXPECT_DOUBLE_EQ(p->GetScale(), 2500);
    EXPECT_EQ(host.Records().back().caption, "Tf_SetScale");

    host.PushAction([&] {
        (*ActiveModalForm())["Combo"].Type("0");
        return mrOk;
    });
    manager->PostMsg(tm_ScaleDialog, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_DOUBLE_EQ(p->GetScale(), whole);

    host.PushCancel();
    manager->SetDeviceScale(700);
    manager->PostMsg(tm_ScaleDialog, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_DOUBLE_EQ(p->GetScale(), 700);
}

TEST_F(MapWindowTest, TheToolsMenuListsTheToolsAndActivatesThem) {
    TInteractiveTool* other = TInteractiveTool::New();
    other->SetName("Other");
    manager->SetNextTool(other);
    auto items = Form().ToolItems();
    ASSERT_GE(items.size(), 2u);
    TControl* viewerItem = Form().Find("TViewer");
    TControl* otherItem = Form().Find("TInteractiveTool");
    ASSERT_TRUE(viewerItem && otherItem);
    EXPECT_EQ(viewerItem->Caption, Cz("Prohlížeč"));
    EXPECT_TRUE(otherItem->Checked);
    EXPECT_FALSE(viewerItem->Checked);
    EXPECT_EQ(manager->GetActiveToolName(), "Other");

    viewerItem->Click();
    Application().ProcessMessages();
    EXPECT_EQ(manager->GetActiveToolClassName(), "TViewer");
    EXPECT_TRUE(viewerItem->Checked);
    EXPECT_FALSE(otherItem->Checked);
    EXPECT_EQ(manager->GetImageCursor(), 16);

    manager->SetPropertyStringByName("ActiveToolName", "Other");
    Application().ProcessMessages();
    EXPECT_EQ(manager->GetActiveTool(), other);
    EXPECT_EQ(manager->GetImageCursor(), 0);

    manager->FreeTool(other);
    EXPECT_EQ(Form().ToolItems().size(), items.size() - 1);
    EXPECT_EQ(manager->GetActiveTool(), nullptr);
}

TEST_F(MapWindowTest, TheRasterIsSavedAsPng) {
    manager->SetPageColor(clRed);
    Open();
    std::string path = wbtest::TempPath("window.png");
    manager->SetPropertyStringByName("SaveToFile", path);
    TRasterImage saved;
    saved.LoadFromPNG(path);
    EXPECT_EQ(saved.Width(), TStandardImageForm::DefaultWidth);
    EXPECT_EQ(saved.Height(), TStandardImageForm::DefaultHeight);
    EXPECT_EQ(saved.Pixel(10, 10), clRed);
    DeleteFile(path);

    std::string bad = "/nonexistent-folder/x.png";
    manager->SaveToFile(bad);
    EXPECT_TRUE(Logged(Cz("Do souboru ") + bad + Cz(" nejde uložit bitmapa")));
}

TEST_F(MapWindowTest, AResizeWhileHiddenDoesNothing) {
    Form().Resize(300, 200);
    EXPECT_EQ(Form().Bitmap().Width(), TStandardImageForm::DefaultWidth);
    Open();
    int draws = interpret->Draws;
    manager->SetWidth(300);
    Application().ProcessMessages();
    EXPECT_EQ(Form().Bitmap().Width(), 300);
    EXPECT_EQ(manager->GetDevice()->GetPage()->GetWidth(), 300);
    EXPECT_EQ(interpret->Draws, draws + 1);
}

TEST_F(MapWindowTest, TheWindowFreesOnlyWhatItWasHandedToKeep) {
    TRectEntity* tree = TRectEntity::New();
    TRectEntity* shown = TRectEntity::New();
    TRectEntity* dropped = TRectEntity::New();
    shown->SetRect(0, 0, 10, 10);
    dropped->SetRect(20, 20, 30, 30);
    tree->AddElement(shown);
    tree->AddElement(dropped);
    manager->SetInput(shown);  // frees the desktop it was handed
    EXPECT_FALSE(IsLive(desktop));
    Open();
    Form().DropElement(dropped);
    Application().ProcessMessages();
    EXPECT_DOUBLE_EQ(manager->GetEnvelope()->GetMaxX(), 30);
    manager->SetInput(nullptr);
    ASSERT_TRUE(IsLive(shown));
    ASSERT_TRUE(IsLive(dropped));
    EXPECT_EQ(tree->ElementsCount(), 2);
    EXPECT_EQ(shown->GetOwnersCount(), 1);
    manager->SetInput(shown);
    Form().DropElement(dropped);
    Free(manager);
    EXPECT_TRUE(IsLive(shown));
    EXPECT_TRUE(IsLive(dropped));
    EXPECT_EQ(dropped->GetOwnersCount(), 1);
    Free(tree);
}

// The element a tree's drag carries joins the window's input when dropped on the image or the
// form; in the checking program the image takes no drags.
TEST_F(MapWindowTest, ADroppedNodeJoinsTheInputExceptOnTheCheckingProgramsImage) {
    Open();
    TForm explorer("TExplorerForm");
    TControl& tree = explorer.Add(TControlKind::Tree, "TreeView");
    TRectEntity* carried = nullptr;
    tree.DragObject = [&] { return static_cast<void*>(carried); };
    struct Case {
        const char* what;
        TModelFileProfile profile;
        bool onImage, joins;
    } cases[] = {
        {"image", TModelFileProfile::Oskelt, true, true},
        {"form", TModelFileProfile::Oskelt, false, true},
        {"checking program's image", TModelFileProfile::Tarvine, true, false},
        {"checking program's form", TModelFileProfile::Tarvine, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetModelFileProfile(c.profile);
        TStandardImageForm form(manager);
        SetModelFileProfile(TModelFileProfile::Oskelt);
        carried = TRectEntity::New();
        if (c.onImage) form["Image"].DragDrop(tree);
        else static_cast<TForm&>(form).DragDrop(&tree);  // the drop on the form itself
        Application().ProcessMessages();
        EXPECT_EQ(carried->GetOwnersCount(), c.joins ? 1 : 0);
        if (!c.joins) Free(carried);
    }
}

TEST_F(MapWindowTest, MouseMovesShowTheModelPointAndRightClicksOpenTheContextMenu) {
    Open();
    TPageProjection* p = manager->GetProjection();
    Form().MouseMove(0, 320, 240);
    Application().ProcessMessages();
    EXPECT_EQ(Form()["l_x"].Text, FloatToStrF(p->GetModelPoint(320, 240).X, 2));
    EXPECT_EQ(Form()["l_y"].Text, FloatToStrF(p->GetModelPoint(320, 240).Y, 2));
    Form().MouseUp(mbRight, 0, 30, 40);
    Application().ProcessMessages();
    EXPECT_TRUE(Form().PopupShown);
    int draws = interpret->Draws;
    Form()["pPrezobraz"].Click();
    Application().ProcessMessages();
    EXPECT_EQ(interpret->Draws, draws + 1);
}

}  // namespace
