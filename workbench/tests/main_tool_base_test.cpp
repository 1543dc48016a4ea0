#include <gtest/gtest.h>

#include <filesystem>

#include "../../platform/tests/test_support.h"
#include "kernel/kernel.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "workbench/main_tool_base.h"
#include "workbench/program_startup.h"

namespace {

// Options with one persisted text and one whose setter counts its calls.
class TTwoOptions : public TBaseOptions {
    ZARIX_CLASS(TTwoOptions, TBaseOptions)
    static void Publish(PropertyTable& t) {
        t.Field("Folder", &TTwoOptions::Folder);
        t.Str<TTwoOptions>("Counted", [](TTwoOptions* o) { return o->Counted; },
                           [](TTwoOptions* o, const std::string& v) {
                               o->Counted = v;
                               ++o->Sets;
                           });
    }

public:
    std::string Folder = "default", Counted;
    int Sets = 0;
};

class TBareOptions : public TBaseOptions {
    ZARIX_CLASS(TBareOptions, TBaseOptions)
};

class TOptionsTool : public TOldMainTool {
    ZARIX_CLASS(TOptionsTool, TOldMainTool)

public:
    TBaseOptions* GetOptionsObject() override { return Options; }
    TBaseOptions* Options = nullptr;
};

class MainToolBaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterProgramClasses(); }
    void SetUp() override {
        SetExecutablePath(dir.Path("Prog"));
        tool = TOldMainTool::StartUp<TOptionsTool>();
    }
    void TearDown() override {
        Free(World);
        World = nullptr;
        while (Application().HandleMessage()) {
        }
        SetExecutablePath("");
    }
    TempDir dir{"mainbase"};
    InstalledHost host;
    TOptionsTool* tool = nullptr;
};

}  // namespace

// Only the properties after "LastIndex" are persisted; a missing key keeps the value and
// every setter runs on each load; a class with nothing of its own writes nothing.
TEST_F(MainToolBaseTest, OptionsWalkPersistsWhatTheOptionsClassAdds) {
    TTwoOptions* options = TTwoOptions::New();
    tool->Options = options;
    EXPECT_EQ(tool->GetIniFileName(), dir.Path("Prog.INI"));
    tool->LoadOptions();
    EXPECT_EQ(options->Folder, "default");
    EXPECT_EQ(options->Sets, 1);
    options->Folder = "D:\\data";
    tool->SaveOptions();
    EXPECT_EQ(ReadFile(dir.Path("Prog.INI")), "[Options]\r\nFolder=D:\\data\r\nCounted=\r\n");
    options->Folder = "changed";
    tool->LoadOptions();
    EXPECT_EQ(options->Folder, "D:\\data");
    EXPECT_EQ(tool->GetOptionString("Folder"), "D:\\data");
    Free(options);

    DeleteFile(dir.Path("Prog.INI"));
    TBareOptions* bare = TBareOptions::New();
    tool->Options = bare;
    tool->SaveOptions();
    EXPECT_EQ(ReadFile(dir.Path("Prog.INI")), "");
    tool->Options = nullptr;
    Free(bare);
}

// Progress goes to a monitor made on the first start; once it reported done, the next
// start makes a new one.
TEST_F(MainToolBaseTest, ProgressMonitorIsMadeAgainAfterItReportedDone) {
    TTool* worker = TTool::New();
    tool->AddTool(worker);
    worker->StartProgress("work", 0, 10);
    Application().ProcessMessages();
    TTool* first = tool->ProgressMonitor();
    ASSERT_NE(first, nullptr);
    worker->EndProgress();
    Application().ProcessMessages();
    EXPECT_EQ(tool->ProgressMonitor(), nullptr);
    worker->StartProgress("again", 0, 10);
    Application().ProcessMessages();
    EXPECT_NE(tool->ProgressMonitor(), nullptr);
    worker->EndProgress();
    Application().ProcessMessages();
}

// Cursor files of the system register: found ones fill their index, a missing one is a log
// line; the program's own cursors take indexes 1 to 20.
TEST_F(MainToolBaseTest, CursorFilesAndProgramCursors) {
    std::ofstream(dir.Path("hand.cur")) << "";
    TStringListElement* cursors = World->GetSysReg()->GetCursors();
    std::filesystem::create_directory(dir.Path("other"));
    std::ofstream(dir.Path("other/arrow.cur")) << "";
    cursors->AddString("hand.cur");
    cursors->AddString("gone.cur");
    cursors->AddString(dir.Path("other/arrow.cur"));  // an absolute name is used as it is
    tool->LoadCursors();
    EXPECT_EQ(Screen().Cursors(1), dir.Path("hand.cur"));
    EXPECT_EQ(Screen().Cursors(3), dir.Path("other/arrow.cur"));
    std::vector<std::string> texts;
    ForEachQueued([&](TMsg& m) {
        if (auto* t = As<TZarixTextMessage>(ElementMessageOf(m.message, m.lParam))) texts.push_back(t->GetMessageText());
    });
    EXPECT_EQ(texts, std::vector<std::string>{"Cursor file: gone.cur not found"});
    TOldMainTool::LoadProgramCursors();
    EXPECT_EQ(Screen().Cursors(1), "LUPA");
    EXPECT_EQ(Screen().Cursors(16), "MOVECENTER");
}
