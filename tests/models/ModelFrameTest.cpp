// The run frame shared by the model entries: progress texts, failure text,
// run window, start shift, cut, and the small shared lookups.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/ModelFrame.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;

namespace {

TEST(ModelFrame, ProgressTextTruncatesTowardZero) {
  const std::vector<std::string> expected{"0%", "11%", "22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"};
  for (std::uint32_t k = 0; k < expected.size(); ++k) EXPECT_EQ(models::ProgressText(k), expected[k]) << k;
  EXPECT_EQ(models::ModelFailureText("EQGP", 4), "EQGP Failed (Step 4)");
}

TEST(ModelFrame, CounterShowsEachValueThenPumps) {
  modeltest::RecordingProgress progress;
  std::uint32_t step = 77;
  models::TStageCounter counter(progress, step);
  counter.Start(3);
  counter.Next();
  counter.Next();
  EXPECT_EQ(step, 5u);
  EXPECT_EQ(progress.Texts, (std::vector<std::string>{"33%", "44%", "55%"}));
  EXPECT_EQ(progress.Pumps, 3);
}

// A list whose first country holds "EQINDEX" at position 1 behind another index.
std::vector<TCountry> KeyList(double firstDaily) {
  TCountry c = MakeCountry("USA", "USD");
  std::swap(c.IndexAssets[0], c.IndexAssets[1]);  // "10YRATEINDEX", "EQINDEX", ...
  c.IndexAssets[1].FirstDailyPoint = {firstDaily, 1.0};
  c.IndexAssets[0].FirstDailyPoint = {EncodeDate(2001, 7, 31), 1.0};
  return {c};
}

TEST(ModelFrame, RunWindowEndsAtTheKeyAssetsMonthEndOrTheSettingsEnd) {
  TUserSettings settings;
  settings.InceptionDate = EncodeDate(2000, 1, 31);
  settings.EndDate = EncodeDate(2010, 5, 31);
  struct Case {
    double firstDaily;
    bool intraMonth;
    double end;
  };
  const Case cases[] = {
      {EncodeDate(2024, 2, 10), true, EncodeDate(2024, 2, 29)},  // leap year
      {EncodeDate(2023, 2, 10), true, EncodeDate(2023, 2, 28)},
      {EncodeDate(2024, 2, 10), false, EncodeDate(2010, 5, 31)},  // the data do not matter
  };
  for (const Case& c : cases) {
    const models::TRunWindow w = models::BaseRunWindow(KeyList(c.firstDaily), settings, c.intraMonth, "EQINDEX", 0);
    EXPECT_EQ(w.StartDate, settings.InceptionDate);
    EXPECT_EQ(w.EndDate, c.end) << c.firstDaily;
  }
  // Without an "EQINDEX" the asset at position 0 is the key.
  std::vector<TCountry> noKey = KeyList(EncodeDate(2024, 2, 10));
  noKey[0].IndexAssets[1].ID = "OTHER";
  EXPECT_EQ(models::BaseRunWindow(noKey, settings, true, "EQINDEX", 0).EndDate, EncodeDate(2001, 7, 31));
}

TEST(ModelFrame, KeyLookupFailsOnAnEmptyListOrAnEmptyAssetList) {
  TUserSettings settings;
  EXPECT_THROW(models::BaseRunWindow({}, settings, false, "EQINDEX", 0), EModelError);
  std::vector<TCountry> list = {MakeCountry("USA", "USD")};
  list[0].RiskFreeAssets.clear();
  EXPECT_THROW(models::BaseRunWindow(list, settings, false, "RISKFREEASSET1", 1), EModelError);
  EXPECT_THROW(models::BaseRunWindow(list, settings, false, "EQINDEX", 7), EModelError);
}

TEST(ModelFrame, StartShiftOnlyWhenTheSignalGridBeginsInTime) {
  std::vector<TCountry> list = {MakeCountry("A", "USD"), MakeCountry("B", "USD")};
  Asset(list[1], atSignal, "QVSIGNAL") = Constant(2000, 1, 60, 1.0);  // grid from 31 Jan 2000
  const double start = EncodeDate(2002, 3, 31);
  struct Case {
    double start;
    models::TStartShift shift;
    double expected;
  };
  const Case cases[] = {
      {start, models::TStartShift::None, start},
      {start, models::TStartShift::LastDayYearEarlier, EncodeDate(2001, 3, 31)},
      {start, models::TStartShift::FirstDayYearEarlier, EncodeDate(2001, 3, 1)},
      // One year earlier is before the grid's first date: no shift.
      {EncodeDate(2000, 6, 30), models::TStartShift::FirstDayYearEarlier, EncodeDate(2000, 6, 30)},
      // The candidate equals the grid's first date: taken.
      {EncodeDate(2001, 1, 15), models::TStartShift::LastDayYearEarlier, EncodeDate(2000, 1, 31)},
      // One month back (monthly frequency) from the grid's second date reaches its first.
      {EncodeDate(2000, 2, 29), models::TStartShift::OnePeriodEarlier, EncodeDate(2000, 1, 31)},
      {EncodeDate(2000, 1, 31), models::TStartShift::OnePeriodEarlier, EncodeDate(2000, 1, 31)},
  };
  for (const Case& c : cases) EXPECT_EQ(models::ShiftedStartDate(list, c.start, c.shift), c.expected) << c.start;
  // Daily: a Monday goes back to the Friday before.
  EXPECT_EQ(models::ShiftedStartDate(list, EncodeDate(2002, 3, 4), models::TStartShift::OnePeriodEarlier, 2),
            EncodeDate(2002, 3, 1));
  Asset(list[1], atSignal, "QVSIGNAL").clear();  // no grid at all
  EXPECT_EQ(models::ShiftedStartDate(list, start, models::TStartShift::FirstDayYearEarlier), start);
}

TEST(ModelFrame, CutKeepsPointsOnBothBoundsInEveryAssetList) {
  std::vector<TCountry> list = {MakeCountry("A", "USD")};
  for (int type = atIndex; type <= atSpotFx; ++type)
    for (TAssetSeries& a : *AssetsOfType(list[0], type)) a.Series = Constant(2000, 1, 12, 1.0);
  list[0].IsDevelopped = true;
  list[0].EstimatedSignal = 0.5;
  list[0].IndexAssets[0].FirstDailyPoint = {MonthEnd(2000, 12), 3.0};
  const std::vector<TCountry> cut = models::CutCountryList(list, MonthEnd(2000, 3), MonthEnd(2000, 6));
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].Name, "A");
  EXPECT_TRUE(cut[0].IsDevelopped);
  EXPECT_EQ(cut[0].EstimatedSignal, 0.5);
  EXPECT_EQ(cut[0].IndexAssets[0].FirstDailyPoint, (TDataPoint{MonthEnd(2000, 12), 3.0}));
  EXPECT_EQ(list[0].IndexAssets[0].Series.size(), 12u);  // the input is not changed
  for (int type = atIndex; type <= atSpotFx; ++type)
    for (const TAssetSeries& a : *AssetsOfType(cut[0], type)) {
      ASSERT_EQ(a.Series.size(), 4u) << a.ID;
      EXPECT_EQ(a.Series.front().Date, MonthEnd(2000, 3));
      EXPECT_EQ(a.Series.back().Date, MonthEnd(2000, 6));
    }
}

