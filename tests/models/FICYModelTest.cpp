// FICY: reference weights, the portfolio stage, the strategy and cash blend,
// the ranking tables, the allocation and zone records on hand-built records,
// and the whole run (progress, failure at the stage reached, reruns).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ModelTestSupport.h"
#include "models/global/FICYModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;

namespace {

// Month end i months after January 2001.
double M(int i) { return MonthEnd(2001, 1, i); }

// (date index, value) points dated M(index).
TSeries At(const std::vector<std::pair<int, double>>& points) {
  TSeries s;
  for (const auto& [i, v] : points) s.push_back({M(i), v});
  return s;
}

// One settings row per country with the given currency weights.
TUserSettings CurrencySettings(const std::vector<TCountry>& list, const std::vector<double>& cy,
                               const std::string& ccy = "USD") {
  TUserSettings s = MakeSettings(list, 0.0, 0.0, 0.0);
  s.PortfolioCcy = ccy;
  for (std::size_t i = 0; i < cy.size(); ++i) s.CountrySettings.at(i).CyWeight = cy[i];
  return s;
}

std::vector<double> CyWeights(const TUserSettings& s) {
  std::vector<double> w;
  for (const TCountrySettings& row : s.CountrySettings) w.push_back(row.CyWeight);
  return w;
}

// ------------------------------------------------------------ reference weights

TEST(FICYReference, KeepsTheFirstOfEachReferenceCountryScaledToOne) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> countries;  // name, currency
    std::vector<double> weights;
    std::string ccy;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"30 and 10, BRAZIL ignored", {{"USA", "USD"}, {"GERMANY", "EUR"}, {"BRAZIL", "BRL"}}, {30, 10, 50}, "USD",
       {0.75, 0.25, 0.0}},
      {"names upper-cased", {{"usa", "USD"}, {"Japan", "JPY"}, {"China", "CNY"}}, {20, 20, 40}, "USD",
       {0.25, 0.25, 0.5}},
      {"a second USA ignored", {{"USA", "USD"}, {"USA", "USD"}, {"JAPAN", "JPY"}}, {10, 30, 0}, "USD",
       {1.0, 0.0, 0.0}},
      {"none weighted: the portfolio currency's country", {{"USA", "USD"}, {"GERMANY", "EUR"}, {"BRAZIL", "BRL"}},
       {0, 0, 50}, "EUR", {0.0, 1.0, 0.0}},
      {"none weighted, no such country", {{"USA", "USD"}, {"BRAZIL", "BRL"}}, {0, 50}, "CHF", {0.0, 0.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TCountry> list;
    for (const auto& [name, ccy] : c.countries) list.push_back(MakeCountry(name, ccy));
    ScopedCountryList installed(list);
    TUserSettings user = CurrencySettings(list, c.weights, c.ccy);
    user.CountrySettings.push_back({});  // a spare row beyond the list is left alone
    user.CountrySettings.back().CyWeight = 7.0;
    std::vector<double> expected = c.expected;
    expected.push_back(7.0);
    const TUserSettings working = models::FICYReferenceSettings(list, user);
    const std::vector<double> got = CyWeights(working);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], kTol) << i;
    EXPECT_EQ(working.PortfolioCcy, c.ccy);
  }
}

// ------------------------------------------------------------ portfolio stage

// "USA" (USD), "GERMANY" (EUR), "BRAZIL" (BRL): 30 month ends of cash from
// January 2000 (growth 0.1 %, 0.4 %, 0.6 % a month), spot 1.0; RULE2 on USA.
std::vector<TCountry> CashList() {
  std::vector<TCountry> list = {MakeCountry("USA", "USD"), MakeCountry("GERMANY", "EUR", "Europe (Euro)"),
                                MakeCountry("BRAZIL", "BRL", "Commodity Exporters")};
  const double growth[] = {0.001, 0.004, 0.006};
  for (std::size_t i = 0; i < list.size(); ++i) {
    Asset(list[i], atRiskFreeAsset, "CASH") = Growing(2000, 1, 30, 100.0, growth[i]);
    Asset(list[i], atSpotFx, "SPOTFX") = Constant(2000, 1, 30, 1.0);
  }
  Asset(list[0], atRule, "RULE2") = Step(2000, 1, 30, 10, 2.0, 3.0);
  return list;
}

