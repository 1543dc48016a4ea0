#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "checker/check_set_editor.h"
#include "checking_program_test_support.h"
#include "composition/text_devices.h"
#include "explorer/explorer.h"
#include "kernel/value_elements.h"
#include "symbol/symbol.h"
#include "workbench/folder_dialogs.h"
#include "yesk/command_line.h"

using tarvine::TOptions;
namespace tmsg = tarvine::msg;

// Start-up: the start script (argument or option), then both register scripts, each
// reported when missing; the labels show the check set and the data folder.
TEST_F(TarvineTest, StartUpRunsItsScriptsReportsMissingOnesAndFillsTheLabels) {
    struct Case {
        bool sysReg, model, startArg;
    } cases[] = {{true, true, true}, {false, true, false}, {true, false, true}, {false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sysReg << c.model << c.startArg);
        ClearHostLog();
        for (const char* f : {"SysReg.Yesk", "Model.Yesk", "Start.YESK", "Option.yesk", "Tarvine32.INI"})
            DeleteFile(dir.Path(f));
        if (c.sysReg) WriteText(dir.Path("SysReg.Yesk"), Marker("SYSREG"));
        if (c.model) WriteText(dir.Path("Model.Yesk"), Marker("MODEL"));
        WriteText(dir.Path("Start.YESK"), Marker("START"));
        WriteText(dir.Path("Option.yesk"), Marker("OPTION"));
        WriteText(dir.Path("Tarvine32.INI"), "[Options]\r\nStartScript=" + dir.Path("Option.yesk") + "\r\nINE=set.ZRX\r\n");
        SetProgramArguments(c.startArg ? std::vector<std::string>{dir.Path("Start.YESK")} : std::vector<std::string>{});
        Start();
        EXPECT_EQ(Marked("SYSREG"), c.sysReg);
        EXPECT_EQ(Marked("MODEL"), c.model);
        EXPECT_EQ(Marked("START"), c.startArg);
        EXPECT_EQ(Marked("OPTION"), !c.startArg);
        EXPECT_EQ(Logged(Cz("Nelze nalézt soubor ") + dir.Path("SysReg.Yesk")), !c.sysReg);
        EXPECT_EQ(Logged(Cz("Nelze nalézt soubor ") + dir.Path("Model.Yesk")), !c.model);
        EXPECT_EQ(Form()["l_Control"].Caption, "Kontr: set.ZRX");
        EXPECT_EQ(Form()["l_Data"].Caption, "Data: " + dir.Path());
        EXPECT_EQ(Screen().Cursors(1), "LUPA");
        Free(World);
        World = nullptr;
    }
}

