#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "composer_test_support.h"
#include "composition/modelfile.h"
#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/value_elements.h"
#include "workbench/file_version.h"

namespace {

// The texts of the queued text messages, in order.
std::vector<std::string> QueuedTexts() {
    std::vector<std::string> texts;
    ForEachQueued([&](TMsg& m) {
        if (auto* t = As<TZarixTextMessage>(ElementMessageOf(m.message, m.lParam))) texts.push_back(t->GetMessageText());
    });
    return texts;
}

void SavePluginList(const std::string& file, const std::vector<std::pair<std::string, std::string>>& entries) {
    TStringListElement* list = TStringListElement::New();
    for (const auto& [name, path] : entries) list->AddNameString(name, path);
    TSave* saver = TSave::New(file);
    saver->SetInput(list);
    saver->DoIt();
    Free(saver);
    Free(list);
}

}  // namespace

// "Plugin.ZRX" beside the program: the package loads and registers its class; a missing
// and a broken package are each one log line, and the packages after them still load.
TEST_F(ComposerTest, PluginsLoadAndFailuresAreReportedWhileStartUpGoesOn) {
    WriteText(dir.Path("broken.so"), "not a library");
    SavePluginList(dir.Path("Plugin.ZRX"), {{"missing", dir.Path("missing.so")},
                                            {"broken", dir.Path("broken.so")},
                                            {"sample", SAMPLE_PLUGIN_PATH}});
    Start(false);
    tool->InitPlugins();
    std::vector<std::string> texts = QueuedTexts();
    // (The status text has gone already: reading the list lets the queue run.)
    ASSERT_EQ(texts.size(), 2u) << testing::PrintToString(texts);
    EXPECT_EQ(texts[0], "Plug-In file: " + dir.Path("missing.so") + " not found!");
    EXPECT_EQ(texts[1].rfind("Plug-In file: " + dir.Path("broken.so") + " not loaded: Can't load package", 0), 0u)
        << texts[1];
    EXPECT_NE(GetZarixClass("TSamplePluginTool"), nullptr);
    auto* list = As<TStringListElement>(World->FindElementName("PLUGIN"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ElementsCount(), 3);

    // A damaged list is reported and start-up goes on without one.
    Free(World);
    World = nullptr;
    while (Application().HandleMessage()) {
    }
    WriteText(dir.Path("Plugin.ZRX"), "ZRX0 damaged");
    Start(false);
    tool->InitPlugins();
    EXPECT_TRUE(Logged(Cz("Chyba inicializace Plug Ins: ") + dir.Path("Plugin.ZRX")));
    EXPECT_EQ(World->FindElementName("PLUGIN"), nullptr);
}

// The plug-in dialog: adding creates "Plugin.ZRX" and keeps earlier entries; a missing file
// is refused; removing says that it needs a restart.
TEST_F(ComposerTest, PluginDialogAddsAndRemovesPackages) {
    Start(false);
    TPlugInDialog dialog;
    host.PushText(SAMPLE_PLUGIN_PATH);
    dialog["b_Add"].Click();
    host.PushText(SAMPLE_PLUGIN_PATH);
    dialog["b_Add"].Click();
    host.PushText(dir.Path("none.so"));
    dialog["b_Add"].Click();
    EXPECT_TRUE(Logged(dir.Path("none.so") + Cz(" .. ňák ho nemůžu najít nebo co")));
    EXPECT_EQ(dialog["List"].Items, (std::vector<std::string>{Cz("Ukázkový modul"), Cz("Ukázkový modul")}));
    ASSERT_TRUE(FileExists(dir.Path("Plugin.ZRX")));
    dialog["List"].Select(1);
    EXPECT_EQ(dialog["StatusBar"].Text, SAMPLE_PLUGIN_PATH);
    dialog["b_Remove"].Click();
    EXPECT_TRUE(Logged(Cz("Odebrání modulu se projeví až po restartu programu")));
    EXPECT_EQ(dialog["List"].Items.size(), 1u);

    TLoad* loader = TLoad::New(dir.Path("Plugin.ZRX"));
    loader->DoIt();
    auto* saved = As<TStringListElement>(loader->Output);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->ElementsCount(), 1);
    EXPECT_EQ(saved->GetString(0), SAMPLE_PLUGIN_PATH);
    Free(saved);
    Free(loader);
}

// Entries are files beside the program: a relative one is never taken from the current
// folder, and what is not a regular file of the user or root is refused, in the list and in
// the dialog alike.
TEST_F(ComposerTest, PluginsAreLookedForBesideTheProgramOnly) {
    TempDir data("data");
    std::filesystem::copy_file(SAMPLE_PLUGIN_PATH, data.Path("evil.so"));
    SetCurrentDir(data.Path());  // a data folder holding a library
    ASSERT_EQ(::mkfifo(dir.Path("fifo.so").c_str(), 0600), 0);
    std::vector<std::pair<std::string, std::string>> entries{{"evil", "evil.so"}, {"fifo", "fifo.so"}};
    if (::geteuid() == 0) {
        WriteText(dir.Path("foreign.so"), "not loaded anyway");
        ASSERT_EQ(::chown(dir.Path("foreign.so").c_str(), 65534, 65534), 0);
        entries.push_back({"foreign", dir.Path("foreign.so")});
    }
    SavePluginList(dir.Path("Plugin.ZRX"), entries);
    Start(false);
    tool->InitPlugins();
    std::vector<std::string> expected{"Plug-In file: " + dir.Path("evil.so") + " not found!",
                                      "Plug-In file: " + dir.Path("fifo.so") +
                                          " not loaded: not a regular file owned by the user or root"};
    if (::geteuid() == 0)
        expected.push_back("Plug-In file: " + dir.Path("foreign.so") +
                           " not loaded: not a regular file owned by the user or root");
    EXPECT_EQ(QueuedTexts(), expected);

    TPlugInDialog dialog;
    host.PushText("evil.so");
    dialog["b_Add"].Click();
    EXPECT_TRUE(Logged(Cz("evil.so .. ňák ho nemůžu najít nebo co")));
    host.PushText("fifo.so");
    dialog["b_Add"].Click();
    EXPECT_TRUE(Logged("Plug-In file: " + dir.Path("fifo.so") +
                       " not loaded: not a regular file owned by the user or root"));
    EXPECT_EQ(dialog["List"].Items.size(), entries.size());  // nothing added
}

