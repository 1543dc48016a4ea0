#include "screen/screen_host.h"

bool StartScreen(int& argc, char** argv) {
    ScreenWanted(argc, argv);  // takes "--headless" out; there is no screen to start
    return false;
}

void StopScreen() {}

TFormWindow* FormWindow(const TForm&) { return nullptr; }
