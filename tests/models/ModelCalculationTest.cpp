// The calculation of the nine models: the working list it prepares and how a
// failing model ends it.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ModelTestSupport.h"
#include "common/Globals.h"
#include "models/global/ModelCalculation.h"
#include "portfolio/GlobalResultRecords.h"

using namespace testcountries;

namespace {

TEST(ModelCalculation, WorkingListCutsBothSignalsToTheirCommonRange) {
  TCountry a = MakeCountry("A", "USD");
  Asset(a, atSignal, "QVSIGNAL") = Constant(2000, 1, 12, 1.0);   // Jan..Dec
  Asset(a, atSignal, "BLSIGNAL") = Constant(2000, 3, 8, 0.0);    // Mar..Oct
  Asset(a, atIndex, "EQINDEX") = Constant(2000, 1, 12, 100.0);
  TCountry b = MakeCountry("B", "USD");
  Asset(b, atSignal, "QVSIGNAL") = Constant(2000, 1, 12, 1.0);  // no BL signal: both stay
  const std::vector<TCountry> list = models::PrepareWorkingList({a, b}, false);
  ASSERT_EQ(list.size(), 2u);
  for (const char* id : {"QVSIGNAL", "BLSIGNAL"}) {
    const TSeries& s = list[0].SignalAssets[id == std::string("QVSIGNAL") ? 0 : 1].Series;
    ASSERT_EQ(s.size(), 8u) << id;
    EXPECT_EQ(s.front().Date, MonthEnd(2000, 3)) << id;
    EXPECT_EQ(s.back().Date, MonthEnd(2000, 10)) << id;
  }
  EXPECT_EQ(list[0].IndexAssets[0].Series.size(), 12u);  // other assets untouched
  EXPECT_EQ(list[1].SignalAssets[0].Series.size(), 12u);
  // The calculation reads the list itself only where the preparation changes nothing.
  EXPECT_FALSE(models::WorkingListIsTheList({a, b}, false));
  EXPECT_TRUE(models::WorkingListIsTheList({b}, false));
  EXPECT_TRUE(models::WorkingListIsTheList(list, false));
  EXPECT_TRUE(models::WorkingListIsTheList({}, true));
}

TEST(ModelCalculation, IntraMonthPointIsAppendedOnlyAfterTheLastDateAndWithAValue) {
  struct Case {
    double pointDate;
    double pointValue;
    std::size_t expectedSize;
  };
  const Case cases[] = {
      {MonthEnd(2000, 4), 7.0, 4},        // a month after the series: appended
      {MonthEnd(2000, 3), 7.0, 3},        // the series' own last date: not again
      {MonthEnd(2000, 2), 7.0, 3},        // earlier: not appended
      {MonthEnd(2000, 4), kNoFigure, 3},  // no daily row: not appended
  };
  for (const Case& c : cases) {
    TCountry country = MakeCountry("A", "USD");
    country.IndexAssets[0].Series = Constant(2000, 1, 3, 1.0);
    country.IndexAssets[0].FirstDailyPoint = {c.pointDate, c.pointValue};
    const std::vector<TCountry> monthly = models::PrepareWorkingList({country}, false);
    EXPECT_EQ(monthly[0].IndexAssets[0].Series.size(), 3u);
    const std::vector<TCountry> intra = models::PrepareWorkingList({country}, true);
    const TSeries& s = intra[0].IndexAssets[0].Series;
    ASSERT_EQ(s.size(), c.expectedSize) << c.pointDate << " " << c.pointValue;
    const TDataPoint last = c.expectedSize == 4 ? TDataPoint{c.pointDate, c.pointValue} : TDataPoint{MonthEnd(2000, 3), 1.0};
    EXPECT_EQ(s.back(), last);
    EXPECT_TRUE(models::WorkingListIsTheList({country}, false));
    EXPECT_EQ(models::WorkingListIsTheList({country}, true), c.expectedSize == 3);
  }
}

TEST(ModelCalculation, AFailingModelEndsTheCalculationWithItsCodeAndStep) {
  const std::vector<TCountry> savedList = std::exchange(vcMyExternCountryList, {});
  cMyExternMYGPGraphicData.Values1 = {{1.0, 2.0}};  // a previous run's result stays
  modeltest::RecordingProgress progress;
  std::vector<std::uint32_t> announced;
  const models::TModelCalculationResult result =
      models::CalculateModels(false, progress, [&](std::uint32_t k) { announced.push_back(k); });
  vcMyExternCountryList = savedList;
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.FailureText, "EQSL Failed (Step 1)");
  EXPECT_EQ(result.ModelNumber, 1u);
  EXPECT_EQ(result.ModelStep, 1u);
  EXPECT_EQ(announced, std::vector<std::uint32_t>{1});
  EXPECT_EQ(progress.Texts, std::vector<std::string>{"11%"});
  EXPECT_EQ(cMyExternMYGPGraphicData.Values1, (TSeries{{1.0, 2.0}}));
  cMyExternMYGPGraphicData = {};
}

}  // namespace
