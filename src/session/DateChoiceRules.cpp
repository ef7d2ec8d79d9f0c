#include "session/DateChoiceRules.h"

#include <array>

#include "common/DateHelpers.h"
#include "platform/DateTime.h"

namespace session {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                     "May",       "June",     "July",     "August",
                                                     "September", "October",  "November", "December"};

// Whether the chosen year allows the month.
bool MonthAllowedInYear(int year, int month, int minY, int minM, int maxY, int maxM) {
  if (year == minY && month <= minM) return false;
  if (year == maxY && month > maxM) return false;
  return true;
}

}  // namespace

void StartChoice(TDateChoice& choice, double date, double minDate, double maxDate) {
  choice.ChosenDate = date;
  choice.FirstYear = platform::DecodeDate(date).Year - 7;
  choice.MinDate = minDate;
  choice.MaxDate = maxDate;
  choice.SelectedMonth = 0;
  choice.SelectedYear = 0;
  FillChoice(choice);
}

void FillChoice(TDateChoice& choice) {
  const platform::CivilDate minD = platform::DecodeDate(choice.MinDate);
  const platform::CivilDate maxD = platform::DecodeDate(choice.MaxDate);
  const int minY = minD.Year, minM = minD.Month, maxY = maxD.Year, maxM = maxD.Month;
  const int lastYear = choice.FirstYear + kYearBlockSize - 1;

  for (int i = 0; i < kYearBlockSize; ++i) {
    const int y = choice.Year(i);
    choice.YearAllowed[static_cast<std::size_t>(i)] = minY <= y && y <= maxY;
  }
  const bool blockAllowed = lastYear >= minY && choice.FirstYear <= maxY;
  for (int m = 1; m <= 12; ++m) {
    bool allowed = blockAllowed;
    if (allowed && choice.SelectedYear != 0)
      allowed = MonthAllowedInYear(choice.SelectedYear, m, minY, minM, maxY, maxM);
    choice.MonthAllowed[static_cast<std::size_t>(m - 1)] = allowed;
  }

  if (choice.SelectedMonth != 0 && !choice.MonthAllowed[static_cast<std::size_t>(choice.SelectedMonth - 1)]) {
    int moved = choice.SelectedMonth;
    if (choice.SelectedYear == minY && moved <= minM) moved = minM + 1;
    if (choice.SelectedYear == maxY && moved > maxM) moved = maxM;
    const bool valid = moved >= 1 && moved <= 12 && choice.MonthAllowed[static_cast<std::size_t>(moved - 1)];
    choice.SelectedMonth = valid ? moved : 0;
  }

  if (choice.Complete())
    choice.ChosenDate = GetEndOfMonth(platform::EncodeDate(choice.SelectedYear, choice.SelectedMonth, 1));
}

bool ChooseMonth(TDateChoice& choice, int month) {
  if (month < 1 || month > 12 || !choice.MonthAllowed[static_cast<std::size_t>(month - 1)]) return false;
  choice.SelectedMonth = month;
  FillChoice(choice);
  return true;
}

bool ChooseYear(TDateChoice& choice, int index) {
  if (index < 0 || index >= kYearBlockSize || !choice.YearAllowed[static_cast<std::size_t>(index)]) return false;
  choice.SelectedYear = choice.Year(index);
  FillChoice(choice);
  return true;
}

void MoveYearBlock(TDateChoice& choice, int direction) {
  choice.FirstYear += direction < 0 ? -kYearBlockSize : kYearBlockSize;
  choice.SelectedMonth = 0;
  choice.SelectedYear = 0;
  FillChoice(choice);
}

std::string ChoiceDateText(double date) {
  const platform::CivilDate d = platform::DecodeDate(date);
  return std::to_string(d.Day) + " " + kMonthNames[static_cast<std::size_t>(d.Month - 1)] + " " +
         std::to_string(d.Year);
}

bool IntraMonthOffered(const std::vector<TCountry>& countries, double maxDate, bool isStartDate) {
  if (isStartDate || countries.empty() || countries.front().IndexAssets.empty()) return false;
  const std::vector<TAssetSeries>& assets = countries.front().IndexAssets;
  const TAssetSeries* chosen = &assets.front();
  for (const TAssetSeries& asset : assets)
    if (asset.ID == "EQINDEX") chosen = &asset;
  return chosen->FirstDailyPoint.Date >= maxDate;
}

}  // namespace session
