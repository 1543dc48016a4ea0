// Oskelt32, the map composition program:
//   Oskelt32 [file.INI] [start.YESK] [template.MSD] [--answers FILE]
#include "composer/composer.h"
#include "composer/main_tool.h"
#include "platform/host.h"
#include "platform/version_info.h"
#include "screen/screen_host.h"
#include "workbench/program_startup.h"

SUITE_VERSION_BLOCK(3, 1, 0, 0,
                    "CompanyName\0ZARIX\0"
                    "FileDescription\0Mapov\xe9 kompozice\0"
                    "FileVersion\0" "3.01\0"
                    "InternalName\0Oskelt32\0"
                    "OriginalFilename\0Oskelt32\0"
                    "ProductName\0Oskelt32\0"
                    "ProductVersion\0" "3.01 BETA\0");

int main(int argc, char** argv) {
    bool onScreen = StartScreen(argc, argv);
    int status = RunProgram(argc, argv, "Oskelt32", RegisterComposerClasses,
                      [] { return static_cast<TOldMainTool*>(TOldMainTool::StartUp<TMainTool>()); });
    if (onScreen) StopScreen();
    // A run off screen that showed an error ends with status 1.
    return BatchExitStatus(status, onScreen);
}
