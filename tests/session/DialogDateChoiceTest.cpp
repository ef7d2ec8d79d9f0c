// The month/year choice of the date dialog: limits, moves and the
// intra-month offer.

#include <gtest/gtest.h>

#include "platform/DateTime.h"
#include "session/DateChoiceRules.h"

namespace {

using platform::EncodeDate;
using session::TDateChoice;

int IndexOfYear(const TDateChoice& c, int year) { return year - c.FirstYear; }

std::string AllowedMonths(const TDateChoice& c) {
  std::string text;
  for (bool allowed : c.MonthAllowed) text += allowed ? '1' : '0';
  return text;
}

TDateChoice Start(double date, double minDate, double maxDate) {
  TDateChoice c;
  session::StartChoice(c, date, minDate, maxDate);
  return c;
}

TEST(DialogDateChoiceTest, LimitsOfTheMinimumAndMaximumYear) {
  struct Row {
    double minDate, maxDate;
    int year;
    const char* allowed;
  };
  const Row rows[] = {
      {EncodeDate(2000, 1, 31), EncodeDate(2021, 6, 30), 2000, "011111111111"},
      {EncodeDate(2000, 1, 31), EncodeDate(2021, 6, 30), 2021, "111111000000"},
      {EncodeDate(2000, 1, 31), EncodeDate(2021, 6, 30), 2010, "111111111111"},
      {EncodeDate(2015, 3, 31), EncodeDate(2015, 8, 31), 2015, "000111110000"},  // both limits in one year
  };
  for (const Row& row : rows) {
    TDateChoice c = Start(EncodeDate(row.year, 5, 31), row.minDate, row.maxDate);
    EXPECT_EQ(AllowedMonths(c), "111111111111");  // no year chosen yet
    ASSERT_TRUE(session::ChooseYear(c, IndexOfYear(c, row.year)));
    EXPECT_EQ(AllowedMonths(c), row.allowed) << row.year;
  }
  TDateChoice c = Start(EncodeDate(2021, 6, 30), EncodeDate(2000, 1, 31), EncodeDate(2021, 6, 30));
  EXPECT_FALSE(c.YearAllowed[static_cast<std::size_t>(IndexOfYear(c, 2022))]);
  EXPECT_FALSE(session::ChooseYear(c, IndexOfYear(c, 2022)));
  EXPECT_EQ(c.SelectedYear, 0);
  // A block holding no allowed year allows no month either.
  session::MoveYearBlock(c, 1);
  EXPECT_EQ(c.FirstYear, 2030);
  EXPECT_EQ(AllowedMonths(c), "000000000000");
}

TEST(DialogDateChoiceTest, YearAllowingNoMonthClearsTheMonth) {
  // Minimum in December: its year allows no month.
  TDateChoice c = Start(EncodeDate(2005, 5, 31), EncodeDate(2000, 12, 31), EncodeDate(2021, 6, 30));
  ASSERT_TRUE(session::ChooseMonth(c, 12));
  ASSERT_TRUE(session::ChooseYear(c, IndexOfYear(c, 2000)));
  EXPECT_EQ(AllowedMonths(c), "000000000000");
  EXPECT_EQ(c.SelectedMonth, 0);
  EXPECT_FALSE(c.Complete());
  // Both limits in one month: nothing between them.
  c = Start(EncodeDate(2015, 5, 31), EncodeDate(2015, 5, 31), EncodeDate(2015, 5, 31));
  ASSERT_TRUE(session::ChooseMonth(c, 5));
  ASSERT_TRUE(session::ChooseYear(c, IndexOfYear(c, 2015)));
  EXPECT_EQ(c.SelectedMonth, 0);
}

TEST(DialogDateChoiceTest, IntraMonthOffer) {
  auto countries = [](std::vector<std::pair<std::string, double>> assets) {
    TCountry country;
    for (auto& [id, date] : assets) {
      TAssetSeries asset;
      asset.ID = id;
      asset.FirstDailyPoint = {date, 1.0};
      country.IndexAssets.push_back(asset);
    }
    return std::vector<TCountry>{country};
  };
  const double maxDate = EncodeDate(2026, 2, 28);
  const double march = EncodeDate(2026, 3, 31);
  EXPECT_TRUE(session::IntraMonthOffered(countries({{"10YRATEINDEX", 0.0}, {"EQINDEX", march}}), maxDate, false));
  EXPECT_TRUE(session::IntraMonthOffered(countries({{"EQINDEX", maxDate}}), maxDate, false));
  EXPECT_FALSE(session::IntraMonthOffered(countries({{"EQINDEX", maxDate - 1}}), maxDate, false));
  EXPECT_FALSE(session::IntraMonthOffered(countries({{"EQINDEX", march}}), maxDate, true));  // start date
  // Without EQINDEX the first index asset decides.
  EXPECT_TRUE(session::IntraMonthOffered(countries({{"AUINDEX", march}, {"IBINDEX1", 0.0}}), maxDate, false));
  EXPECT_FALSE(session::IntraMonthOffered({}, maxDate, false));
  EXPECT_FALSE(session::IntraMonthOffered(countries({}), maxDate, false));
}

}  // namespace
