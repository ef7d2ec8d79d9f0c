#include "session/DateButtons.h"

#include <algorithm>
#include <cstddef>

#include "common/DateHelpers.h"
#include "session/WindowTexts.h"

namespace session {

namespace {

// Position of the entry equal to date; -1 when none.
std::ptrdiff_t EntryOf(const std::vector<double>& dates, double date) {
  const auto it = std::find(dates.begin(), dates.end(), date);
  return it == dates.end() ? -1 : it - dates.begin();
}

double CurrentOf(const std::vector<double>& dates, double date) { return EntryOf(dates, date) >= 0 ? date : 0.0; }

// A daily date, or its month end, read from a row: the missing mark (2.0),
// its month end (31 January 1900) and day 0 (nothing read yet) are none.
bool HasDailyRow(double date) { return date > GetEndOfMonth(kMissingDate); }

}  // namespace

TDateButtonRange StartDateChoice(const std::vector<double>& monthlyDates, double inceptionDate, double endDate) {
  TDateButtonRange choice;
  if (monthlyDates.empty()) return choice;
  choice.Current = CurrentOf(monthlyDates, inceptionDate);
  choice.Minimum = monthlyDates.front();
  const std::ptrdiff_t end = EntryOf(monthlyDates, endDate);
  if (end >= 0) {
    const std::ptrdiff_t place = std::max<std::ptrdiff_t>(0, end - kMinimumPeriodMonths);
    choice.Maximum = std::min(endDate, monthlyDates[static_cast<std::size_t>(place)]);
  }
  return choice;
}

TDateButtonRange EndDateChoice(const std::vector<double>& monthlyDates, double inceptionDate, double endDate) {
  TDateButtonRange choice;
  if (monthlyDates.empty()) return choice;
  choice.Current = CurrentOf(monthlyDates, endDate);
  const std::ptrdiff_t start = EntryOf(monthlyDates, inceptionDate);
  if (start >= 0) {
    const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(monthlyDates.size()) - 1;
    choice.Minimum = monthlyDates[static_cast<std::size_t>(std::min(last, start + kMinimumPeriodMonths))];
  }
  choice.Maximum = monthlyDates.back();
  return choice;
}

TStartDateResult ApplyStartDate(const std::vector<double>& monthlyDates, double chosenDate) {
  TStartDateResult result;
  if (EntryOf(monthlyDates, chosenDate) < 0) return result;
  result.Accepted = true;
  result.InceptionDate = chosenDate;
  result.Title = DateTitle(chosenDate);
  return result;
}

TEndDateResult ApplyEndDate(const std::vector<double>& monthlyDates, double chosenDate, bool intraMonth,
                            double intraMonthEnd, double latestDailyDate, double currentEndDate) {
  TEndDateResult result;
  result.EndDate = currentEndDate;
  if (EntryOf(monthlyDates, chosenDate) < 0) return result;
  result.Accepted = true;
  // The intra-month choice stands only on a daily row; without one it is the
  // plain choice of the latest month end, as when no intra-month data exist.
  const bool intraMonthShown = intraMonth && HasDailyRow(latestDailyDate) && HasDailyRow(intraMonthEnd);
  double shownEnd = intraMonthEnd;
  if (!intraMonthShown) {
    result.EndDate = intraMonth ? monthlyDates.back() : chosenDate;
    shownEnd = result.EndDate;
  }
  result.EndTitle = DateTitle(shownEnd);
  result.IntraMonthTitle = intraMonthShown ? IntraMonthTitle(latestDailyDate) : std::string();
  result.IntraMonthVisible = intraMonthShown;
  result.EndColour = intraMonthShown ? kIntraMonthEndColour : kEndDateColour;
  return result;
}

std::string IntraMonthTitle(double latestDailyDate) {
  if (!HasDailyRow(latestDailyDate)) return {};
  return "[ " + DateTitle(latestDailyDate) + " ]";
}

double FirstCountryIntraMonthEnd() {
  if (vcMyExternCountryList.empty()) return 0.0;
  const std::vector<TAssetSeries>& assets = vcMyExternCountryList.front().IndexAssets;
  if (assets.empty()) return 0.0;
  return assets[FindAssetPosition(assets, "EQINDEX", 0)].FirstDailyPoint.Date;
}

}  // namespace session
