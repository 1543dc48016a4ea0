// Helpers shared by the workbench tests: a world with a main tool that hands the
// progress messages to a progress monitor, as the programs' main tools do.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../kernel/tests/test_support.h"
#include "kernel/world.h"
#include "workbench/progress_monitor.h"
#include "workbench/workbench.h"

namespace dlgtest {

class TTestMainTool : public TTechnology {
    ZARIX_CLASS(TTestMainTool, TTechnology)

public:
    TProgressMonitor* Monitor = nullptr;
    int MonitorsMade = 0;
    std::vector<int32_t> Got;  // numbers of the messages that reached it

    TProgressMonitor* GetMonitor() {
        if (!Monitor) {
            Monitor = TProgressMonitor::New();
            AddTool(Monitor);
            ++MonitorsMade;
        }
        return Monitor;
    }
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        inherited::HandleMessage(m, handled);
        if (!m) return;
        Got.push_back(m->Message);
        if (m->Message == tm_Done && m->Sender == Monitor) Monitor = nullptr;
        if (m->Message >= tm_ProgressStart && m->Message <= tm_ProgressText) GetMonitor()->HandleMessage(m, handled);
    }
};

class WorkbenchTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool done = [] {
            RegisterWorkbenchClasses();
            RegisterZarixClass<TTestMainTool>();
            return true;
        }();
        (void)done;
        world_ = TWorld::New();
        World = world_;
        main_ = TTestMainTool::New();
        main_->SetName("Main");
        world_->SetMainTool(main_);
        world_->HookApplication();
    }
    void TearDown() override {
        Application().ProcessMessages();
        Free(world_);
        World = nullptr;
        DropQueue();
    }
    TTool* NewProcess(const std::string& name) {
        TTool* t = TTool::New();
        t->SetName(name);
        main_->AddTool(t);
        return t;
    }
    TWorld* world_ = nullptr;
    TTestMainTool* main_ = nullptr;
    InstalledHost host_;
};

}  // namespace dlgtest
