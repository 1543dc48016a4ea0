#include <cstdlib>
#include <cstring>

#include "screen/screen_host.h"

bool ScreenWanted(int& argc, char** argv) {
    bool headless = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) headless = true;
        else argv[kept++] = argv[i];
        if (std::strcmp(argv[i], "--answers") == 0) headless = true;  // a batch run
    }
    argc = kept;
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return !headless && ((x && *x) || (w && *w));
}
