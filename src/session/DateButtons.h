#pragma once
// The two date buttons of the workspace: the range offered by the date
// dialog and what a chosen date changes. The period runs over month ends
// of MonthlyDates and is at least 24 of them long.

#include <string>
#include <vector>

#include "common/Globals.h"

namespace session {

inline constexpr int kMinimumPeriodMonths = 24;
inline constexpr TAlphaColor kIntraMonthEndColour = 0xFFF46075;
inline constexpr TAlphaColor kEndDateColour = 0xFF005890;

// What the date dialog is given: the current value (0 when it is not an
// entry of MonthlyDates) and the lowest and highest date it may offer.
struct TDateButtonRange {
  double Current = 0.0;
  double Minimum = 0.0;
  double Maximum = 0.0;
};

// Start: minimum the first entry, maximum the entry 24 before EndDate
// (capped at EndDate; 0 when EndDate is no entry; the first entry when
// fewer than 24 lie before it). Empty list: all 0.
TDateButtonRange StartDateChoice(const std::vector<double>& monthlyDates, double inceptionDate, double endDate);

// End: minimum the entry 24 after InceptionDate (0 when it is no entry; the
// last entry when fewer than 24 follow it), maximum the last entry. Empty list: all 0.
TDateButtonRange EndDateChoice(const std::vector<double>& monthlyDates, double inceptionDate, double endDate);

struct TStartDateResult {
  bool Accepted = false;  // the chosen date is an entry; else nothing changes
  double InceptionDate = 0.0;
  std::string Title;     // StartDateButtonTitle
  int SaveSelector = 0;  // the start date is stored, then the models run
};

TStartDateResult ApplyStartDate(const std::vector<double>& monthlyDates, double chosenDate);

struct TEndDateResult {
  bool Accepted = false;        // the chosen date is an entry; else nothing changes
  double EndDate = 0.0;         // unchanged with the intra-month choice on a daily row
  std::string EndTitle;         // EndDateButtonTitle: the shown end
  std::string IntraMonthTitle;  // IntraMonthTitle(latest daily date)
  bool IntraMonthVisible = false;
  TAlphaColor EndColour = kEndDateColour;  // end button frame and title
  int SaveSelector = 8;                    // stores nothing, then the models run
};

// intraMonthEnd: the month end of the first country's EQINDEX latest daily
// point (FirstCountryIntraMonthEnd), shown as the end with the intra-month choice.
// Without a daily row (either date missing) the intra-month choice is the plain
// choice of the latest month end: EndDate and the shown end are the last entry,
// no intra-month title, the end colour.
TEndDateResult ApplyEndDate(const std::vector<double>& monthlyDates, double chosenDate, bool intraMonth,
                            double intraMonthEnd, double latestDailyDate, double currentEndDate);

// The intra-month date under the end button: "[ " + the date's title + " ]";
// empty when the local file holds no daily row (2.0, or 0 before any was read).
std::string IntraMonthTitle(double latestDailyDate);

// The daily month end of the last "EQINDEX" among the first country's INDEX
// assets (the first INDEX asset when none is); 0 without country or asset.
double FirstCountryIntraMonthEnd();

}  // namespace session
