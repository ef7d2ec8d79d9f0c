// Currency hedging rows of the EQGP, FIGP and MYGP pages: row order, the
// balance of the portfolio currency, the spot column and the FIGP rows that
// MYGP adds by currency.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "PageTestSupport.h"
#include "pages/FXHedgingPositions.h"

namespace {

using Rows = std::vector<TFXHedgingPosition>;
using Texts = std::vector<std::string>;
using Weights = std::vector<std::pair<std::string, double>>;

using pagetest::Country;

const std::vector<TCountry> kFour{Country("USA", "USD"), Country("Germany", "EUR"), Country("France", "EUR"),
                                  Country("United Kingdom", "GBP"), Country("Japan", "JPY")};

void ExpectRows(const Rows& actual, const Rows& expected, const std::string& name) {
  ASSERT_EQ(actual.size(), expected.size()) << name;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(name + " row " + expected[i].Currency);
    EXPECT_EQ(actual[i].Currency, expected[i].Currency);
    EXPECT_NEAR(actual[i].SpotFx, expected[i].SpotFx, 1e-9);
    EXPECT_NEAR(actual[i].FxSwap, expected[i].FxSwap, 1e-9);
    EXPECT_NEAR(actual[i].CcyPosition, expected[i].CcyPosition, 1e-9);
  }
}

// The five fixed rows with the given figures; USD, EUR, GBP, JPY, CNY.
Rows Five(std::vector<std::vector<double>> values) {
  const Texts names{"USD", "EUR", "GBP", "JPY", "CNY"};
  Rows rows;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::vector<double> v = i < values.size() ? values[i] : std::vector<double>{0, 0, 0};
    rows.push_back({names[i], v[0], v[1], v[2]});
  }
  return rows;
}

TEST(FXHedgingRowsTest, FixedCurrenciesThenListOrderOnce) {
  const Texts forty{"USD", "CAD", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR",
                    "GBP", "CHF", "SEK", "NOK", "DKK", "CZK", "HUF", "ISK", "AUD", "NZD", "ZAR", "BRL", "MXN", "CLP",
                    "RUB", "JPY", "CNY", "HKD", "INR", "IDR", "MYR", "PHP", "SGD", "KRW", "TWD", "TRY"};
  std::vector<TCountry> fortyList;
  for (std::size_t i = 0; i < forty.size(); ++i) fortyList.push_back(Country("C" + std::to_string(i), forty[i]));

  const struct {
    std::string name;
    std::vector<TCountry> countries;
    Texts expected;
  } cases[] = {
      {"empty list", {}, {"USD", "EUR", "GBP", "JPY", "CNY"}},
      {"only fixed currencies", kFour, {"USD", "EUR", "GBP", "JPY", "CNY"}},
      {"others once, in list order",
       {Country("Brazil", "BRL"), Country("Japan", "JPY"), Country("India", "INR"), Country("Chile", "BRL"),
        Country("Nowhere", "")},
       {"USD", "EUR", "GBP", "JPY", "CNY", "BRL", "INR"}},
  };
  for (const auto& c : cases) {
    Texts actual;
    for (const TFXHedgingPosition& row : BuildFXHedgingRows(c.countries)) actual.push_back(row.Currency);
    EXPECT_EQ(actual, c.expected) << c.name;
  }

  const Rows rows = BuildFXHedgingRows(fortyList);
  ASSERT_EQ(rows.size(), 29u);  // EUR and 28 others
  EXPECT_EQ(rows[5].Currency, "CAD");
  EXPECT_EQ(rows.back().Currency, "TRY");
}

TEST(FXHedgingPositionsTest, EQGPFromTotalShares) {
  const struct {
    std::string name;
    std::string portfolioCcy;
    std::vector<TCountry> countries;
    Weights shares;
    bool history;
    Rows expected;
  } cases[] = {
      {"EUR portfolio: EUR row funds the foreign exposure",
       "EUR",
       kFour,
       {{"Germany", 0.20}, {"France", 0.10}, {"USA", 0.40}, {"United Kingdom", 0.10}, {"Japan", 0.05}},
       true,
       Five({{0, 0, 0}, {0, 0, 55}, {0, 10, 0}, {0, 5, 0}})},
      {"negative share is a short position lowering the balance",
       "EUR",
       kFour,
       {{"USA", 0.40}, {"United Kingdom", -0.05}},
       true,
       Five({{0, 0, 0}, {0, 0, 35}, {0, 0, 5}})},
      {"USD portfolio: no balance row",
       "USD",
       kFour,
       {{"USA", 0.40}, {"Germany", 0.30}, {"United Kingdom", 0.10}},
       true,
       Five({{0, 0, 0}, {0, 30, 0}, {0, 10, 0}})},
      {"no allocation history: zeros", "EUR", kFour, {{"USA", 0.40}}, false, Five({})},
      {"currency beyond the five appended once, summed",
       "USD",
       {Country("Brazil", "BRL"), Country("Chile", "CLP"), Country("Brazil2", "BRL")},
       {{"Brazil", 0.10}, {"Brazil2", 0.20}, {"Atlantis", 0.50}},
       true,
       [] {
         Rows r = Five({});
         r.push_back({"BRL", 0, 30, 0});
         r.push_back({"CLP", 0, 0, 0});
         return r;
       }()},
  };
  for (const auto& c : cases) {
    TEQGPGraphicData eqgp;
    for (const auto& [name, share] : c.shares) {
      TRegionItem item;
      item.Name = name;
      item.Value = share;
      eqgp.Ranking1.push_back(item);
    }
    if (c.history) eqgp.Total.AllocationHistory.push_back(TAllocationRow{});
    ExpectRows(EQGPFXHedgingPositions(eqgp, c.countries, c.portfolioCcy), c.expected, c.name);
  }
}

