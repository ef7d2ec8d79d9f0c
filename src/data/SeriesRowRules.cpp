#include "data/SeriesRowRules.h"

#include <cmath>

#include "common/DateHelpers.h"
#include "platform/Format.h"

namespace {

// A name quoted in a problem keeps at most this many bytes.
constexpr std::size_t kMaxQuotedBytes = 80;

std::string Quoted(std::string_view name) {
  std::string text(name.substr(0, kMaxQuotedBytes));
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return "'" + text + (name.size() > kMaxQuotedBytes ? "...'" : "'");
}

bool Fail(std::string& problem, std::string text) {
  problem = std::move(text);
  return false;
}

}  // namespace

double LatestSeriesDate(double today) { return GetEndOfMonth(GetEndOfMonth(today) + 1.0); }

bool CheckSeriesDate(double date, double latestDate, std::string& problem) {
  if (date < kEarliestSeriesDate) return Fail(problem, "DATE " + platform::FloatToStr(date) + " is before 1 January 1900");
  if (!(date <= latestDate))
    return Fail(problem, "DATE " + platform::FloatToStr(date) + " is after the last day of next month");
  return true;
}

bool CheckSeriesValue(double value, std::string& problem) {
  if (std::isfinite(value) && std::fabs(value) <= kMaxSeriesMagnitude) return true;
  return Fail(problem, "VALUE " + platform::FloatToStr(value) + " is out of range (size above 1E12)");
}

bool CheckSeriesName(std::string_view name, const char* member, std::string& problem) {
  std::size_t chars = 0;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return Fail(problem, std::string(member) + " " + Quoted(name) + " holds a control byte");
    if ((byte & 0xC0) != 0x80) ++chars;  // continuation bytes belong to the character before
  }
  if (chars > kMaxSeriesNameChars)
    return Fail(problem, std::string(member) + " " + Quoted(name) + " is longer than 64 characters");
  return true;
}

bool CheckSeriesPoint(const TDataPoint& point, double latestDate, std::string& problem) {
  return CheckSeriesDate(point.Date, latestDate, problem) && CheckSeriesValue(point.Value, problem);
}

bool CheckSeriesRow(std::string_view country, std::string_view asset, const TDataPoint& point, double latestDate,
                    std::string& problem) {
  return CheckSeriesName(country, "COUNTRYNAME", problem) && CheckSeriesName(asset, "ASSETID", problem) &&
         CheckSeriesPoint(point, latestDate, problem);
}
