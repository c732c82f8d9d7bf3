#pragma once
// Numbers as text: the one integer conversion of the program, and floating
// values read and written with the user's decimal separator.
#include <cstdint>
#include <string>
#include <string_view>

namespace permuto {

// The program's one integer conversion. PatchNumber, behind ReadInteger:
// optional blanks, a sign, then decimal or $/x/0x hexadecimal digits, and
// Value written in every case, as ReadInteger documents. Decimal, for module
// indices that people type: a sign and decimal digits only, the whole text.
enum class TIntegerForms { PatchNumber, Decimal };
bool ConvertInteger(std::string_view Text, int32_t& Value, TIntegerForms Forms = TIntegerForms::PatchNumber);

// The floating conversion behind ReadFloat, with an explicit decimal separator.
bool ConvertFloat(std::string_view Text, char DecimalSeparator, long double& Value);

// The user's regional decimal separator, read once from the locale's numeric
// settings. Tests (and only tests) may set it; 0 restores the locale's.
char DecimalSeparator();
void SetDecimalSeparator(char Separator);

// A floating value formatted like "%7.5f" with the user's decimal separator.
std::string FormatFloat75(long double Value);

} // namespace permuto
