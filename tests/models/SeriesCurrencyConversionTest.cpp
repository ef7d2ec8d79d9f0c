// Conversion of benchmark returns into the portfolio currency: the choice of
// country and cash asset, the cut to the window and the common range, and
// the cases that return the input unchanged.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/SeriesCurrencyConversion.h"

namespace {

using testcountries::Asset;
using testcountries::Growing;
using testcountries::MakeCountry;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::ValuesNear;

// Two USD and two EUR countries, January to June 2000, cash growing by
// 1 %, 2 %, 3 % and 4 % a month in list order.
std::vector<TCountry> FourCountries() {
  std::vector<TCountry> list = {MakeCountry("US1", "USD"), MakeCountry("US2", "USD"), MakeCountry("DE", "EUR"),
                                MakeCountry("FR", "EUR")};
  for (std::size_t i = 0; i < list.size(); ++i)
    Asset(list[i], atRiskFreeAsset, "CASH") = Growing(2000, 1, 6, 100.0, 0.01 * static_cast<double>(i + 1));
  return list;
}

// Returns 0.1, 0.2, ... dated February to June 2000.
const TSeries kInput = Monthly(2000, 2, {0.1, 0.2, 0.3, 0.4, 0.5});

TSeries Convert(const std::vector<TCountry>& list, const std::string& ccy, const TSeries& input = kInput,
                double from = MonthEnd(2000, 1), double to = MonthEnd(2000, 6)) {
  ScopedCountryList scoped(list);
  TUserSettings settings;
  settings.PortfolioCcy = ccy;
  return models::ConvertSeriesToPortfolioCurrency(list, input, settings, from, to);
}

TEST(SeriesCurrencyConversion, FirstUsdCountryAndLastCountryOfOtherCurrencies) {
  const std::vector<TCountry> list = FourCountries();
  EXPECT_TRUE(ValuesNear(Convert(list, "USD"), {0.11, 0.21, 0.31, 0.41, 0.51}));  // US1: 1 %
  EXPECT_TRUE(ValuesNear(Convert(list, "EUR"), {0.14, 0.24, 0.34, 0.44, 0.54}));  // FR: 4 %
}

TEST(SeriesCurrencyConversion, CashReturnsStartInsideTheWindowAndResultKeepsInputDates) {
  const std::vector<TCountry> list = FourCountries();
  // From March the first cash return is April's, so February and March drop out.
  const TSeries cut = Convert(list, "USD", kInput, MonthEnd(2000, 3));
  ASSERT_TRUE(ValuesNear(cut, {0.31, 0.41, 0.51}));
  EXPECT_EQ(cut.front().Date, MonthEnd(2000, 4));

  // Same length, shifted dates: added by position, dated as the input.
  TSeries shifted = kInput;
  for (TDataPoint& p : shifted) p.Date -= 10.0;
  const TSeries paired = Convert(list, "USD", shifted);
  ASSERT_TRUE(ValuesNear(paired, {0.21, 0.31, 0.41, 0.51}));
  EXPECT_EQ(paired.front().Date, shifted[1].Date);
}

TEST(SeriesCurrencyConversion, LastCashTitledAssetIsUsed) {
  std::vector<TCountry> list = FourCountries();
  list[0].RiskFreeAssets[2].Title = "3m cash deposit";  // titles are read from the loaded list
  Asset(list[0], atRiskFreeAsset, "RISKFREEASSET2") = Growing(2000, 1, 6, 100.0, 0.05);
  EXPECT_TRUE(ValuesNear(Convert(list, "USD"), {0.15, 0.25, 0.35, 0.45, 0.55}));
}

TEST(SeriesCurrencyConversion, InputComesBackUnchangedWhenNoConversionApplies) {
  const std::vector<std::pair<const char*, std::function<void(std::vector<TCountry>&, std::string&)>>> cases = {
      {"no country of the currency", [](auto&, std::string& ccy) { ccy = "CHF"; }},
      {"no cash asset", [](auto& l, auto&) { l[0].RiskFreeAssets[0].Title = "1M Deposit"; }},
      {"cash with a missing date",
       [](auto& l, auto&) {
         Asset(l[0], atRiskFreeAsset, "CASH").erase(Asset(l[0], atRiskFreeAsset, "CASH").begin() + 3);
       }},
      {"no overlap", [](auto& l, auto&) { Asset(l[0], atRiskFreeAsset, "CASH") = Growing(2001, 1, 6, 100.0, 0.01); }},
  };
  for (const auto& [what, change] : cases) {
    std::vector<TCountry> list = FourCountries();
    std::string ccy = "USD";
    change(list, ccy);
    EXPECT_EQ(Convert(list, ccy, kInput, MonthEnd(2000, 1), MonthEnd(2001, 12)), kInput) << what;
  }
}

TEST(SeriesCurrencyConversion, EqgpFormTakesTheRecordWindow) {
  TEQGPGraphicData record;
  record.Countries = FourCountries();
  record.StartDate = MonthEnd(2000, 4);
  record.EndDate = MonthEnd(2000, 6);
  ScopedCountryList scoped(record.Countries);
  TUserSettings settings;
  settings.PortfolioCcy = "USD";
  EXPECT_TRUE(ValuesNear(models::ConvertEQGPSeriesCurrency(record, kInput, settings), {0.41, 0.51}));
}

}  // namespace
