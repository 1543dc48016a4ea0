// TCteniParametru against the rules of parameter files: one DejRadek per line of the
// file (CR LF, LF or CR end a line), the last one flagged, each line classified as a
// comment, a section ("[NAME]" or "[NAME[index]]", upper-cased and trimmed) or a
// parameter (upper-cased trimmed name, value trimmed and cut to 250 characters); past
// the end the last line comes again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "kernel/parameter_files.h"
#include "kernel/string_routines.h"
#include "platform/sysutils.h"

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t start = i;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') ++i;
        lines.push_back(bytes.substr(start, i - start));
        if (i < bytes.size() && bytes[i] == '\r' && ++i < bytes.size() && bytes[i] == '\n') ++i;
        else if (i < bytes.size() && bytes[i] == '\n') ++i;
    }
    return lines;
}

struct Classified {
    bool parameter = false, section = false;
    std::string name, value;
};

std::string UpperTrimmed(const std::string& s) { return BezVnejsichMezer(AnsiUpperCase(s)); }

Classified Classify(const std::string& raw) {
    Classified c;
    const std::string line = BezVnejsichMezer(raw);
    if (line.empty() || line[0] == ';') return c;
    if (line[0] == '[') {
        c.section = true;
        const size_t close = line.find(']', 1);
        const std::string head = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        c.value = UpperTrimmed(head);
        if (head.find('[') != std::string::npos && close != std::string::npos) {
            const size_t next = line.find(']', close + 1);
            c.value += "]" + UpperTrimmed(line.substr(close + 1, next == std::string::npos ? next : next - close - 1));
        }
        c.value = c.value.substr(0, 250);
        return c;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return c;
    c.parameter = true;
    c.name = UpperTrimmed(line.substr(0, eq));
    c.value = BezVnejsichMezer(line.substr(eq + 1, 250));
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath("parameters.msd");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::WriteBytes(path, bytes);
    fuzz::Context() = "file " + fuzz::Escaped(bytes);
    const std::vector<std::string> lines = Lines(bytes);

    bool ok = false;
    TCteniParametru reader(path, ok);
    FUZZ_CHECK(ok == !bytes.empty());
    const size_t calls = lines.size() + 2;
    for (size_t i = 0; i < calls; ++i) {
        bool isParameter, isSection, isLast;
        std::string name, value;
        reader.DejRadek(isParameter, isSection, isLast, name, value);
        if (lines.empty()) {
            FUZZ_CHECK(isLast && !isParameter && !isSection && name.empty() && value.empty());
            continue;
        }
        const size_t at = i < lines.size() ? i : lines.size() - 1;
        const Classified want = Classify(lines[at]);
        FUZZ_CHECK(isLast == (i + 1 >= lines.size()));
        FUZZ_CHECK(isParameter == want.parameter && isSection == want.section);
        FUZZ_CHECK(name == want.name);
        FUZZ_CHECK(value == want.value);
        if (isParameter || isSection) FUZZ_CHECK(reader.LastValue() == value);
        (void)reader.DejBooleanParametr();
        (void)reader.DejLongIntParametr();
        (void)reader.DejExtendedParametr();
        (void)reader.DejRealParametr();
    }
    FUZZ_CHECK(reader.PocetVolani() == static_cast<int32_t>(calls));
    return 0;
}
