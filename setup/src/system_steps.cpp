// The steps that write ini entries, make program groups and start programs.
#include "platform/files.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"
#include "platform/windows.h"
#include "setup/installer.h"
#include "setup/string_routines.h"

namespace setup {

void TDesktop::IniWriteStep(const std::string& value) {
    std::vector<std::string> f = SplitFields(value);
    // A step short of a file, section, key or value writes nothing and is no failure.
    if (f.size() < 4 || f[0].empty() || f[1].empty() || f[2].empty() || f[3].empty()) {
        PostStep(kNextMessage);
        return;
    }
    size_t plus = f[0].find('+');
    bool safeName = plus == std::string::npos || IsSafeRelativeName(f[0].substr(plus + 1));
    std::string file = safeName ? RemoveBackSlash(script_.ResolvePath(f[0])) : "";
    std::string entry;
    if (f.size() < 5 || f[4].empty()) {
        entry = script_.ResolvePath(f[3]);
    } else if (AnsiSameText(f[4], "CC")) {
        size_t p = f[3].find('+');
        std::string dir = p == std::string::npos ? "" : script_.ResolvePath(f[3].substr(p + 1));
        if (!dir.empty()) entry = f[3].substr(0, p) + dir;
    } else {
        entry = f[3];
    }
    bool written = false;
    if (!file.empty() && !entry.empty()) {
        try {
            TIniFile(file).WriteString(f[1], f[2], entry);
            written = true;
        } catch (const Exception&) {
        }
    }
    // The run goes on; the end message counts the step.
    if (!written) ++failedSteps_;
    PostStep(kNextMessage);
}

void TDesktop::GroupStep(const std::string& value) {
    if (!groups_.CreateGroup(value)) ++failedSteps_;
    PostStep(kNextMessage);
}

void TDesktop::AddToGroupStep(const std::string& value) {
    std::vector<std::string> f = SplitFields(value);
    f.resize(std::max<size_t>(f.size(), 5));
    std::string folder = script_.ResolveDir(f[2]);
    std::string work = script_.ResolveDir(f[4]);
    // The fields go on as they are: a comma in a folder splits nothing.
    bool done = !folder.empty() && !work.empty() && IsSafeRelativeName(f[1]) &&
                groups_.AddItem(folder + f[1], f[3], folder + f[1], work);
    if (!done) ++failedSteps_;
    PostStep(kNextMessage);
}

void TDesktop::RunProgramStep(const std::string& value) {
    std::vector<std::string> f = SplitFields(value);
    f.resize(std::max<size_t>(f.size(), 2));
    std::string folder = script_.ResolveDir(f[1]);
    if (!folder.empty() && IsSafeRelativeName(f[0])) {
        lastShow_ = f.size() > 2 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
        SetCurrentDir(RemoveBackSlash(folder));
        StartProgram(folder + f[0], {}, false);
    }
    PostStep(kNextMessage);
}

}  // namespace setup
