#include "screen/form_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

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
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QMimeData>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QScreen>
#include <cstdlib>
#include <QTreeWidget>

#include "platform/common_dialogs.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/yes_no.h"
#include "screen/screen_host.h"
#include "screen_test_support.h"


namespace {

using screentest::App;

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
        TControl& scales = Add(TControlKind::RadioButton, "rg_Scale", "Scale");
        scales.Items = {"1000", "5000"};
        scales.OnChange = note;
        TControl& combo = Add(TControlKind::ComboBox, "Combo");
        combo.Items = {"m", "cm", "mm"};
        combo.OnChange = note;
        Add(TControlKind::ListBox, "List").Items = {"a", "b", "c"};
        Add(TControlKind::Other, "Header").Items = {"Name", "Value"};
        TControl& grid = Add(TControlKind::Grid, "Grid");
        grid.SetCell(0, 0, "Name");
        grid.SetCell(1, 1, "x");
        grid.OnCellChange = [this](TControl& g, int col, int row) { log.push_back("cell " + g.Cell(col, row)); };
        grid.OnSelectCell = [](TControl&, int col, int) { return col != 0; };  // names are not selected
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
    Application().SetShowHint(false);
    w.Refresh();
    EXPECT_EQ(w.Widget("l_Info")->toolTip(), "");
    Application().SetShowHint(true);
    EXPECT_EQ(w.Widget("Header")->findChildren<QLabel*>().size(), 2);

    QTest::keyClicks(Get<QLineEdit>(w, "ed_Data"), "/d");
    EXPECT_EQ(f["ed_Data"].Text, "/d");
    // A check box takes a click on its box or caption only, not anywhere in its wide row.
    QCheckBox* free = Get<QCheckBox>(w, "cb_Free");
    QStyleOptionButton box;
    box.initFrom(free);
    QPoint onBox = free->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &box, free).center();
    QTest::mouseClick(free, Qt::LeftButton, {}, onBox);
    EXPECT_TRUE(f["cb_Free"].Checked);
    Get<QRadioButton>(w, "rb_A")->click();
    EXPECT_TRUE(f["rb_A"].Checked);
    EXPECT_FALSE(f["rb_B"].Checked);
    EXPECT_FALSE(Get<QRadioButton>(w, "rb_B")->isChecked());
    auto scales = w.Widget("rg_Scale")->findChildren<QRadioButton*>();
    ASSERT_EQ(scales.size(), 2);
    scales[1]->click();
    EXPECT_EQ(f["rg_Scale"].ItemIndex, 1);
    f.log.pop_back();
    QListWidget* list = Get<QListWidget>(w, "List");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(f["List"].ItemIndex, 2);
    EXPECT_EQ(f["List"].Text, "c");
    Get<QComboBox>(w, "Combo")->activated(1);  // a pick in the drop-down
    EXPECT_EQ(f["Combo"].Text, "cm");
    QTest::keyClicks(Get<QComboBox>(w, "Combo")->lineEdit(), "k");  // typed into
    EXPECT_EQ(f["Combo"].Text, "cmk");
    f["Combo"].ReadOnly = true;
    w.Refresh();
    EXPECT_FALSE(Get<QComboBox>(w, "Combo")->isEditable());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // its line edit goes
    QTableWidget* grid = Get<QTableWidget>(w, "Grid");
    grid->item(1, 1)->setText("y");
    EXPECT_EQ(f["Grid"].Cell(1, 1), "y");
    grid->setCurrentCell(1, 1);
    EXPECT_EQ(f["Grid"].ItemIndex, 1);
    grid->setCurrentCell(0, 0);  // refused: the current cell stays
    EXPECT_EQ(grid->currentRow(), 1);
    grid->item(0, 0)->setText("z");  // typing into it too
    EXPECT_EQ(f["Grid"].Cell(0, 0), "Name");
    EXPECT_EQ(grid->item(0, 0)->text(), "Name");
    auto* file = qobject_cast<QMenu*>(w.Widget("mi_File"));
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 1);
    file->actions().front()->trigger();
    EXPECT_EQ(f.log, (std::vector<std::string>{"ed_Data=/", "ed_Data=/d", "cb_Free=", "Combo=cm", "Combo=cmk", "cell y", "open"}));

    QTest::mouseClick(Get<QPushButton>(w, "b_Hide"), Qt::LeftButton);
    EXPECT_FALSE(w.Widget("ed_Fixed")->isVisible());
    EXPECT_FALSE(w.Widget("Combo")->isEnabled());

    QTest::mouseClick(Get<QPushButton>(w, "Zpet"), Qt::LeftButton);
    EXPECT_EQ(w.result(), 4);
    EXPECT_FALSE(w.isVisible());
}

