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

class TarvineTest : public StartedProgramTest<tarvine::TMainTool> {
protected:
    TarvineTest() : StartedProgramTest("Tarvine32") {}
    static void SetUpTestSuite() { tarvine::RegisterCheckingProgramClasses(); }
    // Posts a message to the main tool and delivers it.
    void Send(int32_t message, TElement* data = nullptr) {
        tool->PostMsg(message, tool, data, false);
        Application().ProcessMessages();
    }
    TForm& Form() { return *tool->MainForm(); }
};
