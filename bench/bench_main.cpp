// The main of every benchmark program: it runs in a temporary folder of its own, removed at
// its end, so that nothing a benchmark writes lands in the folder it was started from.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::string pattern = (fs::temp_directory_path() / "suite-bench-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = name.data();
    const fs::path started = fs::current_path();
    // Output files named on the command line stay where they were meant to go.
    std::vector<std::string> args(argv, argv + argc);
    for (std::string& a : args) {
        const std::string option = "--benchmark_out=";
        if (a.rfind(option, 0) == 0 && a.size() > option.size() && a[option.size()] != '/')
            a = option + (started / a.substr(option.size())).string();
    }
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    int count = argc;
    fs::current_path(folder);
    benchmark::Initialize(&count, pointers.data());
    int status = 0;
    if (benchmark::ReportUnrecognizedArguments(count, pointers.data())) status = 1;
    else benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::current_path(started, ignored);
    fs::remove_all(folder, ignored);
    return status;
}
