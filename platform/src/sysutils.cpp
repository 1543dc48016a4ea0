#include "platform/sysutils.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <charconv>
#include <vector>

Exception::Exception(std::string message1250) { SetMessage(std::move(message1250)); }

void Exception::SetMessage(std::string m) {
    message_ = std::move(m);
    utf8_ = ToUtf8(message_);
}

// ---- Windows-1250 ---------------------------------------------------------

namespace {

// Unicode code points of bytes 0x80..0xFF; 0 marks a byte with no character.
const char16_t kHigh[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

struct CaseTables {
    unsigned char upper[256] = {};
    unsigned char lower[256] = {};
    constexpr CaseTables() {
        for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
        auto pair = [this](int lo, int up) {
            upper[lo] = static_cast<unsigned char>(up);
            lower[up] = static_cast<unsigned char>(lo);
        };
        for (int c = 'a'; c <= 'z'; ++c) pair(c, c - 32);
        pair(0x9A, 0x8A); pair(0x9C, 0x8C); pair(0x9D, 0x8D); pair(0x9E, 0x8E); pair(0x9F, 0x8F);
        pair(0xB3, 0xA3); pair(0xB9, 0xA5); pair(0xBA, 0xAA); pair(0xBE, 0xBC); pair(0xBF, 0xAF);
        for (int c = 0xE0; c <= 0xFE; ++c)
            if (c != 0xF7) pair(c, c - 0x20);
    }
};

constexpr CaseTables kCases{};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

bool NextUtf8(std::string_view s, size_t& i, char32_t& cp) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        cp = c;
        ++i;
        return true;
    }
    // Length and the range of the second byte, which rules out overlong forms,
    // surrogates and code points beyond U+10FFFF.
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) len = 2;
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; if (c == 0xE0) lo = 0xA0; if (c == 0xED) hi = 0x9F; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; if (c == 0xF0) lo = 0x90; if (c == 0xF4) hi = 0x8F; }
    size_t k = 1;
    char32_t v = c & (0x7F >> len);
    for (; len && k < len && i + k < s.size(); ++k) {
        const unsigned char b = static_cast<unsigned char>(s[i + k]);
        if (k == 1 ? (b < lo || b > hi) : (b & 0xC0) != 0x80) break;
        v = (v << 6) | (b & 0x3F);
    }
    if (len && k == len) {
        cp = v;
        i += len;
        return true;
    }
    i += k;  // the valid beginning of the sequence, never the byte that broke it
    return false;
}

std::string Cz(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        if (!NextUtf8(s, i, cp)) {
            out += '?';
            continue;
        }
        if (cp < 0x80) { out += static_cast<char>(cp); continue; }
        char mapped = '?';
        for (int b = 0; b < 128; ++b)
            if (kHigh[b] == cp) { mapped = static_cast<char>(0x80 + b); break; }
        out += mapped;
    }
    return out;
}

std::string ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (unsigned char c : s) {
        if (c < 0x80) out += static_cast<char>(c);
        else AppendUtf8(out, kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD);
    }
    return out;
}

unsigned char AnsiUpperChar(unsigned char c) { return kCases.upper[c]; }
unsigned char AnsiLowerChar(unsigned char c) { return kCases.lower[c]; }

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

std::string AnsiUpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(AnsiUpperChar(static_cast<unsigned char>(c)));
    return r;
}

std::string AnsiLowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(AnsiLowerChar(static_cast<unsigned char>(c)));
    return r;
}

int CompareStr(std::string_view a, std::string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {
template <class Fold>
int CompareFolded(std::string_view a, std::string_view b, Fold fold) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = fold(static_cast<unsigned char>(a[i]));
        unsigned char y = fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
unsigned char AsciiUp(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
}  // namespace

int CompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, AsciiUp); }
bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }
int AnsiCompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, AnsiUpperChar); }
bool AnsiSameText(std::string_view a, std::string_view b) { return a.size() == b.size() && AnsiCompareText(a, b) == 0; }

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return std::string(s.substr(i));
}
std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return std::string(s.substr(0, n));
}
std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// ---- numbers --------------------------------------------------------------

char EnvironmentDecimalSeparator() {
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return '.';
    std::string radix = nl_langinfo_l(RADIXCHAR, loc);
    freelocale(loc);
    if (radix.size() != 1) radix = Cz(radix);  // a separator outside ASCII, if Windows-1250 has it
    return radix.size() == 1 && radix != "?" ? radix[0] : '.';
}

namespace {
char& SeparatorSlot() {
    static char sep = EnvironmentDecimalSeparator();
    return sep;
}
}  // namespace

char DecimalSeparator() { return SeparatorSlot(); }
void SetDecimalSeparator(char c) { SeparatorSlot() = c; }

std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string IntToHex(uint64_t v, int digits) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
    return buf;
}

