// The main of every test program: the tests run in a temporary folder of their own, removed
// at the end, so that nothing a test writes lands in the folder the program was started from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string pattern = (fs::temp_directory_path() / "suite-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = name.data();
    const fs::path started = fs::current_path();
    fs::current_path(folder);
    int status = RUN_ALL_TESTS();
    std::error_code ignored;
    fs::current_path(started, ignored);
    fs::remove_all(folder, ignored);
    return status;
}
