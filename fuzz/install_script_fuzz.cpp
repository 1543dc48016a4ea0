// Runs a whole installation of any script from a medium in a sandbox folder. The folder
// values of "VarDirs" and "FixDirs" are moved into the sandbox and program starts are left
// out; file names stay as they come, and nothing may appear in the sandbox outside the
// folders the installation writes.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/windows.h"
#include "setup/installer.h"

namespace fs = std::filesystem;

namespace {

// Confirms dialogs, ends at every prompt, answers Yes to questions.
class FuzzHost : public UserHost {
public:
    int MessageBox(const std::string&, const std::string&, TMsgDlgType, TMsgDlgButtons) override { return mrCancel; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool SelectFile(const std::string&, const std::string&, std::string&) override { return false; }
    bool SelectDirectory(const std::string&, std::string&) override { return false; }
    int ShowModal(const std::string& name) override { return name == "TAnoNeDialog" ? mrYes : mrOk; }
};

std::string g_root;

void MakeSandbox() {
    char tmpl[] = "/tmp/setup-fuzz-XXXXXX";
    if (!mkdtemp(tmpl)) abort();
    g_root = tmpl;
    atexit([] {
        std::error_code ec;
        fs::remove_all(g_root, ec);
    });
    fs::create_directories(g_root + "/medium/DISK1");
    fs::create_directories(g_root + "/medium/DISK2");
    std::ofstream(g_root + "/medium/DISK1/a.txt") << "a";
    std::ofstream(g_root + "/medium/DISK1/b.txt", std::ios::binary)
        << std::string("SZDD\x88\xF0\x27\x33" "A\0\x03\0\0\0\x07xyz", 18);
    std::ofstream(g_root + "/medium/DISK2/c.txt") << "c";
    static FuzzHost host;
    SetUserHost(&host);
    SetWindowsDirectory(g_root + "/win");
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// A folder value inside the sandbox: delimiters, drives and ".." lose their meaning.
std::string Confine(const std::string& value) {
    std::string v = Trimmed(value);
    if (Lower(v) == "source" || Lower(v) == "win") return v;
    size_t plus = v.find('+');
    std::string head = plus == std::string::npos ? "" : v.substr(0, plus + 1);
    std::string rest = plus == std::string::npos ? v : v.substr(plus + 1);
    for (char& c : rest)
        if (c == '/' || c == '\\' || c == ':' || c == '.' || c == '"' || c == '\'') c = '_';
    return head.empty() ? g_root + "/dirs/" + rest : head + rest;
}

std::string Sandboxed(const std::string& script) {
    std::string out, section;
    size_t start = 0;
    while (start < script.size()) {
        size_t end = script.find_first_of("\r\n", start);
        if (end == std::string::npos) end = script.size();
        std::string line = script.substr(start, end - start);
        start = end + 1;
        std::string t = Trimmed(line);
        if (!t.empty() && t[0] == '[') {
            size_t close = t.find(']');
            section = Lower(Trimmed(t.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            if (section == "vardirs" || section == "fixdirs") line = line.substr(0, eq + 1) + Confine(line.substr(eq + 1));
            if (section == "process" && Lower(Trimmed(line.substr(0, eq))).rfind("exe", 0) == 0) line = "NO" + line;
        }
        out += line + "\r\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (g_root.empty()) MakeSandbox();
    if (size > 4096) return 0;
    std::ofstream(g_root + "/medium/Setup.INI", std::ios::binary | std::ios::trunc)
        << Sandboxed(std::string(reinterpret_cast<const char*>(data), size));
    {
        setup::TDesktop desktop(g_root + "/medium/Setup");
        desktop.Groups().SetRoot(g_root + "/menu");
        desktop.Show();
        desktop.Run();
    }
    std::set<std::string> allowed{"medium", "dirs", "win", "menu"};
    for (const auto& e : fs::directory_iterator(g_root))
        if (!allowed.count(e.path().filename().string())) abort();
    for (const char* d : {"/dirs", "/win", "/menu"}) fs::remove_all(g_root + d);
    ClearHostLog();
    return 0;
}
