// Numbers as the editors write and read them: the integer and float texts
// the checks accept, reading a decimal number with "," as separator, and the
// general number format and the float32 display. Every text here is plain
// ASCII; numbers with a fraction use "," as decimal separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kessik {

// Optional "-" then one or more digits, nothing else.
bool isIntegerText(std::string_view text);
// "NAN", or optional "-" then digits and at most one "," (at least one char).
bool isFloatText(std::string_view text);

// The decimal integer of the text when it fits 32 bits signed.
std::optional<std::int32_t> parseInt32(std::string_view text);

// How reading a decimal number went, for a given precision.
enum class NumberStatus { Ok, NotNumber, Overflow };
// Optional "-", digits, at most one separator ("," or "."), digits, with at
// least one digit. A value too small for the type reads as (signed) zero; one
// too large is an overflow.
NumberStatus readDecimal(std::string_view text, float& value);
NumberStatus readDecimal(std::string_view text, double& value);

// A decimal number with "," (or ".") as separator: "5,", ",5", "-1,25".
// Nothing for a text that is no number (",", "-,", "1e5", "").
std::optional<double> parseNumber(std::string_view text);

// A number as the program itself shows it: every text parseNumber() reads,
// and what formatNumber() and formatFloat32() write besides: E notation
// ("5E-6,0", "1,5E-6", "3,40282346638529E38"), "NAN", "INF" and "-INF".
// Nothing for any other text.
std::optional<double> parseShownNumber(std::string_view text);

// The general number format: 15 significant digits, "," as separator,
// trailing zeros dropped, fixed when 0.00001 <= |v| and at most 15 integer
// digits, else scientific ("5E-6", "1,5E20"); ",0" appended when there is no
// ",". NaN gives "NAN", infinities "INF" / "-INF".
std::string formatNumber(double v);
// The float32 display: seven-digit rounding, then formatNumber(). Integer
// parts of more than 15 digits are written out whole ("100000002004087734272,0"),
// so the text converts back to the same value.
std::string formatFloat32(float x);
// The same text worked out the long way, digit string by digit string: the
// reference the quick path of formatFloat32() is tested against.
std::string formatFloat32Exactly(float x);

}  // namespace kessik
