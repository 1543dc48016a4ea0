#include <cstring>

#include "screen/screen_host.h"

bool StartScreen(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") != 0) argv[kept++] = argv[i];
    argc = kept;
    return false;
}

void StopScreen() {}

TFormWindow* FormWindow(const TForm&) { return nullptr; }
