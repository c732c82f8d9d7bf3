#pragma once
// The line scanner: reads one text line field by field. A reader is given the
// line, a running 1-based position and a separator set; it skips separators,
// takes the next token, converts it and leaves the position behind the token,
// so successive reads on the same position walk through the line. No reader
// raises for bad text: failure is a false result plus a documented value.
#include <cstdint>
#include <string>
#include <string_view>

#include "Numbers.h"
#include "SimpleTypes.h"

namespace permuto {

// Moves Pos past the separators it stands on.
void SkipSeparators(std::string_view Line, int32_t& Pos, const TCharSet& Separators);
// Next bare or double-quoted token; empty when the line is used up.
void ReadToken(std::string_view Line, int32_t& Pos, const TCharSet& Separators, std::string& Token);
// Next token as a 32-bit integer; true when the whole token is one. On failure
// Value holds the magnitude of the digits before the offending character.
bool ReadInteger(std::string_view Line, int32_t& Pos, const TCharSet& Separators, int32_t& Value);
// Next token as a floating value with the user's decimal separator; 0 when it
// is none. Always true.
bool ReadFloat(std::string_view Line, int32_t& Pos, const TCharSet& Separators, long double& Value);
// Next token of the form low..high (both 0..127, low <= high). On failure Low
// and High are untouched and Pos stays on the start of the range text.
bool ReadValueRange(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TSevenBitValue& Low,
                    TSevenBitValue& High);

// Typed readers: write the type's fallback, then the read value when it is an
// integer inside the type's range.
bool ReadSevenBitValue(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TSevenBitValue& Value);
bool ReadRange0To24(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To24& Value);
bool ReadRange0To1(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To1& Value);
bool ReadRange1To32(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange1To32& Value);
bool ReadRange0To4(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To4& Value);
bool ReadAreaCode(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TAreaCode& Value);
bool ReadRange0To6(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To6& Value);
bool ReadRange0To3(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To3& Value);
bool ReadRange0To2(std::string_view Line, int32_t& Pos, const TCharSet& Separators, TRange0To2& Value);

// Drops every lone double quote and turns each pair of adjacent double quotes
// into one.
std::string UnquoteToken(std::string_view Raw);

// Connector class names: "audio", "control", "logic", "slave"; any other
// value is "undefined".
std::string ConnectorClassToName(TConnectorClass Class);
// The class of a name (letter case and surrounding control characters and
// blanks ignored); raises EConvertError when the name is none of the four.
TConnectorClass ConnectorClassFromName(const std::string& Name);

// Upper-cases the letters a to z only; every other byte stays.
std::string UpperCaseAscii(std::string_view Text);

} // namespace permuto