// The three buttons run their scripts; an empty one still reaches the runner as an empty
// name. The check label follows INE only after "&Kontroly"; 65 changes the data folder
// but not its label.
TEST_F(TarvineTest, ScriptButtonsAndWhenTheLabelsChange) {
    Start();
    TOptions* options = tool->GetOptions();
    WriteText(dir.Path("data.yesk"), Marker("DATASET") + "yesk.World.MainTool.Options.INE = 'a.ZRX'\n");
    WriteText(dir.Path("control.yesk"), Marker("CONTROLSET") + "yesk.World.MainTool.Options.INE = 'b.ZRX'\n");
    WriteText(dir.Path("run.yesk"), Marker("RUN"));
    options->DataSetScript = dir.Path("data.yesk");
    options->ControlSetScript = dir.Path("control.yesk");
    options->RunScript = dir.Path("run.yesk");

    // The application's hint shows in the status bar.
    Application().SetHint(Form()["bb_Start"].Hint);
    EXPECT_EQ(Form()["StatusBar"].Text, Cz("spuštění kontrolního procesu"));

    Form()["bb_Data"].Click();
    Application().ProcessMessages();
    EXPECT_TRUE(Marked("DATASET"));
    EXPECT_EQ(options->INE, "a.ZRX");
    EXPECT_EQ(Form()["l_Control"].Caption, "Kontr: ");
    Form()["bb_Control"].Click();
    Application().ProcessMessages();
    EXPECT_TRUE(Marked("CONTROLSET"));
    EXPECT_EQ(Form()["l_Control"].Caption, "Kontr: b.ZRX");
    Form()["bb_Start"].Click();
    Application().ProcessMessages();
    EXPECT_TRUE(Marked("RUN"));

    options->DataSetScript.clear();
    Send(tmsg::DataSetScript);
    EXPECT_EQ(tool->GetCommandLine()->FileName, "");
    // A missing script and a script error are reported (file and line) and the program
    // goes on.
    ClearHostLog();
    options->RunScript = dir.Path("missing.yesk");
    Send(tmsg::RunScript);
    WriteText(dir.Path("bad.yesk"), "local a = 1\nerror('broken')\n");
    options->ControlSetScript = dir.Path("bad.yesk");
    Send(tmsg::ControlSetScript);
    std::string log;
    for (const std::string& line : HostLog()) log += line + "\n";
    EXPECT_NE(log.find(Cz("Nelze otevřít soubor skriptu ") + dir.Path("missing.yesk")), std::string::npos) << log;
    EXPECT_NE(log.find("bad.yesk:2:"), std::string::npos) << log;
    EXPECT_FALSE(Application().Terminated());

    CreateDir(dir.Path("data2"));
    host.Push(ScriptedAnswer{mrOk, false, {}, [&] {
        auto* form = static_cast<Tf_SelectDir*>(ActiveModalForm());
        form->SetFolder(dir.Path("data2"));
        return mrOk;
    }});
    Send(tmsg::ChooseDataFolder);
    EXPECT_EQ(options->DataDirectory, dir.Path("data2"));
    EXPECT_EQ(Form()["l_Data"].Caption, "Data: " + dir.Path());
}

// Texts go to the log and to the main tool's own window; a done message forgets the
// window and says so in the status line, and the next text opens a new one.
TEST_F(TarvineTest, OwnTextWindowLivesUntilTheNextDoneMessage) {
    Start();
    tool->PostTextMsg(tm_TextNote, "first", tool);
    Application().ProcessMessages();
    TDevice* window = tool->TextDevice();
    ASSERT_NE(window, nullptr);
    EXPECT_NE(tool->LogDevice(), nullptr);
    EXPECT_NE(window, tool->LogDevice());
    Send(tm_Done);
    EXPECT_EQ(tool->TextDevice(), nullptr);
    EXPECT_EQ(tool->GetText(), Cz("Textové zařízení - ukončeno"));
    tool->PostTextMsg(tm_TextNote, "second", tool);
    Application().ProcessMessages();
    EXPECT_NE(tool->TextDevice(), nullptr);
}

// The options dialog stores every field on OK only; the data label follows in any case.
TEST_F(TarvineTest, OptionsDialogStoresItsFieldsOnOkOnly) {
    Start();
    TOptions* options = tool->GetOptions();
    for (int ok = 0; ok < 2; ++ok) {
        SCOPED_TRACE(ok);
        host.Push(ScriptedAnswer{mrOk, false, {}, [&] {
            TForm& form = *ActiveModalForm();
            EXPECT_EQ(form.Caption, Cz("Možnosti"));
            EXPECT_EQ(form["ed_EXE"].Text, dir.Path() + "/");
            form["ed_Start"].Type("s.yesk");
            form["ed_Run"].Type("r.yesk");
            form["ed_Service"].Type("/svc");
            form["ed_Data"].Type("/data");
            form[ok ? "OK" : "Storno"].Click();
            return form.ModalResult;
        }});
        options->DataDirectory = "/before";
        Form()["bb_Options"].Click();
        Application().ProcessMessages();
        EXPECT_EQ(options->StartScript, ok ? "s.yesk" : "");
        EXPECT_EQ(options->RunScript, ok ? "r.yesk" : "");
        EXPECT_EQ(PathOfLibraries, ok ? "/svc" : "");
        EXPECT_EQ(Form()["l_Data"].Caption, ok ? "Data: /data" : "Data: /before");
    }
    // A script field's ". . ." starts in the script folder; a cancel keeps the field.
    {
        tarvine::TF_Options form;
        form["ed_Script"].Text = "/scripts";
        form["ed_End"].Text = "kept";
        host.PushCancel();
        form["b_End"].Click();
        EXPECT_EQ(form["ed_End"].Text, "kept");
        ASSERT_FALSE(host.Records().empty());
        EXPECT_EQ(host.Records().back().caption, "soubory YESK,TXT|*.YESK;*.txt");
        EXPECT_EQ(host.Records().back().text, "/scripts");
        host.PushText("/scripts/end.yesk");
        form["b_End"].Click();
        EXPECT_EQ(form["ed_End"].Text, "/scripts/end.yesk");
    }
}

