#include "setup/program_groups.h"

#include <cstdlib>
#include <fstream>

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

bool WriteEntry(const std::string& path, const std::string& text) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0 || (std::remove(tmp.c_str()), false);
}

}  // namespace

std::string XdgDataHome() {
    const char* x = std::getenv("XDG_DATA_HOME");
    if (x && *x == '/') return x;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share";
}

ProgramManager::ProgramManager() : root_(XdgDataHome() + "/applications") {}

void ProgramManager::Execute(const std::string& macro) {
    macros_.push_back(macro);
    std::string m = BezVnejsichMezer(macro);
    if (m.size() < 4 || m.front() != '[' || m.back() != ']') return;
    m = m.substr(1, m.size() - 2);
    size_t open = m.find('(');
    if (open == std::string::npos || m.back() != ')') return;
    std::string command = BezVnejsichMezer(m.substr(0, open));
    std::string args = m.substr(open + 1, m.size() - open - 2);
    if (AnsiSameText(command, "CreateGroup")) {
        std::string name = BezVnejsichMezer(args);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
        CreateGroup(name);
    } else if (AnsiSameText(command, "AddItem")) {
        std::vector<std::string> f = SplitFields(args);
        if (f.size() >= 7) AddItem(f[0], f[1], f[2], f.back());
    }
}

void ProgramManager::CreateGroup(const std::string& name) {
    if (!IsPlainName(name)) return;
    std::string folder = root_ + "/" + ToUtf8(name);
    if (!ForceDirectories(FromOsName(folder))) return;
    group_ = folder;
    WriteEntry(folder + "/.directory",
               "[Desktop Entry]\nType=Directory\nName=" + EntryValue(name) + "\n");
}

void ProgramManager::AddItem(const std::string& command, const std::string& title, const std::string& icon,
                             const std::string& work) {
    if (!IsPlainName(title)) return;
    std::string folder = group_.empty() ? root_ : group_;
    if (!ForceDirectories(FromOsName(folder))) return;
    std::string text = "[Desktop Entry]\nType=Application\nName=" + EntryValue(title) +
                       "\nExec=" + ExecArgument(MapPath(command)) +
                       "\nIcon=" + EntryValue(FromOsName(MapPath(icon))) +
                       "\nPath=" + EntryValue(FromOsName(MapPath(RemoveBackSlash(work)))) + "\n";
    WriteEntry(folder + "/" + ToUtf8(title) + ".desktop", text);
}

}  // namespace setup

