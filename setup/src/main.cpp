// Setup: installs from the installation script beside the program.
#include "platform/forms.h"
#include "platform/files.h"
#include "platform/windows.h"
#include "setup/installer.h"

int main() {
    Application().SetTitle("Instalace");
    SetWindowsDirectory(FromOsName(setup::XdgDataHome()));
    setup::TDesktop desktop(ExecutablePath());
    desktop.Show();
    desktop.Run();
    return desktop.FailedFiles() > 0 ? 1 : 0;
}
