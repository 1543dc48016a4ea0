#include "kernel/string_routines.h"

#include <utility>

#include "platform/sysutils.h"
#include "platform/windows.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\0'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Only the printable ASCII characters can be delimiters.
bool IsDelimiter(char c, std::string_view delimiters) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 32 && u <= 126 && delimiters.find(c) != std::string_view::npos;
}

// Local format on the first 63 characters, then once more with "." and "," exchanged.
bool ReadFloat(const std::string& text, double& value) {
    if (TextToFloat(std::string_view(text).substr(0, 63), value)) return true;
    std::string swapped = text;
    SwapChars(swapped, '.', ',');
    return TextToFloat(std::string_view(swapped).substr(0, 63), value);
}

// Index of the first sep within the first 255 characters, or npos.
size_t FindSeparator(const std::string& text, char sep) {
    size_t at = text.find(sep);
    return at < 255 ? at : std::string::npos;
}

size_t TrailingDigitsStart(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && IsDigit(name[i - 1])) --i;
    return i;
}

}  // namespace

// ---- conversions -----------------------------------------------------------

int32_t StrToLongInt(const std::string& text) {
    if (text.empty()) return 0;
    int code = 0;
    int32_t v = ValInt(text, code);
    return code == 0 ? v : 0;
}

bool StringIsFloat(const std::string& text) {
    double v;
    return ReadFloat(text, v);
}

double StrToExtended(const std::string& text) {
    double v;
    return ReadFloat(text, v) ? v : 0.0;
}

std::string BoolToStr(bool flag) { return flag ? "TRUE" : "FALSE"; }

bool StrToBool(const std::string& text) { return !text.empty() && (text[0] == 'T' || text[0] == 't'); }

std::string IntToStrZ(int32_t number, int32_t width, bool zeros) {
    if (zeros) return Format("%*.*d", width, width, number);
    return Format("%*d", width, number);
}

std::string IntToPrezStr(int64_t number) {
    // Negative numbers keep their sign in front of the grouped digits.
    uint64_t n = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    std::string digits = std::to_string(n);
    std::string out;
    size_t lead = digits.size() % 3;
    if (lead == 0) lead = 3;
    out.append(digits, 0, lead);
    for (size_t i = lead; i < digits.size(); i += 3) {
        out += ' ';
        out.append(digits, i, 3);
    }
    return number < 0 ? "-" + out : out;
}

std::string DoubleToStr(double value, int32_t width, int32_t decimals) {
    return Format("%*.*f", width, decimals, value);
}

std::string StrToStrSp(const std::string& text, int32_t length) {
    size_t n = length > 0 ? static_cast<size_t>(length) : 0;
    std::string r = text.substr(0, n);
    r.resize(n, ' ');
    return r;
}

// ---- trimming and characters -----------------------------------------------

std::string BezVnejsichMezer(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

std::string RemoveAllSpaces(const std::string& text) {
    std::string r;
    r.reserve(text.size());
    for (char c : text)
        if (!IsBlank(c)) r += c;
    return r;
}

void SwapChars(std::string& text, char a, char b) {
    for (char& c : text) {
        if (c == a) { c = b; return; }
        if (c == b) { c = a; return; }
    }
}

bool ChangeCharInString(std::string& text, char a, char b, bool all) {
    if (text.empty() || a == '\0') return false;
    size_t at = text.find(a);
    if (at == std::string::npos) return false;
    if (a == b) return true;  // nothing to change, but the character is there
    text[at] = b;
    if (all)
        for (size_t i = at + 1; i < text.size(); ++i)
            if (text[i] == a) text[i] = b;
    return true;
}

std::string TakeFromApos(const std::string& text) {
    if (text.empty() || text.front() != '\'' || text.back() != '\'') return text;
    return text.size() < 2 ? std::string() : text.substr(1, text.size() - 2);
}

void CheckClassName(std::string& name, std::string& result) {
    if (!name.empty() && name[0] != 'T' && name[0] != 't') name.insert(name.begin(), 'T');
    result = name;
}

// ---- paths and platform strings --------------------------------------------

void AddBackSlash(std::string& path, std::string& result) {
    if (path.empty()) {
        result.assign(1, '\\');
        return;
    }
    if (path.back() != '\\') path += '\\';
    result = path;
}

void CheckBackSlash(std::string& path, std::string& result) { AddBackSlash(path, result); }

void RemoveBackSlash(std::string& path, std::string& result) {
    if (path.empty()) {
        result.clear();
        return;
    }
    if (path.back() == '\\') path.pop_back();
    result = path;
}

std::string WinDirStr() { return GetWindowsDirectory(); }

void GetPString(const std::string* p, std::string& text) { text = p ? *p : std::string(); }

void SetPString(std::string*& p, const std::string& text) {
    delete p;
    p = text.empty() ? nullptr : new std::string(text);
}

// ---- splitting and scanning ------------------------------------------------

bool StringAsTwoParams(const std::string& text, char separator, std::string& first,
                       std::string& second) {
    // Both parts are made before either is stored: callers pass text as one of them.
    size_t at = FindSeparator(text, separator);
    std::string a = BezVnejsichMezer(at == std::string::npos ? text : text.substr(0, at));
    std::string b = at == std::string::npos ? std::string() : BezVnejsichMezer(text.substr(at + 1));
    first = std::move(a);
    second = std::move(b);
    return at != std::string::npos;
}

bool StringAsParameter(const std::string& text, std::string& name, std::string& value) {
    return StringAsTwoParams(text, '=', name, value);
}

void ReadToDelimiter(const std::string& text, std::string_view delimiters, int32_t start,
                     std::string& token, int32_t& position, char& delimiter) {
    std::string read;
    char met = '\0';
    int64_t pos = start;
    if (!text.empty()) {
        const int64_t len = static_cast<int64_t>(text.size());
        auto within = [&](int64_t p) { return p >= 1 && p <= len; };
        while (within(pos) && !IsDelimiter(text[pos - 1], delimiters)) ++pos;
        if (within(pos)) met = text[pos - 1];
        if (pos > start)  // moved, so start lay within the text
            read = text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(pos - start));
        ++pos;
    }
    token = std::move(read);
    position = pos > INT32_MAX ? INT32_MAX : static_cast<int32_t>(pos);
    delimiter = met;
}

void ReadToDelimiterWithoutWS(const std::string& text, std::string_view delimiters,
                              int32_t start, std::string& token, int32_t& position,
                              char& delimiter) {
    ReadToDelimiter(text, delimiters, start, token, position, delimiter);
    token = BezVnejsichMezer(token);
}

std::string GetNameWithoutNumber(const std::string& name) {
    size_t at = TrailingDigitsStart(name);
    return at == 0 ? std::string() : name.substr(0, at);
}

int32_t GetNameEndNumber(const std::string& name) {
    size_t at = TrailingDigitsStart(name);
    if (at == 0 || at == name.size()) return 0;
    return StrToLongInt(name.substr(at));
}
