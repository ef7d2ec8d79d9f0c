#include "platform/Format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/DateTime.h"

namespace platform {

namespace {

constexpr int kMaxPrecision = 15;
constexpr int kMaxFixedDigits = 18;
constexpr int kMaxExponentDigits = 4;
// A tenth of the largest double (1.7976931348623157E308) printed with 15
// significant digits (the printed value itself is no double), and the power
// of ten of its leading digit.
constexpr double kMaxPrintedDoubleTenth = 1.79769313486232e307;
constexpr long long kMaxDoublePower = 308;

// A non-negative decimal number 0.D1D2D3... x 10^Exponent; Digits carries no
// leading zero, and the value is zero when Digits is empty.
struct Decimal {
  std::string Digits;
  int Exponent = 0;
};

// Keeps the first `keep` digits, rounding half away from zero on the next
// digit; keep <= 0 leaves at most a carried "1".
void RoundDigits(Decimal& d, int keep) {
  if (keep >= static_cast<int>(d.Digits.size())) {
    return;
  }
  if (keep < 0) {
    d.Digits.clear();
    return;
  }
  const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<std::size_t>(keep));
  if (!up) {
    return;
  }
  int i = keep - 1;
  while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9') {
    d.Digits[static_cast<std::size_t>(i)] = '0';
    --i;
  }
  if (i >= 0) {
    ++d.Digits[static_cast<std::size_t>(i)];
  } else {
    d.Digits.insert(d.Digits.begin(), '1');
    ++d.Exponent;
  }
}

void StripTrailingZeros(Decimal& d) {
  while (!d.Digits.empty() && d.Digits.back() == '0') {
    d.Digits.pop_back();
  }
  if (d.Digits.empty()) {
    d.Exponent = 0;
  }
}

// Decimal digits of a finite |value| printed with `significant` digits
// (glibc prints the exact binary value, correctly rounded).
Decimal PrintDigits(double magnitude, int significant) {
  std::string buffer(static_cast<std::size_t>(significant) + 16, '\0');
  const int n = std::snprintf(buffer.data(), buffer.size(), "%.*e", significant - 1, magnitude);
  buffer.resize(static_cast<std::size_t>(std::max(n, 0)));
  Decimal d;
  const std::size_t e = buffer.find('e');
  for (std::size_t i = 0; i < e; ++i) {
    if (buffer[i] != '.') {
      d.Digits.push_back(buffer[i]);
    }
  }
  d.Exponent = std::atoi(buffer.c_str() + e + 1) + 1;
  return d;
}

// |value| rounded half away from zero to `precision` significant digits,
// trailing zeros removed. Forty printed digits settle the rounding unless
// they read as an exact tie ("5000..."), which may be the printer's own
// rounding of "4999..."; then the exact expansion (at most 767 significant
// digits for a double) decides.
Decimal ToDecimal(double value, int precision) {
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    return {};
  }
  constexpr int kProbeDigits = 40;
  constexpr int kExactDigits = 780;
  Decimal d = PrintDigits(magnitude, kProbeDigits);
  const std::string& digits = d.Digits;
  const auto tail = static_cast<std::size_t>(precision);
  if (digits[tail] == '5' && digits.find_first_not_of('0', tail + 1) == std::string::npos) {
    d = PrintDigits(magnitude, kExactDigits);
  }
  RoundDigits(d, precision);
  StripTrailingZeros(d);
  return d;
}

std::string SpecialText(double value) {
  if (std::isnan(value)) {
    return "NAN";
  }
  return value < 0.0 ? "-INF" : "INF";
}

std::string ExponentText(int exponent, int minDigits, bool plusSign) {
  std::string text = std::to_string(std::abs(exponent));
  if (static_cast<int>(text.size()) < minDigits) {
    text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
  }
  if (exponent < 0) {
    return "E-" + text;
  }
  return (plusSign ? "E+" : "E") + text;
}

// Shortest scientific form: "1.5E-5", "1E20".
std::string GeneralExponentForm(const Decimal& d, int exponentDigits, char sep) {
  std::string text(1, d.Digits[0]);
  if (d.Digits.size() > 1) {
    text += sep;
    text.append(d.Digits, 1);
  }
  return text + ExponentText(d.Exponent - 1, exponentDigits, false);
}

