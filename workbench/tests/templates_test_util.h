// The fixture of the template tests: every class registered, a scripted user host and a scratch folder.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kernel/kernel.h"
#include "platform/host.h"
#include "workbench/workbench.h"

namespace tpltest {

inline void RegisterAll() {
    static bool done = [] {
        RegisterKernelClasses();
        RegisterWorkbenchClasses();
        return true;
    }();
    (void)done;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class TemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAll();
        SetUserHost(&host);
        ClearHostLog();
        dir = std::filesystem::temp_directory_path() /
              ("wb_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        SetUserHost(nullptr);
        std::filesystem::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // Writes the lines, each followed by CR LF, and answers the path.
    std::string Lines(const std::string& name, std::initializer_list<std::string> lines) const {
        std::string text;
        for (const std::string& l : lines) text += l + "\r\n";
        WriteFile(Path(name), text);
        return Path(name);
    }

    ScriptedHost host;
    std::filesystem::path dir;
};

}  // namespace tpltest
