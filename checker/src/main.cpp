// Tarvine32, the checking program:
//   Tarvine32 [file.INI] [start.YESK] [--answers FILE]
#include "checker/checking_program.h"
#include "composition/modelfile.h"
#include "platform/host.h"
#include "platform/version_info.h"
#include "screen/screen_host.h"
#include "workbench/program_startup.h"

SUITE_VERSION_BLOCK(1, 5, 0, 0,
                    "CompanyName\0ZARIX\0"
                    "FileDescription\0Kontrola grafick\xfd" "ch dat\0"
                    "FileVersion\0" "1.05\0"
                    "InternalName\0Tarvine32\0"
                    "OriginalFilename\0Tarvine32\0"
                    "ProductName\0Tarvine32\0"
                    "ProductVersion\0" "1.05\0");

int main(int argc, char** argv) {
    SetModelFileProfile(TModelFileProfile::Tarvine);
    bool onScreen = StartScreen(argc, argv);
    int status = RunProgram(argc, argv, "TARVINE 32", tarvine::RegisterCheckingProgramClasses,
                      [] { return static_cast<TOldMainTool*>(TOldMainTool::StartUp<tarvine::TMainTool>()); });
    if (onScreen) StopScreen();
    // A run off screen that showed an error ends with status 1.
    return BatchExitStatus(status, onScreen);
}