TEST(FICYPortfolios, BuildsBothPortfoliosAndTheSeries) {
  const std::vector<TCountry> list = CashList();
  ScopedCountryList installed(list);
  const TUserSettings settings = CurrencySettings(list, {30, 10, 50});
  TFICYGraphicData r;
  r.StartDate = MonthEnd(2000, 1, 2);
  r.EndDate = MonthEnd(2000, 1, 27);
  models::BuildFICYPortfolios(&r, list, settings, 0);
  EXPECT_TRUE(r.Extra);
  ASSERT_EQ(r.ModelPortfolio.Lines.size(), 2u);  // the reference countries only, weights 0.75 / 0.25 percent
  EXPECT_NEAR(r.ModelPortfolio.Lines[0].Weight, 0.0075, kTol);
  EXPECT_NEAR(r.ModelPortfolio.Lines[1].Weight, 0.0025, kTol);
  ASSERT_EQ(r.BenchmarkPortfolio.Lines.size(), 3u);  // the user's weights, unscaled
  EXPECT_NEAR(r.BenchmarkPortfolio.Lines[2].Weight, 0.5, kTol);
  ASSERT_EQ(r.Values2.size(), 26u);  // RULE2 cut to the window
  EXPECT_EQ(r.Values2.front(), (TDataPoint{MonthEnd(2000, 1, 2), 2.0}));
  EXPECT_EQ(r.Values2.back().Value, 3.0);
  ASSERT_EQ(r.Values1.size(), 29u);  // USA's cash returns, uncut
  EXPECT_NEAR(r.Values1.front().Value, 0.001, 1e-12);
}

// ------------------------------------------------------------ benchmark stage

