#include "kernel/real_ini_file.h"

#include "kernel/string_routines.h"
#include "platform/files.h"
#include "platform/sysutils.h"

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
    EraseSection(section);
    for (int i = 0; i < list.Count(); ++i) {
        std::string name, value;
        StringAsParameter(list[i], name, value);
        if (!name.empty()) WriteString(section, name, value);  // a key needs a name
    }
}
