#include "screen/form_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "platform/host.h"
#include "platform/sysutils.h"

// Leaks inside the font library Qt loads, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "screen_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A form of every kind, with a log of its events.
struct Every : TForm {
    std::vector<std::string> log;
    Every() : TForm("Tf_Every") {
        Caption = Cz("Možnosti");
        auto note = [this](TControl& c) { log.push_back(c.Name + "=" + c.Text); };
        Add(TControlKind::GroupBox, "gb", Cz("Složky:"));
        Add(TControlKind::Edit, "ed_Data", "Data", "gb").OnChange = note;
        Add(TControlKind::Edit, "ed_Fixed", "", "gb").ReadOnly = true;
        Add(TControlKind::CheckBox, "cb_Free", "Free").OnClick = note;
        Add(TControlKind::RadioButton, "rb_A", "A", "gr");
        Add(TControlKind::RadioButton, "rb_B", "B", "gr").Checked = true;
        TControl& combo = Add(TControlKind::ComboBox, "Combo");
        combo.Items = {"m", "cm", "mm"};
        combo.OnChange = note;
        Add(TControlKind::ListBox, "List").Items = {"a", "b", "c"};
        TControl& grid = Add(TControlKind::Grid, "Grid");
        grid.SetCell(0, 0, "Name");
        grid.SetCell(1, 1, "x");
        grid.OnCellChange = [this](TControl& g, int col, int row) { log.push_back("cell " + g.Cell(col, row)); };
        Add(TControlKind::ProgressBar, "Bar").Value = 30;
        Add(TControlKind::Label, "l_Info", "Info").Hint = "hint";
        Add(TControlKind::Panel, "Panel");
        Add(TControlKind::MenuItem, "mi_File", "&Soubor");
        Add(TControlKind::MenuItem, "mi_Open", "&Open", "mi_File").OnClick = [this](TControl&) { log.push_back("open"); };
        Add(TControlKind::StatusBar, "StatusBar").Text = "ready";
        TControl& hide = Add(TControlKind::Button, "b_Hide", "Hide");
        hide.OnClick = [this](TControl&) {
            (*this)["ed_Fixed"].Visible = false;
            (*this)["Combo"].Enabled = false;
        };
        Add(TControlKind::Button, "OK", "OK", "Panel").ModalResult = mrOk;
        Add(TControlKind::Button, "Zpet", Cz("Zpět"), "Panel").ModalResult = 4;
    }
};

template <class W> W* Get(TFormWindow& w, const char* name) {
    W* widget = qobject_cast<W*>(w.Widget(name));
    if (!widget) ADD_FAILURE() << name;
    return widget;
}

// Every kind has its widget; clicks, typing, ticks and picks reach the form's controls
// and their events, a change made by a handler reaches the widgets, a result button ends
// the window with its result.
TEST(FormWindow, WidgetsMirrorAndDriveTheForm) {
    App();
    Every f;
    TFormWindow w(f);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Možnosti"));
    EXPECT_TRUE(Get<QLineEdit>(w, "ed_Fixed")->isReadOnly());
    EXPECT_TRUE(Get<QRadioButton>(w, "rb_B")->isChecked());
    EXPECT_EQ(Get<QTableWidget>(w, "Grid")->item(1, 1)->text(), "x");
    EXPECT_EQ(w.Widget("l_Info")->toolTip(), "hint");

    QTest::keyClicks(Get<QLineEdit>(w, "ed_Data"), "/d");
    EXPECT_EQ(f["ed_Data"].Text, "/d");
    Get<QCheckBox>(w, "cb_Free")->click();
    EXPECT_TRUE(f["cb_Free"].Checked);
    Get<QRadioButton>(w, "rb_A")->click();
    EXPECT_TRUE(f["rb_A"].Checked);
    EXPECT_FALSE(f["rb_B"].Checked);
    EXPECT_FALSE(Get<QRadioButton>(w, "rb_B")->isChecked());
    QListWidget* list = Get<QListWidget>(w, "List");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(f["List"].ItemIndex, 2);
    EXPECT_EQ(f["List"].Text, "c");
    Get<QComboBox>(w, "Combo")->activated(1);  // a pick in the drop-down
    EXPECT_EQ(f["Combo"].Text, "cm");
    Get<QTableWidget>(w, "Grid")->item(1, 1)->setText("y");
    EXPECT_EQ(f["Grid"].Cell(1, 1), "y");
    auto* file = qobject_cast<QMenu*>(w.Widget("mi_File"));
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 1);
    file->actions().front()->trigger();
    EXPECT_EQ(f.log, (std::vector<std::string>{"ed_Data=/", "ed_Data=/d", "cb_Free=", "Combo=cm", "cell y", "open"}));

    QTest::mouseClick(Get<QPushButton>(w, "b_Hide"), Qt::LeftButton);
    EXPECT_FALSE(w.Widget("ed_Fixed")->isVisible());
    EXPECT_FALSE(w.Widget("Combo")->isEnabled());

    QTest::mouseClick(Get<QPushButton>(w, "Zpet"), Qt::LeftButton);
    EXPECT_EQ(w.result(), 4);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