// "Ostalin.exe" starts only from the program's folder; one in the current folder is not run.
TEST_F(ComposerTest, HelperProgramsStartOnlyBesideTheProgram) {
    TempDir data("data");
    const std::string script = "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n";
    WriteText(data.Path("Ostalin.exe"), script);
    std::filesystem::permissions(data.Path("Ostalin.exe"), std::filesystem::perms::owner_all);
    SetCurrentDir(data.Path());
    EXPECT_EQ(TOldMainTool::StartHelper("Ostalin.exe", "x"), 0);

    WriteText(dir.Path("Ostalin.exe"), script);
    std::filesystem::permissions(dir.Path("Ostalin.exe"), std::filesystem::perms::owner_all);
    EXPECT_EQ(TOldMainTool::StartHelper("Ostalin.exe", "x"), 1);
    for (int i = 0; i < 500 && !FileExists(dir.Path("ran")); ++i) ::usleep(10000);
    EXPECT_TRUE(FileExists(dir.Path("ran")));
    EXPECT_FALSE(FileExists(data.Path("ran")));
}

// Version blocks of the suite's files; a file without one, and each new name read afresh.
TEST(FileVersion, ReadsTheSuitesBlockAndAnswersEmptyWithoutOne) {
    TFileVersion v;
    EXPECT_EQ(v.GetError(), "Empty FileName");
    v.SetFileName(OSKELT32_PATH);
    EXPECT_EQ(v.GetError(), "");
    EXPECT_EQ(v.InfoString("ProductName"), "Oskelt32");
    EXPECT_EQ(v.InfoString("FileVersion"), "3.01");
    EXPECT_EQ(GetPropStringByName(&v, "ProductVersion"), "3.01 BETA");
    EXPECT_EQ(v.GetMajorVersion(), 3);
    EXPECT_EQ(v.GetMinorVersion(), 1);
    EXPECT_EQ(v.GetLanguage(), "Czech");
    EXPECT_EQ(v.InfoString("Comments"), "");

    v.SetFileName(SAMPLE_PLUGIN_PATH);
    EXPECT_EQ(v.InfoString("FileDescription"), Cz("Ukázkový modul"));
    EXPECT_EQ(v.InfoString("LegalCopyright"), "No LegalCopyright");
    EXPECT_EQ(v.GetBuild(), 1);

    // The smallest such file: the fuzz target's seed.
    v.SetFileName(SUITE_SAMPLES_DIR "/../fuzz/corpus/file_version/small_elf");
    EXPECT_EQ(v.GetError(), "");
    EXPECT_EQ(v.InfoString("ProductName"), "Oskelt32");
    EXPECT_EQ(v.InfoString("LegalCopyright"), "No LegalCopyright");

    for (const char* other : {SUITE_SAMPLES_DIR "/service/MAPLSMO.txt", "/nonexistent/file"}) {
        v.SetFileName(other);
        EXPECT_EQ(v.GetError(), "InfoSize=0");
        EXPECT_EQ(v.InfoString("ProductName"), "");
        EXPECT_EQ(v.GetMajorVersion(), 0);
        EXPECT_EQ(v.GetLanguage(), "");
    }
}

// The built program with the sample package in its "Plugin.ZRX": a start script creates the
// package's class by name, runs it and frees it.
TEST(OskeltPlugin, AScriptCreatesRunsAndFreesThePackagesClass) {
    TempDir dir("oskeltplugin");
    ASSERT_FALSE(dir.Path().empty());
    std::string program = dir.Path("Oskelt32");
    ASSERT_EQ(std::system(("cp '" OSKELT32_PATH "' '" + program + "'").c_str()), 0);
    SavePluginList(dir.Path("Plugin.ZRX"), {{"sample", SAMPLE_PLUGIN_PATH}});
    WriteText(dir.Path("Job.INI"), "[Options]\r\n");
    WriteText(dir.Path("Plugin.YESK"), "local t = yesk.Create('TSamplePluginTool', 'sample')\n"
                                       "yesk.Write('made ' .. t:ClassName() .. ' ' .. tostring(t:Is('TTool')))\n"
                                       "t:DoIt()\n"
                                       "t:Free()\n"
                                       "yesk.Write('freed')\n"
                                       "yesk.World.MainTool:Post(2)\n");
    WriteText(dir.Path("answers.txt"), "Yes\n");
    std::string command = "cd '" + dir.Path() + "' && ./Oskelt32 Job.INI Plugin.YESK --answers answers.txt > log.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("log.txt"));
    std::string log = ReadFile(dir.Path("log.txt"));
    EXPECT_NE(log.find("made TSamplePluginTool true"), std::string::npos) << log;
    EXPECT_NE(log.find("\nTSamplePluginTool"), std::string::npos) << log;  // the tool's own line
    EXPECT_NE(log.find("freed"), std::string::npos) << log;
    EXPECT_EQ(log.find(std::string("Nezn\xc3\xa1m\xc3\xa1 t\xc5\x99\xc3\xad" "da")), std::string::npos) << log;
}
