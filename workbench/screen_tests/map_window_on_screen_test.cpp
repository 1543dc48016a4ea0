// A map window on Qt's offscreen platform: its raster on screen, and the mouse on its image
// as the window's input events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>

#include "composition/pages.h"
#include "screen/form_window.h"
#include "screen/screen_host.h"
#include "screen_test_support.h"
#include "workbench/form_tool_manager.h"
#include "workbench_test_util.h"

namespace {

using wbtest::TCountingInterpret;

// A tool that keeps the window's drag messages (with their points) and the elements 33 names.
class TDragProbe : public TInteractiveTool {
    ZARIX_CLASS(TDragProbe, TInteractiveTool)

public:
    std::vector<std::string> Got;
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        if (m && m->Message >= tm_WindowStartDrag && m->Message <= tm_WindowEndDrag) {
            auto* e = static_cast<TZarixMouseEvent*>(m);
            Got.push_back(IntToStr(m->Message) + " " + IntToStr(e->X) + "," + IntToStr(e->Y));
        } else if (m && m->Message == tm_RequestReView && m->Data) {
            Got.push_back("33 " + m->Data->GetName());
        }
        inherited::HandleMessage(m, handled);
    }
};

// What a drag from the tree carries (the view's own drag data).
struct TreeDrag : QTreeWidget {
    static QMimeData* Data(QTreeWidget* tree) {
        return (tree->*(&TreeDrag::mimeData))(QList<QTreeWidgetItem*>{tree->topLevelItem(0)});
    }
};

class MapWindowOnScreenTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        screentest::App();
        WorldTest::SetUp();
        setenv("DISPLAY", ":0", 0);  // the offscreen platform needs none, the screen host asks
        int argc = 1;
        char name[] = "workbench_screen_tests";
        char* argv[] = {name, nullptr};
        ASSERT_TRUE(StartScreen(argc, argv));
        manager = TFormToolManager::New();
        mainTool->AddTool(manager);
        manager->SetInterpret(TCountingInterpret::New());
        desktop = TDesktop::New();
        desktop->SetRect(0, 0, 640, 480);
        manager->SetInput(desktop);
        manager->DoIt();
        Settle();
        window = FormWindow(Form());
        ASSERT_TRUE(window);
        image = window->Widget("Image");
        ASSERT_TRUE(image);
    }
    void TearDown() override {
        StopScreen();
        WorldTest::TearDown();
        SetUserHost(nullptr);
    }
    // Window events, then the posted messages they caused.
    void Settle() {
        QApplication::processEvents();
        Application().ProcessMessages();
    }
    TStandardImageForm& Form() { return *manager->GetForm(); }
    TFormToolManager* manager = nullptr;
    TDesktop* desktop = nullptr;
    TFormWindow* window = nullptr;
    QWidget* image = nullptr;
};

TEST_F(MapWindowOnScreenTest, ADragOverTheImageZoomsTheViewToTheDraggedRectangle) {
    TPageProjection* p = manager->GetProjection();
    double scale = p->GetScale();
    TRectangle band;
    p->GetModelRect(TPixelRect{100, 100, 260, 220}, band);
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(100, 100));
    Settle();
    QTest::mouseMove(image, QPoint(180, 160));
    Settle();
    QTest::mouseMove(image, QPoint(260, 220));
    Settle();
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(260, 220));
    Settle();
    EXPECT_DOUBLE_EQ(p->GetCenterX(), band.GetCenter().X);
    EXPECT_DOUBLE_EQ(p->GetCenterY(), band.GetCenter().Y);
    EXPECT_LT(p->GetScale(), scale);
}

TEST_F(MapWindowOnScreenTest, TheImageShowsTheRasterAndTheRasterFollowsTheWindowSize) {
    window->resize(window->width() + 40, window->height() + 30);
    Settle();
    EXPECT_EQ(Form().Bitmap().Width(), image->width());
    EXPECT_EQ(Form().Bitmap().Height(), image->height());
    Form().Bitmap().Fill(clRed);
    QImage shown = image->grab().toImage();
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::red));
}

