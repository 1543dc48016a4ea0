// The map composition program's forms on Qt's offscreen platform.
#include <gtest/gtest.h>

#include "composer/main_form.h"
#include "screen_test_support.h"
#include "workbench_test_util.h"

namespace {

class ComposerFormsOnScreenTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        screentest::App();
        WorldTest::SetUp();
    }
};

// Each opens with a widget for each control.
TEST_F(ComposerFormsOnScreenTest, TheProgramsFormsOpenWithEveryControl) {
    std::vector<std::unique_ptr<TForm>> forms;
    forms.push_back(std::make_unique<TF_Options>());
    forms.push_back(std::make_unique<TPlugInDialog>());
    forms.push_back(std::make_unique<TMainForm>(nullptr));
    screentest::ExpectEveryControlShown(forms);
}

}  // namespace
