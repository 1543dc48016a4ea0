// Shared by the ini fuzz targets: every key an ini file answers, and the checks that a
// change touched only what it names.
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"

namespace fuzz {

// (section, key) in the ini file's own matching form -> value; names as first spelt.
struct IniKeys {
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> sections, keys;
};

inline std::string Fold(const std::string& name) { return AnsiUpperCase(Trim(name)); }

inline IniKeys ReadAllKeys(const TIniFile& ini) {
    IniKeys all;
    TStringList sections, keys;
    ini.ReadSections(sections);
    for (int s = 0; s < sections.Count(); ++s) {
        all.sections.push_back(sections[s]);
        ini.ReadSection(sections[s], keys);
        for (int k = 0; k < keys.Count(); ++k) {
            all.keys.push_back(keys[k]);
            auto id = std::make_pair(Fold(sections[s]), Fold(keys[k]));
            if (!all.values.count(id)) all.values[id] = ini.ReadString(sections[s], keys[k], "");
        }
    }
    return all;
}

// A name of the file (perhaps with other blanks or letter case) or a new one.
inline std::string PickName(FuzzedDataProvider& in, const IniKeys& all, bool section) {
    const std::vector<std::string>& names = section ? all.sections : all.keys;
    if (!names.empty() && in.ConsumeBool()) {
        std::string n = names[in.ConsumeIntegralInRange<size_t>(0, names.size() - 1)];
        if (in.ConsumeBool()) n = " " + AnsiLowerCase(n) + "\t";
        return n;
    }
    return in.ConsumeRandomLengthString(24);
}

// What a value reads back as.
inline std::string ExpectedValue(const std::string& written) {
    std::string v = Trim(written.substr(0, written.find_first_of("\r\n")));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    return v;
}

// Names that a written line gives back; a write naming others must be refused.
inline bool WritableNames(const std::string& section, const std::string& key) {
    (void)section;
    const std::string k = Trim(key);
    return !k.empty() && k[0] != '[' && k[0] != ';' && k.find('=') == std::string::npos &&
           key.find_first_of("\r\n") == std::string::npos;
}

// Every key but the one named (or, for a whole section, those of the section) as before,
// and no key that was not there before.
inline void CheckOthers(const TIniFile& ini, const IniKeys& before, const std::string& section,
                        const std::string& key, bool wholeSection) {
    const std::string s = Fold(section), k = Fold(key);
    auto named = [&](const std::pair<std::string, std::string>& id) {
        return id.first == s && (wholeSection || id.second == k);
    };
    const IniKeys after = ReadAllKeys(ini);
    for (const auto& [id, value] : before.values) {
        if (named(id)) continue;
        auto it = after.values.find(id);
        FUZZ_CHECK(it != after.values.end() && it->second == value);
    }
    for (const auto& [id, value] : after.values)
        FUZZ_CHECK(named(id) || before.values.count(id));
}

inline void CheckWritten(const TIniFile& ini, const IniKeys& before, const std::string& section,
                         const std::string& key, const std::string& expected) {
    FUZZ_CHECK(WritableNames(section, key));
    FUZZ_CHECK(ini.ReadString(section, key, "\x01 missing") == expected);
    FUZZ_CHECK(ini.ValueExists(section, key));
    CheckOthers(ini, before, section, key, false);
}

}  // namespace fuzz
