#include "setup/install_script.h"

#include "platform/files.h"
#include "platform/sysutils.h"
#include "setup/string_routines.h"

namespace setup {

std::string ScriptFileName(const std::string& programPath) {
    if (ExtractFileExt(programPath).empty()) return programPath + ".INI";
    return ChangeFileExt(programPath, ".INI");
}

void ReadScriptSection(const TIniFile& ini, const std::string& section, TStringList& lines) {
    ini.ReadSectionValues(section, lines);
}

InstallScript::LoadResult InstallScript::Load(const std::string& path) {
    Clear();
    TIniFile ini(path);
    ReadScriptSection(ini, "VarDirs", varDirs);
    ReadScriptSection(ini, "FixDirs", fixDirs);
    ReadScriptSection(ini, "Options", options);
    ReadScriptSection(ini, "Process", process);
    appName = BezVnejsichMezer(ini.ReadString("Application", "Name", ""));
    diskNumber = ini.ReadInteger("Disks", "Number", 0);
    if (diskNumber == 0 || diskNumber > kMaxDisks) return NoDisks;
    if (diskNumber < 0) diskNumber = 0;  // no disks to copy; the rest runs
    LoadDisks(ini);
    if (appName.empty()) return NoName;
    return Loaded;
}

void InstallScript::LoadDisks(const TIniFile& ini) {
    disks.assign(diskNumber, Disk{});
    totalFiles = 0;
    for (int d = 0; d < diskNumber; ++d) {
        TStringList groupLines;
        ReadScriptSection(ini, "DISK" + std::to_string(d + 1), groupLines);
        for (int i = 0; i < groupLines.Count(); ++i) {
            FileGroup g;
            StringAsParameter(groupLines[i], g.section, g.condition);
            ReadScriptSection(ini, g.section, g.files);
            disks[d].fileCount += g.files.Count();
            disks[d].groups.push_back(std::move(g));
        }
        totalFiles += disks[d].fileCount;
    }
}

void InstallScript::SubstituteSpecialDirs(const std::string& ownFolder, const std::string& winFolder) {
    for (TStringList* list : {&varDirs, &fixDirs}) {
        for (int i = 0; i < list->Count(); ++i) {
            std::string name, value;
            StringAsParameter((*list)[i], name, value);
            if (AnsiSameText(value, "SOURCE")) {
                list->Put(i, name + "=" + AddBackSlash(ownFolder));
                sourceNames_.insert(AnsiUpperCase(name));
            } else if (AnsiSameText(value, "WIN")) {
                list->Put(i, name + "=" + winFolder);
            }
        }
    }
}

void InstallScript::AppendFixDirs() {
    for (int i = 0; i < fixDirs.Count(); ++i) varDirs.Add(fixDirs[i]);
}

void InstallScript::Clear() {
    appName.clear();
    diskNumber = 0;
    varDirs.Clear();
    fixDirs.Clear();
    options.Clear();
    process.Clear();
    disks.clear();
    totalFiles = 0;
    sourceNames_.clear();
}

std::string InstallScript::ResolveDir(const std::string& name) const {
    std::string value = BezVnejsichMezer(varDirs.Values(BezVnejsichMezer(name)));
    size_t plus = value.find('+');
    if (plus != std::string::npos) {
        std::string base = BezVnejsichMezer(varDirs.Values(BezVnejsichMezer(value.substr(0, plus))));
        if (base.empty()) return "";
        value = AddBackSlash(base) + value.substr(plus + 1);
    }
    if (value.empty()) return "";
    for (char& c : value)
        if (c == '\\') c = '/';
    return AddBackSlash(value);
}

std::string InstallScript::ResolvePath(const std::string& text) const {
    size_t plus = text.find('+');
    if (plus == std::string::npos) return ResolveDir(text);
    std::string dir = ResolveDir(text.substr(0, plus));
    if (dir.empty()) return "";
    return dir + text.substr(plus + 1);
}

bool InstallScript::OptionEnabled(const std::string& condition) const {
    if (condition == "TRUE") return true;
    return AnsiUpperCase(options.Values(condition)) == "TRUE";
}

bool InstallScript::IsSourceEntry(const std::string& name) const {
    return sourceNames_.count(AnsiUpperCase(BezVnejsichMezer(name))) > 0;
}

}  // namespace setup
