// The entries of the screen module, found by name when a program loads it.
#include "screen/screen_host.h"

extern "C" {
[[gnu::visibility("default")]] bool SuiteOpenScreen(int* argc, char** argv) { return OpenScreen(*argc, argv); }
[[gnu::visibility("default")]] void SuiteCloseScreen() { CloseScreen(); }
}
