#include "setup/setup_dialogs.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/controls.h"
#include "test_support.h"

namespace setup {
namespace {

TEST(SetupDialogsTest, FolderRowsAreStackedAndEditTheirOwnLine) {
    TStringList dirs;
    for (int i = 0; i < 12; ++i) dirs.Add("N" + std::to_string(i) + "=/f" + std::to_string(i));
    TDirDlg dlg(dirs);
    EXPECT_EQ(dlg.Find("E1")->top, 34);
    EXPECT_EQ(dlg.Find("E2")->top, 60);
    EXPECT_EQ(dlg.Find("S2")->height, dlg.Find("E2")->height);
    EXPECT_EQ(dlg.Find("L2")->top, 60);  // a row at one top
    EXPECT_EQ(dlg.Find("S2")->top, 60);
    EXPECT_EQ(dlg.Find("L11")->text, "N11");
    EXPECT_EQ(dlg.ClientHeight(), 82 + (8 + 11 * 26 + 21 + 10) - 41);
    dlg.SetEditText("E11", "/new");
    EXPECT_EQ(dirs.Values("N11"), "/new");
    EXPECT_EQ(dirs.Values("N1"), "/f1");
    dlg.SetEditText("e0", "");  // emptied: the name leaves the list, typed again it comes back at the end
    EXPECT_EQ(dirs.IndexOfName("N0"), -1);
    dlg.SetEditText("E0", "/back");
    EXPECT_EQ(dirs[dirs.Count() - 1], "N0=/back");

    InstalledHost host;
    host.PushText("/chosen");
    dlg.ClickBrowse("S3");
    EXPECT_EQ(dirs.Values("N3"), "/chosen");
    EXPECT_EQ(host.Records().back().text, "c:\\");  // the edit's folder does not exist

    TStringList one;
    one.Add("A=/a");
    EXPECT_EQ(TDirDlg(one).ClientHeight(), 82);
}

TEST(SetupDialogsTest, CheckBoxesWriteTheirOptions) {
    TStringList options;
    options.Add("A=true");
    options.Add("B=FALSE");
    options.Add("C=x");
    TOptDlg dlg(options);
    EXPECT_TRUE(dlg.Find("C0")->checked);
    EXPECT_FALSE(dlg.Find("C2")->checked);
    EXPECT_EQ(dlg.Find("C1")->top, 35);
    dlg.ClickCheckBox("C0");
    dlg.ClickCheckBox("c1");
    EXPECT_EQ(options.Text(), "A=FALSE\r\nB=TRUE\r\nC=x\r\n");
}

// The buttons are controls: the one the user ends the dialog with gives its result; Esc is
// "Konec".
TEST(SetupDialogsTest, ButtonsEndTheDialogWithTheirResults) {
    TStringList options;
    options.Add("A=TRUE");
    TOptDlg dlg(options);
    InstalledHost host;
    struct Case {
        std::function<void(TForm&)> act;
        int result;
    } cases[] = {{[](TForm& f) { f["Zpet"].Click(); }, mrBack},
                 {[](TForm& f) { f.KeyDown(27); }, mrCancel},
                 {[](TForm& f) { f.KeyDown(13); }, mrOk}};
    for (const Case& c : cases) {
        host.PushAction([&c] {
            c.act(*ActiveModalForm());
            return mrIgnore;
        });
        EXPECT_EQ(dlg.ShowModal(), c.result);
    }
}

}  // namespace
}  // namespace setup
