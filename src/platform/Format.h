#pragma once
// Number and date-time text as the stored data and the screens write it: float
// formatting with half-away-from-zero rounding of the decimal form, date
// pictures with English month and day names, and strict float parsing.

#include <stdexcept>
#include <string>

namespace platform {

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };

// Formats value with at most `precision` significant digits (1..15 for a
// double); for ffFixed/ffNumber `digits` is the count of decimals, for
// ffExponent the minimum count of exponent digits, for ffGeneral unused
// unless the exponent form is taken. NaN -> "NAN", +inf -> "INF",
// -inf -> "-INF".
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits, char decimalSeparator = '.');
// General format, 15 significant digits: shortest form without trailing
// zeros; exponent form ("1.5E-5") outside fixed range.
std::string FloatToStr(double value, char decimalSeparator = '.');
// Renders dateTime (days since 30 Dec 1899) by the picture `format`.
std::string FormatDateTime(const std::string& format, double dateTime);

class EConvertError : public std::runtime_error {
  using runtime_error::runtime_error;
};

// Parses optional spaces, sign, digits, one decimal separator, digits,
// optional exponent, optional spaces; anything else throws EConvertError
// "'<text>' is not a valid floating point value".
double StrToFloat(const std::string& text, char decimalSeparator = '.');
bool TryStrToFloat(const std::string& text, double& value, char decimalSeparator = '.');
std::string IntToStr(long long value);

}  // namespace platform
