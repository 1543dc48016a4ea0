// Text, numbers and the exception root of the platform layer.
// Every string in the suite is a byte string in Windows-1250.
#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// ---- exceptions -----------------------------------------------------------

// The platform exception: a Windows-1250 message. what() answers it in UTF-8.
class Exception : public std::exception {
public:
    explicit Exception(std::string message1250);
    const std::string& Message() const { return message_; }
    void SetMessage(std::string m);
    const char* what() const noexcept override { return utf8_.c_str(); }
private:
    std::string message_;
    std::string utf8_;
};

#define SUITE_EXCEPTION(Name, Base) \
    class Name : public Base { public: using Base::Base; };

SUITE_EXCEPTION(EListError, Exception)      // list index out of bounds
SUITE_EXCEPTION(ERangeError, Exception)     // index outside a declared range
SUITE_EXCEPTION(EConvertError, Exception)   // text that is no number
SUITE_EXCEPTION(EClassNotFound, Exception)  // unknown class name
SUITE_EXCEPTION(EStreamError, Exception)
SUITE_EXCEPTION(EFilerError, EStreamError)
SUITE_EXCEPTION(EReadError, EFilerError)    // component stream damaged or too short
SUITE_EXCEPTION(EWriteError, EFilerError)
SUITE_EXCEPTION(EInvalidStream, EFilerError) // wrong signature
SUITE_EXCEPTION(EFOpenError, EStreamError)
SUITE_EXCEPTION(EFCreateError, EStreamError)
SUITE_EXCEPTION(EInOutError, Exception)

// ---- Windows-1250 text ----------------------------------------------------

// Converts UTF-8 (literals, terminal input, names on disk) to Windows-1250; unmappable
// characters and malformed sequences become '?'.
std::string Cz(std::string_view utf8);
// The one UTF-8 decoder: the character at s[i] (i < size), i moved past it. A malformed
// sequence (bad or missing continuation, overlong form, surrogate, beyond U+10FFFF)
// answers false and moves i past its valid beginning only, never past the byte after it.
bool NextUtf8(std::string_view s, size_t& i, char32_t& cp);
// Converts Windows-1250 text to UTF-8 for the terminal and the user host.
std::string ToUtf8(std::string_view cp1250);

std::string UpperCase(std::string_view s);       // ASCII letters only
std::string LowerCase(std::string_view s);       // ASCII letters only
std::string AnsiUpperCase(std::string_view s);   // Windows-1250 table, Czech letters included
std::string AnsiLowerCase(std::string_view s);
unsigned char AnsiUpperChar(unsigned char c);
unsigned char AnsiLowerChar(unsigned char c);
int CompareStr(std::string_view a, std::string_view b);      // bytes, <0 / 0 / >0
int CompareText(std::string_view a, std::string_view b);     // ASCII case-insensitive
bool SameText(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b); // Windows-1250 case-insensitive
bool AnsiSameText(std::string_view a, std::string_view b);

std::string Trim(std::string_view s);   // blanks and control characters at both ends
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ---- numbers --------------------------------------------------------------

// The decimal separator of locale number texts: at start-up the one of the environment's
// numeric locale; tests may set it. Number texts never depend on the C locale.
char DecimalSeparator();
// The separator the locale database gives for the numeric locale the environment names
// (LC_ALL, LC_NUMERIC, LANG); "." when that locale is not installed.
char EnvironmentDecimalSeparator();
void SetDecimalSeparator(char c);

std::string IntToStr(int64_t v);
std::string IntToHex(uint64_t v, int digits);
// Pascal Val: leading blanks, sign, decimal or "$"/"0x" hex. code is 0 on success,
// else the 1-based position of the offending character (length+1 for an empty number).
int32_t ValInt(std::string_view s, int& code);
int64_t ValInt64(std::string_view s, int& code);
int32_t StrToInt(std::string_view s);               // EConvertError when not a number
int32_t StrToIntDef(std::string_view s, int32_t def);
bool TryStrToInt(std::string_view s, int32_t& v);

// General float text, 15 significant digits, locale decimal separator ("1,5", "1E20").
std::string FloatToStr(double v);
// Fixed form with the given number of decimals and the locale separator.
std::string FloatToStrF(double v, int decimals);
// Locale form: blanks around, sign, digits with the locale separator, optional exponent.
bool TextToFloat(std::string_view s, double& v);
double StrToFloat(std::string_view s);              // EConvertError when not a number
double StrToFloatDef(std::string_view s, double def);
// Locale-independent form: "." as separator, exponent allowed.
bool TextToFloatC(std::string_view s, double& v);

// printf-style formatting ("%*.*d", "%*d", "%*.*f", "%s" with char*).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Round half to even, as the platform's Round; ERangeError for NaN or beyond int64.
int64_t Round(double v);
