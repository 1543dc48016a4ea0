// Setup: installs from the installation script beside the program.
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/version_info.h"
#include "platform/windows.h"
#include "screen/screen_host.h"
#include "setup/installer.h"

SUITE_VERSION_BLOCK(1, 0, 0, 0,
                    "CompanyName\0ZARIX\0"
                    "FileDescription\0Instalace\0"
                    "FileVersion\0" "1.00\0"
                    "InternalName\0Setup\0"
                    "OriginalFilename\0Setup\0"
                    "ProductName\0Setup\0"
                    "ProductVersion\0" "1.00\0");

int main(int argc, char** argv) {
    Application().SetTitle("Instalace");
    bool onScreen = StartScreen(argc, argv);
    TAnswerFileHost answers;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], error;
        if (arg == "--answers" && i + 1 < argc) {
            if (!answers.LoadFile(FromOsName(argv[++i]), error)) {
                std::fprintf(stderr, "Setup: %s\n", ToUtf8(error).c_str());
                return 2;
            }
            SetUserHost(&answers);
        } else {
            std::fprintf(stderr, "Setup: unknown argument %s (Setup [--headless] [--answers FILE])\n", arg.c_str());
            return 2;
        }
    }
    int status = setup::RunSetup(ExecutablePath());
    SetUserHost(nullptr);
    if (onScreen) StopScreen();
    return BatchExitStatus(status, onScreen);
}
