// Conversion of the Czech and Slovak accented letters of Windows-1250 texts to code
// page 852 and back, to the Kamenicky code page and to plain letters. Only the 38
// letters of the conversion table change; every other byte passes unchanged.
#pragma once
#include <string>

std::string WinTo852(const std::string& text);
std::string cp852ToWin(const std::string& text);
std::string WinToKAM(const std::string& text);
std::string WinToIBM(const std::string& text);
