// Gold and currency basket: the five-currency cash basket and the 0/1 signal.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TestCountries.h"
#include "portfolio/GoldCurrencyBasket.h"

namespace {

using testcountries::Asset;
using testcountries::Constant;
using testcountries::Growing;
using testcountries::kTol;
using testcountries::MakeCountry;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::Values;
constexpr int kMonths = 30;  // January 2000 to June 2002

// One country per currency code, in the given order; cash grows by cashGrowth
// a month, spot rates are 1.0; the first country carries gold prices.
std::vector<TCountry> BasketCountries(const std::vector<std::string>& currencies, const TSeries& gold,
                                      double cashGrowth = 0.001) {
  std::vector<TCountry> list;
  for (std::size_t i = 0; i < currencies.size(); ++i) {
    TCountry c = MakeCountry("Country " + std::to_string(i), currencies[i]);
    Asset(c, atRiskFreeAsset, "CASH") = Growing(2000, 1, kMonths, 100.0, cashGrowth);
    Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, kMonths, 1.0);
    list.push_back(c);
  }
  Asset(list.front(), atIndex, "AUINDEX") = gold;
  return list;
}

TGoldCurrencyBasket BuiltBasket(const std::vector<TCountry>& countries) {
  TGoldCurrencyBasket basket;
  basket.SetData(countries, MonthEnd(2000, 1), MonthEnd(2002, 6));
  basket.Build();
  return basket;
}

TEST(GoldCurrencyBasket, WithoutCnyFourCurrenciesCarryAQuarterEach) {
  // Two euro countries: the first represents the euro; AUD is no basket currency.
  auto countries = BasketCountries({"JPY", "EUR", "USD", "EUR", "AUD", "GBP"}, {});
  Asset(countries[3], atRiskFreeAsset, "CASH") = Growing(2000, 1, kMonths, 100.0, 0.5);
  ScopedCountryList scope(countries);
  TGoldCurrencyBasket basket;
  basket.SetData(countries, MonthEnd(2000, 1), MonthEnd(2002, 6));
  const TClassicPortfolio p = basket.BuildCurrencySeries();
  std::vector<std::string> ids;
  for (const auto& a : p.Assets) {
    ids.push_back(a.Id);
    EXPECT_DOUBLE_EQ(a.Weight, 0.2);
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"JPY", "EUR", "USD", "GBP"}));
  ASSERT_EQ(p.Allocations.size(), static_cast<std::size_t>(kMonths - 1));
  for (const auto& e : p.Allocations[0].Assets) EXPECT_NEAR(e.EffectiveWeight, 0.25, kTol);
  // Every cash deposit earns 0.1 %: so does the basket (not the 50 % of the second euro country).
  EXPECT_NEAR(p.Returns[0].Value, 0.001, kTol);
  EXPECT_DOUBLE_EQ(p.Returns[0].Date, MonthEnd(2000, 2));
}

// Five currencies with flat cash; the yuan's cash starts in January 2001;
// the pound's spot is 0.5 until March 2000 and 0.4 from April. Pounds per
// dollar: a pound is worth 1 / spot dollars and gains 0.5 / 0.4 - 1 = 25 % in
// April 2000; reverse quoted (dollars per pound) it is worth spot dollars and
// loses 20 %. Either way a quarter of the basket.
TEST(GoldCurrencyBasket, LateCurrencyAndCrossRates) {
  for (const auto& [reverseQuote, april] : {std::pair{false, 0.25 * 0.25}, std::pair{true, 0.25 * -0.2}}) {
    auto countries = BasketCountries({"USD", "EUR", "GBP", "JPY", "CNY"}, {}, 0.0);
    Asset(countries[4], atRiskFreeAsset, "CASH") = Constant(2001, 1, kMonths - 12, 100.0);
    countries[2].ReverseQuote = reverseQuote;
    Asset(countries[2], atSpotFx, "SPOTFX") = testcountries::Step(2000, 1, kMonths, 3, 0.5, 0.4);
    ScopedCountryList scope(countries);
    TGoldCurrencyBasket basket;
    basket.SetData(countries, MonthEnd(2000, 1), MonthEnd(2002, 6));
    const TClassicPortfolio p = basket.BuildCurrencySeries();
    ASSERT_EQ(p.Assets.size(), 5u);
    ASSERT_EQ(p.Allocations.size(), static_cast<std::size_t>(kMonths - 1));
    ASSERT_EQ(p.Returns.size(), static_cast<std::size_t>(kMonths - 1));
    // April 2000: four currencies at 0.25.
    ASSERT_EQ(p.Allocations[2].Assets.size(), 4u);
    EXPECT_NEAR(p.Returns[2].Value, april, kTol) << reverseQuote;
    EXPECT_DOUBLE_EQ(p.Returns[2].Date, MonthEnd(2000, 4));
    EXPECT_NEAR(p.Returns[3].Value, 0.0, kTol);
    // February 2001 onwards (the yuan's first return): five at 0.2.
    ASSERT_EQ(p.Allocations[12].Assets.size(), 5u);
    for (const auto& e : p.Allocations[12].Assets) EXPECT_NEAR(e.EffectiveWeight, 0.2, kTol);
  }
}

