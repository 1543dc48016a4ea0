#include <gtest/gtest.h>

#include <cstdlib>

#include "composer_test_support.h"
#include "kernel/real_ini_file.h"
#include "device/device.h"
#include "symbol/symbol.h"
#include "explorer/explorer.h"
#include "kernel/value_elements.h"
#include "pelvar/palette.h"
#include "platform/inifiles.h"
#include "yesk/command_line.h"

// Start-up runs the start script, "SysReg.Yesk" and "Model.Yesk"; each may be missing.
TEST_F(ComposerTest, StartUpRunsItsScriptsAndReportsAMissingRegister) {
    struct Case {
        bool sysReg, model, startArg, startOption;
    } cases[] = {{true, true, true, false}, {false, true, false, true}, {true, false, false, false},
                 {false, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sysReg << c.model << c.startArg << c.startOption);
        ClearHostLog();
        for (const char* f : {"SysReg.Yesk", "Model.Yesk", "Start.YESK", "Option.yesk", "Oskelt32.INI"})
            DeleteFile(dir.Path(f));
        if (c.sysReg) WriteText(dir.Path("SysReg.Yesk"), Marker("SYSREG"));
        if (c.model) WriteText(dir.Path("Model.Yesk"), Marker("MODEL"));
        WriteText(dir.Path("Start.YESK"), Marker("START"));
        WriteText(dir.Path("Option.yesk"), Marker("OPTION"));
        if (c.startOption) WriteText(dir.Path("Oskelt32.INI"), "[Options]\r\nStartScript=" + dir.Path("Option.yesk") + "\r\n");
        SetProgramArguments(c.startArg ? std::vector<std::string>{dir.Path("Start.YESK")} : std::vector<std::string>{});
        Start();
        EXPECT_EQ(Marked("SYSREG"), c.sysReg);
        EXPECT_EQ(Marked("MODEL"), c.model);
        EXPECT_EQ(Marked("START"), c.startArg);
        EXPECT_EQ(Marked("OPTION"), c.startOption);
        EXPECT_EQ(Logged(Cz("Nelze nalézt soubor ") + dir.Path("SysReg.Yesk")), !c.sysReg);
        EXPECT_EQ((*tool->Form())["l_Data"].Caption, tool->GetOptions()->DataDirectory);
        EXPECT_EQ(Screen().Cursors(1), "LUPA");
        EXPECT_EQ(Screen().Cursors(20), "NEWBMP");
        Free(World);
        World = nullptr;
    }
}

// The ini file: an existing ".INI" argument (any letter case) wins, else the working folder.
TEST_F(ComposerTest, IniFileNameFromTheArgumentsOrTheWorkingFolder) {
    WriteText(dir.Path("other.ini"), "[Options]\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{}, dir.Path("Oskelt32.INI")},
        {{dir.Path("other.ini")}, dir.Path("other.ini")},
        {{dir.Path("missing.INI"), dir.Path("other.ini")}, dir.Path("Oskelt32.INI")},
    };
    Start(false);
    for (const Case& c : cases) {
        SetProgramArguments(c.args);
        EXPECT_EQ(tool->GetIniFileName(), c.expected);
    }
    tool->GetOptions()->WorkingDirectory = dir.Path("sub");
    SetProgramArguments({});
    EXPECT_EQ(tool->GetIniFileName(), dir.Path("sub/Oskelt32.INI"));
}

