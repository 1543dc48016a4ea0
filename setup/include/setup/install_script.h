// The installation script: an ini file beside the installer naming the target folders,
// options, disks with their file groups, and the steps of the installation.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/classes.h"
#include "platform/inifiles.h"

namespace setup {

// At most this many installation disks.
constexpr int kMaxDisks = 11;

// The script beside the program: its path with the extension (".EXE") replaced by ".INI",
// or ".INI" appended to a name without one.
std::string ScriptFileName(const std::string& programPath);

// "name=value" lines in file order; a repeated key gives its first value, an empty value
// no line.
void ReadScriptSection(const TIniFile& ini, const std::string& section, TStringList& lines);

struct FileGroup {
    std::string section;    // the group's section name
    std::string condition;  // "TRUE" or the name of an option
    TStringList files;      // file = name of the target folder in "VarDirs"
};

struct Disk {
    std::vector<FileGroup> groups;
    int fileCount = 0;
};

class InstallScript {
public:
    enum LoadResult { Loaded, NoDisks, NoName };

    // Reads every section the installation uses.
    LoadResult Load(const std::string& path);
    // Replaces the folder values "SOURCE" (the installer's folder) and "WIN" (the Windows
    // folder) in "VarDirs" and "FixDirs"; the names of the "SOURCE" entries are kept.
    void SubstituteSpecialDirs(const std::string& ownFolder, const std::string& winFolder);
    void AppendFixDirs();
    void Clear();

    // The folder of a "VarDirs" name (or of A+R: the folder of A followed by R), with a
    // trailing delimiter and "/" as the only delimiter; empty when the name or A has no
    // folder.
    std::string ResolveDir(const std::string& name) const;
    // D+F: the folder of D followed by F; otherwise the folder of the text. Empty when the
    // folder does not resolve.
    std::string ResolvePath(const std::string& text) const;
    // True for "TRUE" and for the name of an option whose value is "TRUE".
    bool OptionEnabled(const std::string& condition) const;
    bool IsSourceEntry(const std::string& name) const;

    std::string appName;
    int diskNumber = 0;
    TStringList varDirs, fixDirs, options, process;
    std::vector<Disk> disks;
    int totalFiles = 0;

private:
    void LoadDisks(const TIniFile& ini);
    std::set<std::string> sourceNames_;  // upper-cased
};

}  // namespace setup
