// Number texts printed and read back, in both decimal separators: integers through Val,
// StrToExtended and the line reader give the same value; floats come back within the
// precision of their text. Arbitrary texts: whatever a reader accepts prints and reads
// back to the same number, and a reader never moves past its line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "kernel/line_reader.h"
#include "kernel/string_routines.h"
#include "platform/sysutils.h"

namespace {

bool Close(double a, double b, double relative) {
    return std::fabs(a - b) <= relative * std::fabs(b);
}

// A float printed by FloatToStr (15 digits) and read by StrToExtended.
void CheckFloatText(double d) {
    if (!std::isfinite(d)) return;
    const std::string text = FloatToStr(d);
    const double r = StrToExtended(text);
    FUZZ_CHECK(StringIsFloat(text));
    FUZZ_CHECK(Close(r, d, 1e-14) || std::fabs(r - d) <= 5e-324);
}

void CheckInteger(int32_t v) {
    const std::string text = IntToStr(v);
    int code = -1;
    FUZZ_CHECK(ValInt(text, code) == v && code == 0);
    FUZZ_CHECK(StrToExtended(text) == static_cast<double>(v));
    TCtiRadekClass line("x " + text + " y");
    FUZZ_CHECK(line.DejLongInt() == v && !line.DosloKChybe());
}

// A float in fixed form (the line reader has no exponent) read by the line reader.
void CheckFixedInLine(double d, int decimals) {
    if (!std::isfinite(d)) return;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed, decimals);
    if (res.ec != std::errc() || res.ptr - buf > 250) return;
    const std::string text(buf, res.ptr);
    double exact = 0;
    std::from_chars(text.data(), text.data() + text.size(), exact);
    TCtiRadekClass line(text);
    const double e = line.DejExtended();
    FUZZ_CHECK(!line.DosloKChybe() && e == exact);
    line.NovyString(text);
    const double r = line.DejReal();
    // A 6-byte real holds 40 bits and the range of about 2.9E-39 to 1.7E38.
    if (!line.DosloKChybe()) {
        FUZZ_CHECK(Close(r, exact, 1.0 / (1ull << 38)) || std::fabs(exact) < 3e-39);
    } else {
        FUZZ_CHECK(std::fabs(exact) > 1.7e38);
    }
}

// Whatever the readers accept in an arbitrary text.
void CheckArbitraryText(const std::string& text) {
    int code = -1;
    const int32_t v = ValInt(text, code);
    FUZZ_CHECK(code >= 0 && code <= static_cast<int>(text.size()) + 1);
    if (code == 0) CheckInteger(v);

    const double x = StrToExtended(text);
    if (!StringIsFloat(text)) FUZZ_CHECK(x == 0.0);
    CheckFloatText(x);

    TCtiRadekClass line(text);
    for (int i = 0; i < 64 && !line.DosloKChybe(); ++i) {
        const int32_t before = line.Pozice();
        const int32_t n = line.DejLongInt();
        FUZZ_CHECK(line.Pozice() >= before && line.Pozice() <= 255);
        if (line.DosloKChybe()) break;
        if (line.Pozice() == before) break;
        CheckInteger(n);
    }
    line.NovyString(text);
    for (int i = 0; i < 64 && !line.DosloKChybe(); ++i) {
        const int32_t before = line.Pozice();
        const double f = line.DejExtended();
        FUZZ_CHECK(line.Pozice() >= before && line.Pozice() <= 255);
        if (line.DosloKChybe() || line.Pozice() == before) break;
        CheckFloatText(f);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    SetDecimalSeparator(in.ConsumeBool() ? ',' : '.');
    const int32_t i = in.ConsumeIntegral<int32_t>();
    const double d = in.ConsumeFloatingPoint<double>();
    const double scaled = d * std::pow(10.0, in.ConsumeIntegralInRange<int>(-40, 40) - 20);
    const int decimals = in.ConsumeIntegralInRange<int>(0, 20);
    CheckInteger(i);
    CheckFloatText(d);
    CheckFloatText(scaled);
    CheckFixedInLine(scaled, decimals);
    CheckArbitraryText(in.ConsumeRemainingBytesAsString());
    return 0;
}
