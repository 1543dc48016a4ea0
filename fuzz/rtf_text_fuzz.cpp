// The text window's RTF: any file reads as lines without harm, and lines written as RTF
// read back as the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "composition/text_devices.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    fuzz::Note(input);
    std::vector<std::string> lines = RtfToLines(input);
    FUZZ_CHECK(!lines.empty());
    FUZZ_CHECK(RtfToLines(LinesToRtf(lines)) == lines);
    // The input's bytes as lines of their own.
    std::vector<std::string> raw;
    std::string line;
    for (char c : input) {
        if (c == '\n') {
            raw.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    raw.push_back(line);
    FUZZ_CHECK(RtfToLines(LinesToRtf(raw)) == raw);
    return 0;
}