TEST(GoldCurrencyBasket, SignalComparesTrailingYears) {
  // Gold flat at 100, 120 from April 2001 (return index 14): the trailing
  // year holds the 20 % jump for the windows ending at return indices 14 to
  // 25; the basket earns 1.001^12 - 1 a year.
  std::vector<double> gold(kMonths, 100.0);
  for (int i = 15; i < kMonths; ++i) gold[static_cast<std::size_t>(i)] = 120.0;
  auto countries = BasketCountries({"USD", "EUR", "GBP", "JPY", "CNY"}, Monthly(2000, 1, gold));
  ScopedCountryList scope(countries);
  const TGoldCurrencyBasket basket = BuiltBasket(countries);
  // 29 returns; windows end at return indices 11 .. 28: 18 points from January 2001.
  ASSERT_EQ(basket.Signal.size(), 18u);
  EXPECT_DOUBLE_EQ(basket.Signal.front().Date, MonthEnd(2001, 1));
  std::vector<double> expected(18, 0.0);
  for (int i = 3; i < 15; ++i) expected[static_cast<std::size_t>(i)] = 1.0;
  EXPECT_EQ(Values(basket.Signal), expected);
}

struct TrendCase {
  double goldGrowth;
  double cashGrowth;
  double signal;
};

class BasketTrendTest : public ::testing::TestWithParam<TrendCase> {};

TEST_P(BasketTrendTest, SteadyTrends) {
  const TrendCase& c = GetParam();
  auto countries = BasketCountries({"USD", "EUR"}, Growing(2000, 1, kMonths, 300.0, c.goldGrowth), c.cashGrowth);
  ScopedCountryList scope(countries);
  const TGoldCurrencyBasket basket = BuiltBasket(countries);
  ASSERT_EQ(basket.Signal.size(), 18u);
  for (const auto& p : basket.Signal) EXPECT_EQ(p.Value, c.signal);
}

INSTANTIATE_TEST_SUITE_P(GoldCurrencyBasket, BasketTrendTest,
                         ::testing::Values(TrendCase{0.01, 0.002, 1.0},   // gold ahead
                                           TrendCase{-0.01, 0.002, 0.0},  // gold behind
                                           TrendCase{0.0, 0.0, 1.0}));    // equal: gold holds

TEST(GoldCurrencyBasket, MissingOrRepeatedInputs) {
  const TSeries gold = Growing(2000, 1, kMonths, 300.0, 0.01);
  TSeries gapped = gold;
  gapped.erase(gapped.begin() + 20);  // one month missing inside the common range: slices of different length
  struct Case {
    const char* what;
    std::vector<std::string> currencies;
    TSeries gold;
    std::function<void(std::vector<TCountry>&)> change;
    std::vector<double> signal;
  };
  const auto none = [](std::vector<TCountry>&) {};
  const Case cases[] = {
      {"no AUINDEX",
       {"USD", "EUR"},
       gold,
       [](std::vector<TCountry>& c) { c[0].IndexAssets.erase(c[0].IndexAssets.begin() + 2); },
       {}},
      // Two "AUINDEX" assets: the last one is gold. The first, falling, would
      // give 0.0; the second rises 1 % a month against 0.1 % cash: 1.0.
      {"two AUINDEX",
       {"USD", "EUR"},
       Growing(2000, 1, kMonths, 300.0, -0.01),
       [&gold](std::vector<TCountry>& c) {
         c[0].IndexAssets.push_back(c[0].IndexAssets[2]);
         c[0].IndexAssets.back().Series = gold;
       },
       std::vector<double>(18, 1.0)},
      {"no dollar country", {"EUR", "GBP"}, gold, none, {}},
      {"no dollar spot", {"USD", "EUR"}, gold, [](std::vector<TCountry>& c) { c[0].SpotFxAssets.clear(); }, {}},
      {"under a year of gold", {"USD"}, Growing(2000, 1, 12, 300.0, 0.01), none, {}},
      {"gapped gold", {"USD", "EUR"}, gapped, none, {}},
  };
  for (const Case& c : cases) {
    auto countries = BasketCountries(c.currencies, c.gold);
    c.change(countries);
    ScopedCountryList scope(countries);
    EXPECT_EQ(Values(BuiltBasket(countries).Signal), c.signal) << c.what;
  }
  EXPECT_TRUE(BuiltBasket({}).Signal.empty());
}

TEST(GoldCurrencyBasket, RebuildReplacesTheSignal) {
  auto countries = BasketCountries({"USD", "EUR"}, Growing(2000, 1, kMonths, 300.0, 0.01));
  ScopedCountryList scope(countries);
  TGoldCurrencyBasket basket = BuiltBasket(countries);
  ASSERT_EQ(basket.Signal.size(), 18u);
  basket.SetData(countries, MonthEnd(2000, 1), MonthEnd(2001, 12));  // six months fewer
  basket.Build();
  ASSERT_EQ(basket.Signal.size(), 12u);
  EXPECT_DOUBLE_EQ(basket.Signal.back().Date, MonthEnd(2001, 12));
  auto falling = BasketCountries({"USD", "EUR"}, Growing(2000, 1, kMonths, 300.0, -0.01));
  basket.SetData(falling, MonthEnd(2000, 1), MonthEnd(2002, 6));
  basket.Build();
  ASSERT_EQ(basket.Signal.size(), 18u);
  EXPECT_EQ(Values(basket.Signal), std::vector<double>(18, 0.0));
  EXPECT_EQ(basket.Countries.size(), 2u);
  const TGoldCurrencyBasket copy = basket;  // owns its own country list
  basket.Countries.Edit().clear();
  EXPECT_EQ(copy.Countries.front().IndexAssets.size(), 4u);
}

}  // namespace
