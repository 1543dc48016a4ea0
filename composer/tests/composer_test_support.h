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

class ComposerTest : public StartedProgramTest<TMainTool> {
protected:
    ComposerTest() : StartedProgramTest("Oskelt32") {}
    static void SetUpTestSuite() { RegisterComposerClasses(); }
    std::string Ini(const std::string& name = "Oskelt32.INI") { return ReadFile(dir.Path(name)); }
};