namespace {
// Largest magnitudes a Val text may reach: decimal and hex, positive and negative.
struct ValLimits {
    uint64_t dec, decNeg, hex, hexNeg;
};

// Val's parse; on an error code is the 1-based position of the bad character, or of the
// digit that takes the number past its limit.
int64_t ValWithin(std::string_view s, int& code, const ValLimits& limits) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { neg = s[i] == '-'; ++i; }
    bool hex = false;
    if (i < s.size() && s[i] == '$') { hex = true; ++i; }
    else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) { hex = true; i += 2; }
    if (i >= s.size()) { code = static_cast<int>(i) + 1; return 0; }
    const uint64_t limit = hex ? (neg ? limits.hexNeg : limits.hex) : (neg ? limits.decNeg : limits.dec);
    const unsigned base = hex ? 16 : 10;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10u;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10u;
        else { code = static_cast<int>(i) + 1; return 0; }
        if (v > (limit - d) / base) {
            code = static_cast<int>(i) + 1;
            return 0;
        }
        v = v * base + d;
    }
    code = 0;
    return neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
}
}  // namespace

int64_t ValInt64(std::string_view s, int& code) {
    // 2^63 only as the magnitude of the most negative number; hex fills all 64 bits.
    return ValWithin(s, code, {INT64_MAX, 1ULL << 63, UINT64_MAX, UINT64_MAX});
}

int32_t ValInt(std::string_view s, int& code) {
    // A hex text may fill all 32 bits.
    int64_t v = ValWithin(s, code, {INT32_MAX, 1ULL << 31, UINT32_MAX, 1ULL << 31});
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

bool TryStrToInt(std::string_view s, int32_t& v) {
    int code;
    int32_t r = ValInt(s, code);
    if (code) return false;
    v = r;
    return true;
}

int32_t StrToInt(std::string_view s) {
    int32_t v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

namespace {
// Replaces the C separator of a printed number by the locale one.
std::string Localize(std::string s) {
    char sep = DecimalSeparator();
    if (sep != '.')
        for (char& c : s) if (c == '.') c = sep;
    return s;
}

bool ReadDouble(std::string_view c, double& v);

bool ParseFloat(std::string_view s, char sep, double& v) {
    std::string t = Trim(s);
    if (t.empty()) return false;
    std::string c;
    c.reserve(t.size());
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') c += t[i++];
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        char ch = t[i];
        if (ch >= '0' && ch <= '9') { c += ch; digits = true; }
        else if (ch == sep && !point) { c += '.'; point = true; }
        else break;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) c += t[i++];
        bool ed = false;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) { c += t[i]; ed = true; }
        if (!ed) return false;
    }
    if (i != t.size()) return false;
    return ReadDouble(c, v);
}

// Number text in C form ("-1.5e3") and the double it names, whatever the process's C locale.
// A text just beyond the range reads as the largest finite value of its sign: the
// 15 digits of FloatToStr(-DBL_MAX) give "-1.79769313486232E308", past the limit.
bool ReadDouble(std::string_view c, double& v) {
    const char* first = c.data();
    const char* last = first + c.size();
    if (first != last && *first == '+') ++first;
    double r;
    auto [end, ec] = std::from_chars(first, last, r);
    if (end != last) return false;
    if (ec == std::errc::result_out_of_range) {
        long double wide;
        auto [wend, wec] = std::from_chars(first, last, wide);
        if (wend != last || wec != std::errc()) return false;
        const long double top = 1.79769313486232e308L;
        if (wide > top || wide < -top) return false;
        r = wide > DBL_MAX ? DBL_MAX : wide < -DBL_MAX ? -DBL_MAX : static_cast<double>(wide);
    } else if (ec != std::errc() || !std::isfinite(r)) {
        return false;
    }
    v = r;
    return true;
}

// Shortest text of v in the given form and precision, in C form.
std::string PrintDouble(double v, std::chars_format form, int precision) {
    std::string buf(static_cast<size_t>(precision) + 330, '\0');
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v, form, precision);
    buf.resize(ec == std::errc() ? static_cast<size_t>(end - buf.data()) : 0);
    return buf;
}