// Two countries with every series filled monthly over 2000; the second
// country's "BLSIGNAL" dates out of order when `unordered`.
std::vector<TCountry> CutList(bool unordered = false) {
  std::vector<TCountry> list = {MakeCountry("A", "USD"), MakeCountry("B", "EUR")};
  for (TCountry& c : list)
    for (int type = atIndex; type <= atSpotFx; ++type)
      for (TAssetSeries& a : *AssetsOfType(c, type)) a.Series = Growing(2000, 1, 12, 100.0, 0.01);
  if (unordered) std::swap(Asset(list[1], atSignal, "BLSIGNAL")[2], Asset(list[1], atSignal, "BLSIGNAL")[7]);
  return list;
}

// Every member and point of `cut` as CutCountryList(list, from, to) gives it.
void ExpectCutOf(const std::vector<TCountry>& cut, const std::vector<TCountry>& list, double from, double to) {
  const std::vector<TCountry> expected = models::CutCountryList(list, from, to);
  ASSERT_EQ(cut.size(), expected.size());
  for (std::size_t i = 0; i < cut.size(); ++i) {
    EXPECT_EQ(cut[i].Name, expected[i].Name);
    for (int type = atIndex; type <= atSpotFx; ++type) {
      const std::vector<TAssetSeries>& got = *AssetsOfType(cut[i], type);
      const std::vector<TAssetSeries>& want = *AssetsOfType(expected[i], type);
      ASSERT_EQ(got.size(), want.size());
      for (std::size_t k = 0; k < got.size(); ++k) EXPECT_EQ(got[k].Series, want[k].Series) << got[k].ID;
    }
  }
}