// Integer part of d (at least "0"), digits past the stored ones being zeros,
// with a separator between groups of three when `thousands` is not 0.
std::string IntegerPart(const Decimal& d, char thousands) {
  if (d.Exponent <= 0 || d.Digits.empty()) {
    return "0";
  }
  std::string text;
  const int length = d.Exponent;
  for (int i = 0; i < length; ++i) {
    if (thousands != '\0' && i > 0 && (length - i) % 3 == 0) {
      text += thousands;
    }
    text += i < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(i)] : '0';
  }
  return text;
}

// `count` digits after the decimal point, zeros past the stored ones.
std::string FractionDigits(const Decimal& d, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const int index = d.Exponent + i;
    text += index >= 0 && index < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(index)] : '0';
  }
  return text;
}

std::string GeneralForm(double value, int precision, int exponentDigits, char sep) {
  const Decimal d = ToDecimal(value, precision);
  if (d.Digits.empty()) {
    return "0";
  }
  const std::string sign = value < 0.0 ? "-" : "";
  // Fixed notation for 1E-4 <= |value| < 10^precision after rounding.
  if (d.Exponent > precision || d.Exponent < -3) {
    return sign + GeneralExponentForm(d, exponentDigits, sep);
  }
  std::string text = sign + IntegerPart(d, '\0');
  const int fraction = static_cast<int>(d.Digits.size()) - d.Exponent;
  if (fraction > 0) {
    text += sep;
    text += FractionDigits(d, fraction);
  }
  return text;
}

std::string ExponentForm(double value, int precision, int exponentDigits, char sep) {
  Decimal d = ToDecimal(value, precision);
  const int exponent = d.Digits.empty() ? 0 : d.Exponent - 1;
  std::string text = value < 0.0 && !d.Digits.empty() ? "-" : "";
  d.Digits.resize(static_cast<std::size_t>(precision), '0');
  text += d.Digits[0];
  if (precision > 1) {
    text += sep;
    text.append(d.Digits, 1);
  }
  return text + ExponentText(exponent, exponentDigits, true);
}

// Fixed notation with `digits` decimals: the value is first rounded to
// `precision` significant digits, then that decimal form to `digits`
// decimals (both half away from zero). Integer parts longer than the
// precision fall back to the shortest scientific form.
std::string FixedForm(double value, int precision, int digits, char thousands, char sep) {
  Decimal d = ToDecimal(value, precision);
  if (d.Exponent > precision) {
    return (value < 0.0 ? "-" : "") + GeneralExponentForm(d, 0, sep);
  }
  RoundDigits(d, d.Exponent + digits);
  StripTrailingZeros(d);
  std::string text = value < 0.0 && !d.Digits.empty() ? "-" : "";
  text += IntegerPart(d, thousands);
  if (digits > 0) {
    text += sep;
    text += FractionDigits(d, digits);
  }
  return text;
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits, char decimalSeparator) {
  if (!std::isfinite(value)) {
    return SpecialText(value);
  }
  precision = std::clamp(precision, 1, kMaxPrecision);
  switch (format) {
    case ffExponent:
      return ExponentForm(value, precision, std::clamp(digits, 0, kMaxExponentDigits), decimalSeparator);
    case ffFixed:
      return FixedForm(value, precision, std::clamp(digits, 0, kMaxFixedDigits), '\0', decimalSeparator);
    case ffNumber:
      return FixedForm(value, precision, std::clamp(digits, 0, kMaxFixedDigits), decimalSeparator == ',' ? '.' : ',',
                       decimalSeparator);
    case ffGeneral:
    default:
      return GeneralForm(value, precision, std::clamp(digits, 0, kMaxExponentDigits), decimalSeparator);
  }
}

std::string FloatToStr(double value, char decimalSeparator) {
  return FloatToStrF(value, ffGeneral, kMaxPrecision, 0, decimalSeparator);
}

std::string IntToStr(long long value) { return std::to_string(value); }