TEST(FXHedgingPositionsTest, FIGPSpotColumnBalancesAndGoldStaysOutOfUsdSwaps) {
  // Bond share 0.7 (names compared in upper case); gold 0.3 counts as USD bond.
  const Weights figpPairs{{"fixed rate bond", 0.5}, {"Inflation-Linked Bond", 0.2}, {"Gold", 0.3}};
  const Weights fislWeights{{"USA", 0.5}, {"Germany", 0.3}, {"United Kingdom", 0.2}};
  // Two euro pairs: the EUR currency weight is their sum, 0.5.
  const Weights ficyPairs{{"USA", 0.4}, {"Germany", 0.2}, {"France", 0.3}, {"United Kingdom", 0.1}};
  const struct {
    std::string name;
    std::string portfolioCcy;
    bool figpHistory;
    bool ficyHistory;
    Rows expected;
  } cases[] = {
      // EUR: spot -Foreign = -(0.4 + 0.1); V = 0.21 - 0.5; GBP V = 0.14 - 0.1.
      {"EUR portfolio", "EUR", true, true, Five({{40, 0, 0}, {-50, 0, 29}, {10, 4, 0}})},
      // USD: spot -(0.5 + 0.1); EUR spot both pairs, 50.
      {"USD portfolio", "USD", true, true, Five({{-60, 0, 0}, {50, 0, 29}, {10, 4, 0}})},
      {"no FIGP allocation: zeros", "EUR", false, true, Five({})},
      {"no FICY allocation: zeros", "EUR", true, false, Five({})},
  };
  for (const auto& c : cases) {
    TFIGPGraphicData figp;
    TFICYGraphicData ficy;
    TFISLGraphicData fisl;
    TAllocationRow older;
    older.Holdings = {{"Gold", 0.9}};
    TAllocationRow last;
    for (const auto& [name, w] : figpPairs) last.Holdings.push_back({name, w});
    if (c.figpHistory) figp.Performance.AllocationHistory = {older, last};
    last.Holdings.clear();
    for (const auto& [name, w] : ficyPairs) last.Holdings.push_back({name, w});
    if (c.ficyHistory) ficy.Performance.AllocationHistory = {older, last};
    for (const auto& [name, w] : fislWeights) {
      TRegionItem item;
      item.Name = name;
      item.Value = w;
      fisl.RegionItems.push_back(item);
    }
    const Rows rows = FIGPFXHedgingPositions(figp, ficy, fisl, kFour, c.portfolioCcy);
    ExpectRows(rows, c.expected, c.name);
    double spotSum = 0.0;
    for (const TFXHedgingPosition& row : rows) spotSum += row.SpotFx;
    EXPECT_NEAR(spotSum, 0.0, 1e-9) << c.name;
  }
}

TEST(FXHedgingPositionsTest, MYGPAddsTheFigpRowOfTheSameCurrency) {
  // Max 80, Min 20; S1 = S2 = 1, so F = 1 - (0.2 + 0.6) = 0.2.
  const Weights timed{{"USA", 0.5}, {"Germany", 0.3}, {"United Kingdom", 0.2}};
  const Weights plain{{"USA", 0.6}, {"Germany", 0.4}};
  // Not in row order and without JPY or CNY: matched by currency, none adds nothing.
  const Rows figpShuffled{{"GBP", 10, 4, 0}, {"EUR", -50, 0, 29}, {"USD", 40, 7, 3}};
  const struct {
    std::string name;
    std::string portfolioCcy;
    double max, min;
    bool plainHistory;
    Rows figp;
    Rows expected;
  } cases[] = {
      // USD V = 0.6 x 0.2 + 0.5 x 0.6 = 0.42, GBP 0.12: EUR balance 0.54 + 0.2 x 0.29.
      {"EUR portfolio", "EUR", 80, 20, true, figpShuffled, Five({{8, 0, 0}, {-10, 0, 59.8}, {2, 12.8, 0}})},
      // EUR V = 0.4 x 0.2 + 0.3 x 0.6 = 0.26; USD keeps only the FIGP spot.
      {"USD portfolio", "USD", 80, 20, true, figpShuffled, Five({{8, 0, 0}, {-10, 26, 5.8}, {2, 12.8, 0}})},
      {"F = 0 adds nothing", "USD", 100, 0, true, figpShuffled, Five({{0, 0, 0}, {0, 30, 0}, {0, 20, 0}})},
      {"no FIGP rows", "USD", 80, 20, true, {}, Five({{0, 0, 0}, {0, 26, 0}, {0, 12, 0}})},
      {"empty second benchmark history: zeros", "USD", 80, 20, false, figpShuffled, Five({})},
  };
  for (const auto& c : cases) {
    TMYGPGraphicData mygp;
    mygp.Performance.Parameters.MaxEqVsFiAllocation = c.max;
    mygp.Performance.Parameters.MinEqVsFiAllocation = c.min;
    TBenchmarkAllocation older;
    older.Items = {{"Japan", 1.0, 0.0, 1}};
    TBenchmarkAllocation last;
    for (const auto& [name, w] : timed) last.Items.push_back({name, w, 0.0, 1});
    mygp.Benchmark.WeightHistory = {older, last};
    last.Items.clear();
    for (const auto& [name, w] : plain) last.Items.push_back({name, w, 0.0, 1});
    if (c.plainHistory) mygp.Benchmark2.WeightHistory = {older, last};
    ExpectRows(MYGPFXHedgingPositions(mygp, c.figp, kFour, c.portfolioCcy), c.expected, c.name);
  }
}

}  // namespace
