// Ini files: on any file, a written value reads back as written (trimmed, one line, one
// pair of outer quotes removed) and every other key keeps its value; no key appears
// that was not written. A write the file refuses (EIniFileException) leaves the file as
// it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "ini_check.h"
#include "platform/inifiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath("ini.ini");
    FuzzedDataProvider in(data, size);
    fuzz::WriteBytes(path, in.ConsumeRandomLengthString(2048));
    TIniFile ini(path);
    for (int op = 0; op < 4 && in.remaining_bytes() > 0; ++op) {
        const fuzz::IniKeys before = fuzz::ReadAllKeys(ini);
        std::string section = fuzz::PickName(in, before, true);
        std::string key = fuzz::PickName(in, before, false);
        const std::string value = in.ConsumeRandomLengthString(64);
        const std::string bytes = fuzz::ReadBytes(path);
        fuzz::Context() = "file " + fuzz::Escaped(bytes) + "\nsection " + fuzz::Escaped(section) +
                          " key " + fuzz::Escaped(key) + " value " + fuzz::Escaped(value);
        try {
            switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                ini.WriteString(section, key, value);
                fuzz::CheckWritten(ini, before, section, key, fuzz::ExpectedValue(value));
                break;
            case 1: {
                const int32_t n = in.ConsumeIntegral<int32_t>();
                ini.WriteInteger(section, key, n);
                FUZZ_CHECK(ini.ReadInteger(section, key, n ^ 1) == n);
                fuzz::CheckWritten(ini, before, section, key, std::to_string(n));
                break;
            }
            case 2:
                ini.DeleteKey(section, key);
                FUZZ_CHECK(!ini.ValueExists(section, key));
                fuzz::CheckOthers(ini, before, section, key, false);
                break;
            default:
                ini.EraseSection(section);
                FUZZ_CHECK(!ini.SectionExists(section));
                fuzz::CheckOthers(ini, before, section, "", true);
                break;
            }
        } catch (const EIniFileException&) {
            FUZZ_CHECK(fuzz::ReadBytes(path) == bytes);
        }
    }
    return 0;
}
