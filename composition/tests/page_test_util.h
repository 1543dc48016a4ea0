// The fixture of the page-model tests: the model-file fixture with the graphic and device
// classes registered.
#pragma once
#include "device/device.h"
#include "modelfile_test_util.h"
#include "pelvar/pelvar.h"

namespace pagetest {

class PageModelTest : public mft::ModelFileTest {
protected:
    void SetUp() override {
        static bool done = [] {
            RegisterKernelClasses();
            RegisterPelvarClasses();
            RegisterDeviceClasses();
            return true;
        }();
        (void)done;
        mft::ModelFileTest::SetUp();
    }
    // Saves the tree, frees it and answers the tree read back (owned by the caller).
    template <class T> T* RoundTrip(T* root) {
        Save(root);
        Free(root);
        TElement* loaded = Load();
        T* typed = As<T>(loaded);
        EXPECT_NE(typed, nullptr);
        if (!typed) Free(loaded);
        return typed;
    }
    std::string WriteLines(const std::string& name, const std::string& text) {
        mft::WriteFile(Path(name), text);
        return Path(name);
    }
};

}  // namespace pagetest
