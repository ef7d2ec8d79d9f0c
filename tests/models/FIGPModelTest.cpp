// FIGP model: series alignment, benchmark, country table (bond split, index
// weights, currency hedges, sums), asset rows and the entry, on tiny
// hand-made FISL and FICY records.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "GlobalModelFixtures.h"
#include "ModelTestSupport.h"
#include "common/Globals.h"
#include "models/global/FIGPModel.h"
#include "portfolio/ModelError.h"

namespace {

using namespace testcountries;

constexpr double kNo = -1000000.0;

// Installs FISL and FICY records for the lifetime of the object.
class ScopedSourceRecords {
 public:
  ScopedSourceRecords(TFISLGraphicData fisl, TFICYGraphicData ficy)
      : fisl_(std::exchange(cMyExternFISLGraphicData, std::move(fisl))),
        ficy_(std::exchange(cMyExternFICYGraphicData, std::move(ficy))) {}
  ~ScopedSourceRecords() {
    cMyExternFISLGraphicData = std::move(fisl_);
    cMyExternFICYGraphicData = std::move(ficy_);
  }
  ScopedSourceRecords(const ScopedSourceRecords&) = delete;
  ScopedSourceRecords& operator=(const ScopedSourceRecords&) = delete;

 private:
  TFISLGraphicData fisl_;
  TFICYGraphicData ficy_;
};

struct Named {
  std::string Name;
  double Weight;
};

TSLAllocation Holdings(double date, const std::vector<Named>& weights, std::int32_t firstRank = 1) {
  TSLAllocation a;
  a.Date = date;
  std::int32_t rank = firstRank;
  for (const Named& w : weights) {
    TSLHolding h;
    h.Name = w.Name;
    h.AdjustedWeight = w.Weight;
    h.Rank = rank++;
    a.Holdings.push_back(h);
  }
  return a;
}

TAllocationRow CurrencyRow(const std::vector<Named>& weights) {
  TAllocationRow row;
  for (const Named& w : weights) row.Holdings.push_back({w.Name, w.Weight});
  return row;
}

TCountry Country(const std::string& name, const std::string& ccy, const std::string& region) {
  return MakeCountry(name, ccy, region);
}

// The detail item of that name in the region rows; fails the test when absent.
const TCountryDetailItem& Detail(const TFIGPGraphicData& r, const std::string& name) {
  for (std::size_t i = 0; i + 1 < r.AllocationItems.size(); ++i)
    for (const TCountryDetailItem& d : r.AllocationItems[i].DetailItems)
      if (d.Name == name) return d;
  ADD_FAILURE() << "no detail item " << name;
  static const TCountryDetailItem none;
  return none;
}

double Pos(double v) { return v > 0.0 ? v : 0.0; }

// ---------------------------------------------------------------- series

TEST(FIGPAlign, SumsOnCommonDatesOrKeepsTheFirstSeries) {
  const TSeries rule = Monthly(2000, 1, {0.01, 0.02, 0.03, 0.04, 0.05});
  struct Case {
    const char* label;
    TSeries other;
    std::vector<double> expected;
  };
  const std::vector<Case> cases = {
      {"last three", Monthly(2000, 3, {0.1, 0.2, 0.3}), {0.13, 0.24, 0.35}},
      {"gap inside", {{MonthEnd(2000, 2), 0.1}, {MonthEnd(2000, 4), 0.2}}, {0.01, 0.02, 0.03, 0.04, 0.05}},
      {"empty", {}, {0.01, 0.02, 0.03, 0.04, 0.05}},
      {"no overlap", Monthly(2001, 1, {0.1, 0.2}), {0.01, 0.02, 0.03, 0.04, 0.05}},
  };
  for (const Case& c : cases) {
    const TSeries sum = models::AlignFIGPSeries(rule, c.other);
    EXPECT_TRUE(ValuesNear(sum, c.expected, 1e-12)) << c.label;
  }
  const TSeries cut = models::AlignFIGPSeries(rule, Monthly(2000, 3, {0.1, 0.2, 0.3}));
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_EQ(cut.front().Date, MonthEnd(2000, 3));
}

TEST(FIGPBenchmark, AddsFICYSeriesCutsToCommonDatesAndTakesTheCashRate) {
  TFICYGraphicData ficy;
  ficy.Performance.ModelReturns = Monthly(2000, 2, {0.1, 0.1, 0.1});  // the last three rule dates
  // The benchmark part is empty: the FISL benchmark stays as it is.
  ScopedSourceRecords sources({}, ficy);

  TFIGPGraphicData r;
  r.Performance.Parameters.PortfolioCcy = "EUR";
  r.Values2 = Monthly(2000, 1, {0.01, 0.02, 0.03, 0.04});
  r.Values3 = Monthly(2000, 1, {0.005, 0.006, 0.007, 0.008});
  r.Values1 = Constant(2000, 1, 4, 0.01);
  r.Performance.ModelReturns = Monthly(1999, 1, {9.0});  // an earlier run's
  models::ComputeFIGPBenchmark(&r);
  EXPECT_EQ(r.Performance.ModelName, "(In EUR)");
  EXPECT_EQ(r.Performance.BenchmarkName, "Benchmark (In EUR)");
  EXPECT_TRUE(ValuesNear(r.Performance.ModelReturns, {0.12, 0.13, 0.14}));
  EXPECT_TRUE(ValuesNear(r.Performance.BenchmarkReturns, {0.006, 0.007, 0.008}));
  // Three cash returns of 0.01 over the model's dates: 1.01^(12/3 x 3) - 1.
  EXPECT_NEAR(r.Performance.Statistics.RiskFreeRate, std::pow(1.01, 12.0) - 1.0, 1e-12);

  r.Values1.clear();
  models::ComputeFIGPBenchmark(&r);
  EXPECT_EQ(r.Performance.Statistics.RiskFreeRate, kNo);
}

// ---------------------------------------------------------------- country table

// One currency-hedge case: the countries (all installed as the application's
// list), FISL's last model weights, FICY's last allocation, and the expected
// hedges by country name with the expected total.
struct HedgeCase {
  const char* label;
  std::vector<TCountry> countries;
  std::vector<Named> held;
  std::vector<Named> currency;
  std::vector<Named> hedges;
  double total;
};

TEST(FIGPCountryTable, HedgesAreTheBondExposureTheCurrencyModelDoesNotHold) {
  const TCountry usa = Country("USA", "USD", "North America");
  const TCountry panama = Country("Panama", "USD", "North America");
  const TCountry ecuador = Country("Ecuador", "USD", "Commodity Exporters");
  const TCountry germany = Country("Germany", "EUR", "Europe (Euro)");
  const TCountry france = Country("France", "EUR", "Europe (Euro)");
  const TCountry russia = Country("Russia", "RUB", "Europe (Non Euro)");
  const std::vector<HedgeCase> cases = {
      {"EUR under", {germany}, {{"Germany", 0.08}}, {{"Germany", 0.05}}, {{"Germany", 0.03}}, 0.03},
      {"EUR over", {germany}, {{"Germany", 0.08}}, {{"Germany", 0.10}}, {{"Germany", 0.0}}, 0.0},
      // The dollar share 0.12 is used up across rows; the remainder never goes below 0.
      {"USD used up",
       {usa, panama, ecuador},
       {{"USA", 0.10}, {"Panama", 0.05}, {"Ecuador", 0.04}},
       {{"USA", 0.12}},
       {{"USA", 0.0}, {"Panama", 0.03}, {"Ecuador", 0.04}},
       0.07},
      // Two euro items act one after the other on the same country.
      {"two euro items",
       {germany, france},
       {{"Germany", 0.08}},
       {{"Germany", 0.05}, {"France", 0.02}},
       {{"Germany", 0.01}, {"France", 0.0}},
       0.01},
      // No currency item: the whole bond exposure is hedged, but never Russia's.
      {"no item", {germany, russia}, {{"Germany", 0.07}, {"Russia", 0.06}}, {}, {{"Germany", 0.07}, {"Russia", 0.0}},
       0.07},
      {"Russia short", {russia}, {{"Russia", 0.06}}, {{"Russia", 0.01}}, {{"Russia", 0.0}}, 0.0},
      {"RUSSIA upper", {Country("RUSSIA", "RUB", "Europe (Non Euro)")}, {{"RUSSIA", 0.06}}, {{"RUSSIA", 0.0}},
       {{"RUSSIA", 0.0}}, 0.0},
  };
  for (const HedgeCase& c : cases) {
    ScopedCountryList installed(c.countries);
    TFISLGraphicData fisl;
    fisl.ModelPortfolio.Allocations = {Holdings(MonthEnd(2001, 1), c.held)};
    TFICYGraphicData ficy;
    // Only the last record counts.
    ficy.Performance.AllocationHistory = {CurrencyRow({{"USA", 1.0}, {"Germany", 1.0}}), CurrencyRow(c.currency)};
    ScopedSourceRecords sources(fisl, ficy);

    TFIGPGraphicData r;
    r.Countries = c.countries;
    r.Rule2.Allocations = {{MonthEnd(2001, 1), 1.0, 0.0, 0.0}};  // all fixed-rate bonds
    models::ComputeFIGPCountryAllocations(&r);
    for (const Named& h : c.hedges) EXPECT_NEAR(Detail(r, h.Name).FxHedge, h.Weight, 1e-12) << c.label << " " << h.Name;
    ASSERT_EQ(r.AllocationItems.size(), 7u);
    EXPECT_NEAR(r.AllocationItems[6].DetailSummary.FxHedge, c.total, 1e-12) << c.label;
  }
}

// Four countries in two regions; FISL holds three of them. The evaluator's
// last row: fixed 0.6, switch 0.3, gold 0.1 at `t`; Germany has
// inflation-linked data at t, the USA's ends before t, Japan has no line and
// France none either (kMissingDate).
struct SplitFixture {
  double t = MonthEnd(2001, 6);
  std::vector<TCountry> countries = {Country("USA", "USD", "North America"), Country("Canada", "CAD", "North America"),
                                     Country("Germany", "EUR", "Europe (Euro)"),
                                     Country("France", "EUR", "Europe (Euro)"), Country("Japan", "JPY", "Japan")};
  TFIGPGraphicData Record() const {
    TFIGPGraphicData r;
    r.Countries = countries;
    r.Rule2.Allocations = {{MonthEnd(2001, 5), 1.0, 0.0, 0.0}, {t, 0.6, 0.1, 0.3}};
    TInflationLinkedLine germany;
    germany.CountryName = "Germany";
    germany.FirstDate = MonthEnd(2000, 1);
    germany.LastDate = t;
    TInflationLinkedLine usa;
    usa.CountryName = "USA";
    usa.FirstDate = MonthEnd(2000, 1);
    usa.LastDate = MonthEnd(2001, 5);
    TInflationLinkedLine france;
    france.CountryName = "France";
    r.Rule2.InflationLinked.Lines = {usa, germany, france};
    r.BondPortfolio.Allocations = {Holdings(t, {{"Japan", 0.2}, {"Germany", 0.3}, {"USA", 0.3}, {"Canada", 0.2}})};
    return r;
  }
};

TEST(FIGPCountryTable, BondSplitFlagsRanksIndexWeightsAndSumsCountNoValueAsZero) {
  SplitFixture fx;
  ScopedCountryList installed(fx.countries);
  TFISLGraphicData fisl;
  fisl.ModelPortfolio.Allocations = {Holdings(MonthEnd(2001, 5), {{"Canada", 1.0}}),
                                     Holdings(fx.t, {{"USA", 0.4}, {"Germany", 0.35}, {"Japan", 0.25}})};
  fisl.BenchmarkPortfolio.Allocations = {Holdings(fx.t, {{"USA", 0.5}, {"France", 0.2}})};
  ScopedSourceRecords sources(fisl, {});  // no FICY history: hedges stay without value
  TFIGPGraphicData r = fx.Record();
  models::ComputeFIGPCountryAllocations(&r);

  struct Expect {
    const char* name;
    int flag;
    int code;
    double fixed, linked, bond, index;
  };
  const std::vector<Expect> expected = {
      {"USA", 1, 3, 0.9 * 0.4, kNo, 0.9 * 0.4, 0.5},
      {"Canada", 0, 4, kNo, kNo, kNo, kNo},
      {"Germany", 1, 2, 0.6 * 0.35, 0.3 * 0.35, 0.9 * 0.35, kNo},
      {"France", 0, -1, kNo, kNo, kNo, 0.2},
      {"Japan", 1, 1, 0.9 * 0.25, kNo, 0.9 * 0.25, kNo},
  };
  for (const Expect& e : expected) {
    const TCountryDetailItem& d = Detail(r, e.name);
    EXPECT_EQ(d.Flag, e.flag) << e.name;
    EXPECT_EQ(d.Code, e.code) << e.name;
    EXPECT_NEAR(d.FixedRateWeight, e.fixed, 1e-12) << e.name;
    EXPECT_NEAR(d.InflationLinkedWeight, e.linked, 1e-12) << e.name;
    EXPECT_NEAR(d.BondWeight, e.bond, 1e-12) << e.name;
    EXPECT_NEAR(d.IndexWeight, e.index, 1e-12) << e.name;
    EXPECT_EQ(d.FxHedge, kNo) << e.name;
    // Fixed and linked together are the bond weight in every item.
    EXPECT_NEAR(Pos(d.FixedRateWeight) + Pos(d.InflationLinkedWeight), Pos(d.BondWeight), 1e-12) << e.name;
  }
  const auto& rows = r.AllocationItems;
  ASSERT_EQ(rows.size(), 7u);
  // Row sums: values without a figure count as 0.0.
  EXPECT_NEAR(rows[0].DetailSummary.BondWeight, 0.36, 1e-12);
  EXPECT_NEAR(rows[0].DetailSummary.IndexWeight, 0.5, 1e-12);
  EXPECT_NEAR(rows[0].DetailSummary.InflationLinkedWeight, 0.0, 1e-12);
  EXPECT_NEAR(rows[1].DetailSummary.FixedRateWeight, 0.21, 1e-12);
  EXPECT_NEAR(rows[1].DetailSummary.InflationLinkedWeight, 0.105, 1e-12);
  EXPECT_NEAR(rows[1].DetailSummary.IndexWeight, 0.2, 1e-12);
  EXPECT_NEAR(rows[2].DetailSummary.FxHedge, 0.0, 1e-12);  // an empty region row
  const TCountryDetailItem& total = rows[6].DetailSummary;
  EXPECT_EQ(total.Name, "TOTAL");
  EXPECT_NEAR(total.BondWeight, 0.9, 1e-12);
  EXPECT_NEAR(total.FixedRateWeight + total.InflationLinkedWeight, total.BondWeight, 1e-12);
  EXPECT_NEAR(total.InflationLinkedWeight, 0.105, 1e-12);
  EXPECT_NEAR(total.IndexWeight, 0.7, 1e-12);
  EXPECT_NEAR(total.FxHedge, 0.0, 1e-12);
}

TEST(FIGPCountryTable, MissingSourcesLeaveNoValueMarks) {
  SplitFixture fx;
  ScopedCountryList installed(fx.countries);
  struct Case {
    const char* label;
    bool fislModel;
    bool weightRows;
  };
  for (const Case& c : std::vector<Case>{{"no FISL model", false, true}, {"no weight rows", true, false}}) {
    TFISLGraphicData fisl;
    if (c.fislModel) fisl.ModelPortfolio.Allocations = {Holdings(fx.t, {{"USA", 0.4}})};
    TFICYGraphicData ficy;
    ficy.Performance.AllocationHistory = {CurrencyRow({{"USA", 0.0}})};
    ScopedSourceRecords sources(fisl, ficy);
    TFIGPGraphicData r = fx.Record();
    if (!c.weightRows) r.Rule2.Allocations.clear();
    models::ComputeFIGPCountryAllocations(&r);
    const TCountryDetailItem& usa = Detail(r, "USA");
    if (c.fislModel) {
      // No evaluator row: f = s = 0, the held country carries 0.0, not a stale split.
      EXPECT_EQ(usa.Flag, 1) << c.label;
      EXPECT_EQ(usa.BondWeight, 0.0) << c.label;
      EXPECT_EQ(usa.FxHedge, 0.0) << c.label;
    } else {
      // The table stays as the placeholders: no flags, no ranks, no figures.
      EXPECT_EQ(usa.Flag, 0) << c.label;
      EXPECT_EQ(usa.Code, -1) << c.label;
      EXPECT_EQ(usa.BondWeight, kNo) << c.label;
      EXPECT_EQ(usa.FxHedge, kNo) << c.label;
      EXPECT_EQ(r.AllocationItems[0].DetailSummary.BondWeight, kNo) << c.label;
    }
  }
}

// ---------------------------------------------------------------- asset rows

TEST(FIGPAssetRows, HistoryAndRowsFromTheWeightRowsAndNothingStaleWithout) {
  SplitFixture fx;
  TFIGPGraphicData r = fx.Record();
  // Weight 0.25 with inflation-linked data at t (Germany), 0.75 without (USA's ends before t).
  r.Rule2.Allocations = {{MonthEnd(2001, 5), 0.5, 0.5, 0.0}, {fx.t, 0.3, 0.3, 0.4}};
  r.Rule2.BondPortfolio.Allocations = {Holdings(MonthEnd(2001, 5), {{"Germany", 1.0}}),
                                       Holdings(fx.t, {{"Germany", 0.25}, {"USA", 0.75}})};
  models::ComputeFIGPAssetRows(&r);
  const auto& history = r.Performance.AllocationHistory;
  ASSERT_EQ(history.size(), 2u);
  const std::vector<std::vector<double>> items = {{0.5, 0.0, 0.5}, {0.6, 0.1, 0.3}};
  for (std::size_t k = 0; k < history.size(); ++k)
    globaltest::ExpectSplitRow(history[k], r.Rule2.Allocations[k].Date,
                               {"Fixed Rate Bond", "Inflation-Linked Bond", "Gold"}, items[k]);
  EXPECT_EQ(r.ColumnCaption1, "Model");
  EXPECT_EQ(r.ColumnCaption2, "Index");
  globaltest::ExpectAssetShares(r.AssetShares,
                                {{"Bond", 0.7, 1.0, 1}, {"Fixed Rate Bond", 0.6, 1.0, 1},
                                 {"Inflation-Linked Bond", 0.1, 0.0, 1}, {"Gold", 0.3, 0.0, 2},
                                 {"", 0.0, 0.0, 2}, {"", 0.0, 0.0, 2}},
                                0.0);

  // Every record dated t counts, wherever it stands in the history: the same 0.25.
  r.Rule2.BondPortfolio.Allocations = {Holdings(fx.t, {{"Germany", 0.1}}),
                                       Holdings(MonthEnd(2001, 5), {{"Germany", 1.0}}),
                                       Holdings(fx.t, {{"Germany", 0.15}, {"USA", 0.75}})};
  models::ComputeFIGPAssetRows(&r);
  ASSERT_EQ(r.Performance.AllocationHistory.size(), 2u);
  globaltest::ExpectSplitRow(r.Performance.AllocationHistory[1], fx.t,
                             {"Fixed Rate Bond", "Inflation-Linked Bond", "Gold"}, items[1]);

  r.Rule2.Allocations.clear();
  models::ComputeFIGPAssetRows(&r);
  EXPECT_TRUE(r.Performance.AllocationHistory.empty());
  EXPECT_TRUE(r.ColumnCaption1.empty());
  EXPECT_TRUE(r.ColumnCaption2.empty());
  EXPECT_TRUE(r.AssetShares.empty());
}

TEST(FIGPStages, MissingRecordIsAModelFailure) {
  const std::vector<std::pair<const char*, std::function<void()>>> stages = {
      {"portfolio", [] { models::BuildFIGPPortfolio(nullptr, {}, {}, 0); }},
      {"benchmark", [] { models::ComputeFIGPBenchmark(nullptr); }},
      {"allocations", [] { models::ComputeFIGPAllocations(nullptr, {}); }},
      {"country table", [] { models::ComputeFIGPCountryAllocations(nullptr); }},
      {"asset rows", [] { models::ComputeFIGPAssetRows(nullptr); }},
  };
  for (const auto& [label, run] : stages) EXPECT_THROW(run(), EModelError) << label;
}

// ---------------------------------------------------------------- entry

// "United States" (USD), "Germany" (EUR), "Japan" (JPY) over 40 month ends
// from January 2000 with bonds, rates, cash, gold (rally then slump), RULE2
// states 1, 2, 3 and an inflation-linked index for the first country.
std::vector<TCountry> FullList() {
  std::vector<TCountry> countries = GoldRuleCountries(false);
  countries[1].RegionName = "Europe (Euro)";
  countries[2].RegionName = "Japan";
  std::vector<double> linked;
  for (int m = 10; m < 40; ++m) linked.push_back(100.0 * std::pow(1.003, m));
  Asset(countries[0], atIndex, "IBINDEX2") = Monthly(2000, 11, linked);
  return countries;
}

TUserSettings FullSettings(const std::vector<TCountry>& countries) {
  TUserSettings s = MakeSettings(countries, 0.0, 100.0 / 3.0, 0.0);
  s.SLTrustLevel = 100.0;
  s.MaxGoldAllocation = 10.0;
  s.MaxTipsAllocation = 100.0;
  s.MaxFxRiskAllocation = 40.0;
  s.CountryRankingCriteria = {1.0, 0.5, 0.25};
  s.InceptionDate = MonthEnd(2000, 1);
  s.EndDate = MonthEnd(2003, 4);
  return s;
}

using EntryRun = globaltest::EntryRun<TFIGPGraphicData, &models::ComputeFIGPModel>;

TEST(FIGPModelEntry, RunsFrom22PercentToStepNineAndASecondRunKeepsNothing) {
  const std::vector<TCountry> countries = FullList();
  const TUserSettings settings = FullSettings(countries);
  ScopedCountryList installed(countries);
  modeltest::ScopedUserSettings shared(settings);
  TFISLGraphicData fisl;
  fisl.ModelPortfolio.Allocations = {Holdings(MonthEnd(2003, 4), {{"Germany", 0.6}, {"Japan", 0.4}})};
  fisl.BenchmarkPortfolio.Allocations = {Holdings(MonthEnd(2003, 4), {{"Germany", 0.5}, {"Japan", 0.5}})};
  fisl.Performance.BenchmarkReturns = Constant(2000, 2, 39, 0.003);
  TFICYGraphicData ficy;
  ficy.Performance.AllocationHistory = {CurrencyRow({{"Germany", 0.2}})};
  auto sources = std::make_unique<ScopedSourceRecords>(fisl, ficy);

  EntryRun run;
  run.Run(countries, settings);
  EXPECT_EQ(run.progress.Texts, (std::vector<std::string>{"22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.step, 9u);
  const TFIGPGraphicData& r = run.result;
  ASSERT_FALSE(r.Rule2.Returns.empty());
  EXPECT_EQ(r.Values2, r.Rule2.Returns);
  EXPECT_EQ(r.Values3, fisl.Performance.BenchmarkReturns);
  EXPECT_EQ(r.Values1.size(), 39u);  // USD cash returns
  EXPECT_EQ(r.BondPortfolio.CountryRankingCriteria, 1.0);
  EXPECT_EQ(r.Performance.Parameters.BondRankingCriteria, 0.5);
  EXPECT_EQ(r.Performance.Parameters.MaxFxRiskAllocation, 40.0);
  EXPECT_EQ(r.Performance.Statistics.Labels.Caption1, "Fixed Rate Bond vs Gold And TIPS");
  EXPECT_FALSE(r.Performance.ModelReturns.empty());
  EXPECT_NE(r.Performance.Statistics.RiskFreeRate, kNo);
  EXPECT_EQ(r.Performance.AllocationHistory.size(), r.Rule2.Allocations.size());
  EXPECT_EQ(r.AssetShares.size(), 6u);
  EXPECT_EQ(Detail(r, "Germany").Flag, 1);
  EXPECT_GT(Detail(r, "Germany").BondWeight, 0.0);

  // Second run: no gold (no evaluation), a portfolio currency without a
  // country, no FISL or FICY results.
  sources.reset();
  ScopedSourceRecords emptySources({}, {});
  std::vector<TCountry> other = countries;
  Asset(other[0], atIndex, "AUINDEX").clear();
  TUserSettings otherSettings = settings;
  otherSettings.PortfolioCcy = "CHF";
  run.Run(other, otherSettings);
  EXPECT_EQ(run.step, 9u);
  EXPECT_TRUE(r.Values1.empty());
  EXPECT_TRUE(r.Values2.empty());
  EXPECT_TRUE(r.Values3.empty());
  EXPECT_TRUE(r.Performance.ModelReturns.empty());
  EXPECT_TRUE(r.Performance.AllocationHistory.empty());
  EXPECT_TRUE(r.ColumnCaption1.empty());
  EXPECT_TRUE(r.AssetShares.empty());
  EXPECT_EQ(r.Performance.ModelName, "(In CHF)");
  for (const TRegionAllocationRow& row : r.AllocationItems)
    for (const TCountryDetailItem& d : row.DetailItems) {
      EXPECT_EQ(d.Flag, 0) << d.Name;
      EXPECT_EQ(d.BondWeight, kNo) << d.Name;
      EXPECT_EQ(d.FxHedge, kNo) << d.Name;
    }

  EntryRun empty;
  EXPECT_THROW(empty.Run({}, TUserSettings{}), EModelError);
  EXPECT_EQ(empty.step, 2u);
  EXPECT_EQ(empty.progress.Texts, std::vector<std::string>{"22%"});
}

}  // namespace
