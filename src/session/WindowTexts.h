#pragma once
// Fixed display texts of the main window, the date title, the version title
// and the two-year history date.

#include <array>
#include <string>

namespace session {

inline const std::array<std::string, 12> sMonthNames{"January",   "February", "March",    "April",
                                                     "May",       "June",     "July",     "August",
                                                     "September", "October",  "November", "December"};
// Groups of the second QV list, by QVList2Index.
inline const std::array<std::string, 8> sQVList2Titles{"Equity Risk", "Four Quadrants", "World USD Base",
                                                       "Valuation",   "Wealth Effect",  "FX Rate",
                                                       "World Trade", "Commodity Price"};
// Combined-list entries by page: MYGP, EQGP, EQQV and EQBL, FIGP. "&&" shows as one "&".
inline const std::array<std::string, 4> sGlobalCOListTitles{"All", "Equity", "Bond", "FX Hedging"};
inline const std::array<std::string, 3> sEQGPCOListTitles{"All", "Equity && Bond", "FX Hedging"};
inline const std::array<std::string, 3> sEquityCOListTitles{"All", "Equity", "Bond"};
inline const std::array<std::string, 3> sFIGPCOListTitles{"All", "Bond", "FX Hedging"};

// "05 March 2021": two-digit day, month name, year.
std::string DateTitle(double date);

// A stored literal as a label shows it: every "&&" becomes "&".
std::string ShownText(const std::string& text);

// "(Version " + the compiled-in program version + ")".
std::string VersionTitleText();

// The last day of the month two years after the latest first date of the
// series of vcMyExternCountryList, looking at the first INDEX asset of each
// country and at every asset of the other four types (empty series skipped).
// 31 Jan 1902 when no series has a point.
double GetTwoYearHistoryDate();

}  // namespace session
