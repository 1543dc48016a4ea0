// TRealIniFile: a real number written reads back within the precision of its text in
// either decimal separator; a value that is a number in C form reads as that number;
// a section written from a list holds the list's keys (the last value of a name) and
// nothing else, and every other section is untouched.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "fuzz_support.h"
#include "ini_check.h"
#include "kernel/real_ini_file.h"
#include "kernel/string_routines.h"
#include "platform/sysutils.h"

namespace {

void CheckDouble(TRealIniFile& ini, const fuzz::IniKeys& before, const std::string& section,
                 const std::string& key, double x) {
    ini.WriteDouble(section, key, x);
    FUZZ_CHECK(fuzz::WritableNames(section, key));
    const double def = 12345.678;
    const double r = ini.ReadDouble(section, key, def);
    fuzz::CheckOthers(ini, before, section, key, false);
    FUZZ_CHECK(std::fabs(r - x) <= 1e-14 * std::fabs(x) || std::fabs(r - x) <= 5e-324);
}

// A value that reads as a C-form number whole reads as that number.
void CheckValue(const TRealIniFile& ini, const std::string& section, const std::string& key) {
    const std::string text = ini.ReadString(section, key, "");
    double exact = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), exact);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(exact)) return;
    const double r = ini.ReadDouble(section, key, exact + 1);
    FUZZ_CHECK(r == exact);
}

void CheckSection(TRealIniFile& ini, const fuzz::IniKeys& before, const std::string& section,
                  const TStringList& list) {
    ini.WriteSection(section, list);
    std::map<std::string, std::string> expected;  // folded name -> value
    for (int i = 0; i < list.Count(); ++i) {
        std::string name, value;
        StringAsParameter(list[i], name, value);
        if (name.empty()) continue;
        FUZZ_CHECK(fuzz::WritableNames(section, name));
        expected[fuzz::Fold(name)] = fuzz::ExpectedValue(value);
    }
    const fuzz::IniKeys after = fuzz::ReadAllKeys(ini);
    const std::string s = fuzz::Fold(section);
    size_t inSection = 0;
    for (const auto& [id, value] : after.values) {
        if (id.first != s) continue;
        ++inSection;
        auto it = expected.find(id.second);
        FUZZ_CHECK(it != expected.end() && it->second == value);
    }
    FUZZ_CHECK(inSection == expected.size());
    for (const auto& [id, value] : before.values) {
        if (id.first == s) continue;
        auto it = after.values.find(id);
        FUZZ_CHECK(it != after.values.end() && it->second == value);
    }
    for (const auto& [id, value] : after.values) FUZZ_CHECK(id.first == s || before.values.count(id));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath("real-ini.ini");
    FuzzedDataProvider in(data, size);
    SetDecimalSeparator(in.ConsumeBool() ? ',' : '.');
    fuzz::WriteBytes(path, in.ConsumeRandomLengthString(1024));
    TRealIniFile ini(path);
    for (int op = 0; op < 2 && in.remaining_bytes() > 0; ++op) {
        const fuzz::IniKeys before = fuzz::ReadAllKeys(ini);
        const std::string section = fuzz::PickName(in, before, true);
        const std::string key = fuzz::PickName(in, before, false);
        const std::string bytes = fuzz::ReadBytes(path);
        fuzz::Context() = "file " + fuzz::Escaped(bytes) + "\nsection " + fuzz::Escaped(section) +
                          " key " + fuzz::Escaped(key);
        try {
            switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0:
                CheckDouble(ini, before, section, key, in.ConsumeFloatingPoint<double>());
                break;
            case 1:
                CheckValue(ini, section, key);
                break;
            default: {
                TStringList list;
                for (int i = in.ConsumeIntegralInRange<int>(0, 6); i > 0; --i)
                    list.Add(in.ConsumeRandomLengthString(32));
                fuzz::Context() += "\nlist " + fuzz::Escaped(list.Text());
                CheckSection(ini, before, section, list);
                break;
            }
            }
        } catch (const EIniFileException&) {
            FUZZ_CHECK(fuzz::ReadBytes(path) == bytes);
        }
    }
    return 0;
}
