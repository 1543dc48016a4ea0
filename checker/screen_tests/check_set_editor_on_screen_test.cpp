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

}  // namespace