// Options, the template library and the Visible flags go to the ini file at quit (before
// the question) and come back at the next start.
TEST_F(ComposerTest, OptionsAndLibraryRoundTripThroughTheIniFile) {
    WriteText(dir.Path("a.MSD"), "[TDESKTOP]\r\nNAME=Alfa\r\n");
    Start();
    TOptions* options = tool->GetOptions();
    options->ScriptDirectory = "scripts";
    options->TemplateDirectory = "templ";
    options->SetServiceDirectory("service");
    tool->ToggleTemplateLibrary();
    host.PushText(dir.Path("a.MSD"));
    tool->AddTemplate();
    host.PushResult(mrNo);  // the quit question
    tool->PostMsg(tm_QuitTask, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_FALSE(Application().Terminated());
    std::string ini = Ini();
    EXPECT_NE(ini.find("ScriptDirectory=scripts"), std::string::npos);
    EXPECT_NE(ini.find("ServiceDirectory=service"), std::string::npos);
    EXPECT_NE(ini.find("Alfa=" + dir.Path("a.MSD")), std::string::npos);
    EXPECT_NE(ini.find("[TEMPLATE]\r\nVisible=1"), std::string::npos);
    EXPECT_NE(ini.find("[GUIDE]\r\nVisible=0"), std::string::npos);
    Free(World);
    World = nullptr;

    Start();
    EXPECT_EQ(tool->GetOptions()->ScriptDirectory, "scripts");
    EXPECT_EQ(tool->GetOptions()->GetServiceDirectory(), "service");
    tool->GetOptions()->SetServiceDirectory("D:\\symbols\\");
    EXPECT_EQ(PathOfLibraries, "D:\\symbols");
    ASSERT_NE(tool->TemplateForm(), nullptr);  // open again: Visible was set
    EXPECT_EQ((*tool->TemplateForm())["ListBox"].Items, std::vector<std::string>{"Alfa"});
    EXPECT_EQ(tool->GetSelectedTemplate(), dir.Path("a.MSD"));
    EXPECT_EQ((*tool->Form())["l_Template"].Caption, dir.Path("a.MSD"));
}

// Display names: [TDESKTOP] NAME, else the base name, also for the name "TDesktop"; a name
// already in the library (any letter case) is refused.
TEST_F(ComposerTest, TemplateDisplayNamesAndDuplicatesAreRefused) {
    WriteText(dir.Path("one.MSD"), "[TDESKTOP]\r\nNAME=Mapa\r\n");
    WriteText(dir.Path("two.MSD"), "[TDESKTOP]\r\nNAME=tdesktop\r\n");
    WriteText(dir.Path("three.MSD"), "[OTHER]\r\n");
    WriteText(dir.Path("four.MSD"), "[TDESKTOP]\r\nNAME=MAPA\r\n");
    Start();
    tool->ToggleTemplateLibrary();
    for (const char* f : {"one.MSD", "two.MSD", "three.MSD", "four.MSD"}) {
        host.PushText(dir.Path(f));
        tool->AddTemplate();
    }
    TControl& list = (*tool->TemplateForm())["ListBox"];
    EXPECT_EQ(list.Items, (std::vector<std::string>{"Mapa", "two", "three"}));
    EXPECT_EQ(list.ItemIndex, 2);
    EXPECT_TRUE(Logged(Cz("Šablona tohoto jména už v knihovně je: ") + "MAPA"));
    TStringList keys;
    TIniFile(dir.Path("Oskelt32.INI")).ReadSection("TemplateLibrary", keys);
    EXPECT_EQ(keys.Count(), 3);
}

// Removing selects the entry before; removing the first selects the new first only while
// more than one entry remains. The labels and file buttons follow the selection.
TEST_F(ComposerTest, TemplateRemovalSelectionLabelsAndButtons) {
    struct Case {
        int entries, selected;
        std::vector<std::string> left;
        int index;
    } cases[] = {{1, 0, {}, -1}, {2, 0, {"t1"}, -1}, {3, 0, {"t1", "t2"}, 0}, {3, 2, {"t0", "t1"}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.entries << " " << c.selected);
        DeleteFile(dir.Path("Oskelt32.INI"));
        Start();
        tool->ToggleTemplateLibrary();
        for (int i = 0; i < c.entries; ++i) {
            std::string path = dir.Path("t" + std::to_string(i) + ".MSD");
            WriteText(path, "");
            host.PushText(path);
            tool->AddTemplate();
        }
        TControl& list = (*tool->TemplateForm())["ListBox"];
        list.Select(c.selected);
        tool->RemoveTemplate();
        Application().ProcessMessages();
        EXPECT_EQ(list.Items, c.left);
        EXPECT_EQ(list.ItemIndex, c.index);
        EXPECT_EQ(tool->Templates().Count(), static_cast<int>(c.left.size()));
        Free(World);
        World = nullptr;
    }
    Start();
    WriteText(dir.Path("t0.YESK"), "");
    tool->ToggleTemplateLibrary();
    TControl& list = (*tool->TemplateForm())["ListBox"];
    list.Select(0);
    Application().ProcessMessages();
    EXPECT_EQ((*tool->Form())["l_Template"].Caption, dir.Path("t0.MSD"));
    EXPECT_TRUE((*tool->TemplateForm())["b_MSD"].Checked);
    EXPECT_FALSE((*tool->TemplateForm())["b_MSC"].Checked);
    EXPECT_TRUE((*tool->TemplateForm())["b_YESK"].Checked);
    tool->ToggleTemplateLibrary();
    EXPECT_EQ((*tool->Form())["l_Template"].Caption, Cz("Není otevřena knihovna šablon !"));
}

// Without the library window the template is the first argument that is neither the ini
// file nor the start script, when that file exists.
TEST_F(ComposerTest, SelectedTemplateSkipsTheIniFileAndTheStartScript) {
    WriteText(dir.Path("x.INI"), "");
    WriteText(dir.Path("s.YESK"), "");
    WriteText(dir.Path("m.MSD"), "");
    Start(false);
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{dir.Path("x.INI"), dir.Path("s.YESK"), dir.Path("m.MSD")}, dir.Path("m.MSD")},
        {{dir.Path("m.MSD")}, dir.Path("m.MSD")},
        {{dir.Path("x.INI"), dir.Path("none.MSD")}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SetProgramArguments(c.args);
        EXPECT_EQ(tool->GetSelectedTemplate(), c.expected);
    }
}

