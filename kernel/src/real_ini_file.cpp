#include "kernel/real_ini_file.h"

#include "kernel/string_routines.h"
#include "platform/files.h"
#include "platform/sysutils.h"

#include <utility>
#include <vector>

std::string GetModulIniFile() {
    const std::string exe = ExecutablePath();
    return ExtractFilePath(exe) + ChangeFileExt(ExtractFileName(exe), ".INI");
}

double TRealIniFile::ReadDouble(std::string_view section, std::string_view ident,
                                double def) const {
    std::string s = ReadString(section, ident, "");
    if (s.empty()) return def;
    double v;
    if (TextToFloatC(s, v)) return v;
    size_t comma = s.find(',');
    if (comma == std::string::npos) return def;
    s[comma] = '.';
    return TextToFloatC(s, v) ? v : def;
}

void TRealIniFile::WriteDouble(std::string_view section, std::string_view ident, double x) {
    WriteString(section, ident, FloatToStr(x));
}

void TRealIniFile::WriteSection(std::string_view section, const TStringList& list) {
    if (!IniSectionReadsBack(section)) throw EIniFileException("Unable to write to " + FileName());
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < list.Count(); ++i) {
        std::string name, value;
        StringAsParameter(list[i], name, value);
        if (name.empty()) continue;  // a key needs a name
        // A name that would not read back is refused before anything is erased.
        if (!IniKeyReadsBack(name)) throw EIniFileException("Unable to write to " + FileName());
        keys.emplace_back(std::move(name), std::move(value));
    }
    BeginUpdate();
    EraseSection(section);
    for (const auto& [name, value] : keys) WriteString(section, name, value);
    UpdateFile();
}
