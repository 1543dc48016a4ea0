// Oskelt32, the map composition program:
//   Oskelt32 [file.INI] [start.YESK] [template.MSD] [--answers FILE]
#include <cstdio>

#include "composer/composer.h"
#include "composer/main_tool.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/version_info.h"
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
    std::string answers, error;
    if (!ReadProgramArguments(argc, argv, answers, error)) {
        std::fprintf(stderr, "Oskelt32: %s\n", error.c_str());
        return 2;
    }
    TAnswerFileHost host;
    if (!answers.empty()) {
        if (!host.LoadFile(answers, error)) {
            std::fprintf(stderr, "Oskelt32: %s\n", ToUtf8(error).c_str());
            return 2;
        }
        SetUserHost(&host);
    }
    RegisterComposerClasses();
    // The information panel; a missing one is ignored.
    TOldMainTool::StartProcess("Ostalin.exe", "\"" + Application().ExeName() + "\"");
    Application().ProcessMessages();
    Application().Initialize();
    Application().SetTitle("Oskelt32");
    TOldMainTool::SetLogEcho(true);
    TMainTool* tool = TOldMainTool::StartUp<TMainTool>();
    if (World && World->GetMainTool()) RunMainTool(tool);
    Free(World);
    SetUserHost(nullptr);
    return 0;
}