// Writing the held options or script runner again keeps them; another one replaces them.
TEST_F(ComposerTest, OptionsAndScriptRunnerWrittenAgainStay) {
    Start(false);
    TOptions* options = tool->GetOptions();
    options->EndScript = "kept";
    tool->SetOptions(options);
    ASSERT_TRUE(IsLive(options));
    EXPECT_EQ(tool->GetOptions()->EndScript, "kept");
    TCommandLine* runner = tool->GetCommandLine();
    tool->SetCommandLine(runner);
    ASSERT_TRUE(IsLive(runner));
    EXPECT_EQ(tool->GetCommandLine(), runner);
    TCommandLine* other = TCommandLine::New();
    tool->SetCommandLine(other);
    EXPECT_FALSE(IsLive(runner));
    EXPECT_EQ(tool->GetCommandLine(), other);
    TOptions* fresh = TOptions::New();
    tool->SetOptions(fresh);
    EXPECT_FALSE(IsLive(options));
    EXPECT_EQ(tool->GetOptions(), fresh);
}

namespace {

// A filler whose run fails.
class TFailingFiller : public TTool {
    ZARIX_CLASS(TFailingFiller, TTool)
public:
    void DoIt() override { throw Exception("filler failed"); }
};

}  // namespace

// A composition request: a ".YESK" beside the template runs instead of the filler; the
// progress ends also when the filler raises, and the error reaches the exception hook.
TEST_F(ComposerTest, CompositionRequestEndsItsProgressInEveryCase) {
    RegisterZarixClass<TFailingFiller>();
    WriteText(dir.Path("m.MSD"), "");
    WriteText(dir.Path("s.MSD"), "");
    WriteText(dir.Path("s.YESK"), Marker("BYSCRIPT"));
    Start();
    SetProgramArguments({dir.Path("s.MSD")});
    tool->CreateMapComposition();
    EXPECT_TRUE(Marked("BYSCRIPT"));
    EXPECT_FALSE(tool->GetInProgress());
    EXPECT_EQ(tool->GetCommandLine()->FileName, "");
    Application().ProcessMessages();

    SetProgramArguments({dir.Path("m.MSD")});
    TMainTool::SetFillerClassName("TNoSuchFiller");
    host.PushResult(mrYes);  // no map space: go on
    tool->PostMsg(msg::CreateMapComposition, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(Logged(Cz("Tvorba mapových listů není k dispozici")));

    TMainTool::SetFillerClassName("TFailingFiller");
    host.PushResult(mrYes);
    ClearHostLog();
    EXPECT_THROW(tool->CreateMapComposition(), Exception);
    EXPECT_FALSE(tool->GetInProgress());
    Application().ProcessMessages();

    host.PushResult(mrNo);  // no map space: stop
    tool->CreateMapComposition();
    EXPECT_FALSE(tool->GetInProgress());
    TMainTool::SetFillerClassName("TMapSheetFiller");
}

// The log window's device: freed by its window, it is forgotten (compared by address, never
// touched) and the next text makes a new one.
TEST_F(ComposerTest, LogDeviceFreedElsewhereIsForgottenAndMadeAgain) {
    Start();
    tool->PostTextMsg(tm_TextNote, "first", tool);
    Application().ProcessMessages();
    TDevice* device = tool->LogDevice();
    ASSERT_NE(device, nullptr);
    TZarixMessage::CreateMessage(tm_Done, device, tool, nullptr, false)->Post();
    Free(device);
    Application().ProcessMessages();
    EXPECT_EQ(tool->LogDevice(), nullptr);
    tool->PostTextMsg(tm_TextNote, "second", tool);
    Application().ProcessMessages();
    EXPECT_NE(tool->LogDevice(), nullptr);
}

// The whole program as a command: a start script that quits, the answer from a file.
TEST(OskeltProgram, StartScriptQuitsWithExitStatusZero) {
    TempDir dir("oskeltrun");
    ASSERT_FALSE(dir.Path().empty());
    WriteText(dir.Path("Job.INI"), "[Options]\r\nDataDirectory=" SUITE_SAMPLES_DIR "/data\r\n");
    WriteText(dir.Path("Job.YESK"), "yesk.World.MainTool.Options.EndScript = 'done'\nyesk.World.MainTool:Post(2)\n");
    WriteText(dir.Path("answers.txt"), "# quit\r\nYes\r\n");
    std::string command = "cd '" + dir.Path() + "' && '" OSKELT32_PATH "' Job.INI Job.YESK --answers answers.txt > out.txt 2>&1";
    int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << ReadFile(dir.Path("out.txt"));
    std::string ini = ReadFile(dir.Path("Job.INI"));
    EXPECT_NE(ini.find("EndScript=done"), std::string::npos) << ini;
    EXPECT_NE(ini.find("DataDirectory=" SUITE_SAMPLES_DIR "/data"), std::string::npos);

    WriteText(dir.Path("bad.txt"), "Maybe\r\n");
    command = "cd '" + dir.Path() + "' && '" OSKELT32_PATH "' --answers bad.txt > out.txt 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
}

// The explorer (36, 37) and the palette dialog (97) open through the main tool; the
// palette file option loads the graphic package's palette.
TEST_F(ComposerTest, ExplorerAndPaletteThroughTheMainTool) {
    WriteText(dir.Path("p.pal"), "3=1,2,3\r\n");
    WriteText(dir.Path("Oskelt32.INI"), "[Options]\r\nPaletteFile=" + dir.Path("p.pal") + "\r\n");
    Start();
    EXPECT_EQ(DejBarvicku(3), 0x030201u);
    EXPECT_EQ(tool->GetOptions()->GetPaletteFile(), dir.Path("p.pal"));
    ClearHostLog();
    tool->PostMsg(msg::Explore, tool, World, false);
    tool->PostMsg(msg::ExploreOwners, tool, World->GetObjectModel(), false);
    host.PushAction([] {
        TForm& form = *ActiveModalForm();
        EXPECT_EQ(form.Caption, Cz("Barevná paleta"));
        form["Colors"].SetCell(1, 3, "4,5,6");
        form["OK"].Click();
        return form.ModalResult;
    });
    tool->PostMsg(msg::EditColorPalette, tool, nullptr, false);
    Application().ProcessMessages();
    int explorers = 0;
    for (int32_t i = 0; i < tool->ToolsCount(); ++i)
        if (auto* e = As<TExplorer>(tool->GetTool(i))) {
            ++explorers;
            EXPECT_EQ(e->OwnersView, explorers == 2);
        }
    EXPECT_EQ(explorers, 2);
    EXPECT_EQ(DejBarvicku(3), 0x060504u);
    for (const std::string& line : HostLog()) EXPECT_EQ(line.find(Cz("Není k dispozici")), std::string::npos) << line;
    // Back to the basic colours for the other tests.
    TColorPalette* basic = TColorPalette::New();
    CurrentPalette()->Assign(basic);
    Free(basic);
    ApplyCurrentPalette();
    SetPaletteFile("");
}
