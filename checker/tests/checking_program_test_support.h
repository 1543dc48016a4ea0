// A started Tarvine32 inside the test process: its program folder, ini file and
// arguments in a temporary folder, the scripted host, the world and the main tool.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../../platform/tests/test_support.h"
#include "../../workbench/tests/main_tool_test_support.h"
#include "checker/checking_program.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"

class TarvineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { tarvine::RegisterCheckingProgramClasses(); }
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        savedCwd = GetCurrentDir();
        SetExecutablePath(dir.Path("Tarvine32"));
        SetCurrentDir(dir.Path());
        SetProgramArguments({});
    }
    void TearDown() override {
        if (World) Free(World);
        World = nullptr;
        while (Application().HandleMessage()) {
        }
        SetProgramArguments({});
        SetExecutablePath("");
        SetCurrentDir(savedCwd);
    }
    // Constructs the main tool and its world; with run, DoIt and the queue too.
    tarvine::TMainTool* Start(bool run = true) {
        tool = TOldMainTool::StartUp<tarvine::TMainTool>();
        if (run) {
            tool->DoIt();
            Application().ProcessMessages();
        }
        return tool;
    }
    // Posts a message to the main tool and delivers it.
    void Send(int32_t message, TElement* data = nullptr) {
        tool->PostMsg(message, tool, data, false);
        Application().ProcessMessages();
    }
    bool Logged(const std::string& text) const {
        for (const std::string& line : HostLog())
            if (line == text) return true;
        return false;
    }
    TForm& Form() { return *tool->MainForm(); }

    TempDir dir{"tarvine"};
    InstalledHost host;
    tarvine::TMainTool* tool = nullptr;
    std::string savedCwd;
};