TEST(FICYBenchmark, BlendsTheFollowedPortfolioWithCash) {
  // Reference returns 0.01, user returns 0.02 at M(1)..M(4) unless given.
  struct Case {
    const char* what;
    TSeries rule2;
    double maxFx;
    TSeries user;
    TSeries cash;
    TSeries expected;
  };
  const TSeries user = At({{1, 0.02}, {2, 0.02}, {3, 0.02}, {4, 0.02}});
  const TSeries noCash = At({{1, 0.0}, {2, 0.0}, {3, 0.0}, {4, 0.0}});
  const Case cases[] = {
      {"no RULE2: the user's portfolio, 25 % of 0.04 and 75 % of 0.004", {}, 25.0,
       At({{1, 0.04}, {2, 0.04}}), At({{1, 0.004}, {2, 0.004}}), At({{1, 0.013}, {2, 0.013}})},
      {"M 0: cash", {}, 0.0, user, At({{1, 0.003}, {2, 0.005}}), At({{1, 0.003}, {2, 0.005}})},
      {"RULE2 2, 3, 2 from the first date: user, reference, user from the second date",
       At({{1, 2.0}, {2, 3.0}, {3, 2.0}, {4, 3.0}}), 100.0, user, noCash, At({{2, 0.02}, {3, 0.01}, {4, 0.02}})},
      {"RULE2 from one period earlier keeps the first return", At({{0, 3.0}, {1, 2.0}, {2, 3.0}, {3, 2.0}, {4, 3.0}}),
       100.0, user, noCash, At({{1, 0.01}, {2, 0.02}, {3, 0.01}, {4, 0.02}})},
      {"a RULE2 date missing: the last earlier state holds", At({{0, 3.0}, {1, 2.0}, {3, 3.0}, {4, 3.0}}), 100.0, user,
       noCash, At({{1, 0.01}, {2, 0.02}, {3, 0.02}, {4, 0.01}})},
      {"a user return missing: that period drops", At({{0, 2.0}, {1, 2.0}, {2, 2.0}, {3, 2.0}, {4, 2.0}}), 100.0,
       At({{1, 0.02}, {2, 0.02}, {4, 0.02}}), noCash, At({{1, 0.02}, {2, 0.02}, {4, 0.02}})},
      {"a cash return missing: model and benchmark skip it", {}, 50.0, user, At({{1, 0.0}, {2, 0.0}, {4, 0.0}}),
       At({{1, 0.01}, {2, 0.01}, {4, 0.01}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFICYGraphicData r;
    r.Extra = true;
    r.ModelPortfolio.Returns = At({{1, 0.01}, {2, 0.01}, {3, 0.01}, {4, 0.01}});
    r.BenchmarkPortfolio.Returns = c.user;
    r.BenchmarkPortfolio.PortfolioCcy = "EUR";
    r.Values1 = c.cash;
    r.Values2 = c.rule2;
    r.Performance.Parameters.MaxFxRiskAllocation = c.maxFx;
    models::ComputeFICYBenchmark(&r);
    const TPortfolioPerformance& p = r.Performance;
    ASSERT_EQ(p.ModelReturns.size(), c.expected.size());
    ASSERT_EQ(p.BenchmarkReturns.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(p.ModelReturns[i].Date, c.expected[i].Date) << i;
      EXPECT_NEAR(p.ModelReturns[i].Value, c.expected[i].Value, 1e-15) << i;
      EXPECT_EQ(p.BenchmarkReturns[i].Date, c.expected[i].Date) << i;
    }
    EXPECT_EQ(p.ModelName, "(In EUR)");
    EXPECT_EQ(p.BenchmarkName, "Benchmark (In EUR)");
  }
}

// ------------------------------------------------------------ ranking stage

// USA, GERMANY, JAPAN, BRAZIL with a signal grid M(0)..M(5); EndDate M(5);
// shared CyWeights 10, 0, 10, 0.
struct RankingWorld {
  TFICYGraphicData r;
  TUserSettings shared;
  RankingWorld() {
    r.Countries = {MakeCountry("USA", "USD"), MakeCountry("GERMANY", "EUR", "Europe (Euro)"),
                   MakeCountry("JAPAN", "JPY", "Japan"), MakeCountry("BRAZIL", "BRL")};
    Asset(r.Countries.Edit()[0], atSignal, "QVSIGNAL") = Constant(2001, 1, 6, 1.0);
    r.EndDate = M(5);
    shared = CurrencySettings(r.Countries, {10, 0, 10, 0});
  }
  static TSLLine Line(const std::string& name, TSeries ranks) {
    TSLLine line;
    line.Name = name;
    line.Ranks = std::move(ranks);
    return line;
  }
};

std::vector<std::string> Names(const std::vector<TLabelledSeries>& rows) {
  std::vector<std::string> names;
  for (const TLabelledSeries& row : rows) names.push_back(row.Labels.at(0));
  return names;
}

TEST(FICYRanking, PlainPathRanksTheUserPortfolio) {
  RankingWorld w;
  modeltest::ScopedUserSettings shared(w.shared);
  w.r.Extra = true;  // but no RULE2 series
  w.r.BenchmarkPortfolio.Lines = {RankingWorld::Line("USA", Constant(2001, 1, 6, 2.0)),
                                  RankingWorld::Line("GERMANY", Constant(2001, 1, 6, 1.0)),
                                  RankingWorld::Line("JAPAN", Constant(2001, 3, 4, 3.0))};
  models::ComputeFICYRanking(&w.r);
  const auto& rows = w.r.RankingRows;
  ASSERT_EQ(Names(rows), (std::vector<std::string>{"USA", "GERMANY", "JAPAN"}));  // BRAZIL has no line
  EXPECT_EQ(rows[0].Labels, (std::vector<std::string>{"USA", "North America"}));
  EXPECT_TRUE(ValuesNear(rows[0].Series, {2, 2, 2, 2, 2, 2}));
  EXPECT_FALSE(rows[1].Selected);  // CyWeight 0: grid only
  EXPECT_TRUE(ValuesNear(rows[1].Series, {-1, -1, -1, -1, -1, -1}));
  EXPECT_TRUE(ValuesNear(rows[2].Series, {-1, -1, 3, 3, 3, 3}));  // starts two months late
  EXPECT_EQ(Names(w.r.RankingPages), (std::vector<std::string>{"GERMANY", "USA", "JAPAN"}));
  EXPECT_EQ(w.r.RankingPages[2].Series, (TSeries{{M(5), 3.0}}));
  EXPECT_FALSE(w.r.RankingPages[0].Selected);
}

TEST(FICYRanking, Rule2PathTakesEachDateFromTheSelectedPortfolio) {
  // Reference: USA rank 2, GERMANY rank 1; user: USA rank 1, JAPAN rank 2. RULE2 at M(2)..M(5).
  struct Case {
    const char* what;
    std::vector<double> states;
    std::vector<std::vector<double>> series;  // USA, GERMANY, JAPAN, BRAZIL
    std::vector<bool> selected;
    std::vector<std::string> closing;
  };
  const Case cases[] = {
      {"alternating 1, 2, 1, 2",
       {1, 2, 1, 2},
       {{-1, -1, 2, 1, 2, 1}, {-1, -1, 1, 0, 1, 0}, {-1, -1, 0, 2, 0, 2}, {-1, -1, -1, -1, -1, -1}},
       {true, true, true, false},
       {"USA", "JAPAN"}},
      {"alternating 2, 1, 2, 1: closing from the reference",
       {2, 1, 2, 1},
       {{-1, -1, 1, 2, 1, 2}, {-1, -1, 0, 1, 0, 1}, {-1, -1, 2, 0, 2, 0}, {-1, -1, -1, -1, -1, -1}},
       {true, true, true, false},
       {"GERMANY", "USA"}},
      {"always 2: the user portfolio only",
       {2, 2, 2, 2},
       {{-1, -1, 1, 1, 1, 1}, {-1, -1, -1, -1, -1, -1}, {-1, -1, 2, 2, 2, 2}, {-1, -1, -1, -1, -1, -1}},
       {true, false, true, false},
       {"USA", "JAPAN"}},
      {"never 2: JAPAN weighted without a reference line holds 0.0",
       {3, 3, 3, 3},
       {{-1, -1, 2, 2, 2, 2}, {-1, -1, 1, 1, 1, 1}, {-1, -1, 0, 0, 0, 0}, {-1, -1, -1, -1, -1, -1}},
       {true, true, true, false},
       {"GERMANY", "USA"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RankingWorld w;
    modeltest::ScopedUserSettings shared(w.shared);
    w.r.Extra = true;
    w.r.ModelPortfolio.Lines = {RankingWorld::Line("USA", Constant(2001, 1, 6, 2.0)),
                                RankingWorld::Line("GERMANY", Constant(2001, 1, 6, 1.0))};
    w.r.BenchmarkPortfolio.Lines = {RankingWorld::Line("USA", Constant(2001, 1, 6, 1.0)),
                                    RankingWorld::Line("JAPAN", Constant(2001, 1, 6, 2.0))};
    w.r.Values2 = Monthly(2001, 3, c.states);
    models::ComputeFICYRanking(&w.r);
    ASSERT_EQ(w.r.RankingRows.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_TRUE(ValuesNear(w.r.RankingRows[i].Series, c.series[i])) << i;
      EXPECT_EQ(w.r.RankingRows[i].Selected, c.selected[i]) << i;
    }
    EXPECT_EQ(Names(w.r.RankingPages), c.closing);
  }
}

// ------------------------------------------------------------ allocation stage

// USA (USD), JAPAN (JPY), GERMANY (EUR), PANAMA (USD); CyWeights 10, 10, 0, 0.
std::vector<TCountry> ZoneList() {
  return {MakeCountry("USA", "USD"), MakeCountry("JAPAN", "JPY", "Japan"),
          MakeCountry("GERMANY", "EUR", "Europe (Euro)"), MakeCountry("PANAMA", "USD")};
}

TSLAllocation Allocation(double date, std::vector<std::pair<std::string, double>> holdings) {
  TSLAllocation a{date, 1.0, {}};
  std::int32_t rank = 1;
  for (auto& [name, weight] : holdings) a.Holdings.push_back({name, weight, weight, 0.0, 0.0, rank++});
  return a;
}

TEST(FICYZones, ScalesByTheMaximumFxRiskAndHoldsTheRestOnce) {
  struct Case {
    const char* what;
    std::string ccy;
    double maxFx;
    std::vector<std::pair<std::string, double>> holdings;
    std::vector<std::pair<std::string, double>> history;  // the one history row
    std::vector<double> shares;                           // USA, JAPAN, GERMANY, PANAMA
    std::vector<int> excluded;
  };
  const Case cases[] = {
      {"USD", "USD", 60, {{"JAPAN", 0.5}, {"USA", 0.5}}, {{"JAPAN", 0.3}, {"USA", 0.7}}, {0.7, 0.3, 0, 0},
       {1, 1, 2, 2}},
      {"EUR: the home item", "EUR", 60, {{"JAPAN", 0.5}, {"USA", 0.5}},
       {{"JAPAN", 0.3}, {"USA", 0.3}, {"GERMANY", 0.4}}, {0.3, 0.3, 0.4, 0}, {1, 1, 1, 2}},
      {"two USD holdings: the first takes the rest", "USD", 60, {{"PANAMA", 0.5}, {"USA", 0.5}},
       {{"PANAMA", 0.7}, {"USA", 0.3}}, {0.3, 0, 0, 0.7}, {1, 1, 2, 1}},
      {"M 100, no holdings: home 0.0 in the history only", "USD", 100, {}, {{"USA", 0.0}}, {0, 0, 0, 0},
       {1, 1, 2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<TCountry> list = ZoneList();
    ScopedCountryList installed(list);
    TFICYGraphicData r;
    r.Countries = list;
    r.Performance.Parameters.PortfolioCcy = c.ccy;
    r.Performance.Parameters.MaxFxRiskAllocation = c.maxFx;
    r.BenchmarkPortfolio.Allocations = {Allocation(M(1), c.holdings)};
    models::BuildFICYZoneRecords(&r, CurrencySettings(list, {10, 10, 0, 0}), true);
    ASSERT_EQ(r.Performance.AllocationHistory.size(), 1u);
    const auto& holdings = r.Performance.AllocationHistory[0].Holdings;
    ASSERT_EQ(holdings.size(), c.history.size());
    for (std::size_t i = 0; i < holdings.size(); ++i) {
      EXPECT_EQ(holdings[i].Name, c.history[i].first);
      EXPECT_NEAR(holdings[i].Weight, c.history[i].second, 1e-12);
    }
    ASSERT_EQ(r.RegionItems.size(), 4u);
    double northAmerica = 0.0;
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(r.RegionItems[i].Value, c.shares[i], 1e-12) << i;
      EXPECT_EQ(r.RegionItems[i].Excluded, c.excluded[i]) << i;
      if (i == 0 || i == 3) northAmerica += c.shares[i];
    }
    EXPECT_NEAR(r.RegionItems[3].RegionColor, northAmerica, 1e-12);
    EXPECT_EQ(r.RegionItems[3].Flag, northAmerica != 0.0 ? 0 : -1);
  }
}

TEST(FICYZones, HistoryAscendsAndFollowsRule2) {
  const std::vector<TCountry> list = ZoneList();
  ScopedCountryList installed(list);
  TFICYGraphicData r;
  r.Countries = list;
  r.Performance.Parameters.PortfolioCcy = "USD";
  r.Performance.Parameters.MaxFxRiskAllocation = 100;
  r.BenchmarkPortfolio.Allocations = {Allocation(M(1), {{"JAPAN", 1.0}}), Allocation(M(2), {{"GERMANY", 1.0}})};
  r.ModelPortfolio.Allocations = {Allocation(M(1), {{"USA", 1.0}}), Allocation(M(2), {{"PANAMA", 1.0}})};
  const TUserSettings settings = CurrencySettings(list, {10, 10, 0, 0});
  auto firstNames = [&r] {
    std::vector<std::string> names;
    for (const TAllocationRow& row : r.Performance.AllocationHistory) names.push_back(row.Holdings.at(0).Name);
    return names;
  };

  r.Extra = true;  // no RULE2 series: the user's portfolio, in date order
  models::BuildFICYZoneRecords(&r, settings, true);
  EXPECT_EQ(firstNames(), (std::vector<std::string>{"JAPAN", "GERMANY"}));
  EXPECT_EQ(r.RegionItems[2].State, 1);  // GERMANY held last

  r.Values2 = At({{0, 2.0}, {1, 2.0}, {2, 3.0}});  // M(0) has no allocation
  models::BuildFICYZoneRecords(&r, settings, true);
  EXPECT_EQ(firstNames(), (std::vector<std::string>{"JAPAN", "PANAMA"}));
  EXPECT_EQ(r.Performance.AllocationHistory[1].Date, M(2));
  EXPECT_NEAR(r.RegionItems[3].Value, 1.0, 1e-12);  // reference portfolio's last allocation
  EXPECT_EQ(r.RegionItems[2].State, -1);
}

// ------------------------------------------------------------ whole run

// USA, GERMANY, JAPAN, BRAZIL: cash over 48 month ends from January 2000,
// spot 1.0, the signal grid and RULE2 (2.0 for 30 months, then 3.0) on USA.
std::vector<TCountry> RunList() {
  std::vector<TCountry> list = {MakeCountry("USA", "USD"), MakeCountry("GERMANY", "EUR", "Europe (Euro)"),
                                MakeCountry("JAPAN", "JPY", "Japan"), MakeCountry("BRAZIL", "BRL")};
  const double growth[] = {0.001, 0.004, 0.002, 0.006};
  for (std::size_t i = 0; i < list.size(); ++i) {
    Asset(list[i], atRiskFreeAsset, "CASH") = Growing(2000, 1, 48, 100.0, growth[i]);
    Asset(list[i], atSpotFx, "SPOTFX") = Constant(2000, 1, 48, 1.0);
  }
  Asset(list[0], atSignal, "QVSIGNAL") = Constant(2000, 1, 48, 1.0);
  Asset(list[0], atRule, "RULE2") = Step(2000, 1, 48, 30, 2.0, 3.0);
  return list;
}

TUserSettings RunSettings(const std::vector<TCountry>& list) {
  TUserSettings s = CurrencySettings(list, {30, 10, 0, 50});
  s.MaxFxRiskAllocation = 60.0;
  s.CountryRankingCriteria = {0.25, 0.5, 0.75};
  s.InceptionDate = EncodeDate(2002, 1, 31);
  s.EndDate = EncodeDate(2003, 12, 31);
  return s;
}

struct FICYRunState {
  TFICYGraphicData result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  bool failed = false;
};

void RunFICY(FICYRunState& run, const std::vector<TCountry>& list, const TUserSettings& settings) {
  ScopedCountryList installed(list);
  modeltest::ScopedUserSettings shared(settings);
  std::string failure;
  try {
    models::ComputeFICYModel(&run.result, list, settings, 0, false, failure, run.progress, run.step);
  } catch (const EModelError&) {
    run.failed = true;
  }
}

TEST(FICYRun, RunsEveryStageAndReachesNine) {
  const std::vector<TCountry> list = RunList();
  FICYRunState run;
  RunFICY(run, list, RunSettings(list));
  ASSERT_FALSE(run.failed);
  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(run.progress.Texts,
            (std::vector<std::string>{"11%", "22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.progress.Pumps, 9);

  const TFICYGraphicData& r = run.result;
  EXPECT_EQ(r.StartDate, EncodeDate(2001, 1, 1));  // first day of the month a year earlier
  EXPECT_TRUE(r.Extra);
  EXPECT_EQ(r.ModelPortfolio.Lines.size(), 2u);      // USA, GERMANY
  EXPECT_EQ(r.BenchmarkPortfolio.Lines.size(), 3u);  // JAPAN has no weight
  EXPECT_EQ(r.RankingRows.size(), 4u);               // RULE2 path: one row per country
  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.Parameters.MaxFxRiskAllocation, 60.0);
  EXPECT_EQ(p.Parameters.CurrencyRankingCriteria, 0.75);
  EXPECT_EQ(p.Parameters.BondRankingCriteria, 0.5);
  EXPECT_EQ(p.Statistics.Labels.Caption1, "Cash Portfolio");
  EXPECT_NEAR(p.Statistics.RiskFreeRate, std::pow(1.001, 12) - 1.0, 1e-9);
  ASSERT_FALSE(p.ModelReturns.empty());
  ASSERT_EQ(p.ModelReturns.size(), p.BenchmarkReturns.size());
  for (std::size_t i = 0; i < p.ModelReturns.size(); ++i) {
    // USA's cash, and 40 % of it plus 60 % of a currency portfolio earning
    // 0.1 % to 0.6 % (nothing before the first ranks).
    EXPECT_NEAR(p.BenchmarkReturns[i].Value, 0.001, 1e-12);
    EXPECT_GE(p.ModelReturns[i].Value, 0.4 * 0.001 - 1e-12);
    EXPECT_LE(p.ModelReturns[i].Value, 0.4 * 0.001 + 0.6 * 0.006 + 1e-12);
  }
  ASSERT_FALSE(p.AllocationHistory.empty());
  for (std::size_t i = 0; i < p.AllocationHistory.size(); ++i) {
    double total = 0.0;
    for (const TWeightedName& h : p.AllocationHistory[i].Holdings) total += h.Weight;
    // m x the portfolio's total weight (0 before the first ranks) + c.
    EXPECT_NEAR(total, 0.6 * p.AllocationHistory[i].TotalWeight + 0.4, 1e-12) << i;
    if (i > 0) {
      EXPECT_LT(p.AllocationHistory[i - 1].Date, p.AllocationHistory[i].Date);
    }
  }
  double shares = 0.0;
  for (const TRegionItem& item : r.RegionItems) shares += item.Value;
  EXPECT_NEAR(shares, 1.0, 1e-12);
  EXPECT_EQ(p.IndexCharts[2].Name, "(In USD)");
}

TEST(FICYRun, RerunsKeepNoStaleSeriesAndShortSettingsFailAtStepTwo) {
  std::vector<TCountry> list = RunList();
  FICYRunState run;
  RunFICY(run, list, RunSettings(list));
  ASSERT_FALSE(run.failed);
  ASSERT_FALSE(run.result.Values2.empty());

  list[0].RuleAssets.clear();  // no RULE2: the user's portfolio is followed
  RunFICY(run, list, RunSettings(list));
  ASSERT_FALSE(run.failed);
  EXPECT_TRUE(run.result.Values2.empty());
  EXPECT_EQ(run.result.RankingRows.size(), 3u);  // one per line of the user's portfolio
  EXPECT_FALSE(run.result.Performance.ModelReturns.empty());

  TUserSettings chf = RunSettings(list);
  chf.PortfolioCcy = "CHF";  // no country: no cash returns
  RunFICY(run, list, chf);
  ASSERT_FALSE(run.failed);
  EXPECT_TRUE(run.result.Values1.empty());
  EXPECT_TRUE(run.result.Performance.ModelReturns.empty());
  EXPECT_EQ(run.result.Performance.Statistics.RiskFreeRate, kNoFigure);

  TUserSettings shortSettings = RunSettings(list);
  shortSettings.CountrySettings.pop_back();
  FICYRunState failing;
  RunFICY(failing, list, shortSettings);
  EXPECT_TRUE(failing.failed);
  EXPECT_EQ(failing.step, 2u);
  EXPECT_EQ(failing.progress.Texts, (std::vector<std::string>{"11%", "22%"}));
}

}  // namespace
