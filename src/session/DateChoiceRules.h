#pragma once
// The month/year choice of the date dialog: a block of sixteen years and
// twelve months, limited by a minimum and a maximum date. The result is the
// last day of the chosen month.

#include <array>
#include <string>
#include <vector>

#include "common/Records.h"

namespace session {

inline constexpr int kYearBlockSize = 16;

struct TDateChoice {
  double MinDate = 0.0;
  double MaxDate = 0.0;
  int FirstYear = 0;        // year of the first of the sixteen year buttons
  int SelectedMonth = 0;    // 1..12, 0 none
  int SelectedYear = 0;     // a year of the block, 0 none
  double ChosenDate = 0.0;  // the month end of the last complete choice
  std::array<bool, kYearBlockSize> YearAllowed{};
  std::array<bool, 12> MonthAllowed{};

  bool Complete() const { return SelectedMonth != 0 && SelectedYear != 0; }
  int Year(int index) const { return FirstYear + index; }
};

// A fresh showing: ChosenDate := date, the block runs from year(date) - 7 to
// year(date) + 8, nothing chosen; then FillChoice.
void StartChoice(TDateChoice& choice, double date, double minDate, double maxDate);

// Recomputes what is allowed. Years: minY <= y <= maxY. Months: all when the
// block can hold an allowed year, none otherwise; with a chosen year, in the
// minimum year only months after the minimum month, in the maximum year only
// months up to the maximum month. A chosen month that the chosen year does
// not allow moves to minM + 1 (minimum year) or maxM (maximum year), and is
// dropped when that month is not allowed either (a year allowing no month).
// A complete choice sets ChosenDate to its month end.
void FillChoice(TDateChoice& choice);

// Clicks on a month (1..12) or a year (its block index 0..15); a click on a
// button that is not allowed is ignored. Return whether it counted.
bool ChooseMonth(TDateChoice& choice, int month);
bool ChooseYear(TDateChoice& choice, int index);
// "<" (direction -1) and ">" (+1): the block moves by sixteen years and both
// choices are dropped.
void MoveYearBlock(TDateChoice& choice, int direction);

// "30 June 2021".
std::string ChoiceDateText(double date);

// The end-date dialog offers "Intra-Month" when the first country's last
// "EQINDEX" index asset (its first index asset when none is) has its
// intra-month point on or after maxDate. No country or no index asset: not offered.
bool IntraMonthOffered(const std::vector<TCountry>& countries, double maxDate, bool isStartDate);

}  // namespace session
