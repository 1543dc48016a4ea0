#include "platform/windows.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/sysutils.h"

int32_t RandSeed = 0;

namespace {

struct WinState {
    std::string windowsDir;
    bool windowsDirSet = false;
};

WinState& State() {
    static WinState* s = new WinState;
    return *s;
}

uint32_t Saturate(uint64_t v) { return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

// Values in kB of the named lines of a /proc file; missing lines stay 0.
void ReadKb(const char* file, std::initializer_list<std::pair<const char*, uint64_t*>> keys) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        for (auto& [key, out] : keys) {
            size_t n = std::char_traits<char>::length(key);
            if (line.compare(0, n, key) == 0 && line.size() > n && line[n] == ':') {
                std::istringstream v(line.substr(n + 1));
                uint64_t kb = 0;
                if (v >> kb) *out = kb * 1024;
            }
        }
    }
}

bool Executable(const std::string& os) {
    struct stat st;
    return stat(os.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(os.c_str(), X_OK) == 0;
}

void CloseInheritedFiles(int keep) {
    if (keep > 3) close_range(3, static_cast<unsigned>(keep - 1), 0);
    close_range(static_cast<unsigned>(keep + 1), ~0u, 0);
}

// Runs the operating-system path os. Without wait the program is handed to a short-lived
// intermediate process so that it leaves no zombie behind.
bool Spawn(const std::string& os, const std::vector<std::string>& args, bool wait, bool* ranOk) {
    std::vector<std::string> strings;
    strings.push_back(os);
    for (const std::string& a : args) strings.push_back(ToUtf8(a));
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        if (!wait) {
            pid_t inner = fork();
            if (inner < 0) {
                int e = errno;
                (void)!write(fds[1], &e, sizeof e);
                _exit(127);
            }
            if (inner > 0) _exit(0);
        }
        CloseInheritedFiles(fds[1]);
        execv(argv[0], argv.data());
        int e = errno;
        (void)!write(fds[1], &e, sizeof e);
        _exit(127);
    }
    close(fds[1]);
    int status = 0;
    if (!wait)
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    int err = 0;
    ssize_t n;
    while ((n = read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    close(fds[0]);
    bool started = n == 0;
    if (wait) {
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (ranOk) *ranOk = started && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return started;
}

std::vector<std::string> SplitCommandLine(const std::string& cmd) {
    std::vector<std::string> words;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : cmd) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) words.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) words.push_back(cur);
    return words;
}

}  // namespace

uint32_t GetTickCount() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void GlobalMemoryStatus(TMemoryStatus& status) {
    uint64_t total = 0, avail = 0, swapTotal = 0, swapFree = 0, rss = 0;
    ReadKb("/proc/meminfo", {{"MemTotal", &total}, {"MemAvailable", &avail}, {"SwapTotal", &swapTotal}, {"SwapFree", &swapFree}});
    if (total == 0) {
        struct sysinfo si;
        if (sysinfo(&si) == 0) {
            total = static_cast<uint64_t>(si.totalram) * si.mem_unit;
            avail = (static_cast<uint64_t>(si.freeram) + si.bufferram) * si.mem_unit;
            swapTotal = static_cast<uint64_t>(si.totalswap) * si.mem_unit;
            swapFree = static_cast<uint64_t>(si.freeswap) * si.mem_unit;
        }
    }
    avail = std::min(avail, total);
    swapFree = std::min(swapFree, swapTotal);
    ReadKb("/proc/self/status", {{"VmRSS", &rss}});
    const uint64_t userSpace = 0x7FFE0000;  // 2 GiB less 128 KiB
    status.dwMemoryLoad = total ? static_cast<uint32_t>((total - avail) * 100 / total) : 0;
    status.dwTotalPhys = Saturate(total);
    status.dwAvailPhys = Saturate(avail);
    status.dwTotalPageFile = Saturate(total + swapTotal);
    status.dwAvailPageFile = Saturate(avail + swapFree);
    status.dwTotalVirtual = Saturate(userSpace);
    status.dwAvailVirtual = Saturate(userSpace - std::min(rss, userSpace));
}

uint32_t GetLogicalDrives() { return DriveMask(); }

int GetDriveType(const std::string& root) {
    bool form = root.size() >= 2 && root.size() <= 3 && std::isalpha(static_cast<unsigned char>(root[0])) &&
                root[1] == ':' && (root.size() == 2 || IsPathDelimiter(root[2]));
    if (!form) return DRIVE_NO_ROOT_DIR;
    std::string path;
    int type;
    if (!GetDriveRoot(root[0], path, type)) return DRIVE_NO_ROOT_DIR;
    return type;
}

std::string GetWindowsDirectory() {
    auto& s = State();
    if (s.windowsDirSet) return s.windowsDir;
    const char* home = std::getenv("HOME");
    return home && *home ? FromOsName(home) : std::string("/");
}

void SetWindowsDirectory(const std::string& path) {
    State().windowsDir = path;
    State().windowsDirSet = true;
}

bool StartProgram(const std::string& path, const std::vector<std::string>& args, bool wait) {
    if (path.empty()) return false;
    std::string os = MapPath(path);
    if (os.find('/') == std::string::npos) os = "./" + os;  // never a search of PATH
    bool ranOk = false;
    bool started = Spawn(os, args, wait, &ranOk);
    return wait ? ranOk : started;
}

uint32_t WinExec(const std::string& cmdLine, int /*show*/) {
    std::vector<std::string> words = SplitCommandLine(cmdLine);
    if (words.empty()) return ERROR_FILE_NOT_FOUND;
    std::string program = words[0];
    words.erase(words.begin());
    std::string found;
    bool hasFolder = std::any_of(program.begin(), program.end(), IsPathDelimiter) ||
                     (program.size() >= 2 && program[1] == ':');
    if (hasFolder) {
        std::string os = MapPath(program);
        if (Executable(os)) found = os;
    } else {
        std::vector<std::string> candidates{MapPath(ExtractFilePath(ExecutablePath()) + program), MapPath(program)};
        std::string lower = AnsiLowerCase(program);
        if (const char* pathEnv = std::getenv("PATH")) {
            std::string dirs = pathEnv;
            size_t start = 0;
            while (start <= dirs.size()) {
                size_t end = dirs.find(':', start);
                if (end == std::string::npos) end = dirs.size();
                std::string dir = dirs.substr(start, end - start);
                if (!dir.empty()) {
                    candidates.push_back(dir + "/" + ToUtf8(program));
                    candidates.push_back(dir + "/" + ToUtf8(lower));
                }
                start = end + 1;
            }
        }
        for (std::string& c : candidates) {
            if (c.find('/') == std::string::npos) c = "./" + c;
            if (Executable(c)) {
                found = c;
                break;
            }
        }
    }
    if (found.empty()) return ERROR_FILE_NOT_FOUND;
    return Spawn(found, words, false, nullptr) ? 33 : 11;
}

void Randomize() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    RandSeed = static_cast<int32_t>(static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000));
}

int32_t Random(int32_t n) {
    RandSeed = static_cast<int32_t>(static_cast<uint32_t>(RandSeed) * 134775813u + 1u);
    if (n <= 0) return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(static_cast<uint32_t>(RandSeed)) * static_cast<uint32_t>(n)) >> 32);
}