// A form of the kinds that hold others or act through menus, with a log of its events.
struct Kinds : TForm {
    std::vector<std::string> log;
    Kinds() : TForm("Tf_Kinds") {
        auto note = [this](const char* what) { return [this, what](TControl& c) { log.push_back(what + c.Text); }; };
        Add(TControlKind::MainMenu, "MainMenu1");
        Add(TControlKind::MenuItem, "mi_File", Cz("&Soubor"), "MainMenu1");
        TControl& open = Add(TControlKind::MenuItem, "mi_Open", Cz("&Otevřít"), "mi_File");
        open.ShortCut = "Ctrl+O";
        open.OnClick = note("open");
        Add(TControlKind::MenuItem, "mi_Recent", "Recent", "mi_File");
        Add(TControlKind::MenuItem, "mi_Last", "Last", "mi_Recent").OnClick = note("last");
        Add(TControlKind::MenuItem, "mi_Quit", "&Konec", "MainMenu1").OnClick = note("quit");
        Add(TControlKind::PopupMenu, "pm_Tree");
        Add(TControlKind::MenuItem, "pm_Rename", "Rename", "pm_Tree").OnClick = note("rename");
        Add(TControlKind::PopupMenu, "pm_Form");
        Add(TControlKind::MenuItem, "pm_Scale", "Scale", "pm_Form").OnClick = note("scale");
        PopupMenu = "pm_Form";
        TControl& tree = Add(TControlKind::Tree, "Tree");
        tree.Items = {"root", "  a", "    a1", "  b"};
        tree.PopupMenu = "pm_Tree";
        tree.OnChange = note("tree ");
        tree.OnDragDrop = [this](TControl&, TControl& source) { log.push_back("drop " + source.Name); };
        Add(TControlKind::ListBox, "Palette").Items = {"p1", "p2"};
        Add(TControlKind::PageControl, "Pages").OnChange = note("page ");
        Add(TControlKind::Panel, "p_One", "One", "Pages");
        Add(TControlKind::Panel, "p_Two", "Two", "Pages");
        Add(TControlKind::Edit, "ed_Two", "", "p_Two");
        Add(TControlKind::Memo, "Memo").OnChange = note("memo ");
        TControl& spin = Add(TControlKind::SpinEdit, "Spin");
        spin.MaxValue = 10;
        spin.OnChange = note("spin ");
        Add(TControlKind::Image, "Picture").OnClick = note("picture");
        Add(TControlKind::Label, "l_Hint", "Info").Hint = "about";
        Add(TControlKind::StatusBar, "StatusBar");
        Application().OnHint = [this] { (*this)["StatusBar"].Text = Application().Hint(); };
        OnKeyDown = [this](TForm&, uint16_t key, uint32_t shift) { log.push_back("key " + IntToStr(key) + "," + IntToStr(static_cast<int>(shift))); };
        OnResize = [this](TForm& f) { log.push_back("size " + IntToStr(f.Width)); };
    }
    ~Kinds() override { Application().OnHint = nullptr; }
    std::vector<std::string> Taken() { return std::exchange(log, {}); }
};

// A right click: the context menu event Qt makes of it.
void RightClick(QWidget* on, QPoint at) {
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, on->mapToGlobal(at));
    QApplication::sendEvent(on, &e);
}

