// TCtiDefInfa against the rules of definition files: lines end at CR or CR LF, a lone LF
// is skipped; DejRadek returns each line once, the last one flagged, a "[" line as a key
// (its first word upper-cased) and any other line trimmed and cut to 255 characters; a
// line read from any position set is the line the bytes hold from there, and beyond the
// end an empty one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "kernel/parameter_files.h"
#include "kernel/string_routines.h"
#include "platform/classes.h"
#include "platform/sysutils.h"

namespace {

// The line from position p and the position after it.
std::string LineAt(const std::string& bytes, int64_t& p) {
    std::string line;
    while (p >= 0 && p < static_cast<int64_t>(bytes.size())) {
        const char c = bytes[static_cast<size_t>(p++)];
        if (c == '\r') {
            if (p < static_cast<int64_t>(bytes.size()) && bytes[static_cast<size_t>(p)] == '\n') ++p;
            break;
        }
        if (c != '\n') line += c;
    }
    return line;
}

void CheckLine(const std::string& raw, bool isKey, const std::string& text, const std::string& key) {
    const std::string line = BezVnejsichMezer(raw);
    if (line.empty() || line[0] == ';') {
        FUZZ_CHECK(!isKey && text.empty() && key.empty());
    } else if (line[0] == '[') {
        FUZZ_CHECK(isKey && text == BezVnejsichMezer(text) && line.find(text) != std::string::npos);
        size_t i = line.find_first_not_of(' ', 1);
        if (i == std::string::npos) i = line.size();
        const size_t k = line.find_first_of(" ]", i);
        FUZZ_CHECK(key == AnsiUpperCase(line.substr(i, k == std::string::npos ? k : k - i)));
    } else {
        FUZZ_CHECK(!isKey && key.empty() && text == BezVnejsichMezer(line.substr(0, 255)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath("definitions.def");
    FuzzedDataProvider in(data, size);
    const int64_t jump = in.ConsumeIntegral<int64_t>();
    const int64_t near = in.ConsumeIntegralInRange<int64_t>(0, 300);
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    const int64_t length = static_cast<int64_t>(bytes.size());
    fuzz::WriteBytes(path, bytes);
    fuzz::Context() = "file " + fuzz::Escaped(bytes);

    bool ok = false;
    TCtiDefInfa reader(path, ok);
    FUZZ_CHECK(ok == !bytes.empty());
    int64_t p = 0;
    std::string current = LineAt(bytes, p);
    FUZZ_CHECK(!ok || reader.Radek() == current);
    for (int64_t i = 0; i <= length + 1; ++i) {
        bool isKey, isLast;
        std::string text;
        const bool atEnd = p >= length;
        reader.DejRadek(isKey, isLast, text);
        FUZZ_CHECK(isLast == atEnd || !ok);
        if (ok) CheckLine(current, isKey, text, reader.Klic());
        if (atEnd) break;
        current = LineAt(bytes, p);
        FUZZ_CHECK(reader.Radek() == current && reader.Pozice() == p);
    }
    if (!ok) return 0;
    for (int64_t to : {near, jump}) {
        int64_t q = to < 0 ? 0 : to;
        const std::string want = LineAt(bytes, q);
        reader.NastavPozici(to);
        reader.NactiRadek();
        FUZZ_CHECK(reader.Radek() == want);
    }
    return 0;
}
