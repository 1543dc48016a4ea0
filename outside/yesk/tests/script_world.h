// A hooked world for script tests: its main tool keeps the texts of message 8, scripts
// are written to a temporary folder and run through a TCommandLine.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "../../../platform/tests/test_support.h"
#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "yesk/command_line.h"
#include "yesk/yesk.h"

template <class T> T* NewNamed(const std::string& name) {
    T* e = T::New();
    e->SetName(name);
    return e;
}

class TTextKeepingTool : public TTechnology {
    ZARIX_CLASS(TTextKeepingTool, TTechnology)

public:
    std::vector<std::string> Texts;
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        if (m->Message == tm_TextNote)
            if (auto* t = As<TZarixTextMessage>(m)) {
                Texts.push_back(t->GetMessageText());
                handled = true;
                return;
            }
        inherited::HandleMessage(m, handled);
    }
};

class ScriptWorld : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        RegisterYeskClasses();
        world = TWorld::New();
        World = world;
        world->HookApplication();
        mainTool = TTextKeepingTool::New();
        world->SetMainTool(mainTool);
        runner = TCommandLine::New();
    }
    void TearDown() override {
        Free(runner);
        Application().ProcessMessages();
        Free(world);
        World = nullptr;
    }

    // Writes the script (Windows-1250 text) and runs it; answers the result line.
    std::string Run(const std::string& name, const std::string& code, TElement* self = nullptr) {
        std::string path = dir.Path(name);
        std::ofstream(path, std::ios::binary) << code;
        runner->FileName = path;
        runner->SetInput(self);
        runner->DoIt();
        return runner->Result;
    }

    // The box texts shown since the last call.
    std::vector<std::string> Boxes() {
        std::vector<std::string> boxes = HostLog();
        ClearHostLog();
        return boxes;
    }

    InstalledHost host;
    TempDir dir{"yesk"};
    TWorld* world = nullptr;
    TTextKeepingTool* mainTool = nullptr;
    TCommandLine* runner = nullptr;
};
