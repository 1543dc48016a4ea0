// Setup: installs from the installation script beside the program.
#include "platform/forms.h"
#include "platform/files.h"
#include "platform/version_info.h"
#include "platform/windows.h"
#include "setup/installer.h"

SUITE_VERSION_BLOCK(1, 0, 0, 0,
                    "CompanyName\0ZARIX\0"
                    "FileDescription\0Instalace\0"
                    "FileVersion\0" "1.00\0"
                    "InternalName\0Setup\0"
                    "OriginalFilename\0Setup\0"
                    "ProductName\0Setup\0"
                    "ProductVersion\0" "1.00\0");

int main() {
    Application().SetTitle("Instalace");
    return setup::RunSetup(ExecutablePath());
}
