#include "setup/string_routines.h"

#include "platform/files.h"
#include "platform/windows.h"

namespace setup {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\0'; }
}  // namespace

std::string BezVnejsichMezer(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

bool StringAsParameter(std::string_view text, std::string& name, std::string& value) {
    size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq >= 255) {
        name = BezVnejsichMezer(text);
        value.clear();
        return false;
    }
    name = BezVnejsichMezer(text.substr(0, eq));
    value = BezVnejsichMezer(text.substr(eq + 1));
    return true;
}

std::string AddBackSlash(std::string path) {
    if (path.empty()) return "/";
    if (!IsPathDelimiter(path.back())) path += '/';
    return path;
}

std::string RemoveBackSlash(std::string path) {
    if (!path.empty() && IsPathDelimiter(path.back())) path.pop_back();
    return path;
}

std::string WinDirStr() { return GetWindowsDirectory(); }

std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        fields.push_back(BezVnejsichMezer(text.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

bool IsSafeRelativeName(std::string_view name) {
    if (name.empty() || IsPathDelimiter(name[0])) return false;
    if (name.find(':') != std::string_view::npos) return false;
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < name.size() && !IsPathDelimiter(name[end])) ++end;
        if (BezVnejsichMezer(name.substr(start, end - start)) == "..") return false;
        if (end >= name.size()) return true;
        start = end + 1;
    }
}

}  // namespace setup