// Captions, hints and items are Windows-1250: a UTF-8 sequence among them is a literal
// that missed the conversion.
TEST_F(TarvineTest, TheProgramsFormsHoldWindows1250Texts) {
    Start();
    auto utf8 = [](const std::string& s) {
        for (size_t i = 0; i + 1 < s.size(); ++i)
            if ((static_cast<unsigned char>(s[i]) & 0xE0) == 0xC0 && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80)
                return true;
        return false;
    };
    TINESetupDialogForm editor;
    tarvine::TF_Options options;
    for (TForm* form : {static_cast<TForm*>(&editor), static_cast<TForm*>(&options), &Form()}) {
        EXPECT_FALSE(utf8(form->Caption)) << form->ClassName();
        for (const auto& c : form->Controls()) {
            std::vector<std::string> texts = c->Items;
            texts.push_back(c->Caption);
            texts.push_back(c->Hint);
            for (const std::string& text : texts) EXPECT_FALSE(utf8(text)) << form->ClassName() << " " << c->Name;
        }
    }
}

// Quitting writes the options first; only Yes ends the program. The program as a
// command: a start script that quits; an answers line that is no answer stops it.
TEST(TarvineProgram, StartScriptQuitsAndABadAnswersFileStopsIt) {
    TempDir dir("tarvinerun");
    ASSERT_FALSE(dir.Path().empty());
    WriteText(dir.Path("Job.INI"), "[Options]\r\nDataDirectory=" SUITE_SAMPLES_DIR "/data\r\n");
    WriteText(dir.Path("Job.YESK"), "yesk.World.MainTool.Options.EndScript = 'done'\nyesk.World.MainTool:Post(2)\n");
    WriteText(dir.Path("answers.txt"), "No\r\nYes\r\n");
    WriteText(dir.Path("quit.yesk"), "yesk.World.MainTool:Post(2)\n");
    std::string command = "cd '" + dir.Path() + "' && '" TARVINE32_PATH
                          "' Job.INI Job.YESK --answers answers.txt > out.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("out.txt"));
    std::string ini = ReadFile(dir.Path("Job.INI"));
    EXPECT_NE(ini.find("EndScript=done"), std::string::npos) << ini;
    EXPECT_NE(ini.find("DataDirectory=" SUITE_SAMPLES_DIR "/data"), std::string::npos);

    WriteText(dir.Path("bad.txt"), "Maybe\r\n");
    command = "cd '" + dir.Path() + "' && '" TARVINE32_PATH "' --answers bad.txt > out.txt 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_NE(ReadFile(dir.Path("out.txt")).find("unknown answer Maybe"), std::string::npos);
}

// The shell requests of the main tool reach their tools: a map window (30), the explorer
// on the element and in its owners view (36, 37), the property editor (56), the layer
// import (62). None says that
// its tool is missing. The explorer's window closing ends the explorer.
TEST_F(TarvineTest, ShellRequestsReachTheirTools) {
    Start();
    auto explorers = [&] {
        std::vector<TExplorer*> found;
        for (int32_t i = 0; i < tool->ToolsCount(); ++i)
            if (auto* e = As<TExplorer>(tool->GetTool(i))) found.push_back(e);
        return found;
    };
    TOwnerEntity* data = TOwnerEntity::New();
    data->SetName("DATA1");
    World->GetObjectModel()->AddElement(data);
    ClearHostLog();
    Send(tmsg::Explore, World->GetObjectModel());
    Send(tmsg::ExploreOwners, data);
    ASSERT_EQ(explorers().size(), 2u);
    TExplorer* owners = explorers()[1];
    EXPECT_TRUE(owners->OwnersView);
    EXPECT_EQ(owners->Form()->Caption, Cz("Model vlastníků"));
    EXPECT_EQ((*explorers()[0]->Form())["TreeView"].Items[0], World->GetObjectModel()->GetName() + " : " +
                                                                  World->GetObjectModel()->ClassName());
    owners->Form()->Close();
    Application().ProcessMessages();
    EXPECT_EQ(explorers().size(), 1u);

    Form()["mi_World"].Click();
    Application().ProcessMessages();
    EXPECT_EQ(explorers().size(), 2u);

    Send(tmsg::OpenComposition, data);
    Send(tmsg::EditProperties, data);
    host.PushText("L=layer.gpkg");
    Send(tmsg::ImportLayers);
    for (const std::string& line : HostLog()) EXPECT_EQ(line.find(Cz("Není k dispozici")), std::string::npos) << line;
}

