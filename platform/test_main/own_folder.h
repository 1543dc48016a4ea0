// A temporary folder of the program's own, made and entered at construction, left and
// removed at destruction: tests and benchmarks write nothing into the folder they were
// started from.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

class OwnFolder {
public:
    explicit OwnFolder(const char* prefix) : started_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!mkdtemp(name.data())) {
            std::perror("mkdtemp");
            return;
        }
        folder_ = name.data();
    }
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;
    ~OwnFolder() {
        if (folder_.empty()) return;
        std::error_code ignored;
        std::filesystem::current_path(started_, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }
    bool Made() const { return !folder_.empty(); }
    void Enter() const { std::filesystem::current_path(folder_); }
    const std::filesystem::path& Started() const { return started_; }

private:
    std::filesystem::path started_, folder_;
};