// The frame of a record on [from, to] (inception from, end to, no start shift).
TEQSLGraphicData Framed(const std::vector<TCountry>& list, double from, double to) {
  TUserSettings settings;
  settings.InceptionDate = from;
  settings.EndDate = to;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  models::TStageCounter counter(progress, step);
  TEQSLGraphicData record;
  models::RunModelFrame(record, list, settings, 0, false, {"TEST", "EQINDEX", atIndex, 1, models::TStartShift::None},
                        counter);
  return record;
}

TEST(ModelFrame, CalculationCutsShareTheCutsThatKeepTheSamePoints) {
  const std::vector<TCountry> list = CutList();
  const double mar = MonthEnd(2000, 3);
  const double jun = MonthEnd(2000, 6);
  {
    // Without a scope each record holds a list of its own.
    const TEQSLGraphicData a = Framed(list, mar, jun);
    const TEQSLGraphicData b = Framed(list, mar, jun);
    EXPECT_FALSE(a.Countries.SharesWith(b.Countries));
    ExpectCutOf(a.Countries, list, mar, jun);
  }
  models::TCalculationCuts cuts(list);
  EXPECT_EQ(models::TCalculationCuts::Of(list), &cuts);
  const TEQSLGraphicData a = Framed(list, mar, jun);
  const TEQSLGraphicData sameDays = Framed(list, mar - 20.0, jun + 10.0);  // the same month ends
  const TEQSLGraphicData later = Framed(list, MonthEnd(2000, 4), jun);
  const TEQSLGraphicData everything = Framed(list, MonthEnd(1999, 1), MonthEnd(2001, 1));
  EXPECT_TRUE(a.Countries.SharesWith(sameDays.Countries));
  EXPECT_FALSE(a.Countries.SharesWith(later.Countries));
  EXPECT_FALSE(everything.Countries.SharesWith(a.Countries));
  ExpectCutOf(a.Countries, list, mar, jun);
  ExpectCutOf(later.Countries, list, MonthEnd(2000, 4), jun);
  ExpectCutOf(everything.Countries, list, MonthEnd(1999, 1), MonthEnd(2001, 1));
  // An empty window and one that ends before it starts.
  EXPECT_TRUE(
      cuts.Cut(MonthEnd(2005, 1), MonthEnd(2005, 6)).SharesWith(cuts.Cut(MonthEnd(2006, 1), MonthEnd(2006, 6))));
  ExpectCutOf(cuts.Cut(jun, mar), list, jun, mar);
}

TEST(ModelFrame, CalculationCutsShareTheWholeListAndServeOnlyTheirSource) {
  const TSharedCountryList whole = CutList();
  const std::vector<TCountry> other = CutList();
  models::TCalculationCuts outer(other);
  {
    models::TCalculationCuts inner(whole.List(), whole);
    EXPECT_EQ(models::TCalculationCuts::Of(other), &outer);
    EXPECT_EQ(models::TCalculationCuts::Of(whole.List()), &inner);
    // A cut that keeps every point is the whole list itself.
    EXPECT_TRUE(Framed(whole.List(), MonthEnd(1999, 1), MonthEnd(2001, 1)).Countries.SharesWith(whole));
    EXPECT_FALSE(Framed(whole.List(), MonthEnd(2000, 2), MonthEnd(2001, 1)).Countries.SharesWith(whole));
    // The other list's cuts come from its own scope: no point of `whole`.
    const TEQSLGraphicData fromOther = Framed(other, MonthEnd(1999, 1), MonthEnd(2001, 1));
    EXPECT_FALSE(fromOther.Countries.SharesWith(whole));
    EXPECT_TRUE(fromOther.Countries.SharesWith(Framed(other, MonthEnd(1999, 1), MonthEnd(2001, 1)).Countries));
  }
  EXPECT_EQ(models::TCalculationCuts::Of(whole.List()), nullptr);
  EXPECT_EQ(models::TCalculationCuts::Of(other), &outer);
}

