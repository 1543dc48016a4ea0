#include "workbench/length_units.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "kernel/string_routines.h"
#include "platform/sysutils.h"

std::string FixedText(double value, int precision, int decimals) {
    if (!std::isfinite(value)) return FloatToStr(value);
    double a = std::fabs(value);
    if (a >= 1 && std::floor(std::log10(a)) + 1 > precision) return FloatToStr(value);
    // Round to the significant digits first, then write the decimals.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision > 0 ? precision - 1 : 0, value);
    double rounded = 0;
    std::from_chars(buf, buf + std::char_traits<char>::length(buf), rounded);
    std::string text = FloatToStrF(rounded, decimals);
    // A value that rounds to zero is shown without a sign.
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
    return text;
}

bool ParseNumber(const std::string& text, double& value) {
    std::string t = Trim(text);
    if (t.empty() || !StringIsFloat(t)) return false;
    value = StrToExtended(t);
    return std::isfinite(value);
}

THeightUnit HeightUnit(const std::string& item) {
    if (item == "cm") return {100, 5, 2};
    if (item == "m") return {1, 2, 3};
    return {1000, 7, 0};
}

std::string HeightText(double metres, const std::string& unitItem) {
    THeightUnit u = HeightUnit(unitItem);
    return FixedText(metres * u.Factor, u.Precision, u.Decimals);
}
