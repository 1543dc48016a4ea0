// The check-set editor on Qt's offscreen platform: nodes, checks and the pop-up menu through
// the widgets of its window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "check_set_editor_fixture.h"
#include "screen/form_window.h"
#include "screen_test_support.h"

namespace {

class CheckSetEditorOnScreenTest : public EditorTest {
protected:
    void SetUp() override {
        screentest::App();
        EditorTest::SetUp();
    }
};

// The checking program's forms open with a widget for each control.
TEST_F(CheckSetEditorOnScreenTest, TheProgramsFormsOpenWithEveryControl) {
    std::vector<std::unique_ptr<TForm>> forms;
    forms.push_back(std::make_unique<TINESetupDialogForm>());
    forms.push_back(std::make_unique<tarvine::TF_Options>());
    forms.push_back(std::make_unique<tarvine::TMainForm>(nullptr));
    screentest::ExpectEveryControlShown(forms);
}

QPoint Center(QTreeWidget* tree, QTreeWidgetItem* item) { return tree->visualItemRect(item).center(); }

// A node added by its button, a palette entry dragged onto the node's checks (shown as a
// tree: the interpret and its check), the node renamed from its pop-up menu.
TEST_F(CheckSetEditorOnScreenTest, NodesChecksAndThePopupMenuThroughTheWidgets) {
    Edit([&](TINESetupDialogForm& form) {
        TFormWindow w(form);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        NameAnswer("Uzel A");
        QTest::mouseClick(qobject_cast<QPushButton*>(w.Widget("BitBtn8")), Qt::LeftButton);
        auto* nodes = qobject_cast<QTreeWidget*>(w.Widget("o_1"));
        ASSERT_NE(nodes, nullptr);
        ASSERT_EQ(nodes->topLevelItemCount(), 1);
        EXPECT_EQ(nodes->currentItem(), nodes->topLevelItem(0));

        auto* palette = qobject_cast<QTreeWidget*>(w.Widget("o_3"));
        auto* checks = qobject_cast<QTreeWidget*>(w.Widget("o_2"));
        ASSERT_TRUE(palette && checks);
        QPoint body = Center(palette, palette->topLevelItem(0));
        QTest::mousePress(palette->viewport(), Qt::LeftButton, {}, body);
        QMimeData dragged;
        QDragEnterEvent enter(checks->viewport()->rect().center(), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(checks->viewport(), &enter);
        QDropEvent drop(QPointF(checks->viewport()->rect().center()), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(checks->viewport(), &drop);
        QTest::mouseRelease(palette->viewport(), Qt::LeftButton, {}, body);
        ASSERT_EQ(checks->topLevelItemCount(), 1);
        EXPECT_EQ(checks->topLevelItem(0)->text(0), "Body");
        ASSERT_EQ(checks->topLevelItem(0)->childCount(), 1);
        EXPECT_EQ(checks->topLevelItem(0)->child(0)->text(0), "KodJe1");

        NameAnswer("Uzel B");
        QPoint node = Center(nodes, nodes->topLevelItem(0));
        QContextMenuEvent right(QContextMenuEvent::Mouse, node, nodes->viewport()->mapToGlobal(node));
        QApplication::sendEvent(nodes->viewport(), &right);
        auto* popup = qobject_cast<QMenu*>(w.Widget("pm_Nodes"));
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->isVisible());
        w.Action("mi_Rename")->trigger();
        popup->hide();
        EXPECT_EQ(nodes->topLevelItem(0)->text(0), "Uzel B");
        EXPECT_EQ(form["o_1"].Items, std::vector<std::string>{"Uzel B"});
    });
}

// The sample check set in the editor: the trees, the grid and the list side by side under
// the tool bar, each under its title, growing with the window; no control's name shown.
TEST_F(CheckSetEditorOnScreenTest, TheSampleSetFillsTheWindow) {
    std::string sample = dir.Path("Kontroly.ZRX");
    std::filesystem::copy_file(std::string(SUITE_SAMPLES_DIR) + "/tarvine32/Kontroly.ZRX", sample);
    Edit([&](TINESetupDialogForm& form) {
        host.PushText(sample);
        form.Open();
        TFormWindow w(form);
        w.resize(1200, 640);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        auto* nodes = qobject_cast<QTreeWidget*>(w.Widget("o_1"));
        ASSERT_TRUE(nodes && nodes->topLevelItemCount() > 0);
        ASSERT_GT(nodes->topLevelItemCount(), 1);
        nodes->setCurrentItem(nodes->topLevelItem(1));  // a node of checks
        QTest::qWait(50);
        QWidget* grid = w.Widget("SG");
        QWidget* save = w.Widget("b_Save");
        ASSERT_TRUE(grid && save);
        // The tool bar above the client area, the trees beside each other.
        EXPECT_LT(save->mapTo(&w, QPoint()).y(), nodes->mapTo(&w, QPoint()).y());
        EXPECT_EQ(nodes->mapTo(&w, QPoint()).y(), w.Widget("o_2")->mapTo(&w, QPoint()).y());
        EXPECT_GT(nodes->height(), w.height() / 2);
        int high = nodes->height();
        w.resize(1200, 800);
        QTest::qWait(50);
        EXPECT_GT(nodes->height(), high);
        screentest::ExpectNoNamesShown(w);
        w.resize(1200, 640);
        QTest::qWait(50);
        screentest::SaveShot(w, SCREENSHOTS_DIR, "tarvine32-check-set-editor.png");
    });
}

// The checking program's main window: its buttons as a tool bar, the labels, the status line.
TEST_F(CheckSetEditorOnScreenTest, TheMainWindow) {
    // The labels as the sample's options show them.
    tool->GetOptions()->DataDirectory = "../data";
    tool->GetOptions()->INE = "Kontroly.ZRX";
    tool->ShowDataLabel();
    tool->ShowCheckLabel();
    TFormWindow w(Form());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    screentest::ExpectNoNamesShown(w);
    QWidget* start = w.Widget("bb_Start");
    QWidget* quit = w.Widget("bb_Quit");
    ASSERT_TRUE(start && quit);
    EXPECT_EQ(start->mapTo(&w, QPoint()).y(), quit->mapTo(&w, QPoint()).y());
    screentest::SaveShot(w, SCREENSHOTS_DIR, "tarvine32-main.png");
}

}  // namespace