TEST(ModelFrame, CalculationCutsOfUnorderedSeriesShareOnlyTheSameWindow) {
  const std::vector<TCountry> list = CutList(true);
  models::TCalculationCuts cuts(list);
  const double mar = MonthEnd(2000, 3);
  const double jun = MonthEnd(2000, 9);
  const TSharedCountryList a = cuts.Cut(mar, jun);
  EXPECT_TRUE(a.SharesWith(cuts.Cut(mar, jun)));
  EXPECT_FALSE(a.SharesWith(cuts.Cut(mar - 20.0, jun)));
  ExpectCutOf(a, list, mar, jun);
  ExpectCutOf(cuts.Cut(mar - 20.0, jun), list, mar - 20.0, jun);
}

// Both parts run to their end whichever fails; the failure of the earliest
// part in the order is the one thrown, and the calculation's cuts serve the
// parts run on other threads.
TEST(ModelFrame, SideRunsAllEndAndTheEarliestFailureIsThrown) {
  struct Case {
    std::vector<bool> fails;  // per part
    int thrown;               // the part whose failure leaves, -1 none
  };
  const Case cases[] = {
      {{false, false}, -1},        {{true, false}, 0},       {{false, true}, 1},        {{true, true}, 0},
      {{false, false, false}, -1}, {{false, true, true}, 1}, {{false, false, true}, 2}, {{true, true, true}, 0},
  };
  const std::vector<TCountry> list = CutList();
  models::TCalculationCuts cuts(list);
  for (const Case& c : cases) {
    std::vector<int> ran(c.fails.size(), 0);
    std::vector<const models::TCalculationCuts*> seen(c.fails.size(), nullptr);
    const auto part = [&](std::size_t k) {
      return [&, k] {
        seen[k] = models::TCalculationCuts::Of(list);
        ++ran[k];
        if (c.fails[k]) throw EModelError("part " + std::to_string(k));
      };
    };
    std::string thrown = "none";
    try {
      if (c.fails.size() == 2)
        models::RunSideBySide(part(0), part(1));
      else
        models::RunSideBySide(part(0), part(1), part(2));
    } catch (const EModelError& e) {
      thrown = e.what();
    }
    EXPECT_EQ(thrown, c.thrown < 0 ? "none" : "part " + std::to_string(c.thrown)) << c.fails.size();
    EXPECT_EQ(ran, std::vector<int>(c.fails.size(), 1));
    EXPECT_EQ(seen, std::vector<const models::TCalculationCuts*>(c.fails.size(), &cuts));
  }
  // A side run is taken up by Join, which throws its failure; one left
  // unjoined is waited for at its end and its failure dropped.
  for (const bool fails : {false, true})
    for (const bool joined : {false, true}) {
      int ran = 0;
      const models::TCalculationCuts* seen = nullptr;
      bool thrown = false;
      {
        models::TSideRun side([&] {
          seen = models::TCalculationCuts::Of(list);
          ++ran;
          if (fails) throw EModelError("side");
        });
        if (joined) {
          try {
            side.Join();
          } catch (const EModelError&) {
            thrown = true;
          }
        }
      }
      EXPECT_EQ(ran, 1) << fails << joined;
      EXPECT_EQ(seen, &cuts) << fails << joined;
      EXPECT_EQ(thrown, fails && joined) << fails << joined;
    }
  // A thread that no side run started sees no scope of this one.
  const models::TCalculationCuts* elsewhere = &cuts;
  std::thread([&] { elsewhere = models::TCalculationCuts::Of(list); }).join();
  EXPECT_EQ(elsewhere, nullptr);
}