// One printf float conversion ("%-08.3f", with the "*" values in stars) in C form.
std::string PrintConversion(const std::string& conv_text, const std::vector<int>& stars, double v) {
    size_t p = 1, star = 0;
    bool left = false, plus = false, blank = false, zero = false;
    for (; p < conv_text.size() && std::strchr("-+ #0", conv_text[p]); ++p) {
        left |= conv_text[p] == '-';
        plus |= conv_text[p] == '+';
        blank |= conv_text[p] == ' ';
        zero |= conv_text[p] == '0';
    }
    auto number = [&](int def) {
        if (p < conv_text.size() && conv_text[p] == '*') { ++p; return star < stars.size() ? stars[star++] : def; }
        int n = 0;
        for (; p < conv_text.size() && conv_text[p] >= '0' && conv_text[p] <= '9'; ++p) n = std::min(n * 10 + (conv_text[p] - '0'), 100000);
        return n;
    };
    int width = number(0);
    if (width < 0) { left = true; width = -width; }
    int precision = 6;
    if (p < conv_text.size() && conv_text[p] == '.') { ++p; precision = number(6); }
    if (precision < 0) precision = 6;
    const char conv = conv_text.back();
    std::string body;
    if (!std::isfinite(v)) {
        body = std::isnan(v) ? "nan" : std::signbit(v) ? "-inf" : "inf";
        zero = false;
    } else if (conv == 'f') {
        body = PrintDouble(v, std::chars_format::fixed, precision);
    } else if (conv == 'e' || conv == 'E') {
        body = PrintDouble(v, std::chars_format::scientific, precision);
    } else {
        body = PrintDouble(v, std::chars_format::general, precision == 0 ? 1 : precision);
    }
    if (conv == 'E' || conv == 'G') for (char& ch : body) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string sign;
    if (!body.empty() && body[0] == '-') { sign = "-"; body.erase(0, 1); }
    else if (plus) sign = "+";
    else if (blank) sign = " ";
    const size_t shown = sign.size() + body.size();
    if (shown >= static_cast<size_t>(width)) return sign + body;
    const std::string fill(static_cast<size_t>(width) - shown, zero && !left ? '0' : ' ');
    if (left) return sign + body + fill;
    return zero ? sign + fill + body : fill + sign + body;
}
}  // namespace

std::string FloatToStr(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    std::string s = PrintDouble(v, std::chars_format::general, 15);
    size_t e = s.find('e');
    if (e != std::string::npos) {
        // "1e+20" -> "1E20", "1e-05" -> "1E-5"
        std::string mant = s.substr(0, e);
        std::string ex = s.substr(e + 1);
        bool neg = !ex.empty() && ex[0] == '-';
        size_t k = (!ex.empty() && (ex[0] == '+' || ex[0] == '-')) ? 1 : 0;
        while (k + 1 < ex.size() && ex[k] == '0') ++k;
        s = mant + "E" + (neg ? "-" : "") + ex.substr(k);
    }
    if (s == "-0") s = "0";
    return Localize(s);
}

std::string FloatToStrF(double v, int decimals) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    return Localize(PrintDouble(v, std::chars_format::fixed, std::max(decimals, 0)));
}

bool TextToFloat(std::string_view s, double& v) { return ParseFloat(s, DecimalSeparator(), v); }
bool TextToFloatC(std::string_view s, double& v) { return ParseFloat(s, '.', v); }

double StrToFloat(std::string_view s) {
    double v;
    if (!TextToFloat(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(std::string_view s, double def) {
    double v;
    return TextToFloat(s, v) ? v : def;
}

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string out;
    for (const char* p = fmt; *p;) {
        if (*p != '%') { out += *p++; continue; }
        const char* start = p++;
        if (*p == '%') { out += '%'; ++p; continue; }
        while (*p && std::strchr("-+ #0", *p)) ++p;
        std::vector<int> stars;
        auto number = [&] {
            if (*p == '*') { stars.push_back(va_arg(ap, int)); ++p; }
            else while (*p >= '0' && *p <= '9') ++p;
        };
        number();
        if (*p == '.') { ++p; number(); }
        bool lng = false;
        while (*p == 'l' || *p == 'h' || *p == 'z') { lng = lng || *p == 'l' || *p == 'z'; ++p; }
        char conv = *p ? *p++ : 0;
        std::string conversion(start, p);
        // Printed twice when the first attempt does not fit: no text is ever cut.
        auto put = [&](auto value) {
            char small[256];
            auto print = [&](char* buf, size_t size) {
                if (stars.size() == 2) return std::snprintf(buf, size, conversion.c_str(), stars[0], stars[1], value);
                if (stars.size() == 1) return std::snprintf(buf, size, conversion.c_str(), stars[0], value);
                return std::snprintf(buf, size, conversion.c_str(), value);
            };
            int n = print(small, sizeof small);
            if (n < 0) return std::string();
            if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
            std::string big(static_cast<size_t>(n) + 1, '\0');
            print(big.data(), big.size());
            big.resize(static_cast<size_t>(n));
            return big;
        };
        switch (conv) {
            case 'd': case 'i': case 'u': case 'x': case 'X':
                out += lng ? put(va_arg(ap, long)) : put(va_arg(ap, int));
                break;
            case 'f': case 'e': case 'E': case 'g': case 'G':
                out += Localize(PrintConversion(conversion, stars, va_arg(ap, double)));
                break;
            case 's': {
                const char* s = va_arg(ap, const char*);
                out += put(s ? s : "");
                break;
            }
            case 'c': out += put(va_arg(ap, int)); break;
            case 'p': out += put(va_arg(ap, void*)); break;
            default: out.append(conversion); break;
        }
    }
    va_end(ap);
    return out;
}

int64_t Round(double v) {
    // Raises rather than clamps: no answer would be right for NaN or beyond int64.
    double r = std::nearbyint(v);
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) throw ERangeError("Range check error");
    return static_cast<int64_t>(r);
}
