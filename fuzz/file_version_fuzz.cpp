// Feeds arbitrary bytes as a program file to the version reader: the error is always one
// of its texts, values are read only while there is none, and no value is longer than the
// file it came from.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "workbench/file_version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    static const std::string path = fuzz::ScratchPath("version.bin");
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(bytes.substr(0, 256)));
    fuzz::WriteBytes(path, bytes);
    TFileVersion v;
    v.SetFileName(path);
    const std::string& e = v.GetError();
    FUZZ_CHECK(e.empty() || e == "InfoSize=0" || e == "No FileVersionInfo" || e == "No FixedInfo" ||
               e == "Bad size of FixedInfo" || e == "No Language Info");
    for (const char* key : {"ProductName", "FileVersion", "FileDescription", "Comments"}) {
        std::string value = v.InfoString(key);
        FUZZ_CHECK(e.empty() || value.empty());
        FUZZ_CHECK(value.size() <= size || value == std::string("No ") + key);
    }
    FUZZ_CHECK(e.empty() || (v.GetMajorVersion() == 0 && v.GetFileFlags() == 0 && v.GetLanguage().empty()));
    return 0;
}
