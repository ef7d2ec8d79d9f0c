// EQGP model: entry frame, portfolios, allocation tables, region rows and the
// page's signal flags, on small hand-made lists.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "GlobalModelFixtures.h"
#include "ModelTestSupport.h"
#include "common/Globals.h"
#include "models/equity/EQGPModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

namespace {

using namespace testcountries;

constexpr double kNo = -1000000.0;

// Every series the model reads over 36 month ends from January 2000.
std::vector<TCountry> FullList() {
  using globaltest::SignalledEquityCountry;
  return {SignalledEquityCountry("USA", "USD", "North America"),
          SignalledEquityCountry("GERMANY", "EUR", "Europe (Euro)"), SignalledEquityCountry("JAPAN", "JPY", "Japan")};
}

TUserSettings FullSettings(const std::vector<TCountry>& countries) {
  TUserSettings s = MakeSettings(countries, 30.0, 0.0, 0.0);
  s.InceptionDate = platform::EncodeDate(2001, 3, 15);
  s.EndDate = MonthEnd(2002, 12);
  return s;
}

using EntryRun = globaltest::EntryRun<TEQGPGraphicData, &models::ComputeEQGPModel>;

TEST(EQGPModelEntry, ShowsTexts33To100AndEndsAtStepNine) {
  const auto countries = FullList();
  ScopedCountryList installed(countries);
  EntryRun run;
  run.Run(countries, FullSettings(countries));
  EXPECT_EQ(run.progress.Texts, (std::vector<std::string>{"33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(Values(run.result.Values3), Values(run.result.Benchmark2.ReturnSeries));
  EXPECT_FALSE(run.result.Total.ModelReturns.empty());

  EntryRun empty;
  EXPECT_THROW(empty.Run({}, TUserSettings{}), EModelError);
  EXPECT_EQ(empty.step, 3u);
}

// The start moves to the first day of the start month one year earlier when
// the signal grid begins on or before that day; every series is cut there.
TEST(EQGPModelEntry, StartShiftIsTakenOnlyWhenTheSignalGridAllowsIt) {
  const double inception = platform::EncodeDate(2001, 3, 15);
  const double candidate = platform::EncodeDate(2000, 3, 1);
  const std::vector<std::pair<double, double>> cases = {// grid start, expected start
                                                        {MonthEnd(2000, 1), candidate},
                                                        {candidate, candidate},
                                                        {candidate + 1.0, inception}};
  for (const auto& [gridStart, expected] : cases) {
    auto countries = FullList();
    for (TCountry& country : countries) {
      TSeries& qv = Asset(country, atSignal, "QVSIGNAL");
      qv.clear();
      for (double d = gridStart; d <= MonthEnd(2002, 12); d += 30.0) qv.push_back({d, 1.0});
    }
    ScopedCountryList installed(countries);
    EntryRun run;
    run.Run(countries, FullSettings(countries));
    EXPECT_EQ(run.result.StartDate, expected) << gridStart;
    const TSeries& equity = Asset(run.result.Countries[0], atIndex, "EQINDEX");
    ASSERT_FALSE(equity.empty());
    EXPECT_TRUE(equity.front().Date >= expected && equity.front().Date < expected + 31.0);
  }
}

TEQGPGraphicData WindowedRecord() {
  TEQGPGraphicData result;
  result.StartDate = MonthEnd(2000, 1);
  result.EndDate = MonthEnd(2002, 12);
  return result;
}

TEST(EQGPModelPortfolio, TimingIsOffOnlyWhenBothTrustLevelsAreZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double qv, bl;
    bool timing;
  };
  const auto countries = FullList();
  ScopedCountryList installed(countries);
  for (const Case& c : std::vector<Case>{
           {0.0, 0.0, false}, {50.0, 0.0, true}, {-10.0, 0.0, true}, {nan, 0.0, true}, {0.0, nan, true}}) {
    TUserSettings settings = FullSettings(countries);
    settings.QVTrustLevel = c.qv;
    settings.BLTrustLevel = c.bl;
    TEQGPGraphicData result = WindowedRecord();
    result.UseTrustLevels = !c.timing;
    models::BuildEQGPPortfolio(&result, countries, settings, 0);
    EXPECT_EQ(result.UseTrustLevels, c.timing) << c.qv << " / " << c.bl;
    EXPECT_EQ(result.Benchmark2.BLTrustLevel, 0.0);
  }
}

TEST(EQGPModelPortfolio, RankingPortfolioTakesOneWhileTheOthersKeepTheUsersCriterion) {
  const auto countries = FullList();
  ScopedCountryList installed(countries);
  TUserSettings settings = FullSettings(countries);
  settings.CountryRankingCriteria = {0.3, 0.6, 0.7};
  TEQGPGraphicData result = WindowedRecord();
  models::BuildEQGPPortfolio(&result, countries, settings, 0);
  EXPECT_EQ(result.Portfolio.CountryRankingCriteria, 1.0);
  EXPECT_EQ(result.Benchmark.CountryRankingCriteria, 0.3);
  EXPECT_EQ(result.Benchmark2.CountryRankingCriteria, 0.3);
  EXPECT_EQ(result.Total.Parameters.EquityRankingCriteria, 0.3);
  ASSERT_FALSE(result.Portfolio.Allocations.empty());
  for (const TCountry& country : countries) {  // every country is ranked and held
    int held = 0;
    for (const TSLHolding& h : result.Portfolio.Allocations.back().Holdings)
      held += h.Name == country.Name && h.Rank >= 1;
    EXPECT_EQ(held, 1) << country.Name;
  }
}

// Cash returns are rebuilt on every run, empty without a country or a cash asset.
TEST(EQGPModelPortfolio, CashReturnsNeverKeepThePreviousRun) {
  auto countries = FullList();
  Asset(countries[1], atRiskFreeAsset, "CASH") = Growing(2000, 1, 4, 100.0, 0.01);
  ScopedCountryList installed(countries);
  TUserSettings settings = FullSettings(countries);
  settings.PortfolioCcy = "EUR";
  TEQGPGraphicData result = WindowedRecord();
  models::BuildEQGPPortfolio(&result, countries, settings, 0);
  ASSERT_TRUE(ValuesNear(result.Values1, {0.01, 0.01, 0.01}));
  settings.PortfolioCcy = "CHF";
  models::BuildEQGPPortfolio(&result, countries, settings, 0);
  EXPECT_TRUE(result.Values1.empty());

  settings.PortfolioCcy = "EUR";
  models::BuildEQGPPortfolio(&result, countries, settings, 0);
  for (TCountry& c : countries) c.RiskFreeAssets.erase(c.RiskFreeAssets.begin());  // no "CASH" title left
  ScopedCountryList withoutCash(countries);
  models::BuildEQGPPortfolio(&result, countries, settings, 0);
  EXPECT_TRUE(result.Values1.empty());
}

// USA (USD), CANADA in North America, GERMANY, AUSTRALIA (commodity
// exporters), JAPAN (equity weight 0 %, no weight). Last record: USA 0.3 /
// 0.1, CANADA 0.1 / 0.05, GERMANY 0.2 / 0.2, AUSTRALIA 0.0 / 0.05 unselected.
class EQGPAllocations : public ::testing::Test {
 protected:
  void SetUp() override {
    countries = {MakeCountry("USA", "USD", "North America"), MakeCountry("CANADA", "CAD", "North America"),
                 MakeCountry("GERMANY", "EUR", "Europe (Euro)"), MakeCountry("AUSTRALIA", "AUD", "Commodity Exporters"),
                 MakeCountry("JAPAN", "JPY", "Japan")};
    installed = std::make_unique<ScopedCountryList>(countries);
    settings = MakeSettings(countries, 25.0, 0.0, 0.0);
    settings.CountrySettings[4].EqWeight = 0.0;
    result.Countries = countries;
    result.Benchmark.WeightHistory = {
        {MonthEnd(2001, 1), 1.0, {{"USA", 0.5, 0.0, 1}, {"GERMANY", 0.5, 0.0, 2}}},
        {MonthEnd(2001, 2),
         1.0,
         {{"USA", 0.3, 0.1, 1}, {"CANADA", 0.1, 0.05, 2}, {"GERMANY", 0.2, 0.2, 3}, {"AUSTRALIA", 0.0, 0.05, -1}}}};
    result.Portfolio.Allocations = {
        {MonthEnd(2001, 1), 1.0, {{"USA", 1.0, 1.0, 1.0, 1.0, 5}}},
        {MonthEnd(2001, 2), 1.0, {{"JAPAN", 0.5, 0.5, 0.5, 0.5, 4}, {"USA", 0.5, 0.5, 0.5, 0.5, 2}}}};
  }
  std::vector<TCountry> countries;
  std::unique_ptr<ScopedCountryList> installed;
  TUserSettings settings;
  TEQGPGraphicData result;
};

TEST_F(EQGPAllocations, TotalsSumEachRecordUnderTheShortRiskFreeTitle) {
  for (const auto& [id, label] : std::vector<std::pair<std::string, std::string>>{
           {"RISKFREEASSET1", "Total 10Y Bond Allocation"}, {"CASH", "Total 1M Cash Allocation"}}) {
    settings.RiskFreeId = id;
    models::ComputeEQGPAllocations(&result, settings);
    const auto& totals = result.Total.AllocationHistory;
    ASSERT_EQ(totals.size(), 2u);
    ASSERT_EQ(totals[1].Holdings.size(), 2u);
    EXPECT_EQ(totals[1].Holdings[0].Name, "Total Equity Allocation");
    EXPECT_NEAR(totals[1].Holdings[0].Weight, 0.6, 1e-12);
    EXPECT_EQ(totals[1].Holdings[1].Name, label);
    EXPECT_NEAR(totals[1].Holdings[1].Weight, 0.4, 1e-12);
  }
  ASSERT_EQ(result.Total.RiskFreeHistory.size(), 2u);
  EXPECT_EQ(result.Total.RiskFreeHistory[1].Holdings[1].Weight, 0.05);
}

TEST_F(EQGPAllocations, CountryRowsSumByRegionAndGreyZeroEquityWeights) {
  models::ComputeEQGPAllocations(&result, settings);
  struct Row {
    double value, region;
    int state, flag, excluded;
  };
  // Countries in list order; the commodity exporters hold no equity -> Flag -1.
  const std::vector<std::pair<const std::vector<TRegionItem>*, std::vector<Row>>> tables = {
      {&result.Ranking2,
       {{0.3, 0.4, 1, 0, 0}, {0.1, 0.4, 2, 0, 0}, {0.2, 0.2, 3, 0, 0}, {0.0, 0.0, -1, -1, 0}, {0.0, 0.0, -1, -1, 2}}},
      {&result.Ranking1,
       {{0.4, 0.55, 1, 0, 0},
        {0.15, 0.55, 2, 0, 0},
        {0.4, 0.4, 3, 0, 0},
        {0.05, 0.05, -1, 0, 0},
        {0.0, 0.0, -1, -1, 2}}},
  };
  for (const auto& [rows, expected] : tables) {
    ASSERT_EQ(rows->size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const TRegionItem& r = (*rows)[i];
      SCOPED_TRACE(r.Name);
      EXPECT_NEAR(r.Value, expected[i].value, 1e-12);
      EXPECT_NEAR(r.RegionColor, expected[i].region, 1e-12);
      EXPECT_EQ(r.State, expected[i].state);
      EXPECT_EQ(r.Flag, expected[i].flag);
      EXPECT_EQ(r.Excluded, expected[i].excluded);
    }
  }
  EXPECT_EQ(result.Ranking3.at(4).Excluded, 2);
}

// A run without weights leaves nothing of the previous run behind.
TEST_F(EQGPAllocations, EmptyHistoryOrEmptyLastRecordClearsThePreviousRun) {
  models::ComputeEQGPAllocations(&result, settings);
  const auto expectCleared = [&](std::size_t records, double totalShare) {
    EXPECT_EQ(result.Total.EquityHistory.size(), records);
    EXPECT_EQ(result.Total.AllocationHistory.size(), records);
    for (const TShareTable* t : {&result.EquityShares, &result.RiskFreeShares, &result.TotalShares})
      EXPECT_TRUE(t->Items.empty());
    for (const auto* rows : {&result.Ranking1, &result.Ranking2, &result.Ranking3}) {
      ASSERT_EQ(rows->size(), 5u);
      for (const TRegionItem& r : *rows) EXPECT_TRUE(r.Value == 0.0 && r.RegionColor == 0.0 && r.Flag == -1);
    }
    ASSERT_EQ(result.AllocationItems.size(), 7u);
    EXPECT_EQ(result.AllocationItems[0].Items.at(0).EquityShare, kNo);
    EXPECT_FALSE(result.AllocationItems[0].Items.at(0).Selected);
    EXPECT_EQ(result.AllocationItems[6].Summary.EquityShare, totalShare);
  };
  result.Benchmark.WeightHistory.back().Items.clear();
  models::ComputeEQGPAllocations(&result, settings);
  expectCleared(2, 0.0);
  result.Benchmark.WeightHistory.clear();
  models::ComputeEQGPAllocations(&result, settings);
  expectCleared(0, kNo);  // placeholder rows only
}

TEST_F(EQGPAllocations, RegionRowsCarrySharesRanksSelectionAndForeignCurrency) {
  models::ComputeEQGPAllocations(&result, settings);
  const auto& rows = result.AllocationItems;
  ASSERT_EQ(rows.size(), 7u);
  struct Item {
    std::size_t row, pos;
    double equity, riskFree, fx;
    int rank;
    bool selected;
  };
  const std::vector<Item> items = {{0, 0, 0.3, 0.1, kNo, 2, true},  // USA: portfolio currency, no FX share
                                   {0, 1, 0.1, 0.05, 0.15, -1, true},
                                   {1, 0, 0.2, 0.2, 0.4, -1, true},
                                   {3, 0, 0.0, 0.05, 0.05, -1, false},
                                   {4, 0, kNo, kNo, kNo, 4, false}};
  for (const Item& e : items) {
    const TCountryAllocationItem& item = rows[e.row].Items.at(e.pos);
    SCOPED_TRACE(item.Name);
    EXPECT_NEAR(item.EquityShare, e.equity, 1e-12);
    EXPECT_NEAR(item.RiskFreeShare, e.riskFree, 1e-12);
    EXPECT_NEAR(item.FxShare, e.fx, 1e-12);
    EXPECT_EQ(item.Rank, e.rank);
    EXPECT_EQ(item.Selected, e.selected);
  }
  const std::vector<std::vector<double>> summaries = {
      {0.4, 0.15, 0.15}, {0.2, 0.2, 0.4}, {0, 0, 0}, {0.0, 0.05, 0.05}, {0, 0, 0}, {0, 0, 0}, {0.6, 0.4, 0.6}};
  for (std::size_t r = 0; r < summaries.size(); ++r) {
    const TCountryAllocationItem& s = rows[r].Summary;
    EXPECT_NEAR(s.EquityShare, summaries[r][0], 1e-12) << r;
    EXPECT_NEAR(s.RiskFreeShare, summaries[r][1], 1e-12) << r;
    EXPECT_NEAR(s.FxShare, summaries[r][2], 1e-12) << r;
  }
}

TEST(EQGPRegionRows, CountriesGoToTheRowOfTheirRegionName) {
  std::vector<TCountry> forty;  // the standard list: 2, 12, 8, 7, 1 and 10 countries
  const std::vector<std::size_t> counts = {2, 12, 8, 7, 1, 10, 0};
  for (std::size_t r = 0; r < 6; ++r)
    for (std::size_t k = 0; k < counts[r]; ++k)
      forty.push_back(MakeCountry("C" + std::to_string(forty.size()), "USD", strRegionNameList[r]));
  TEQGPGraphicData equity;
  equity.Countries = forty;
  models::AddEQGPTotalRows(&equity);
  TFIGPGraphicData bonds;
  bonds.Countries = forty;
  models::AddFIGPTotalRows(&bonds);
  for (const auto* rows : {&equity.AllocationItems, &bonds.AllocationItems}) {
    ASSERT_EQ(rows->size(), 7u);
    for (std::size_t r = 0; r < 7; ++r) {
      EXPECT_EQ((*rows)[r].Summary.Name, r < 6 ? strRegionNameList[r] : "TOTAL");
      EXPECT_EQ((*rows)[r].DetailSummary.Name, (*rows)[r].Summary.Name);
      EXPECT_EQ((*rows)[r].Items.size(), counts[r]);
      EXPECT_EQ((*rows)[r].DetailItems.size(), counts[r]);
    }
    EXPECT_EQ((*rows)[5].DetailItems.back().Name, "C39");
    EXPECT_EQ((*rows)[5].Items.back().Rank, -1);
  }

  // Out of region order, and a region outside the six: no row for it.
  equity.Countries = {MakeCountry("JAPAN", "JPY", "Japan"), MakeCountry("ATLANTIS", "ATL", "Atlantis"),
                      MakeCountry("USA", "USD", "North America")};
  models::AddEQGPTotalRows(&equity);
  EXPECT_EQ(equity.AllocationItems[4].Items.at(0).Name, "JAPAN");
  EXPECT_EQ(equity.AllocationItems[0].Items.at(0).Name, "USA");
  std::size_t items = 0;
  for (const auto& row : equity.AllocationItems) items += row.Items.size();
  EXPECT_EQ(items, 2u);

  equity.Countries.Edit().clear();
  models::AddEQGPTotalRows(&equity);
  ASSERT_EQ(equity.AllocationItems.size(), 7u);
  for (const auto& row : equity.AllocationItems)
    EXPECT_TRUE(row.Summary.Name == "X" && row.DetailSummary.Name == "X" && row.Summary.EquityShare == kNo &&
                row.Items.empty());
}

TLabelledSeries SignalRow(const std::string& name, const TSeries& points) { return {{name}, points, false}; }

TEST(EQGPFlags, EachListIsMatchedByCountryName) {
  TEQGPGraphicData result;
  result.Countries = {MakeCountry("USA", "USD", "North America"), MakeCountry("GERMANY", "EUR", "Europe (Euro)"),
                      MakeCountry("JAPAN", "JPY", "Japan")};
  models::AddEQGPTotalRows(&result);
  const std::vector<TLabelledSeries> macro = {SignalRow("JAPAN", Monthly(2001, 1, {1.0})),
                                              SignalRow("USA", Monthly(2001, 1, {0.0})),
                                              SignalRow("GERMANY", Monthly(2001, 1, {1.0}))};
  // Other order, shorter; the later GERMANY row, without points, decides.
  const std::vector<TLabelledSeries> behavioural = {SignalRow("GERMANY", Monthly(2001, 1, {1.0})),
                                                    SignalRow("USA", Monthly(2001, 1, {1.0, 0.0})),
                                                    SignalRow("GERMANY", {})};
  models::FlagEQGPAllocationItems(&result, macro, behavioural);
  const auto flags = [&](std::size_t row) {
    const auto& item = result.AllocationItems[row].Items.at(0);
    return std::make_pair(item.MacroOn, item.BehaviourOn);
  };
  EXPECT_EQ(flags(0), std::make_pair(false, true));  // USA
  EXPECT_EQ(flags(1), std::make_pair(true, false));  // GERMANY
  EXPECT_EQ(flags(4), std::make_pair(true, false));  // JAPAN
  // Without a row of its name in a list an item keeps that list's flag.
  models::FlagEQGPAllocationItems(&result, {}, {});
  EXPECT_EQ(flags(4), std::make_pair(true, false));
  models::FlagEQGPAllocationItems(&result, {SignalRow("USA", Monthly(2001, 1, {1.0}))},
                                  {SignalRow("JAPAN", Monthly(2001, 1, {1.0}))});
  EXPECT_EQ(flags(0), std::make_pair(true, true));   // USA: macro set, behaviour kept
  EXPECT_EQ(flags(1), std::make_pair(true, false));  // GERMANY: both kept
  EXPECT_EQ(flags(4), std::make_pair(true, true));   // JAPAN: macro kept, behaviour set
}

}  // namespace
