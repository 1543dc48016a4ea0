// Lengths shown in dialogs: metres inside, "mm", "cm" or "m" on the screen.
#pragma once
#include <string>

// The platform's fixed float form: rounded to precision significant digits, written with
// the given decimals and the locale separator; the general form when the integer part has
// more digits than the precision.
std::string FixedText(double value, int precision, int decimals);
// A number typed by the user: blanks around, "." or ","; false when it is none.
bool ParseNumber(const std::string& text, double& value);

// The unit combo of the height fields: "mm" (the default), "cm", "m".
struct THeightUnit {
    double Factor;
    int Precision;
    int Decimals;
};
THeightUnit HeightUnit(const std::string& item);
std::string HeightText(double metres, const std::string& unitItem);
