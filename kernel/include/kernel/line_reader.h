// A cursor over one line of text with a sticky error flag. Readers of parameter and
// definition files hand it a line and pull characters, words, quoted strings, numbers
// and Booleans from it, then test the flag once. Positions count from 1; moving right
// stops at position 254, so lines of up to 254 characters are served.
#pragma once
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// A set over all 256 character codes.
class TsetOfChar {
public:
    TsetOfChar() = default;
    TsetOfChar(std::string_view chars) {  // implicit: a set may be written as its characters
        for (char c : chars) Include(c);
    }
    void Include(char c) { bits_.set(static_cast<unsigned char>(c)); }
    void Exclude(char c) { bits_.reset(static_cast<unsigned char>(c)); }
    bool Has(char c) const { return bits_.test(static_cast<unsigned char>(c)); }
private:
    std::bitset<256> bits_;
};

class TCtiRadekClass {
public:
    explicit TCtiRadekClass(const std::string& line = std::string());

    // cursor
    void NovyString(const std::string& line);    // new line, position 1, flag cleared
    bool DosloKChybe() const { return chyba_; }  // the error flag
    bool KonecRadku() const;                     // position beyond the end of the line
    void ZnovuOdZacatkuRadku();                  // position 1, flag kept
    void StepVl();                               // one left; below 1 the flag is set
    void StepVp();                               // one right; above 253 the flag is set
    void JdiNa(int32_t position);                // 0 to 255; else the flag is set
    char AktualniZnak() const;                   // NUL before and beyond the line
    char DejChar();
    void PreskocMezery();
    void PreskocMnozinu(const TsetOfChar& set);
    void JdiNaMnozinu(const TsetOfChar& set);
    void JdiZaZnak(char c);

    // texts: empty when the flag is set; none of them sets it
    std::string DejString(int32_t count);
    std::string DejStringPoZnak(char c);
    std::string DejStringPoMnozinu(const TsetOfChar& set);
    std::string DejStringPoApostrof();
    std::string DejStringMeziApostrofy();
    std::string DejParametrStr(bool& quoted);
    std::string DejStringPos(int32_t from, int32_t to);

    // numbers and Booleans: 0 or False when the flag is already set
    int32_t DejInteger();
    int32_t DejLongInt();
    double DejReal();       // held with the 40-bit mantissa of a 6-byte real
    double DejExtended();
    double DejDekodovanyReal();
    bool DejBoolean();

    const std::string& Radek() const { return radek_; }
    int32_t Pozice() const { return pozice_; }

private:
    bool Within() const;  // the position stands on a character of the line
    bool Advance();       // StepVp; false when it was refused
    std::string ReadNumberRun(bool (*inStart)(char), bool floating);
    double ReadFloat();

    std::string radek_;
    int32_t pozice_ = 1;
    bool chyba_ = false;
};