// ---------------------------------------------------------------------------
// Parsing

bool TryStrToFloat(const std::string& text, double& value, char decimalSeparator) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) {
    return false;
  }
  const std::size_t end = text.find_last_not_of(' ') + 1;
  std::size_t i = begin;
  const auto isDigit = [&](std::size_t k) { return k < end && text[k] >= '0' && text[k] <= '9'; };
  const auto takeDigits = [&](std::string& into) {
    while (isDigit(i)) {
      into += text[i++];
    }
  };
  const bool negative = text[i] == '-';
  if (text[i] == '+' || text[i] == '-') {
    ++i;
  }
  std::string integerPart;
  std::string fractionPart;
  takeDigits(integerPart);
  if (i < end && text[i] == decimalSeparator) {
    ++i;
    takeDigits(fractionPart);
  }
  if (integerPart.empty() && fractionPart.empty()) {
    return false;
  }
  std::string exponentPart;
  bool negativeExponent = false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
      negativeExponent = text[i] == '-';
      ++i;
    }
    takeDigits(exponentPart);
    if (exponentPart.empty()) {
      return false;
    }
  }
  if (i != end) {
    return false;
  }
  const std::string normal = (negative ? "-" : "") + (integerPart.empty() ? "0" : integerPart) + "." + fractionPart +
                             "e" + (negativeExponent ? "-" : "") + (exponentPart.empty() ? "0" : exponentPart);
  double result = 0.0;
  const char* last = normal.data() + normal.size();
  const auto [ptr, ec] = std::from_chars(normal.data(), last, result);
  if (ptr != last || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
    return false;
  }
  if (ec == std::errc::result_out_of_range) {
    // Out of range at or above 1 is an overflow (rejected), below 1 an
    // underflow (signed zero). Power of ten of the leading digit plus the
    // exponent (saturated) tells which.
    const std::size_t nz = integerPart.find_first_not_of('0');
    const long long leading = nz != std::string::npos
                                  ? static_cast<long long>(integerPart.size() - 1 - nz)
                                  : -static_cast<long long>(fractionPart.find_first_not_of('0')) - 1;
    long long exponent = 0;
    for (const char digit : exponentPart) {
      exponent = std::min(exponent * 10 + (digit - '0'), 1000000000LL);
    }
    const long long power = leading + (negativeExponent ? -exponent : exponent);
    if (power == kMaxDoublePower) {
      // The largest doubles print (15 digits, rounded up) as
      // 1.79769313486232E308, just past the largest double: a text up to
      // that bound reads as the largest double, so every printed value
      // reads back. Compared at a tenth: 0.<digits>E308 <= 1.79769313486232E307.
      const std::string digits = integerPart + fractionPart;
      const std::string tenth = "0." + digits.substr(digits.find_first_not_of('0')) + "e308";
      double scaled = 0.0;
      const auto scaledEnd = tenth.data() + tenth.size();
      if (std::from_chars(tenth.data(), scaledEnd, scaled).ec == std::errc() && scaled <= kMaxPrintedDoubleTenth) {
        value = negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
        return true;
      }
    }
    if (power >= 0) {
      return false;
    }
    result = negative ? -0.0 : 0.0;
  }
  value = result;
  return true;
}

double StrToFloat(const std::string& text, char decimalSeparator) {
  double value = 0.0;
  if (!TryStrToFloat(text, value, decimalSeparator)) {
    throw EConvertError("'" + text + "' is not a valid floating point value");
  }
  return value;
}

// ---------------------------------------------------------------------------
// Date-time pictures

