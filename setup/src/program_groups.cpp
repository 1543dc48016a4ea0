#include "setup/program_groups.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/classes.h"
#include "platform/files.h"
#include "platform/sysutils.h"
#include "setup/string_routines.h"

namespace setup {

namespace {

// A group or entry name usable as one file name.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

// A desktop-entry string value: UTF-8, with the escapes desktop entries define.
std::string EntryValue(const std::string& text1250) {
    std::string out;
    for (char c : ToUtf8(text1250)) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out;
}

// An Exec argument: quoted when it holds reserved characters, '%' doubled.
std::string ExecArgument(const std::string& utf8) {
    std::string quoted, plain;
    bool needQuotes = utf8.empty();
    for (char c : utf8) {
        if (c == '%') { plain += "%%"; quoted += "%%"; continue; }
        if (std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos) needQuotes = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
        plain += c;
    }
    return needQuotes ? "\"" + quoted + "\"" : plain;
}

// Through a temporary file of its own beside the entry (never a name planted there).
bool WriteEntry(const std::string& path, const std::string& text) {
    try {
        TReplacingFileStream out(FromOsName(path));
        out.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        out.Commit();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// The user's home folder from the password database; empty without an entry.
std::string HomeOfUser() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}

}  // namespace

std::string XdgDataHome() {
    const char* x = std::getenv("XDG_DATA_HOME");
    if (x && *x == '/') return x;
    const char* env = std::getenv("HOME");
    std::string home = env && *env == '/' ? env : HomeOfUser();
    if (home.empty() || home.front() != '/') return {};
    return home + "/.local/share";
}

ProgramManager::ProgramManager() {
    std::string data = XdgDataHome();
    if (!data.empty()) root_ = data + "/applications";
}

bool ProgramManager::CreateGroup(const std::string& name) {
    macros_.push_back("[CreateGroup(\"" + name + "\")]");
    return MakeGroup(name);
}

bool ProgramManager::AddItem(const std::string& command, const std::string& title, const std::string& icon,
                             const std::string& work) {
    macros_.push_back("[AddItem(" + command + ", " + title + ", " + icon + ",0,0,0," + work + ")]");
    return MakeItem(command, title, icon, work);
}

bool ProgramManager::Execute(const std::string& macro) {
    macros_.push_back(macro);
    std::string m = BezVnejsichMezer(macro);
    if (m.size() < 4 || m.front() != '[' || m.back() != ']') return true;
    m = m.substr(1, m.size() - 2);
    size_t open = m.find('(');
    if (open == std::string::npos || m.back() != ')') return true;
    std::string command = BezVnejsichMezer(m.substr(0, open));
    std::string args = m.substr(open + 1, m.size() - open - 2);
    if (AnsiSameText(command, "CreateGroup")) {
        std::string name = BezVnejsichMezer(args);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
        return MakeGroup(name);
    }
    if (AnsiSameText(command, "AddItem")) {
        std::vector<std::string> f = SplitFields(args);
        return f.size() >= 7 && MakeItem(f[0], f[1], f[2], f.back());
    }
    return true;
}

bool ProgramManager::MakeGroup(const std::string& name) {
    if (!IsPlainName(name) || root_.empty()) return false;
    std::string folder = root_ + "/" + ToUtf8(name);
    if (!ForceDirectories(FromOsName(folder))) return false;
    group_ = folder;
    return WriteEntry(folder + "/.directory",
                      "[Desktop Entry]\nType=Directory\nName=" + EntryValue(name) + "\n");
}

bool ProgramManager::MakeItem(const std::string& command, const std::string& title, const std::string& icon,
                              const std::string& work) {
    if (!IsPlainName(title) || root_.empty()) return false;
    std::string folder = group_.empty() ? root_ : group_;
    if (!ForceDirectories(FromOsName(folder))) return false;
    std::string text = "[Desktop Entry]\nType=Application\nName=" + EntryValue(title) +
                       "\nExec=" + ExecArgument(MapPath(command)) +
                       "\nIcon=" + EntryValue(FromOsName(MapPath(icon))) +
                       "\nPath=" + EntryValue(FromOsName(MapPath(RemoveBackSlash(work)))) + "\n";
    return WriteEntry(folder + "/" + ToUtf8(title) + ".desktop", text);
}

}  // namespace setup