// Trees, pages, menus, pop-up menus, memo, spin edit, picture and hints: each user action
// is the control's call, and a change the form makes reaches the widgets.
TEST(FormWindow, HoldersMenusAndTreesDriveTheForm) {
    App();
    Kinds f;
    TFormWindow w(f);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    f.Taken();

    // A tree of the indented lines; a picked node is the item's index.
    QTreeWidget* tree = Get<QTreeWidget>(w, "Tree");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    QTreeWidgetItem* a1 = tree->topLevelItem(0)->child(0)->child(0);
    EXPECT_EQ(a1->text(0), "a1");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(a1).center());
    EXPECT_EQ(f["Tree"].ItemIndex, 2);
    f["Tree"].Pick("b");
    w.Refresh();
    EXPECT_EQ(tree->currentItem()->text(0), "b");
    // A node edited in place is text typed into the tree; the nodes stay as the form has them.
    tree->currentItem()->setText(0, "renamed");
    EXPECT_EQ(f["Tree"].Text, "renamed");
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "b");
    EXPECT_EQ(f.Taken(), (std::vector<std::string>{"tree     a1", "tree   b", "tree renamed"}));

    // Pages: a tab clicked is the page picked; a disabled page's tab is disabled.
    auto* pages = Get<QTabWidget>(w, "Pages");
    QTabBar* bar = pages->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(f["Pages"].Text, "p_Two");
    EXPECT_EQ(pages->currentWidget(), w.Widget("p_Two"));
    EXPECT_TRUE(w.Widget("p_Two")->isAncestorOf(w.Widget("ed_Two")));
    f["p_One"].Enabled = false;
    w.Refresh();
    EXPECT_FALSE(pages->isTabEnabled(0));

    // The main menu is the menu bar; items with items are sub-menus; a shortcut triggers.
    auto* menuBar = qobject_cast<QMenuBar*>(w.Widget("MainMenu1"));
    ASSERT_NE(menuBar, nullptr);
    EXPECT_EQ(menuBar->actions().size(), 2);
    auto* recent = qobject_cast<QMenu*>(w.Widget("mi_Recent"));
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->actions().value(0), w.Action("mi_Last"));
    w.Action("mi_Last")->trigger();
    w.Action("mi_Quit")->trigger();
    // A menu's shortcut is the menu's, not a key for the form.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(w.Action("mi_Open")->text(), QString::fromUtf8("&Otevřít"));

    // Pop-up menus over their control and over the form.
    RightClick(tree->viewport(), tree->visualItemRect(a1).center());
    auto* popup = qobject_cast<QMenu*>(w.Widget("pm_Tree"));
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    popup->actions().value(0)->trigger();
    popup->hide();
    RightClick(&w, QPoint(2, w.height() - 2));
    auto* formPopup = qobject_cast<QMenu*>(w.Widget("pm_Form"));
    EXPECT_TRUE(formPopup->isVisible());
    formPopup->hide();
    EXPECT_EQ(f.Taken(), (std::vector<std::string>{"page p_Two", "last", "quit", "open", "rename"}));

    // A row of the palette dragged onto the tree.
    QListWidget* palette = Get<QListWidget>(w, "Palette");
    QPoint p2 = palette->visualItemRect(palette->item(1)).center();
    QTest::mousePress(palette->viewport(), Qt::LeftButton, {}, p2);
    QMimeData dragged;
    QDragEnterEvent enterTree(tree->viewport()->rect().center(), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(tree->viewport(), &enterTree);
    EXPECT_TRUE(enterTree.isAccepted());
    QDropEvent drop(QPointF(tree->viewport()->rect().center()), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(tree->viewport(), &drop);
    QTest::mouseRelease(palette->viewport(), Qt::LeftButton, {}, p2);
    EXPECT_EQ(f.Taken(), (std::vector<std::string>{"drop Palette"}));

    // Memo lines, a spin value, a click on the picture, a key once to the form.
    Get<QPlainTextEdit>(w, "Memo")->setPlainText("x\ny");
    EXPECT_EQ(f["Memo"].Items, (std::vector<std::string>{"x", "y"}));
    Get<QDoubleSpinBox>(w, "Spin")->setValue(7);
    EXPECT_EQ(f["Spin"].Value, 7);
    QTest::mouseClick(w.Widget("Picture"), Qt::LeftButton);
    QTest::keyClick(tree, Qt::Key_F5);
    EXPECT_EQ(f.Taken(), (std::vector<std::string>{"memo x\ny", "spin 7", "picture", "key 116,0"}));

    // A hint goes where the program shows hints; the window follows the form on its own.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(w.Widget("l_Hint"), &enter);
    EXPECT_EQ(f["StatusBar"].Text, "about");
    EXPECT_EQ(Get<QStatusBar>(w, "StatusBar")->currentMessage(), "about");
    f["l_Hint"].Caption = "later";
    f["mi_Open"].Enabled = false;
    f.Add(TControlKind::MenuItem, "mi_Added", "Added", "mi_File");
    f.Add(TControlKind::MenuItem, "mi_QuitNow", "Now", "mi_Quit");  // a plain item gets items
    f.SetActiveControl(f.Find("Memo"));
    QTest::qWait(400);
    EXPECT_EQ(w.focusWidget(), w.Widget("Memo"));
    auto* quit = qobject_cast<QMenu*>(w.Widget("mi_Quit"));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->actions().value(0), w.Action("mi_QuitNow"));
    EXPECT_EQ(Get<QLabel>(w, "l_Hint")->text(), "later");
    EXPECT_FALSE(w.Action("mi_Open")->isEnabled());
    ASSERT_NE(w.Action("mi_Added"), nullptr);

    // The user sizes the window: the form's bounds and OnResize.
    w.resize(w.width() + 40, w.height());
    EXPECT_EQ(f.Width, w.width());
    EXPECT_EQ(f.Taken(), (std::vector<std::string>{"size " + IntToStr(w.width())}));
}

