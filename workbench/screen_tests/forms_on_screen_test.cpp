// The shell's forms on Qt's offscreen platform: each opens with a widget (or a menu action)
// for every named control, and widgets driven by the mouse reach the form.
#include <gtest/gtest.h>

#include <QApplication>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "screen/form_window.h"
#include "workbench/choice_interpret.h"
#include "workbench/element_dialogs.h"
#include "workbench/folder_dialogs.h"
#include "workbench/key_map_tools.h"
#include "workbench/map_window_form.h"
#include "workbench/name_dialog.h"
#include "workbench/position_dialog.h"
#include "workbench/print_dialog.h"
#include "workbench/progress_monitor.h"
#include "workbench/property_editor.h"
#include "screen_test_support.h"
#include "workbench_test_util.h"

namespace {

class FormsOnScreenTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        screentest::App();
        WorldTest::SetUp();
    }
};

TEST_F(FormsOnScreenTest, EveryFormOpensWithAWidgetForEachControl) {
    std::vector<std::unique_ptr<TForm>> forms;
    forms.push_back(std::make_unique<TFProp>(nullptr));
    forms.push_back(std::make_unique<TF_rectedForm>());
    forms.push_back(std::make_unique<TStandardImageForm>(nullptr));
    forms.push_back(std::make_unique<Tf_SetScale>());
    forms.push_back(std::make_unique<TPrnDlg>(nullptr));
    forms.push_back(std::make_unique<TF_UMSedForm>(nullptr));
    forms.push_back(std::make_unique<TGuideVectorsDlg>());
    forms.push_back(std::make_unique<TZMDialog>());
    forms.push_back(std::make_unique<Tf_Name>());
    forms.push_back(std::make_unique<TSetupViewDialog>());
    forms.push_back(std::make_unique<TPenWidthDialog>());
    forms.push_back(std::make_unique<TNewBMPDlg>());
    forms.push_back(std::make_unique<Tf_SelectDir>());
    forms.push_back(std::make_unique<TF_dbfrecForm>());
    forms.push_back(std::make_unique<TD_txtblkForm>());
    forms.push_back(std::make_unique<TProgressMonitorForm>());
    forms.push_back(std::make_unique<TProcessMonitorForm>());
    screentest::ExpectEveryControlShown(forms);
}

// A tab clicked is the property editor's page; a radio group's button is its item.
TEST_F(FormsOnScreenTest, PagesAndRadioGroupsAreDrivenByTheMouse) {
    TFProp prop(nullptr);
    TFormWindow w(prop);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* tabs = qobject_cast<QTabWidget*>(w.Widget("PageControl1"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->currentIndex(), 1);
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
    EXPECT_EQ(prop.ActivePage(), 2);
    EXPECT_EQ(tabs->currentWidget(), w.Widget("tsMethods"));

    TZMDialog zm;
    TFormWindow z(zm);
    z.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&z));
    auto scales = z.Widget("rg_Scale")->findChildren<QRadioButton*>();
    ASSERT_EQ(scales.size(), 5);
    QTest::mouseClick(scales[2], Qt::LeftButton, {}, QPoint(4, scales[2]->height() / 2));
    EXPECT_EQ(zm["rg_Scale"].ItemIndex, 2);
    EXPECT_EQ(zm["rg_Scale"].Text, "50000");
}

}  // namespace
