#include "kernel/line_reader.h"

#include <cmath>

#include "platform/sysutils.h"

namespace {

constexpr int32_t kLastStep = 253;    // StepVp refuses to move from beyond this position
constexpr int32_t kLastJump = 255;    // JdiNa takes 0 .. this

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSign(char c) { return c == '+' || c == '-'; }
bool StartsInteger(char c) { return IsDigit(c) || IsSign(c); }
bool InFloat(char c) { return IsDigit(c) || IsSign(c) || c == '.'; }

// Rounds to the 40-bit mantissa of a 6-byte real; false when the value is out of its range.
bool RoundToReal48(double v, double& out) {
    if (v == 0.0) {
        out = 0.0;
        return true;
    }
    int e = 0;
    double m = std::frexp(v, &e);  // 0.5 <= |m| < 1
    double r = std::ldexp(std::nearbyint(std::ldexp(m, 40)), e - 40);
    double a = std::fabs(r);
    if (a >= std::ldexp(1.0, 127)) return false;
    out = a < std::ldexp(1.0, -128) ? 0.0 : r;
    return true;
}

int32_t Clamp(int64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

}  // namespace

TCtiRadekClass::TCtiRadekClass(const std::string& line) { NovyString(line); }

// ---- cursor ----------------------------------------------------------------

void TCtiRadekClass::NovyString(const std::string& line) {
    radek_ = line;
    pozice_ = 1;
    chyba_ = false;
}

bool TCtiRadekClass::KonecRadku() const { return static_cast<int64_t>(pozice_) > static_cast<int64_t>(radek_.size()); }

bool TCtiRadekClass::Within() const { return pozice_ >= 1 && !KonecRadku(); }

void TCtiRadekClass::ZnovuOdZacatkuRadku() { pozice_ = 1; }

void TCtiRadekClass::StepVl() {
    if (pozice_ < 1) chyba_ = true;
    else --pozice_;
}

void TCtiRadekClass::StepVp() { Advance(); }

bool TCtiRadekClass::Advance() {
    if (pozice_ > kLastStep) {
        chyba_ = true;
        return false;
    }
    ++pozice_;
    return true;
}

void TCtiRadekClass::JdiNa(int32_t position) {
    if (position < 0 || position > kLastJump) chyba_ = true;
    else pozice_ = position;
}

char TCtiRadekClass::AktualniZnak() const { return Within() ? radek_[pozice_ - 1] : '\0'; }

char TCtiRadekClass::DejChar() {
    if (chyba_) return '\0';
    if (KonecRadku()) {
        chyba_ = true;
        return '\0';
    }
    char c = AktualniZnak();
    Advance();
    return c;
}

void TCtiRadekClass::PreskocMezery() {
    while (!KonecRadku() && AktualniZnak() == ' ')
        if (!Advance()) break;
}

void TCtiRadekClass::PreskocMnozinu(const TsetOfChar& set) {
    while (!KonecRadku() && set.Has(AktualniZnak()))
        if (!Advance()) break;
}

void TCtiRadekClass::JdiNaMnozinu(const TsetOfChar& set) {
    while (!KonecRadku() && !set.Has(AktualniZnak()))
        if (!Advance()) break;
}

void TCtiRadekClass::JdiZaZnak(char c) {
    TsetOfChar set;
    set.Include(c);
    JdiNaMnozinu(set);
    if (!KonecRadku()) Advance();
}

// ---- texts -----------------------------------------------------------------

std::string TCtiRadekClass::DejString(int32_t count) {
    if (chyba_ || count <= 0) return std::string();
    const int64_t len = static_cast<int64_t>(radek_.size());
    int64_t from = pozice_ < 1 ? 1 : pozice_;
    int64_t to = static_cast<int64_t>(pozice_) + count - 1;
    if (to > len) to = len;
    pozice_ = Clamp(static_cast<int64_t>(pozice_) + count);
    if (from > to) return std::string();
    return radek_.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

std::string TCtiRadekClass::DejStringPoZnak(char c) {
    TsetOfChar set;
    set.Include(c);
    return DejStringPoMnozinu(set);
}

std::string TCtiRadekClass::DejStringPoMnozinu(const TsetOfChar& set) {
    if (chyba_ || KonecRadku()) return std::string();
    size_t from = pozice_ < 1 ? 0 : static_cast<size_t>(pozice_ - 1);
    size_t end = from;
    while (end < radek_.size() && !set.Has(radek_[end])) ++end;
    pozice_ = static_cast<int32_t>(end + 1);
    return radek_.substr(from, end - from);
}

std::string TCtiRadekClass::DejStringPoApostrof() {
    if (chyba_ || KonecRadku()) return std::string();
    std::string out;
    size_t i = pozice_ < 1 ? 0 : static_cast<size_t>(pozice_ - 1);
    while (i < radek_.size()) {
        char c = radek_[i];
        if (c == '\'') {
            if (i + 1 < radek_.size() && radek_[i + 1] == '\'') {
                out += '\'';
                i += 2;
                continue;
            }
            break;  // the closing apostrophe
        }
        out += c;
        ++i;
    }
    pozice_ = static_cast<int32_t>(i + 1);
    return out;
}

std::string TCtiRadekClass::DejStringMeziApostrofy() {
    if (chyba_ || KonecRadku()) return std::string();
    size_t from = pozice_ < 1 ? 0 : static_cast<size_t>(pozice_ - 1);
    size_t at = radek_.find('\'', from);
    if (at == std::string::npos) {
        pozice_ = static_cast<int32_t>(radek_.size() + 1);
        return std::string();
    }
    pozice_ = static_cast<int32_t>(at + 1);
    Advance();  // behind the opening apostrophe
    std::string out = DejStringPoApostrof();
    if (AktualniZnak() == '\'') Advance();
    return out;
}

std::string TCtiRadekClass::DejParametrStr(bool& quoted) {
    quoted = false;
    if (chyba_) return std::string();
    // Reading the first character sets the flag at the end of the line.
    if (DejChar() != '\'') {
        StepVl();
        return DejStringPoZnak(' ');
    }
    std::string out = DejStringPoApostrof();
    if (AktualniZnak() == '\'') Advance();
    quoted = true;
    return out;
}

std::string TCtiRadekClass::DejStringPos(int32_t, int32_t) { return std::string(); }

// ---- numbers and Booleans --------------------------------------------------

// Moves to the first character that can start a number, then takes the run of number
// characters. A sign ends an integer run when it follows a digit.
std::string TCtiRadekClass::ReadNumberRun(bool (*inStart)(char), bool floating) {
    while (!KonecRadku() && !inStart(AktualniZnak()))
        if (!Advance()) break;
    std::string run;
    while (!KonecRadku()) {
        char c = AktualniZnak();
        bool take = floating ? InFloat(c)
                             : IsDigit(c) || (IsSign(c) && (run.empty() || !IsDigit(run.back())));
        if (!take) break;
        run += c;
        if (!Advance()) break;
    }
    return run;
}

int32_t TCtiRadekClass::DejInteger() {
    if (chyba_) return 0;
    std::string run = ReadNumberRun(StartsInteger, false);
    int code = 0;
    int32_t v = ValInt(run, code);
    if (code != 0) {
        chyba_ = true;
        return 0;
    }
    return v;
}

int32_t TCtiRadekClass::DejLongInt() { return DejInteger(); }

double TCtiRadekClass::ReadFloat() {
    std::string run = ReadNumberRun(InFloat, true);
    double v = 0.0;
    if (!TextToFloatC(run, v)) {
        chyba_ = true;
        return 0.0;
    }
    return v;
}

double TCtiRadekClass::DejReal() {
    if (chyba_) return 0.0;
    double v = ReadFloat();
    double r = 0.0;
    if (!RoundToReal48(v, r)) {
        chyba_ = true;
        return 0.0;
    }
    return r;
}

double TCtiRadekClass::DejExtended() {
    if (chyba_) return 0.0;
    return ReadFloat();
}

double TCtiRadekClass::DejDekodovanyReal() {
    if (chyba_) return 0.0;
    const int64_t len = static_cast<int64_t>(radek_.size());
    if (pozice_ < 1 || static_cast<int64_t>(pozice_) + 3 > len) {
        chyba_ = true;
        return 0.0;
    }
    int32_t value = 0;
    for (int k = 0; k < 4; ++k) {
        unsigned char c = static_cast<unsigned char>(radek_[pozice_ - 1 + k]);
        if (c < 63 || c > 126) {
            chyba_ = true;
            return 0.0;
        }
        value = value * 64 + (c - 63);
    }
    pozice_ += 4;
    double r = 0.0;
    RoundToReal48(value / 10.0, r);  // always within range
    return r;
}

bool TCtiRadekClass::DejBoolean() {
    if (chyba_) return false;
    for (;;) {
        char c = DejChar();
        switch (c) {
            case '1': case 'A': case 'a': case 'T': case 't':
                return true;
            case '0': case 'F': case 'f': case 'N': case 'n':
                return false;
            default:
                if (chyba_) return false;
        }
    }
}
