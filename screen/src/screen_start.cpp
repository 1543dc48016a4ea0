// The Qt front end linked into the program.
#include "screen/screen_host.h"

bool StartScreen(int& argc, char** argv) { return ScreenWanted(argc, argv) && OpenScreen(argc, argv); }

void StopScreen() { CloseScreen(); }