namespace {

constexpr std::array<const char*, 12> kShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonthNames = {"January",   "February", "March",    "April",
                                                         "May",       "June",     "July",     "August",
                                                         "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

struct DateTimeParts {
  int Year = 0, Month = 0, Day = 0, DayOfWeek = 1;  // 1 = Sunday
  int Hour = 0, Minute = 0, Second = 0;
};

// Splits the value into the civil date and the time of day, rounding to the
// millisecond: whole ms = round(value x 86400000), day = floor(ms / 86400000).
DateTimeParts SplitDateTime(double dateTime) {
  constexpr long long kMsPerDay = 86400000LL;
  const long long totalMs = std::llround(dateTime * static_cast<double>(kMsPerDay));
  long long day = totalMs / kMsPerDay;
  long long ms = totalMs % kMsPerDay;
  if (ms < 0) {
    ms += kMsPerDay;
    --day;
  }
  DateTimeParts parts;
  const CivilDate date = DecodeDate(static_cast<double>(day));
  parts.Year = date.Year;
  parts.Month = date.Month;
  parts.Day = date.Day;
  parts.DayOfWeek = DayOfWeek(static_cast<double>(day));
  parts.Hour = static_cast<int>(ms / 3600000);
  parts.Minute = static_cast<int>(ms / 60000 % 60);
  parts.Second = static_cast<int>(ms / 1000 % 60);
  return parts;
}

void AppendNumber(std::string& out, int number, int minDigits) {
  std::string text = std::to_string(number);
  if (static_cast<int>(text.size()) < minDigits) {
    out.append(static_cast<std::size_t>(minDigits) - text.size(), '0');
  }
  out += text;
}

// A run of 1 or 2 letters writes the number (2: two digits), 3 the short
// name, 4 or more the long name.
void AppendNumberOrName(std::string& out, std::size_t count, int number, const char* shortName, const char* longName) {
  if (count <= 2) {
    AppendNumber(out, number, static_cast<int>(count));
  } else {
    out += count == 3 ? shortName : longName;
  }
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

// Tokens (case-insensitive): d dd ddd dddd; m mm mmm mmmm (the minutes
// instead when the last letter token was an hour); yy (also y) and yyyy
// (also yyy); h hh, n nn, s ss; "..." and '...' literals; '/' and ':' are
// written as such, like any other character. Values outside years 1..9999
// (after rounding to the millisecond) and NaN give the empty text.
std::string FormatDateTime(const std::string& format, double dateTime) {
  if (!std::isfinite(dateTime) || dateTime < kMinDateTime || dateTime >= kMaxDateTime + 1.0) {
    return "";
  }
  const DateTimeParts t = SplitDateTime(dateTime);
  if (t.Year > 9999) {
    return "";
  }
  std::string out;
  bool afterHour = false;
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char u = Upper(c);
    if (c == '"' || c == '\'') {
      const std::size_t close = format.find(c, i + 1);
      const std::size_t stop = close == std::string::npos ? format.size() : close;
      out.append(format, i + 1, stop - i - 1);
      i = close == std::string::npos ? stop : stop + 1;
      continue;
    }
    std::size_t count = 1;
    if (u == 'D' || u == 'M' || u == 'Y' || u == 'H' || u == 'N' || u == 'S') {
      while (i + count < format.size() && Upper(format[i + count]) == u) {
        ++count;
      }
    }
    const int width = count >= 2 ? 2 : 1;
    switch (u) {
      case 'D':
        AppendNumberOrName(out, count, t.Day, kShortDayNames[static_cast<std::size_t>(t.DayOfWeek - 1)],
                           kLongDayNames[static_cast<std::size_t>(t.DayOfWeek - 1)]);
        break;
      case 'M':
        if (afterHour) {
          AppendNumber(out, t.Minute, width);
        } else {
          AppendNumberOrName(out, count, t.Month, kShortMonthNames[static_cast<std::size_t>(t.Month - 1)],
                             kLongMonthNames[static_cast<std::size_t>(t.Month - 1)]);
        }
        break;
      case 'Y':
        if (count <= 2) {
          AppendNumber(out, t.Year % 100, 2);
        } else {
          AppendNumber(out, t.Year, 4);
        }
        break;
      case 'H':
        AppendNumber(out, t.Hour, width);
        break;
      case 'N':
        AppendNumber(out, t.Minute, width);
        break;
      case 'S':
        AppendNumber(out, t.Second, width);
        break;
      default:
        out.append(count, c);  // '/', ':' and every other character as written
        break;
    }
    if (u >= 'A' && u <= 'Z') {
      afterHour = u == 'H';
    }
    i += count;
  }
  return out;
}

}  // namespace platform
