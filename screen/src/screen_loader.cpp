// The Qt front end loaded only for a run on a display: a batch run of the program does not
// load Qt and the libraries below it at all.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "screen/screen_host.h"

namespace {

using OpenFn = bool (*)(int*, char**);
using CloseFn = void (*)();
CloseFn g_close = nullptr;

std::string ProgramFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof path) return {};
    std::string p(path, static_cast<size_t>(n));
    return p.substr(0, p.rfind('/') + 1);
}

}  // namespace

bool StartScreen(int& argc, char** argv) {
    if (!ScreenWanted(argc, argv) || g_close) return false;
    // Beside the program, else where the build put it. Kept loaded to the end of the process.
    void* module = nullptr;
    for (const std::string& path : {ProgramFolder() + SCREEN_MODULE_NAME, std::string(SCREEN_MODULE_PATH)})
        if ((module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
    auto open = module ? reinterpret_cast<OpenFn>(dlsym(module, "SuiteOpenScreen")) : nullptr;
    auto close = module ? reinterpret_cast<CloseFn>(dlsym(module, "SuiteCloseScreen")) : nullptr;
    if (!open || !close) {
        const char* error = dlerror();
        std::fprintf(stderr, "%s: no screen, running headless (%s)\n", argv[0], error ? error : SCREEN_MODULE_NAME);
        return false;
    }
    if (!open(&argc, argv)) return false;
    g_close = close;
    return true;
}

void StopScreen() {
    if (!g_close) return;
    g_close();
    g_close = nullptr;
}
