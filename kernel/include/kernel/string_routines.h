// Text routines shared by every program of the suite: number and Boolean conversions,
// trimming, name=value splitting, scanning up to delimiters, backslashes and names
// with a trailing number. Texts are Windows-1250 byte strings; positions count from 1.
// Plain functions on std::string only: the installer compiles its own copies of some.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// ---- conversions -----------------------------------------------------------

// 0 for the empty text, else the platform's decimal conversion (0 when it fails).
int32_t StrToLongInt(const std::string& text);
// True when the first 63 characters read as a float in the local format, or do so
// after the first "." or "," has been exchanged for the other.
bool StringIsFloat(const std::string& text);
// The float by the same two attempts; 0 when both fail.
double StrToExtended(const std::string& text);
std::string BoolToStr(bool flag);                 // "TRUE" / "FALSE"
bool StrToBool(const std::string& text);          // first character "T" or "t"
// At least width digits, zero-filled (zeros) or blank-filled on the left.
std::string IntToStrZ(int32_t number, int32_t width, bool zeros);
// Digits in groups of three separated by blanks: 1234567 -> "1 234 567".
std::string IntToPrezStr(int64_t number);
// Fixed form with the local decimal separator, right-aligned to width.
std::string DoubleToStr(double value, int32_t width, int32_t decimals);
// Cut to length, or filled with blanks on the right up to it.
std::string StrToStrSp(const std::string& text, int32_t length);

// ---- trimming and characters -----------------------------------------------

// Without leading and trailing blanks and NULs.
std::string BezVnejsichMezer(const std::string& text);
// Without any blank or NUL.
std::string RemoveAllSpaces(const std::string& text);
// Exchanges the first character that is a or b for the other one.
void SwapChars(std::string& text, char a, char b);
// Replaces the first a by b, with all every a; answers whether a occurred.
bool ChangeCharInString(std::string& text, char a, char b, bool all);
// The text between a leading and a trailing apostrophe, else the text unchanged.
std::string TakeFromApos(const std::string& text);
// Prefixes "T" to a non-empty name that does not start with "T" or "t"; result = name.
void CheckClassName(std::string& name, std::string& result);

// ---- paths and platform strings --------------------------------------------

// Appends "\" to path unless it ends with one; result = path ("\" for an empty path).
void AddBackSlash(std::string& path, std::string& result);
void CheckBackSlash(std::string& path, std::string& result);
// Removes one trailing "\" from path; result = path (empty for an empty path).
void RemoveBackSlash(std::string& path, std::string& result);
// The Windows folder as the platform reports it.
std::string WinDirStr();
// Heap strings: nullptr stands for the empty text.
void GetPString(const std::string* p, std::string& text);
void SetPString(std::string*& p, const std::string& text);

// ---- splitting and scanning ------------------------------------------------

// Splits at the first "=" (within the first 255 characters) into trimmed name and value;
// answers whether there was one. Without "=" the name is the trimmed text.
bool StringAsParameter(const std::string& text, std::string& name, std::string& value);
// The same at separator. When the separator is the last character the second part is
// empty, so a loop that splits "a,b," ends with an empty last piece.
bool StringAsTwoParams(const std::string& text, char separator, std::string& first,
                       std::string& second);
// Reads from start up to the first character of delimiters (only characters 32..126
// count). token: the text read; position: behind the delimiter (length + 2 at the end);
// delimiter: the character met, NUL at the end of the text.
void ReadToDelimiter(const std::string& text, std::string_view delimiters, int32_t start,
                     std::string& token, int32_t& position, char& delimiter);
// The same with the token trimmed of blanks and NULs.
void ReadToDelimiterWithoutWS(const std::string& text, std::string_view delimiters,
                              int32_t start, std::string& token, int32_t& position,
                              char& delimiter);
// "Label12" -> "Label"; a name of digits only gives "".
std::string GetNameWithoutNumber(const std::string& name);
// "Label12" -> 12; 0 without trailing digits or for a name of digits only.
int32_t GetNameEndNumber(const std::string& name);
