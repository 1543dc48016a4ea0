// A started Oskelt32 inside the test process: its program folder, ini file and arguments
// in a temporary folder, the scripted host, the world and the main tool.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../../platform/tests/test_support.h"
#include "../../workbench/tests/main_tool_test_support.h"
#include "composer/composer.h"
#include "composer/main_form.h"
#include "composer/main_tool.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"

class ComposerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterComposerClasses(); }
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        savedCwd = GetCurrentDir();
        SetExecutablePath(dir.Path("Oskelt32"));
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
    TMainTool* Start(bool run = true) {
        tool = TOldMainTool::StartUp<TMainTool>();
        if (run) {
            tool->DoIt();
            Application().ProcessMessages();
        }
        return tool;
    }
    bool Logged(const std::string& text) const {
        for (const std::string& line : HostLog())
            if (line == text) return true;
        return false;
    }
    std::string Ini(const std::string& name = "Oskelt32.INI") { return ReadFile(dir.Path(name)); }

    TempDir dir{"oskelt"};
    InstalledHost host;
    TMainTool* tool = nullptr;
    std::string savedCwd;
};
