#include "kernel/file_routines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/windows.h"

namespace {

bool IsSymbolicLink(const std::string& path) {
    struct stat st;
    return lstat(MapPath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

// Words separated by blanks or tabs.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string cur;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!cur.empty()) words.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(cur);
    return words;
}

// The operating-system path of a program: as given when it names a folder, else the first
// executable of that name on PATH; empty when there is none.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* pathEnv = std::getenv("PATH");
    std::string dirs = pathEnv ? pathEnv : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

}  // namespace

std::string ExecPath() { return ExtractFilePath(ExecutablePath()); }

// ---- TDirSurfer --------------------------------------------------------------------------

void TDirSurfer::Create(const std::string& folder, uint16_t attributes, const std::string& mask) {
    FList.Clear();
    FAttributes = attributes;
    FMask = mask;
    Walk(ExpandFileName(folder));
}

bool TDirSurfer::OKFilter(const std::string&) { return true; }

void TDirSurfer::AddToList(const std::string& path) {
    if (OKFilter(path)) FList.Add(path);
}

void TDirSurfer::Walk(const std::string& folder) {
    std::string dir = IncludeTrailingPathDelimiter(folder);
    TStringList found;
    TSearchRec rec;
    for (int rc = FindFirst(dir + FMask, FAttributes, rec); rc == 0; rc = FindNext(rec)) {
        if (IsDotEntry(rec.Name)) continue;
        if ((rec.Attr & FAttributes) == 0 && rec.Attr != 0) continue;
        std::string path = dir + rec.Name;
        if (OKFilter(path)) found.Add(path);
    }
    FindClose(rec);
    found.Sort();
    for (int i = 0; i < found.Count(); ++i) FList.Add(found[i]);

    for (int rc = FindFirst(dir + "*.*", faDirectory, rec); rc == 0; rc = FindNext(rec)) {
        if (IsDotEntry(rec.Name) || !(rec.Attr & faDirectory)) continue;
        std::string sub = dir + rec.Name;
        if (!IsSymbolicLink(sub)) Walk(sub);
    }
    FindClose(rec);
}

std::unique_ptr<TStringList> GetFilesInSubDirs(const std::string& folder, const std::string& mask,
                                               uint16_t attributes) {
    TDirSurfer surfer;
    surfer.Create(folder, attributes, mask);
    if (surfer.List().Count() == 0) return nullptr;
    auto list = std::make_unique<TStringList>();
    for (int i = 0; i < surfer.List().Count(); ++i) list->Add(surfer.List()[i]);
    return list;
}

std::unique_ptr<TStringList> GetFilesInDir(const std::string& folder, const std::string& mask,
                                           uint16_t attributes) {
    std::unique_ptr<TStringList> list;
    TSearchRec rec;
    for (int rc = FindFirst(folder + mask, attributes, rec); rc == 0; rc = FindNext(rec)) {
        if (IsDotEntry(rec.Name) || (rec.Attr & attributes) == 0) continue;
        if (!list) list = std::make_unique<TStringList>();
        list->Add(folder + rec.Name);
    }
    FindClose(rec);
    return list;
}

// ---- the text editor ---------------------------------------------------------------------

std::string TextEditorCommand() {
    for (const char* var : {"SUITE_EDITOR", "VISUAL", "EDITOR"}) {
        const char* v = std::getenv(var);
        if (v && !Words(v).empty()) return v;
    }
    return "xdg-open";
}

bool UseNotePadFor(const std::string& path) {
    std::vector<std::string> words = Words(TextEditorCommand());
    std::string program = FindProgram(words[0]);
    if (program.empty()) return false;
    // Program and arguments come from the environment (UTF-8); the platform takes suite text.
    std::vector<std::string> args;
    for (size_t i = 1; i < words.size(); ++i) args.push_back(FromOsName(words[i]));
    args.push_back(FromOsName(MapPath(path)));
    return StartProgram(FromOsName(program), args, false);
}

// ---- sizes and deleting ------------------------------------------------------------------

int64_t SizeOfFile(const std::string& path) {
    if (path.empty()) return 0;
    int fd = open(MapPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    int64_t size = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
    close(fd);
    return size;
}

bool DeleteDirectory(const std::string& folder) {
    std::string dir = folder;
    if (!dir.empty() && IsPathDelimiter(dir.back())) dir.pop_back();
    if (!DirectoryExists(dir)) return true;
    TSearchRec rec;
    for (int rc = FindFirst(dir + "/*.*", faAnyFile, rec); rc == 0; rc = FindNext(rec)) {
        if (rec.Attr & faDirectory) continue;
        if (!DeleteFile(dir + "/" + rec.Name)) {
            FindClose(rec);
            ShowErrorMessage(Cz("Při rušení adresáře nelze smazat soubor ") + "\r\n" + dir + "\\" + rec.Name);
            return false;
        }
    }
    FindClose(rec);
    if (!RemoveDir(dir)) {
        ShowErrorMessage(Cz("Adresář ") + dir + Cz("nelze zrušit !"));
        return false;
    }
    return true;
}
