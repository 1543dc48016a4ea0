// The installer's own copies of the few string routines it needs (it links no Kernel).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// The text without leading and trailing blanks and NUL characters.
std::string BezVnejsichMezer(std::string_view text);
// Splits at the first "=" into a trimmed name and value; false (name = the trimmed text,
// value empty) without one.
bool StringAsParameter(std::string_view text, std::string& name, std::string& value);
// "/" for an empty path; otherwise the path with a trailing delimiter ("\" or "/").
std::string AddBackSlash(std::string path);
// The path without one trailing delimiter.
std::string RemoveBackSlash(std::string path);
// The Windows folder, as the platform reports it.
std::string WinDirStr();
// The fields of a comma-separated text, each trimmed.
std::vector<std::string> SplitFields(std::string_view text);
// A name that stays inside the folder it is put in: not empty, not absolute, no drive, no
// ".." component.
bool IsSafeRelativeName(std::string_view name);

}  // namespace setup
