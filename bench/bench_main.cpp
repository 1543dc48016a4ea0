// The main of every benchmark program: it runs in a temporary folder of its own, removed at
// its end, so that nothing a benchmark writes lands in the folder it was started from.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "own_folder.h"

int main(int argc, char** argv) {
    OwnFolder folder("suite-bench");
    if (!folder.Made()) return 1;
    const std::filesystem::path& started = folder.Started();
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
    folder.Enter();
    benchmark::Initialize(&count, pointers.data());
    int status = 0;
    if (benchmark::ReportUnrecognizedArguments(count, pointers.data())) status = 1;
    else benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return status;
}