// The sample check run as one command: the protocol lands in out/ and holds each node's
// summary; the start script and the run script come from the options of the sample.
TEST(TarvineProgram, SampleCheckRunWritesTheProtocol) {
    namespace fs = std::filesystem;
    TempDir dir("tarvinesample");
    ASSERT_FALSE(dir.Path().empty());
    fs::create_directories(dir.Path("samples/tarvine32"));
    fs::create_directories(dir.Path("out"));
    for (const char* f : {"Tarvine32.INI", "Check.YESK", "Run.YESK", "answers.txt", "Kontroly.ZRX"})
        fs::copy_file(SUITE_SAMPLES_DIR "/tarvine32/" + std::string(f), dir.Path("samples/tarvine32/") + f);
    fs::create_directory_symlink(SUITE_SAMPLES_DIR "/data", dir.Path("samples/data"));
    std::string command = "cd '" + dir.Path("samples/tarvine32") + "' && '" TARVINE32_PATH
                          "' Tarvine32.INI Check.YESK --answers answers.txt > out.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("samples/tarvine32/out.txt"));
    std::string protocol = ReadFile(dir.Path("out/protocol.txt"));
    for (const char* text : {"200 objektů bylo testováno nástrojem Místa", "559 objektů bylo testováno nástrojem Cesty",
                             "    Kontrola Adresářové struktury ", " Nástroj Hranice nalezl "})
        EXPECT_NE(protocol.find(Cz(text)), std::string::npos) << text;

    // A protocol the file-size limit cuts short: the run reports the write error and fails.
    command = "cd '" + dir.Path("samples/tarvine32") + "' && bash -c \"trap '' XFSZ; ulimit -f 4; exec '" TARVINE32_PATH
              "' Tarvine32.INI Check.YESK --answers answers.txt\" > out.txt 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    std::string log = ReadFile(dir.Path("samples/tarvine32/out.txt"));
    EXPECT_EQ(WEXITSTATUS(status), 1) << log;
    EXPECT_NE(log.find("Write error in file"), std::string::npos) << log;
    EXPECT_EQ(fs::file_size(dir.Path("out/protocol.txt")), 4096u);
}