// The platform's own forms open with a widget (or menu action) for every named control.
TEST(FormWindow, PlatformFormsOpenWithEveryControl) {
    App();
    std::vector<std::unique_ptr<TForm>> forms;
    forms.push_back(std::make_unique<TYesNoQuestion>());
    forms.push_back(std::make_unique<TSaveDialog>());
    forms.push_back(std::make_unique<TFontDialog>());
    forms.push_back(std::make_unique<Every>());
    forms.push_back(std::make_unique<Kinds>());
    screentest::ExpectEveryControlShown(forms);
}

// Controls with a rectangle sit at it, beside the stacked ones; their holder grows to hold them.
TEST(FormWindow, PlacedControlsSitAtTheirRectangles) {
    App();
    TForm f("Tf_Placed");
    f.Add(TControlKind::Panel, "Panel");
    struct Row { TControlKind kind; const char* name; int left, top, width, height; };
    const Row rows[] = {{TControlKind::Label, "L0", 8, 12, 150, 13},
                        {TControlKind::Edit, "E0", 160, 8, 300, 21},
                        {TControlKind::Button, "S0", 464, 8, 23, 21},
                        {TControlKind::Edit, "E1", 160, 34, 300, 21}};
    for (const Row& r : rows) {
        TControl& c = f.Add(r.kind, r.name, "", "Panel");
        c.Left = r.left, c.Top = r.top, c.Width = r.width, c.Height = r.height;
    }
    f.Add(TControlKind::Label, "l_Stacked", "below", "Panel");
    TFormWindow w(f);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (const Row& r : rows) EXPECT_EQ(w.Widget(r.name)->geometry(), QRect(r.left, r.top, r.width, r.height)) << r.name;
    QWidget* canvas = w.Widget("E0")->parentWidget();
    EXPECT_GE(canvas->height(), 55);
    EXPECT_GE(canvas->width(), 487);
    EXPECT_NE(w.Widget("l_Stacked")->parentWidget(), canvas);
}

}  // namespace

