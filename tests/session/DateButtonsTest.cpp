#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/DateHelpers.h"
#include "platform/DateTime.h"
#include "session/DateButtons.h"
#include "session/WindowTexts.h"

namespace session {
namespace {

std::vector<double> MonthEnds(int count) {
  std::vector<double> dates;
  for (int i = 0; i < count; ++i) dates.push_back(GetEndOfMonth(platform::EncodeDate(2000 + i / 12, 1 + i % 12, 1)));
  return dates;
}

TEST(DateButtonsTest, RangesKeepTwentyFourMonths) {
  const std::vector<double> d = MonthEnds(100);
  struct Case {
    int Start, End;                          // entries; -1 not an entry
    int StartMin, StartMax, EndMin, EndMax;  // entries; -1 gives 0
  };
  const Case cases[] = {
      {10, 60, 0, 36, 34, 99},
      {0, 99, 0, 75, 24, 99},
      {90, 10, 0, 0, 99, 99},  // places outside the list clamp to its ends
      {-1, -1, 0, -1, -1, 99},
  };
  const auto at = [&d](int i) { return i < 0 ? 0.0 : d[static_cast<std::size_t>(i)]; };
  const auto date = [&](int i) { return i < 0 ? d[0] + 5 : at(i); };  // -1: a date between entries
  for (const Case& c : cases) {
    const TDateButtonRange s = StartDateChoice(d, date(c.Start), date(c.End));
    const TDateButtonRange e = EndDateChoice(d, date(c.Start), date(c.End));
    EXPECT_EQ(std::vector({s.Current, s.Minimum, s.Maximum, e.Current, e.Minimum, e.Maximum}),
              std::vector({at(c.Start), at(c.StartMin), at(c.StartMax), at(c.End), at(c.EndMin), at(c.EndMax)}))
        << c.Start << " " << c.End;
  }
  const TDateButtonRange empty = EndDateChoice({}, d[0], d[1]);
  EXPECT_EQ(empty.Minimum + empty.Maximum + StartDateChoice({}, d[0], d[1]).Maximum, 0.0);
}

TEST(DateButtonsTest, ChosenEndDate) {
  const std::vector<double> d = MonthEnds(100);
  const double latestDaily = platform::EncodeDate(2008, 5, 14);
  const double intraMonthEnd = platform::EncodeDate(2008, 5, 31);

  const TEndDateResult intra = ApplyEndDate(d, d[60], true, intraMonthEnd, latestDaily, d[70]);
  EXPECT_TRUE(intra.Accepted && intra.IntraMonthVisible);
  EXPECT_EQ(intra.EndDate, d[70]);
  EXPECT_EQ(intra.EndTitle + intra.IntraMonthTitle, "31 May 2008[ 14 May 2008 ]");
  EXPECT_EQ(intra.EndColour, 0xFFF46075u);
  // No daily row in the local file: the latest daily date is missing (2.0) or not read yet (day 0), or the
  // first country's intra-month end is the missing mark's month end. The choice is the plain one of the
  // latest month end: never "31 January 1900" or "30 December 1899" on a button.
  const double missingEnd = GetEndOfMonth(kMissingDate);
  for (const auto& [daily, end] : {std::pair{kMissingDate, missingEnd}, std::pair{0.0, missingEnd},
                                   std::pair{kMissingDate, intraMonthEnd}, std::pair{latestDaily, missingEnd}}) {
    const TEndDateResult noDaily = ApplyEndDate(d, d[99], true, end, daily, d[70]);
    EXPECT_TRUE(noDaily.Accepted) << daily << " " << end;
    EXPECT_FALSE(noDaily.IntraMonthVisible);
    EXPECT_EQ(noDaily.EndDate, d[99]);
    EXPECT_EQ(noDaily.EndTitle + noDaily.IntraMonthTitle, DateTitle(d[99]));
    EXPECT_EQ(noDaily.EndColour, kEndDateColour);
  }

  const TEndDateResult monthly = ApplyEndDate(d, d[60], false, intraMonthEnd, latestDaily, d[70]);
  EXPECT_EQ(monthly.EndDate, d[60]);
  EXPECT_EQ(monthly.EndTitle, "31 January 2005");
  EXPECT_EQ(monthly.EndColour, 0xFF005890u);

  const TEndDateResult outside = ApplyEndDate(d, d[60] + 1, false, intraMonthEnd, latestDaily, d[70]);
  EXPECT_FALSE(outside.Accepted);
  EXPECT_EQ(outside.EndDate, d[70]);

  EXPECT_EQ(ApplyStartDate(d, d[14]).Title, "31 March 2001");
  EXPECT_FALSE(ApplyStartDate(d, d[14] - 3).Accepted);
}

}  // namespace
}  // namespace session
