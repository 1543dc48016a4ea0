// What the tests of both programs' main tools share: files, marking scripts and a started
// program inside the test process.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "../../platform/tests/test_support.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "workbench/main_tool_base.h"

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A script that marks its run with a child of that name in the object model.
inline std::string Marker(const std::string& name) {
    return "yesk.ObjectModel:Add(yesk.Create(\"TOwnerEntity\", \"" + name + "\"))\n";
}

inline bool Marked(const std::string& name) {
    return World && World->GetObjectModel()->FindElementName(name) != nullptr;
}

// A started program: its folder (the executable's path), ini file and arguments in a
// temporary folder, the scripted host, the world and the main tool of class Tool.
template <class Tool> class StartedProgramTest : public ::testing::Test {
protected:
    explicit StartedProgramTest(const std::string& program) : dir(program), program_(program) {}
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        savedCwd = GetCurrentDir();
        SetExecutablePath(dir.Path(program_));
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
    Tool* Start(bool run = true) {
        tool = TOldMainTool::StartUp<Tool>();
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

    TempDir dir;
    InstalledHost host;
    Tool* tool = nullptr;
    std::string savedCwd;

private:
    std::string program_;
};