// The sample as a user starts it: no text window at start; "&Kontroly" opens the editor on
// INE with the palette and keeps its edits for "&Start", which runs them and shows the
// protocol; a set of another INE gives way to that file's; "&Data" chooses the data folder.
TEST_F(TarvineTest, SampleButtonsEditRunAndChooseTheData) {
    namespace fs = std::filesystem;
    const std::string folder = dir.Path("samples/tarvine32");
    fs::create_directories(folder);
    fs::create_directories(dir.Path("out"));
    fs::create_directories(dir.Path("other"));
    for (const char* f : {"Tarvine32.INI", "SysReg.Yesk", "Model.Yesk", "Data.YESK", "Kontroly.YESK", "Run.YESK",
                          "Kontroly.ZRX", "KontrolyChyb.ZRX", "Paleta.ZRX"})
        fs::copy_file(SUITE_SAMPLES_DIR "/tarvine32/" + std::string(f), folder + "/" + f);
    fs::create_directory_symlink(SUITE_SAMPLES_DIR "/data", dir.Path("samples/data"));
    SetExecutablePath(folder + "/Tarvine32");
    SetCurrentDir(folder);
    SetProgramArguments({"Tarvine32.INI"});
    const size_t windows = OpenTextWindows().size();
    Start();
    EXPECT_EQ(OpenTextWindows().size(), windows);
    TOptions* options = tool->GetOptions();

    // The editor: the sample's nodes, the palette; Cesty takes the line interpret.
    auto edit = [&](const std::function<void(TForm&)>& action) {
        host.PushAction([&] {
            action(*ActiveModalForm());
            return mrOk;
        });
        Form()["bb_Control"].Click();
        Application().ProcessMessages();
    };
    const std::vector<std::string> nodes = {Cz("Adresáře dat"), Cz("Místa"), "Cesty", Cz("Okolí"), "Hranice"};
    edit([&](TForm& form) {
        EXPECT_EQ(form.Caption, "Kontroly.ZRX");
        EXPECT_EQ(form["o_1"].Items, nodes);
        EXPECT_EQ(form["o_3"].Items,
                  (std::vector<std::string>{"Body", "Linie", "Plochy", "Texty", Cz("Nezaplochované oblasti")}));
        form["o_1"].Select(2);
        form["o_3"].Select(1);
        form["b_AddFromPalette"].Click();
        EXPECT_EQ(form["o_2"].Items.size(), 13u);
    });
    EXPECT_EQ(Form()["l_Control"].Caption, "Kontr: Kontroly.ZRX");

    // "&Start" runs the edited set and shows the protocol, unmodified, in a new window.
    Form()["bb_Start"].Click();
    Application().ProcessMessages();
    std::string protocol = ReadFile(dir.Path("out/protocol.txt"));
    for (const char* text : {"559 objektů bylo testováno nástrojem Linie", " Nástroj Hranice nalezl "})
        EXPECT_NE(protocol.find(Cz(text)), std::string::npos) << text;
    ASSERT_EQ(OpenTextWindows().size(), windows + 1);
    TStdtxtForm* shown = OpenTextWindows().back();
    std::string lines;
    for (const std::string& line : shown->Lines()) lines += line + "\r\n";
    EXPECT_EQ(lines, protocol);
    EXPECT_FALSE(shown->Modified());
    shown->Close();
    Application().ProcessMessages();

    // Pressed again, the editor holds the edited set; with another INE, that file's set.
    edit([&](TForm& form) {
        form["o_1"].Select(2);
        EXPECT_EQ(form["o_2"].Items.size(), 13u);
    });
    options->INE = "KontrolyChyb.ZRX";
    edit([&](TForm& form) {
        EXPECT_EQ(form.Caption, "KontrolyChyb.ZRX");
        form["o_1"].Select(2);
        EXPECT_EQ(form["o_2"].Items.size(), 6u);
        form["o_1"].Select(3);
        EXPECT_EQ(form["o_2"].Items.back(), Cz("  V zemi"));
    });
    EXPECT_EQ(Form()["l_Control"].Caption, "Kontr: KontrolyChyb.ZRX");
    // A missing check set is said and runs nothing.
    ClearHostLog();
    options->INE = "chybi.ZRX";
    Form()["bb_Start"].Click();
    Application().ProcessMessages();
    EXPECT_TRUE(Logged(Cz("Soubor kontroly nenalezen: chybi.ZRX")));
    EXPECT_EQ(OpenTextWindows().size(), windows);

    // "&Data": a cancelled dialog keeps the folder; the chosen one shows in the label.
    host.PushCancel();
    Form()["bb_Data"].Click();
    Application().ProcessMessages();
    EXPECT_EQ(options->DataDirectory, "../data");
    host.Push(ScriptedAnswer{mrOk, false, {}, [&] {
        auto* form = static_cast<Tf_SelectDir*>(ActiveModalForm());
        EXPECT_EQ(form->Caption, Cz("Výběr datové složky"));
        form->SetFolder(dir.Path("other"));
        return mrOk;
    }});
    Form()["bb_Data"].Click();
    Application().ProcessMessages();
    EXPECT_EQ(options->DataDirectory, dir.Path("other"));
    EXPECT_EQ(Form()["l_Data"].Caption, "Data: " + dir.Path("other"));
}
