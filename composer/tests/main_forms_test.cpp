#include <gtest/gtest.h>

#include "composer_test_support.h"
#include "kernel/value_elements.h"

namespace {

std::vector<int32_t> QueuedNumbers() {
    std::vector<int32_t> numbers;
    ForEachQueued([&](TMsg& m) {
        if (TZarixMessage* e = ElementMessageOf(m.message, m.lParam)) numbers.push_back(e->Message);
    });
    return numbers;
}

}  // namespace

// The options form: OK stores the edited folders, Storno keeps them; the label follows.
TEST_F(ComposerTest, OptionsFormStoresFoldersOnOkOnly) {
    Start();
    TOptions* options = tool->GetOptions();
    std::string before = options->DataDirectory;
    host.PushAction([&] {
        TForm& f = *ActiveModalForm();
        EXPECT_EQ(f.Caption, Cz("Možnosti"));
        EXPECT_TRUE(f["ed_Work"].ReadOnly);
        EXPECT_TRUE(f["ed_EXE"].ReadOnly);
        f["ed_Data"].Type("elsewhere");
        f["Storno"].Click();
        return f.ModalResult;
    });
    tool->OptionsDialog();
    EXPECT_EQ(options->DataDirectory, before);
    host.PushAction([&] {
        TForm& f = *ActiveModalForm();
        f["ed_Data"].Type(dir.Path("data"));
        f["ed_Template"].Type(dir.Path("templ"));
        f["OK"].Click();
        return f.ModalResult;
    });
    tool->PostMsg(msg::OptionsDialog, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(options->DataDirectory, dir.Path("data"));
    EXPECT_EQ(options->TemplateDirectory, dir.Path("templ"));
    EXPECT_EQ((*tool->Form())["l_Data"].Caption, dir.Path("data"));
}

// The main window: placed from the ini file (0, 0 without it) and kept there; a close request
// only asks the main tool to quit; dropped ".YESK" and ".txt" files run in drop order.
TEST_F(ComposerTest, MainWindowPlaceCloseRequestAndDroppedScripts) {
    Start();
    TMainForm* form = tool->Form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Left, 0);
    // The application's hint shows in the status bar.
    Application().SetHint((*form)["bb_Guide"].Hint);
    EXPECT_EQ((*form)["StatusBar"].Text, Cz("Otevření (zavření) okna Průvodce"));
    form->Left = 40;
    form->Top = 30;
    EXPECT_FALSE(form->Close());
    EXPECT_EQ(QueuedNumbers(), std::vector<int32_t>{tm_QuitTask});
    host.PushResult(mrNo);  // the quit question
    while (Application().HandleMessage()) {
    }
    WriteText(dir.Path("a.YESK"), "yesk.ObjectModel:Add(yesk.Create('TStringElement', 'first'))\n");
    WriteText(dir.Path("b.txt"), "yesk.ObjectModel:Add(yesk.Create('TStringElement', 'second'))\n");
    WriteText(dir.Path("c.MSD"), "");
    form->DropFiles({dir.Path("b.txt"), dir.Path("c.MSD"), dir.Path("a.YESK")});
    TObjectModel* model = World->GetObjectModel();
    ASSERT_EQ(model->ElementsCount(), 2);
    EXPECT_EQ(model->Get(0)->GetName(), "second");
    EXPECT_EQ(model->Get(1)->GetName(), "first");
    Free(World);
    World = nullptr;
    Start();
    EXPECT_EQ(tool->Form()->Left, 40);
    EXPECT_EQ(tool->Form()->Top, 30);
}

// Message 56 opens the property editor on its element among the main tool's tools.
TEST_F(ComposerTest, MessageFiftySixOpensThePropertyEditor) {
    Start();
    TIntegerElement* value = TIntegerElement::New();
    value->SetName("hodnota");
    tool->PostMsg(msg::EditProperties, tool, value, false);
    Application().ProcessMessages();
    TTool* editor = nullptr;
    for (int32_t i = 0; i < tool->ToolsCount(); ++i)
        if (tool->GetTool(i)->ClassName() == "TObjectPropertyEditor") editor = tool->GetTool(i);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Input, value);
    EXPECT_EQ(editor->GetPropertyStringByName("Caption"), "Properties");
    Free(editor);
    Free(value);
}
