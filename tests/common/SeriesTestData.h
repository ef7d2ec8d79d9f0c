#pragma once
// Small dated series for the series arithmetic and statistics tests.

#include <limits>
#include <vector>

#include "common/Records.h"
#include "platform/DateTime.h"

namespace series_test {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Last day of a month; months beyond 12 roll into the following years.
inline double MonthEnd(int year, int month) {
  year += (month - 1) / 12;
  month = (month - 1) % 12 + 1;
  return platform::EncodeDate(year, month, platform::DaysInMonth(year, month));
}

// Values on consecutive month ends from (year, month).
inline TSeries Monthly(int year, int month, const std::vector<double>& values) {
  TSeries s;
  for (std::size_t i = 0; i < values.size(); ++i) s.push_back({MonthEnd(year, month + static_cast<int>(i)), values[i]});
  return s;
}

}  // namespace series_test