namespace {

// A window as the forms of the map windows are laid out: a tool bar panel, an image, a
// status panel, and the form's own buttons.
struct Board : TForm {
    uint8_t pixels[4 * 4 * 4] = {};
    std::vector<std::string> log;
    Board() : TForm("TBoard") {
        Width = 400;
        Height = 300;
        Add(TControlKind::Panel, "ToolPanel");
        for (const char* name : {"b_50", "b_25", "b_Odd"}) Add(TControlKind::Button, name, {}, "ToolPanel");
        (*this)["b_Odd"].Hint = Cz("Otevření souboru");
        TControl& image = Add(TControlKind::Image, "Image");
        image.Pixels = [this] { return TControl::TPixels{pixels, 4, 4, 16}; };
        Add(TControlKind::Panel, "StatusPanel");
        Add(TControlKind::Label, "l_x", "x:", "StatusPanel").Text = "12.50";
        Add(TControlKind::Button, "b_Own");
        TControl& mouse = Add(TControlKind::Button, "b_Mouse", "Pravé");
        mouse.OnMouse = [this](TControl&, TControl::TMouseAction action, int button, uint32_t, int, int) {
            log.push_back((action == TControl::TMouseAction::Up ? "up " : "down ") + std::to_string(button));
        };
        (*this)["b_Own"].OnClick = [](TControl&) { throw Exception(Cz("Chyba tlačítka")); };
    }
};

QPoint At(QWidget* w, QWidget* in) { return w->mapTo(in, QPoint()); }

// Bars across the top in rows that wrap, the image in the rest growing with the window, the
// status line at the bottom; captions never the control's name, titles never the class name.
TEST(FormWindowLayout, BarsImageAndStatusLineByKind) {
    App();
    Application().SetTitle("Program");
    Board form;
    TFormWindow w(form);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QWidget* image = w.Widget("Image");
    QWidget* b50 = w.Widget("b_50");
    QWidget* own = w.Widget("b_Own");
    auto* x = qobject_cast<QLabel*>(w.Widget("l_x"));
    ASSERT_TRUE(image && b50 && own && x);
    EXPECT_EQ(At(b50, &w).y(), At(w.Widget("b_25"), &w).y());
    EXPECT_LT(At(b50, &w).y(), At(image, &w).y());
    EXPECT_LT(At(own, &w).y(), At(image, &w).y());
    EXPECT_GT(At(x, &w).y(), At(image, &w).y() + image->height() - 1);
    EXPECT_EQ(x->text(), "x: 12.50");
    for (QSize size : {QSize(500, 400), QSize(800, 600)}) {
        w.resize(size);
        QTest::qWait(20);
        EXPECT_GT(image->width() * image->height(), w.width() * w.height() / 2) << size.width();
    }
    // Narrow: the bar's buttons wrap into a second row instead of widening the window.
    w.resize(w.minimumSizeHint().width(), 400);
    QTest::qWait(20);
    EXPECT_LE(w.width(), 300);
    EXPECT_GT(At(w.Widget("b_Odd"), &w).y(), At(b50, &w).y());
    // Captions from the role, from the hint, else the hint's first word; the title is the
    // program's.
    struct Case {
        const char* name;
        const char* text;
    } cases[] = {{"b_50", "1:50 000"}, {"b_25", "1:25 000"}, {"b_Odd", "Otevření"}, {"b_Own", "..."}};
    for (const Case& c : cases)
        EXPECT_EQ(qobject_cast<QPushButton*>(w.Widget(c.name))->text(), QString::fromUtf8(c.text)) << c.name;
    EXPECT_EQ(w.windowTitle(), "Program");
    screentest::ExpectNoNamesShown(w);
    Application().SetTitle("");
}

// An exception from a handler is shown as the headless loop shows it; the window goes on.
// A right button on a control that takes mouse input reaches it.
TEST(FormWindowLayout, HandlerErrorsAreShownAndRightClicksReachTheControl) {
    App();
    ScriptedHost host;
    SetUserHost(&host);
    ClearHostLog();
    Board form;
    TFormWindow w(form);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.Widget("b_Own"), Qt::LeftButton);
    ASSERT_FALSE(HostLog().empty());
    EXPECT_NE(HostLog().back().find(Cz("Chyba tlačítka")), std::string::npos);
    EXPECT_TRUE(w.isVisible());
    QTest::mouseClick(w.Widget("b_Mouse"), Qt::RightButton);
    EXPECT_EQ(form.log, (std::vector<std::string>{"down 1", "up 1"}));
    SetUserHost(nullptr);
}

// A window shown without waiting opens on the screen: at its stored place pulled back inside
// the screen, else beside the main window.
TEST(FormWindowLayout, WindowsOpenOnTheScreen) {
    App();
    setenv("DISPLAY", ":0", 0);  // the offscreen platform needs none, the screen host asks
    int argc = 1;
    char name[] = "screen_tests";
    char* argv[] = {name, nullptr};
    ASSERT_TRUE(StartScreen(argc, argv));
    QRect room = QApplication::primaryScreen()->availableGeometry();
    TForm main("TMain"), far("TFar"), beside("TBeside");
    for (TForm* f : {&main, &far, &beside}) f->Add(TControlKind::Label, "l_Text", "Text");
    Application().SetMainForm(&main);
    main.Show();
    far.Left = room.right() + 500;
    far.Top = -300;
    far.Show();
    beside.Show();
    QTest::qWait(50);
    TFormWindow* m = FormWindow(main);
    TFormWindow* f = FormWindow(far);
    TFormWindow* b = FormWindow(beside);
    ASSERT_TRUE(m && f && b);
    for (TFormWindow* w : {m, f, b}) {
        EXPECT_TRUE(room.contains(w->frameGeometry().topLeft())) << w->x() << "," << w->y();
        EXPECT_LE(w->x() + std::min(w->width(), room.width()), room.right() + 1);
    }
    EXPECT_TRUE(b->x() >= m->frameGeometry().right() || b->y() >= m->frameGeometry().bottom());
    main.Hide();
    far.Hide();
    beside.Hide();
    Application().SetMainForm(nullptr);
    StopScreen();
    SetUserHost(nullptr);
}

}  // namespace
