// MYGP model: entry, equity bounds, mixes, benchmark and statistics stages,
// country composition with its currency hedges, asset rows and the page's
// flags, on small hand-made lists and hand-made records of the models it reads.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "GlobalModelFixtures.h"
#include "ModelTestSupport.h"
#include "common/Globals.h"
#include "models/global/MYGPModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

namespace {

using namespace testcountries;

constexpr double kNo = -1000000.0;

// Keeps the records of the models MYGP reads and puts them back afterwards.
class MYGPSources : public ::testing::Test {
 protected:
  ~MYGPSources() override {
    cMyExternEQSLGraphicData = eqsl_;
    cMyExternFISLGraphicData = fisl_;
    cMyExternFICYGraphicData = ficy_;
    cMyExternFIGPGraphicData = figp_;
  }

 private:
  TEQSLGraphicData eqsl_ = cMyExternEQSLGraphicData;
  TFISLGraphicData fisl_ = cMyExternFISLGraphicData;
  TFICYGraphicData ficy_ = cMyExternFICYGraphicData;
  TFIGPGraphicData figp_ = cMyExternFIGPGraphicData;
};

// Equity +2 %, cash +0.5 %, bonds +0.3 % a month over 36 month ends from
// January 2000, flat 10-year rates of 4 %.
TCountry FullCountry(const std::string& name, const std::string& ccy, const std::string& region) {
  TCountry c = globaltest::SignalledEquityCountry(name, ccy, region);
  Asset(c, atIndex, "10YRATEINDEX") = Constant(2000, 1, 36, 4.0);
  return c;
}

// Bond strategy 1 %, bond benchmark 0.5 %, currency model 0.2 % and its benchmark 0.1 % a month.
void InstallStrategyReturns() {
  cMyExternFIGPGraphicData.Rule2.Returns = Constant(2000, 1, 36, 0.01);
  cMyExternFIGPGraphicData.Values3 = Constant(2000, 1, 36, 0.005);
  cMyExternFICYGraphicData.Performance.ModelReturns = Constant(2000, 1, 36, 0.002);
  cMyExternFICYGraphicData.Performance.BenchmarkReturns = Constant(2000, 1, 36, 0.001);
}

TUserSettings EntrySettings(const std::vector<TCountry>& countries, double min, double max) {
  TUserSettings s = MakeSettings(countries, 50.0, 50.0, 0.0);
  s.InceptionDate = platform::EncodeDate(2001, 3, 15);
  s.EndDate = MonthEnd(2002, 12);
  s.MinEqVsFiAllocation = min;
  s.MaxEqVsFiAllocation = max;
  return s;
}

std::vector<double> Weights(const TClassicPortfolio& mix) {
  std::vector<double> w;
  for (const TClassicAsset& a : mix.Assets) w.push_back(a.Weight);
  return w;
}

using MYGPEntry = MYGPSources;

TEST_F(MYGPEntry, ShowsTexts22To100AndARepeatedRunKeepsNothingOfTheFirst) {
  const std::vector<TCountry> countries = {FullCountry("USA", "USD", "North America")};
  ScopedCountryList installed(countries);
  InstallStrategyReturns();
  TMYGPGraphicData result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  std::string failure;
  models::ComputeMYGPModel(&result, countries, EntrySettings(countries, 40.0, 70.0), 0, false, failure, progress,
                           step);
  EXPECT_EQ(progress.Texts,
            (std::vector<std::string>{"22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(step, 9u);
  EXPECT_EQ(result.StartDate, platform::EncodeDate(2000, 3, 1));  // signals reach back a year
  EXPECT_FALSE(result.Performance.ModelReturns.empty());
  EXPECT_NE(result.Performance.Statistics.RiskFreeRate, kNo);
  EXPECT_EQ(result.AssetShares.size(), 6u);
  EXPECT_FALSE(result.Performance.AllocationHistory.empty());

  // Second run: no bond strategy and no cash asset.
  cMyExternFIGPGraphicData.Rule2.Returns.clear();
  std::vector<TCountry> withoutCash = countries;
  withoutCash[0].RiskFreeAssets.erase(withoutCash[0].RiskFreeAssets.begin());
  ScopedCountryList installedAgain(withoutCash);
  models::ComputeMYGPModel(&result, withoutCash, EntrySettings(withoutCash, 40.0, 70.0), 0, false, failure,
                           progress, step);
  EXPECT_TRUE(result.Values1.empty());
  EXPECT_TRUE(result.Benchmark.WeightHistory.empty());
  EXPECT_TRUE(result.Benchmark.ReturnSeries.empty());
  EXPECT_TRUE(result.Performance.ModelReturns.empty());
  EXPECT_EQ(result.Performance.Statistics.RiskFreeRate, kNo);
  EXPECT_TRUE(result.Performance.AllocationHistory.empty());
  EXPECT_TRUE(result.AssetShares.empty());
  EXPECT_TRUE(result.ColumnCaption1.empty());

  std::uint32_t failedStep = 0;
  EXPECT_THROW(models::ComputeMYGPModel(nullptr, countries, {}, 0, false, failure, progress, failedStep), EModelError);
  EXPECT_EQ(failedStep, 2u);
  failedStep = 0;
  EXPECT_THROW(models::ComputeMYGPModel(&result, {}, {}, 0, false, failure, progress, failedStep), EModelError);
  EXPECT_EQ(failedStep, 2u);
  TUserSettings noRows = EntrySettings(countries, 40.0, 70.0);
  noRows.CountrySettings.clear();  // a row per country is read: a model failure at the portfolios
  failedStep = 0;
  EXPECT_THROW(models::ComputeMYGPModel(&result, countries, noRows, 0, false, failure, progress, failedStep),
               EModelError);
  EXPECT_EQ(failedStep, 3u);
}

TEST(MYGPSettings, EquityBoundsAreClampedMaxFirstThenMin) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double min, max, wantMin, wantMax;
  };
  for (const Case& c : std::vector<Case>{{40, 70, 40, 70},
                                         {20, 120, 20, 100},
                                         {80, 70, 70, 70},
                                         {-5, 70, 0, 70},
                                         {30, -10, 0, 0},
                                         {150, 130, 100, 100},
                                         {30, nan, 0, 0},
                                         {nan, 50, 0, 50}}) {
    TUserSettings s;
    s.MinEqVsFiAllocation = c.min;
    s.MaxEqVsFiAllocation = c.max;
    s.SLTrustLevel = 25.0;
    s.CountryRankingCriteria = {0.3, 0.6, 0.7};
    TMYGPGraphicData result;
    models::CopyMYGPSettings(&result, s);
    const TSeriesInfo& info = result.Performance.Parameters;
    EXPECT_EQ(info.MinEqVsFiAllocation, c.wantMin) << c.min << " / " << c.max;
    EXPECT_EQ(info.MaxEqVsFiAllocation, c.wantMax) << c.min << " / " << c.max;
    EXPECT_EQ(info.SLTrustLevel, 25.0);
    EXPECT_EQ(info.BondRankingCriteria, 0.6);
  }
}

using MYGPPortfolios = MYGPSources;

// Ranking portfolios select every country; the benchmarks time only with a
// trust level; the cash returns are the last "...Cash" asset's, or empty.
TEST_F(MYGPPortfolios, CriteriaSignalsFlagAndCashReturns) {
  std::vector<TCountry> countries = {FullCountry("USA", "USD", "North America"),
                                     FullCountry("GERMANY", "EUR", "Europe (Euro)")};
  for (TCountry& c : countries) {
    c.RiskFreeAssets.push_back(MakeAsset(c.Name, "CASH3", "3M Cash", atRiskFreeAsset));
    c.RiskFreeAssets.back().Series = Growing(2000, 1, 36, 100.0, 0.01);
  }
  ScopedCountryList installed(countries);
  struct Case {
    double qv, bl;
    std::string ccy;
    bool signals;
    std::vector<double> cash;
  };
  TMYGPGraphicData result;
  result.StartDate = MonthEnd(2000, 1);
  result.EndDate = MonthEnd(2002, 12);
  const std::vector<double> lastCash(35, 0.01);
  for (const Case& c : std::vector<Case>{{0.0, 0.0, "EUR", false, lastCash},
                                         {50.0, 0.0, "CHF", true, {}},
                                         {0.0, 30.0, "USD", true, lastCash},
                                         {0.0, 0.0, "JPY", false, {}}}) {
    TUserSettings s = EntrySettings(countries, 20.0, 60.0);
    s.QVTrustLevel = c.qv;
    s.BLTrustLevel = c.bl;
    s.PortfolioCcy = c.ccy;
    s.CountryRankingCriteria = {0.3, 0.4, 0.5};
    models::BuildMYGPPortfolios(&result, countries, s, 0);
    EXPECT_EQ(result.Extra, c.signals) << c.ccy;
    EXPECT_EQ(result.EquityPortfolio.CountryRankingCriteria, 1.0);
    EXPECT_EQ(result.BondPortfolio.CountryRankingCriteria, 1.0);
    EXPECT_EQ(result.Benchmark.QVTrustLevel, c.qv);
    EXPECT_EQ(result.Benchmark2.QVTrustLevel + result.Benchmark2.BLTrustLevel, 0.0);
    EXPECT_TRUE(ValuesNear(result.Values1, c.cash)) << c.ccy;
  }
  // The shared legs give the lines of a build from the list.
  TBenchmarkPortfolio direct;
  const TUserSettings s = EntrySettings(countries, 20.0, 60.0);
  models::BuildMYGPPortfolios(&result, countries, s, 0);
  direct.Build(countries, s, 0, result.StartDate, result.EndDate, 0, false);
  ASSERT_EQ(direct.Lines.size(), 2u);
  ASSERT_EQ(result.Benchmark2.Lines.size(), 2u);
  for (std::size_t i = 0; i < direct.Lines.size(); ++i)
    EXPECT_EQ(Values(direct.Lines[i].EquityReturns), Values(result.Benchmark2.Lines[i].EquityReturns));
}

using MYGPCombine = MYGPSources;

// USA alone, no timing: both benchmarks earn the equity's 2 % less 0.5 %
// cash a month, and the cash added back gives 2 %.
// Model = Min x 2 % + (Max - Min) x 2 % + (100 - Max) x (1 % + 0.2 %);
// benchmark = Max x 2 % + (100 - Max) x (0.5 % + 0.1 %).
TEST_F(MYGPCombine, MixWeightsAndReturnsFollowTheClampedBounds) {
  const std::vector<TCountry> countries = {FullCountry("USA", "USD", "North America")};
  ScopedCountryList installed(countries);
  InstallStrategyReturns();
  struct Case {
    double min, max;
    std::vector<double> model, benchmark;
    double modelReturn, benchmarkReturn;
  };
  for (const Case& c : std::vector<Case>{{40, 70, {0.4, 0.3, 0.3}, {0.7, 0.3}, 0.0176, 0.0158},
                                         {40, 40, {0.4, 0.0, 0.6}, {0.4, 0.6}, 0.0152, 0.0116},
                                         {0, 120, {0.0, 1.0, 0.0}, {1.0, 0.0}, 0.02, 0.02}}) {
    const TUserSettings s = EntrySettings(countries, c.min, c.max);
    TMYGPGraphicData result;
    result.StartDate = MonthEnd(2000, 1);
    result.EndDate = MonthEnd(2002, 12);
    result.Countries = countries;
    models::BuildMYGPPortfolios(&result, countries, s, 0);
    models::CopyMYGPSettings(&result, s);
    models::CombineMYGPModelSeries(&result, s);
    const std::vector<double> model = Weights(result.Classic1);
    const std::vector<double> benchmark = Weights(result.Classic2);
    ASSERT_EQ(model.size(), 3u);
    ASSERT_EQ(benchmark.size(), 2u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(model[i], c.model[i], 1e-12) << c.max;
    for (std::size_t i = 0; i < 2; ++i) EXPECT_NEAR(benchmark[i], c.benchmark[i], 1e-12) << c.max;
    ASSERT_GE(result.Classic1.Returns.size(), 12u);
    EXPECT_EQ(result.Classic1.Returns.size(), result.Benchmark2.ReturnSeries.size());
    for (const TDataPoint& p : result.Classic1.Returns) EXPECT_NEAR(p.Value, c.modelReturn, 1e-9);
    for (const TDataPoint& p : result.Classic2.Returns) EXPECT_NEAR(p.Value, c.benchmarkReturn, 1e-9);
  }
}

// The cash country: the first USD country for USD, else the last of the currency.
TEST_F(MYGPCombine, CashIsAddedOnlyOnEqualCommonDates) {
  std::vector<TCountry> countries = {MakeCountry("USA", "USD"), MakeCountry("PANAMA", "USD"),
                                     MakeCountry("GERMANY", "EUR"), MakeCountry("FRANCE", "EUR")};
  const double growth[] = {0.01, 0.02, 0.03, 0.04};
  for (std::size_t i = 0; i < countries.size(); ++i)
    Asset(countries[i], atRiskFreeAsset, "CASH") = Growing(2000, 1, 4, 100.0, growth[i]);
  Asset(countries[3], atRiskFreeAsset, "CASH").erase(Asset(countries[3], atRiskFreeAsset, "CASH").begin() + 2);
  ScopedCountryList installed(countries);
  TMYGPGraphicData result;
  result.Countries = countries;
  result.StartDate = MonthEnd(1999, 1);
  result.EndDate = MonthEnd(2003, 1);
  const TSeries equity = Monthly(2000, 2, {0.1, 0.1, 0.1});
  struct Case {
    std::string ccy;
    std::vector<double> want;
  };
  for (const Case& c : std::vector<Case>{{"USD", {0.11, 0.11, 0.11}},
                                         {"EUR", {0.1, 0.1, 0.1}},  // FRANCE lacks a month
                                         {"CHF", {0.1, 0.1, 0.1}}}) {
    TUserSettings s;
    s.PortfolioCcy = c.ccy;
    EXPECT_TRUE(ValuesNear(models::ConvertMYGPSeriesCurrency(result, equity, s), c.want, 1e-12)) << c.ccy;
  }
  countries.pop_back();
  result.Countries = countries;
  TUserSettings eur;
  eur.PortfolioCcy = "EUR";
  EXPECT_TRUE(ValuesNear(models::ConvertMYGPSeriesCurrency(result, equity, eur), {0.13, 0.13, 0.13}, 1e-12));

  EXPECT_TRUE(ValuesNear(models::AlignMYGPSeries(equity, Monthly(2000, 1, {5, 1, 2, 3, 5})), {1.1, 2.1, 3.1}));
  const TSeries gap = {{MonthEnd(2000, 2), 1.0}, {MonthEnd(2000, 4), 2.0}};
  EXPECT_TRUE(ValuesNear(models::AlignMYGPSeries(equity, gap), {0.1, 0.1, 0.1}));
  EXPECT_TRUE(ValuesNear(models::AlignMYGPSeries(equity, {}), {0.1, 0.1, 0.1}));
}

// Model and benchmark on the mixes' common dates; the risk-free rate is the
// cash return over the model's dates only.
TEST(MYGPBenchmark, SeriesNamesAndRiskFreeRateOverTheModelDates) {
  TMYGPGraphicData result;
  result.Performance.Parameters.PortfolioCcy = "EUR";
  result.Classic1.Returns = Monthly(2000, 2, {0.01, 0.02, 0.03});
  result.Classic2.Returns = Monthly(2000, 1, {0.04, 0.05, 0.06, 0.07});
  result.Values1 = Monthly(2000, 1, {0.5, 0.01, 0.01, 0.01, 0.5});
  models::ComputeMYGPBenchmark(&result);
  const TPortfolioPerformance& p = result.Performance;
  EXPECT_EQ(p.ModelName, "(In EUR)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In EUR)");
  EXPECT_TRUE(ValuesNear(p.ModelReturns, {0.01, 0.02, 0.03}));
  EXPECT_TRUE(ValuesNear(p.BenchmarkReturns, {0.05, 0.06, 0.07}));
  EXPECT_NEAR(p.Statistics.RiskFreeRate, std::pow(1.01, 12.0) - 1.0, 1e-12);

  result.Values1.clear();
  models::ComputeMYGPBenchmark(&result);
  EXPECT_EQ(result.Performance.Statistics.RiskFreeRate, kNo);
}

TEST(MYGPStatistics, TitleFiguresAndSharpeRatios) {
  for (const bool withModel : {true, false}) {
    TMYGPGraphicData result;
    TPortfolioPerformance& p = result.Performance;
    p.Parameters.PortfolioCcy = "USD";
    if (withModel) p.ModelReturns = Monthly(2000, 1, {0.01, 0.03, -0.02, 0.02});
    p.BenchmarkReturns = Monthly(2000, 1, {0.02, 0.01, -0.01, 0.01});
    p.Statistics.RiskFreeRate = 0.01;
    p.Statistics.RiskFree.Return = 0.05;  // not this model's figures
    p.Statistics.RiskFree.Volatility = 0.1;
    models::ComputeMYGPStatistics(&result);
    const TPerformanceStatistics& st = p.Statistics;
    EXPECT_EQ(st.Labels.Caption1, "Cash && Risk Portfolio");
    EXPECT_EQ(st.Labels.Caption4, "USD");
    EXPECT_EQ(st.Labels.Caption6, "USD");
    EXPECT_EQ(st.HasData, withModel);
    EXPECT_EQ(st.EquityInvested, kNo);
    EXPECT_EQ(st.Turnover, kNo);
    EXPECT_EQ(st.RiskFree.Sharpe, kNo);
    EXPECT_EQ(st.Model.Sharpe == kNo, !withModel);
    EXPECT_EQ(st.Index.Sharpe == kNo, !withModel);
    EXPECT_EQ(st.RiskFreeRate == kNo, !withModel);
    EXPECT_EQ(st.Labels.StartDate == kNo, !withModel);
    EXPECT_EQ(st.Labels.EndDate, withModel ? MonthEnd(2000, 4) : kNo);
  }
}

// ---- Composition ----------------------------------------------------------------

TSLHolding Holding(const std::string& name, double adjusted) {
  TSLHolding h;
  h.Name = name;
  h.AdjustedWeight = adjusted;
  return h;
}

TSLLine RankedLine(const std::string& name, std::vector<double> ranks) {
  TSLLine line;
  line.Name = name;
  line.Ranks = Monthly(2001, 1, ranks);
  return line;
}

TInflationLinkedLine LinkedLine(const std::string& name, double first, double last) {
  TInflationLinkedLine line;
  line.CountryName = name;
  line.FirstDate = first;
  line.LastDate = last;
  return line;
}

const double kD0 = MonthEnd(2001, 5);
const double kD1 = MonthEnd(2001, 6);

// Min 20, Max 60, portfolio EUR; the list is not in region order.
class MYGPComposition : public MYGPSources {
 protected:
  void SetUp() override {
    result.Countries = {MakeCountry("GERMANY", "EUR", "Europe (Euro)"), MakeCountry("USA", "USD", "North America"),
                        MakeCountry("Russia", "RUB", "Europe (Non Euro)"),
                        MakeCountry("PANAMA", "USD", "Developing Asia")};
    installed = std::make_unique<ScopedCountryList>(result.Countries);
    TSeriesInfo& info = result.Performance.Parameters;
    info.MinEqVsFiAllocation = 20.0;
    info.MaxEqVsFiAllocation = 60.0;
    info.PortfolioCcy = "EUR";
    result.EquityPortfolio.Lines = {RankedLine("USA", {3.0, 2.0}), RankedLine("GERMANY", {1.0}),
                                    RankedLine("PANAMA", {})};
    result.BondPortfolio.Lines = {RankedLine("USA", {1.0}), RankedLine("GERMANY", {2.0}),
                                  RankedLine("Russia", {3.0})};
    result.Benchmark.WeightHistory = {{kD0, 1.0, {{"USA", 1.0, 0.0, 1}}},
                                      {kD1, 1.0, {{"USA", 0.5, 0.0, 1}, {"GERMANY", 0.3, 0.2, 2}}}};
    result.Benchmark2.WeightHistory = {{kD0, 1.0, {{"USA", 0.7, 0.0, 1}}},
                                       {kD1, 1.0, {{"USA", 0.6, 0.0, 1}, {"GERMANY", 0.4, 0.0, 2}}}};
    cMyExternEQSLGraphicData.ModelPortfolio.Allocations = {{kD1, 1.0, {Holding("USA", 1.0)}}};
    cMyExternFISLGraphicData.ModelPortfolio.Allocations = {
        {kD1, 1.0, {Holding("USA", 0.5), Holding("GERMANY", 0.25), Holding("PANAMA", 0.25)}}};
    cMyExternFISLGraphicData.BenchmarkPortfolio.Allocations = {
        {kD1, 1.0, {Holding("USA", 0.4), Holding("GERMANY", 0.4), Holding("Russia", 0.2)}}};
    TFIGPGraphicData& figp = cMyExternFIGPGraphicData;
    figp.Rule2.Allocations = {{kD0, 1.0, 0.0, 0.0}, {kD1, 0.6, 0.2, 0.2}};
    // USA's inflation-linked series covers the last date, GERMANY's ends before it.
    figp.Rule2.InflationLinked.Lines = {LinkedLine("USA", MonthEnd(2000, 1), MonthEnd(2002, 1)),
                                        LinkedLine("GERMANY", MonthEnd(2000, 1), MonthEnd(2001, 1))};
    figp.Performance.AllocationHistory = {
        {kD0, 1.0, {{"Fixed Rate Bond", 0.5}, {"Inflation-Linked Bond", 0.5}, {"Gold", 0.0}}},
        {kD0, 1.0, {{"Fixed Rate Bond", 1.0}, {"Inflation-Linked Bond", 0.0}, {"Gold", 0.0}}},
        {kD1, 1.0, {{"Fixed Rate Bond", 0.6}, {"Inflation-Linked Bond", 0.2}, {"Gold", 0.2}}},
        {kD1, 0.0, {}}};
    cMyExternFICYGraphicData.Performance.AllocationHistory = {
        {kD1, 1.0, {{"USA", 0.5}, {"GERMANY", 0.3}, {"Russia", 0.2}}}};
  }
  TMYGPGraphicData result;
  std::unique_ptr<ScopedCountryList> installed;
};

struct ItemFigures {
  std::size_t row;
  std::string name;
  double equity, benchmark, fx;
  std::int32_t rank;
  bool selected;
  double fixed, linked, bond, index, hedge;
  std::int32_t code, flag;
};

void ExpectItem(const TMYGPGraphicData& result, const ItemFigures& e) {
  const TRegionAllocationRow& row = result.AllocationItems.at(e.row);
  std::size_t i = 0;
  while (i < row.Items.size() && row.Items[i].Name != e.name) ++i;
  ASSERT_LT(i, row.Items.size()) << e.name;
  const TCountryAllocationItem& q = row.Items[i];
  const TCountryDetailItem& b = row.DetailItems.at(i);
  EXPECT_EQ(b.Name, e.name);
  const std::vector<std::pair<double, double>> figures = {{q.EquityShare, e.equity}, {q.RiskFreeShare, e.benchmark},
                                                          {q.FxShare, e.fx},         {b.FixedRateWeight, e.fixed},
                                                          {b.InflationLinkedWeight, e.linked}, {b.BondWeight, e.bond},
                                                          {b.IndexWeight, e.index},  {b.FxHedge, e.hedge}};
  for (std::size_t k = 0; k < figures.size(); ++k)
    EXPECT_NEAR(figures[k].first, figures[k].second, 1e-12) << e.name << " figure " << k;
  EXPECT_EQ(q.Rank, e.rank) << e.name;
  EXPECT_EQ(q.Selected, e.selected) << e.name;
  EXPECT_EQ(b.Code, e.code) << e.name;
  EXPECT_EQ(b.Flag, e.flag) << e.name;
}

// Sleeves at the last date: timed e x 0.4 with risk-off 0.2 x 0.4 into the
// FISL selection, plain p x 0.2, bonds 0.4 of the FISL selection split
// 0.6 / 0.2 (GERMANY's and PANAMA's linked parts as fixed), bond benchmark 0.4 of FISL's,
// currency weights x (1 - 0.52) = 0.48, hedges net of them.
TEST_F(MYGPComposition, RowsByRegionNameWithSleevesHedgesAndSums) {
  models::ComputeMYGPAllocations(&result, TUserSettings{});
  const std::vector<TRegionAllocationRow>& rows = result.AllocationItems;
  ASSERT_EQ(rows.size(), 7u);
  const std::vector<std::string> heads = {"North America", "Europe (Euro)", "Europe (Non Euro)", "X", "X",
                                          "Developing Asia", "TOTAL"};
  for (std::size_t k = 0; k < 7; ++k) EXPECT_EQ(rows[k].Summary.Name, heads[k]);
  for (const ItemFigures& e : std::vector<ItemFigures>{
           {0, "USA", 0.32, 0.36, 0.32, 2, true, 0.144, 0.048, 0.192, 0.16, 0.0, 1, 1},
           {1, "GERMANY", 0.20, 0.24, kNo, 1, false, 0.096, kNo, 0.096, 0.16, 0.0, 2, 1},
           {2, "Russia", kNo, kNo, 0.0, -1, false, kNo, kNo, kNo, 0.08, 0.0, 3, 0},
           // PANAMA has no inflation-linked range: its linked part goes to fixed rate,
           // so fixed rate + inflation linked = bond.
           {5, "PANAMA", kNo, kNo, 0.0, -1, false, 0.096, kNo, 0.096, kNo, 0.048, -1, 1}})
    ExpectItem(result, e);
  // Heads {equity, benchmark, fx | fixed, linked, bond, index, hedge}.
  const std::vector<std::vector<double>> sums = {{0.32, 0.36, 0.32, 0.144, 0.048, 0.192, 0.16, 0.0},
                                                 {0.20, 0.24, 0.0, 0.096, 0.0, 0.096, 0.16, 0.0},
                                                 {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.08, 0.0},
                                                 {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
                                                 {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
                                                 {0.0, 0.0, 0.0, 0.096, 0.0, 0.096, 0.0, 0.048},
                                                 {0.52, 0.60, 0.32, 0.336, 0.048, 0.384, 0.40, 0.048}};
  for (std::size_t k = 0; k < 7; ++k) {
    const TCountryAllocationItem& q = rows[k].Summary;
    const TCountryDetailItem& b = rows[k].DetailSummary;
    const std::vector<double> got = {q.EquityShare,  q.RiskFreeShare, q.FxShare, b.FixedRateWeight,
                                     b.InflationLinkedWeight, b.BondWeight, b.IndexWeight, b.FxHedge};
    for (std::size_t f = 0; f < got.size(); ++f) EXPECT_NEAR(got[f], sums[k][f], 1e-12) << "row " << k << " " << f;
  }
}

// Per timed date: equity 0.2 qP + 0.4 qT, bonds and gold the FIGP split of
// the same date times 0.4 oT + 0.4.
TEST_F(MYGPComposition, AssetHistoryAndRowsOfTheLastDate) {
  models::ComputeMYGPAllocations(&result, TUserSettings{});
  const std::vector<TAllocationRow>& history = result.Performance.AllocationHistory;
  ASSERT_EQ(history.size(), 2u);
  const std::vector<std::vector<double>> want = {{0.54, 0.4, 0.0, 0.0}, {0.52, 0.288, 0.096, 0.096}};
  const std::vector<std::string> names = {"Equity", "Fixed Rate Bond", "Inflation-Linked Bond", "Gold"};
  for (std::size_t r = 0; r < 2; ++r) globaltest::ExpectSplitRow(history[r], r == 0 ? kD0 : kD1, names, want[r]);
  EXPECT_EQ(result.ColumnCaption1, "Model");
  EXPECT_EQ(result.ColumnCaption2, "Index");
  globaltest::ExpectAssetShares(result.AssetShares,
                                {{"Equity", 0.52, 0.6, 1},
                                 {"Equity", 0.52, 0.6, 1},
                                 {"Bond", 0.384, 0.4, 2},
                                 {"Fixed Rate Bond", 0.288, 0.4, 2},
                                 {"Inflation-Linked Bond", 0.096, 0.0, 2},
                                 {"Gold", 0.096, 0.0, 3}},
                                1e-12);
}

// A second run without EQSL selection and timed weights keeps nothing of the first.
TEST_F(MYGPComposition, SecondRunWithoutSourcesLeavesEmptyRows) {
  models::ComputeMYGPAllocations(&result, TUserSettings{});
  cMyExternEQSLGraphicData.ModelPortfolio.Allocations.clear();
  result.Benchmark.WeightHistory.clear();
  models::ComputeMYGPAllocations(&result, TUserSettings{});
  for (const TRegionAllocationRow& row : result.AllocationItems) {
    EXPECT_EQ(row.Summary.EquityShare, kNo);
    EXPECT_EQ(row.DetailSummary.BondWeight, kNo);
    for (std::size_t i = 0; i < row.Items.size(); ++i) {
      EXPECT_EQ(row.Items[i].EquityShare, kNo);
      EXPECT_EQ(row.Items[i].Rank, -1);
      EXPECT_FALSE(row.Items[i].Selected);
      EXPECT_EQ(row.DetailItems[i].BondWeight, kNo);
      EXPECT_EQ(row.DetailItems[i].FxHedge, kNo);
      EXPECT_EQ(row.DetailItems[i].Code, -1);
    }
  }
  EXPECT_TRUE(result.Performance.AllocationHistory.empty());
  EXPECT_TRUE(result.AssetShares.empty());
  EXPECT_TRUE(result.ColumnCaption1.empty());
}

// USD bond items share one dollar weight u in row order; what is left is
// never below 0, so no item is hedged beyond its exposure; "Russia" never.
TEST_F(MYGPComposition, DollarRemainderIsFlooredAtZero) {
  result.Countries = {MakeCountry("USA", "USD", "North America"), MakeCountry("Russia", "RUB", "Europe (Non Euro)"),
                      MakeCountry("PANAMA", "USD", "Developing Asia"),
                      MakeCountry("ECUADOR", "USD", "Developing Asia")};
  ScopedCountryList list(result.Countries);
  result.Performance.Parameters.MinEqVsFiAllocation = 0.0;
  result.Performance.Parameters.MaxEqVsFiAllocation = 0.0;
  result.Benchmark.WeightHistory = {{kD1, 1.0, {}}};
  result.Benchmark2.WeightHistory = {{kD1, 1.0, {}}};
  cMyExternFISLGraphicData.ModelPortfolio.Allocations = {
      {kD1, 1.0, {Holding("USA", 0.4), Holding("PANAMA", 0.3), Holding("ECUADOR", 0.2), Holding("Russia", 0.1)}}};
  cMyExternFIGPGraphicData.Rule2.Allocations = {{kD1, 1.0, 0.0, 0.0}};
  struct Case {
    double usd;
    double usa, panama, ecuador;
  };
  for (const Case& c : std::vector<Case>{
           {0.0, 0.4, 0.3, 0.2}, {0.5, 0.0, 0.2, 0.2}, {0.6, 0.0, 0.1, 0.2}, {1.2, 0.0, 0.0, 0.0}}) {
    cMyExternFICYGraphicData.Performance.AllocationHistory = {{kD1, 1.0, {{"USA", c.usd}, {"Russia", 0.0}}}};
    models::ComposeMYGPPortfolio(&result);
    const auto& rows = result.AllocationItems;
    EXPECT_NEAR(rows[0].DetailItems.at(0).FxHedge, c.usa, 1e-12) << c.usd;
    EXPECT_EQ(rows[2].DetailItems.at(0).FxHedge, 0.0) << c.usd;
    EXPECT_NEAR(rows[5].DetailItems.at(0).FxHedge, c.panama, 1e-12) << c.usd;
    EXPECT_NEAR(rows[5].DetailItems.at(1).FxHedge, c.ecuador, 1e-12) << c.usd;
    EXPECT_NEAR(rows[6].DetailSummary.FxHedge, c.usa + c.panama + c.ecuador, 1e-12) << c.usd;
  }
  // Without a currency item of its own, Russia is still never hedged.
  cMyExternFICYGraphicData.Performance.AllocationHistory = {{kD1, 1.0, {{"USA", 0.0}}}};
  models::ComposeMYGPPortfolio(&result);
  EXPECT_GT(result.AllocationItems[2].DetailItems.at(0).BondWeight, 0.0);
  EXPECT_EQ(result.AllocationItems[2].DetailItems.at(0).FxHedge, 0.0);
}

// The flags follow each list's own row of the item's name (the last one),
// whatever the order of the two lists; a row without points gives false; an
// item without a row of its name keeps its flag.
TEST_F(MYGPComposition, FlagsMatchRowsByName) {
  models::ComposeMYGPPortfolio(&result);
  for (auto& allocationRow : result.AllocationItems)
    for (TCountryAllocationItem& item : allocationRow.Items) item.MacroOn = item.BehaviourOn = true;
  const auto row = [](const std::string& name, std::vector<double> values) {
    return TLabelledSeries{{name, "region"}, Monthly(2001, 1, values), true};
  };
  const std::vector<TLabelledSeries> macro = {row("GERMANY", {1.0}), row("USA", {1.0}), row("USA", {0.0}),
                                              row("PANAMA", {1.0})};
  const std::vector<TLabelledSeries> behaviour = {row("PANAMA", {}), row("USA", {1.0}), row("GERMANY", {-1.0})};
  models::FlagMYGPAllocationItems(&result, macro, behaviour);
  struct Case {
    std::size_t row;
    std::string name;
    bool macro, behaviour;
  };
  for (const Case& c : std::vector<Case>{{0, "USA", false, true},
                                         {1, "GERMANY", true, false},
                                         {2, "Russia", true, true},
                                         {5, "PANAMA", true, false}}) {
    const TCountryAllocationItem& item = result.AllocationItems.at(c.row).Items.at(0);
    EXPECT_EQ(item.Name, c.name);
    EXPECT_EQ(item.MacroOn, c.macro) << c.name;
    EXPECT_EQ(item.BehaviourOn, c.behaviour) << c.name;
  }
}

}  // namespace