TEST(ModelFrame, RecordCutOutsideAScopeKeepsItsUnsharedList) {
  const std::vector<TCountry> list = CutList();
  TEQSLGraphicData record = Framed(list, MonthEnd(2000, 3), MonthEnd(2000, 6));
  TUserSettings settings;
  settings.InceptionDate = MonthEnd(2000, 2);
  settings.EndDate = MonthEnd(2000, 5);
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  models::TStageCounter counter(progress, step);
  const models::TModelFrameValues frame{"TEST", "EQINDEX", atIndex, 1, models::TStartShift::None};
  const std::vector<TCountry>* storage = &record.Countries.List();
  models::RunModelFrame(record, list, settings, 0, false, frame, counter);
  EXPECT_EQ(&record.Countries.List(), storage);
  ExpectCutOf(record.Countries, list, settings.InceptionDate, settings.EndDate);
  // A list another holder shares is left to it.
  const TSharedCountryList held = record.Countries;
  settings.EndDate = MonthEnd(2000, 4);
  models::RunModelFrame(record, list, settings, 0, false, frame, counter);
  EXPECT_FALSE(record.Countries.SharesWith(held));
  ExpectCutOf(held, list, settings.InceptionDate, MonthEnd(2000, 5));
  ExpectCutOf(record.Countries, list, settings.InceptionDate, settings.EndDate);
  // The record's own list as the input: cut in place.
  models::RunModelFrame(record, record.Countries, settings, 0, false, frame, counter);
  ExpectCutOf(record.Countries, list, settings.InceptionDate, settings.EndDate);
}

TEST(ModelFrame, PortfolioCashReturnsOfTheCurrencysCountry) {
  std::vector<TCountry> list = {EquityCountry("USA", "USD", 2000, 1, 3, 0.0, 0.01),
                                EquityCountry("GERMANY", "EUR", 2000, 1, 3, 0.0, 0.02)};
  ScopedCountryList scoped(list);
  EXPECT_TRUE(ValuesNear(models::PortfolioCashReturns(list, "EUR"), {0.02, 0.02}, 1e-12));
  EXPECT_TRUE(models::PortfolioCashReturns(list, "JPY").empty());
  list[1].RiskFreeAssets.erase(list[1].RiskFreeAssets.begin());  // no cash asset left
  EXPECT_TRUE(models::PortfolioCashReturns(list, "EUR").empty());
}

TEST(ModelFrame, ShortRiskFreeTitles) {
  EXPECT_EQ(models::ShortRiskFreeTitle("10Y Gov Bond"), "10Y Bond");
  EXPECT_EQ(models::ShortRiskFreeTitle("2Y Gov Bond"), "2Y Bond");
  EXPECT_EQ(models::ShortRiskFreeTitle("1M Cash"), "1M Cash");
  EXPECT_EQ(models::ShortRiskFreeTitle("5Y Gov Bond"), "5Y Gov Bond");
}

TEST(ModelFrame, CountryShareRowsSumByRegionName) {
  std::vector<TCountry> list = {MakeCountry("JAPAN", "JPY", "Japan"), MakeCountry("JAPAN2", "JPY", "Japan"),
                                MakeCountry("USA", "USD", "North America"), MakeCountry("MOON", "XXX", "Moon"),
                                MakeCountry("CANADA", "CAD", "North America")};
  TUserSettings settings = MakeSettings(list, 10.0, 0.0, 0.0);
  settings.CountrySettings[1].EqWeight = 0.0;
  settings.CountrySettings[2].EqWeight = 0.0001;
  const std::vector<TShareItem> shares = {{"JAPAN", {}, 0.3, 2}, {"JAPAN2", {}, 0.2, 1}, {"MOON", {}, 0.5, 3}};
  const std::vector<TRegionItem> rows = models::BuildCountryShareRows(list, settings, shares);
  ASSERT_EQ(rows.size(), 5u);
  struct Expect {
    double value, region;
    int state, flag, excluded;
  };
  const Expect expected[] = {{0.3, 0.5, 2, 0, 0}, {0.2, 0.5, 1, 0, 2}, {0.0, 0.0, -1, -1, 0},
                             {0.5, 0.0, 3, -1, 0}, {0.0, 0.0, -1, -1, 0}};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].Name, list[i].Name);
    EXPECT_EQ(rows[i].RegionName, list[i].RegionName);
    EXPECT_DOUBLE_EQ(rows[i].Value, expected[i].value) << i;
    EXPECT_DOUBLE_EQ(rows[i].RegionColor, expected[i].region) << i;
    EXPECT_EQ(rows[i].State, expected[i].state) << i;
    EXPECT_EQ(rows[i].Flag, expected[i].flag) << i;
    EXPECT_EQ(rows[i].Excluded, expected[i].excluded) << i;
  }
  settings.CountrySettings.pop_back();
  EXPECT_THROW(models::BuildCountryShareRows(list, settings, shares), EModelError);
}

}  // namespace
