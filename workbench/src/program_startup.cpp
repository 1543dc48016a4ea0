#include "workbench/program_startup.h"

#include <cstdio>

#include "kernel/kernel.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "workbench/main_tool_base.h"
#include "workbench/workbench.h"
#include "yesk/command_line.h"
#include "platform/scope_exit.h"

void RegisterProgramClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterKernelClasses();
    RegisterWorkbenchClasses();
}

bool ReadProgramArguments(int argc, char** argv, std::string& answersFile, std::string& error) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--answers") {
            if (i + 1 >= argc) {
                error = "--answers needs a file name";
                return false;
            }
            answersFile = FromOsName(argv[++i]);
            continue;
        }
        args.push_back(FromOsName(arg));
    }
    SetProgramArguments(std::move(args));
    return true;
}

void RunMainTool(TOldMainTool* tool) {
    THeld<TOldMainTool> held(tool);
    TApplication& app = Application();
    try {
        tool->DoIt();
    } catch (...) {
        app.HandleException(tool);
    }
    for (;;) {
        app.Run();
        if (app.Terminated() || !held.Get()) break;
        tool->PostMsg(tm_QuitTask, tool, nullptr, false);
        app.ProcessMessages();
        if (app.Terminated() || !held.Get()) break;
        try {
            OpenScriptConsole(World);
        } catch (...) {
            app.HandleException(tool);
        }
    }
}

void OpenScriptConsole(TElement* element) {
    TCommandLineDlg* console = TCommandLineDlg::New();
    THeld<TCommandLineDlg> alive(console);
    auto release = MakeScopeExit([&] {
        if (alive.Get()) Free(console);
    });
    console->SetElement(element ? element : World);
    console->Show();
}

int RunProgram(int argc, char** argv, const char* title, void (*registerClasses)(), TOldMainTool* (*startUp)()) {
    std::string answers, error;
    if (!ReadProgramArguments(argc, argv, answers, error)) {
        std::fprintf(stderr, "%s: %s\n", title, error.c_str());
        return 2;
    }
    TAnswerFileHost host;
    if (!answers.empty()) {
        if (!host.LoadFile(answers, error)) {
            std::fprintf(stderr, "%s: %s\n", title, ToUtf8(error).c_str());
            return 2;
        }
        SetUserHost(&host);
    }
    registerClasses();
    // The information panel; a missing one is ignored.
    TOldMainTool::StartHelper("Ostalin.exe", "\"" + Application().ExeName() + "\"");
    Application().ProcessMessages();
    Application().Initialize();
    Application().SetTitle(title);
    TOldMainTool::SetLogEcho(true);
    TOldMainTool* tool = startUp();
    if (World && World->GetMainTool()) RunMainTool(tool);
    Free(World);
    SetUserHost(nullptr);
    return 0;
}