// Keys typed into the image go to the window's tools; Enter and Escape do not close it.
TEST_F(MapWindowOnScreenTest, KeysGoToTheToolsAndLeaveTheWindowOpen) {
    struct Case {
        Qt::Key key;
        double factor;
    } cases[] = {{Qt::Key_F5, 0.5}, {Qt::Key_F6, 2.0}, {Qt::Key_Escape, 1.0}, {Qt::Key_Return, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        double before = manager->GetDeviceScale();
        QTest::keyClick(image, c.key);
        Settle();
        EXPECT_DOUBLE_EQ(manager->GetDeviceScale(), before * c.factor);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(Form().CloseFlag);
    }
}

TEST_F(MapWindowOnScreenTest, ARightClickOnTheImageOpensThePopUpMenuThroughTheTools) {
    auto* menu = qobject_cast<QMenu*>(window->Widget("PopupMenu1"));
    ASSERT_TRUE(menu);
    QTest::mouseClick(image, Qt::RightButton, {}, QPoint(30, 40));
    EXPECT_FALSE(menu->isVisible());  // not before the window's tool had the release
    Settle();
    EXPECT_TRUE(Form().PopupShown);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST_F(MapWindowOnScreenTest, AFormFreedWhileItsWindowIsOpenTakesTheWindowAlong) {
    auto* form = new TForm("Tf_Short");
    form->Show();
    EXPECT_TRUE(FormWindow(*form));
    auto shown = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) n += w->isVisible();
        return n;
    };
    int before = shown();
    delete form;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shown(), before - 1);
}

TEST_F(MapWindowOnScreenTest, AJobThatLetsMessagesRunLetsTheWindowsRun) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QTest::qSleep(60);  // the windows run at most every 50 ms
    Application().ProcessMessages();
    EXPECT_TRUE(ran);
}

// A node of a tree in another window dropped on the map window: over the image the tools get
// the drag's points and the drop, and the node's element joins the window's input; a drop on
// the form does the latter only; once the tree's window is gone its drags carry nothing.
TEST_F(MapWindowOnScreenTest, ANodeDraggedFromAnotherWindowJoinsTheWindowsInput) {
    static bool registered = (RegisterZarixClass<TDragProbe>(), true);
    (void)registered;
    auto* probe = TDragProbe::New();
    manager->SetNextTool(probe);
    TRectEntity* carried = nullptr;
    auto* explorer = new TForm("TExplorerForm");
    TControl& tree = explorer->Add(TControlKind::Tree, "TreeView");
    tree.Items = {"node"};
    tree.DragObject = [&] { return static_cast<void*>(carried); };
    explorer->Show();
    Settle();
    auto* view = qobject_cast<QTreeWidget*>(FormWindow(*explorer)->Widget("TreeView"));
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->dragEnabled());  // its form takes no drops, its drags carry elements
    std::unique_ptr<QMimeData> data(TreeDrag::Data(view));
    auto element = [](const char* name) {
        TRectEntity* e = TRectEntity::New();
        e->SetName(name);
        return e;
    };
    struct Case {
        const char* what;
        bool onImage, sourceGone;
        std::vector<std::string> got;
    } cases[] = {
        {"on the image", true, false, {"63 10,20", "63 30,40", "64 0,0", "33 OnImage"}},
        {"on the form", false, false, {"33 OnForm"}},
        {"from a window that is gone", true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        carried = element(c.onImage ? "OnImage" : "OnForm");
        if (c.sourceGone) {
            delete explorer;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QWidget* target = c.onImage ? image : window;
        QDragEnterEvent enter(QPoint(10, 20), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(30, 40), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(30, 40), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        Settle();
        EXPECT_EQ(std::exchange(probe->Got, {}), c.got);
        EXPECT_EQ(carried->GetOwnersCount(), c.sourceGone ? 0 : 1);  // in the window's input
        if (c.sourceGone) Free(carried);
    }
}

// Last: the application stays terminated.
TEST_F(MapWindowOnScreenTest, TheLoopRunsUntilTheMainWindowIsClosed) {
    TForm main("TMainForm");
    main.Show();
    Application().SetMainForm(&main);
    QTimer::singleShot(30, [&] { FormWindow(main)->close(); });
    Application().Run();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(main.Visible);
    Application().SetMainForm(nullptr);
}

}  // namespace
