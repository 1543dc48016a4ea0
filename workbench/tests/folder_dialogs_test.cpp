#include <algorithm>
#include <string>

#include "composition/modelfile.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "workbench/folder_dialogs.h"
#include "dialogs_test_support.h"

using namespace dlgtest;

namespace {

class FolderDialogsTest : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        ASSERT_FALSE(dir_.Path().empty());
        ASSERT_TRUE(CreateDir(dir_.Path("a")));
        ASSERT_TRUE(CreateDir(dir_.Path("b")));
    }
    static bool Lists(TControl& list, const std::string& name) {
        return std::find(list.Items.begin(), list.Items.end(), name) != list.Items.end();
    }
    TempDir dir_{"folders"};
};

// The label above the list names the folder shown, as the user moves through the list.
TEST_F(FolderDialogsTest, ChoosesAFolderOrKeepsItOnCancel) {
    Owned<TSelectDirDialog> d(TSelectDirDialog::New());
    d->Directory = dir_.Path();
    d->Caption = "Data";
    std::string caption;
    host_.PushAction([&] {
        TForm& f = *ActiveModalForm();
        caption = f.Caption;
        EXPECT_TRUE(Lists(f["Directory"], "a"));
        EXPECT_TRUE(Lists(f["Directory"], ".."));
        EXPECT_EQ(f["DirLabel"].Caption, dir_.Path());
        EXPECT_TRUE(f["Directory"].Pick("b"));
        EXPECT_EQ(f["DirLabel"].Caption, dir_.Path("b"));
        f.Left = 33;  // the user moves the window
        f["OK"].Click();
        return f.ModalResult;
    });
    d->DoIt();
    EXPECT_EQ(caption, "Data");
    EXPECT_EQ(d->Directory, dir_.Path("b"));
    EXPECT_EQ(d->Left, 33);  // the position the window had when it closed
    EXPECT_EQ(d->Top, 150);  // with Left 0 the form placed itself

    // Cancel keeps the folder; a given position is used.
    d->Left = 10;
    d->Top = 20;
    d->Caption.clear();
    int left = 0;
    host_.PushAction([&] {
        TForm& f = *ActiveModalForm();
        caption = f.Caption;
        left = f.Left;
        f["Directory"].Pick("..");
        f["Storno"].Click();
        return f.ModalResult;
    });
    d->DoIt();
    EXPECT_EQ(caption, Cz("Výběr složky"));
    EXPECT_EQ(left, 10);
    EXPECT_EQ(d->Directory, dir_.Path("b"));
    EXPECT_TRUE(HostLog().empty());
}

TEST_F(FolderDialogsTest, MissingFolderIsReportedAndForgotten) {
    Owned<TSelectDirDialog> d(TSelectDirDialog::New());
    d->Directory = dir_.Path("none");
    Screen().SetCursor(crHourGlass);
    d->DoIt();
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], "I/O error 3: " + dir_.Path("none"));
    EXPECT_EQ(d->Directory, "");
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

// The checking program's folder form shows no error and leaves the cursor; the folder is
// forgotten all the same.
TEST_F(FolderDialogsTest, TheCheckingProgramShowsNoFolderErrors) {
    SetModelFileProfile(TModelFileProfile::Tarvine);
    Owned<TSelectDirDialog> d(TSelectDirDialog::New());
    d->Directory = dir_.Path("none");
    Screen().SetCursor(crHourGlass);
    d->DoIt();
    EXPECT_EQ(d->Directory, "");
    Tf_SelectDir f;
    f.SetFolder(dir_.Path());
    host_.PushAction([&] {
        TForm& n = *ActiveModalForm();
        n["ed_Name"].Type("a");  // exists
        n["OK"].Click();
        return n.ModalResult;
    });
    f["NewDir"].Click();
    SetModelFileProfile(TModelFileProfile::Oskelt);
    EXPECT_TRUE(HostLog().empty());
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
}

TEST_F(FolderDialogsTest, NewFolderIsMadeThroughTheNameForm) {
    Tf_SelectDir f;
    f.SetFolder(dir_.Path());
    f.Left = 70;
    std::string nameCaption;
    int nameLeft = 0;
    host_.PushAction([&] {
        TForm& n = *ActiveModalForm();
        nameCaption = n.Caption;
        nameLeft = n.Left;
        n["ed_Name"].Type(Cz("nová"));
        n["OK"].Click();
        return n.ModalResult;
    });
    f["NewDir"].Click();
    EXPECT_EQ(nameCaption, dir_.Path());
    EXPECT_EQ(nameLeft, 70);
    EXPECT_TRUE(DirectoryExists(dir_.Path(Cz("nová"))));
    EXPECT_TRUE(Lists(f["Directory"], Cz("nová")));
    EXPECT_TRUE(HostLog().empty());

    // An existing name: the error text, and the list as it was.
    std::vector<std::string> before = f["Directory"].Items;
    host_.PushAction([&] {
        TForm& n = *ActiveModalForm();
        n["ed_Name"].Type("a");
        n["OK"].Click();
        return n.ModalResult;
    });
    f["NewDir"].Click();
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], "I/O error 183: " + dir_.Path() + "\\a");
    EXPECT_EQ(f["Directory"].Items, before);

    // A cancelled name form makes nothing; a name that is a path is refused.
    host_.PushAction([&] {
        TForm& n = *ActiveModalForm();
        n["ed_Name"].Type("c");
        n["Storno"].Click();
        return n.ModalResult;
    });
    f["NewDir"].Click();
    EXPECT_FALSE(DirectoryExists(dir_.Path("c")));
    host_.PushAction([&] {
        TForm& n = *ActiveModalForm();
        n["ed_Name"].Type("../x");
        n["OK"].Click();
        return n.ModalResult;
    });
    f["NewDir"].Click();
    EXPECT_EQ(HostLog().size(), 2u);
    EXPECT_EQ(f["Directory"].Items, before);
}

TEST_F(FolderDialogsTest, FileDialogTakesTheChosenFileOnly) {
    Owned<TSelectFileDialog> d(TSelectFileDialog::New());
    d->Filter = "*.txt|*.txt";
    d->InitialDir = dir_.Path();
    d->FileName = "old.txt";
    host_.PushCancel();
    d->DoIt();
    EXPECT_EQ(d->FileName, "old.txt");
    host_.PushText("new.txt");
    d->DoIt();
    EXPECT_EQ(d->FileName, "new.txt");
    ASSERT_EQ(host_.Records().size(), 2u);
    EXPECT_EQ(host_.Records()[1].kind, HostRecord::File);
    EXPECT_EQ(host_.Records()[1].caption, "*.txt|*.txt");
    EXPECT_EQ(host_.Records()[1].text, dir_.Path());
}

}  // namespace
