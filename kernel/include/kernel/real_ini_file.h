// The program's own ini file and ini files with real numbers and whole sections.
#pragma once
#include <string>
#include <string_view>

#include "platform/classes.h"
#include "platform/inifiles.h"

// The running program's folder followed by its file name with the extension ".INI".
std::string GetModulIniFile();

class TRealIniFile : public TIniFile {
public:
    using TIniFile::TIniFile;

    // The value read with "." as decimal point, else once more with its "," taken as
    // the point; def for an empty or missing value or any other text.
    double ReadDouble(std::string_view section, std::string_view ident, double def) const;
    // The value in the locale's form (FloatToStr).
    void WriteDouble(std::string_view section, std::string_view ident, double x);
    // Replaces the section by one key per line of list: "name = value" gives the trimmed
    // name and value, a line without "=" its trimmed text with an empty value.
    void WriteSection(std::string_view section, const TStringList& list);
};
