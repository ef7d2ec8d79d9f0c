#include "models/global/ModelStateReport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include <nlohmann/json.hpp>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/TextHelpers.h"
#include "models/equity/ModelFrame.h"
#include "portfolio/ModelError.h"
#include "portfolio/SLPortfolio.h"

namespace {

using ordered_json = nlohmann::ordered_json;

[[noreturn]] void Missing(const std::string& what) { throw EModelError("model-state report: " + what); }

// The series of the last asset with `id` in the first country's list of
// `type`; throws when the list, the country or the asset is missing.
const TSeries& FirstCountrySeries(const std::vector<TCountry>& countries, int type, const char* id) {
  if (countries.empty()) Missing("the country list is empty");
  const std::vector<TAssetSeries>* assets = AssetsOfType(countries.front(), type);
  const std::size_t none = assets == nullptr ? 0 : assets->size();
  const std::size_t p = assets == nullptr ? 0 : FindAssetPosition(*assets, id, none);
  if (p == none) Missing(std::string("the first country has no ") + id + " asset");
  return (*assets)[p].Series;
}

// The series cut to [its first date, to]; throws when nothing remains.
TSeries CutFromStart(const TSeries& series, double to, const char* id) {
  TSeries cut = series.empty() ? TSeries{} : SliceSeries(series, series.front().Date, to);
  if (cut.empty()) Missing(std::string("the first country's ") + id + " series is empty up to the end date");
  return cut;
}

// Last value of a series; 0.0 when it is empty or not a finite number.
double LastOrZero(const TSeries& series) {
  if (series.empty() || !std::isfinite(series.back().Value)) return 0.0;
  return series.back().Value;
}

// (number of rows whose last value is exactly 1.0) / (number of rows); 0.0
// without rows. Throws for a row without points.
double ShareOfOnes(const std::vector<TLabelledSeries>& rows, const char* model) {
  if (rows.empty()) return 0.0;
  std::size_t ones = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Series.empty()) Missing(std::string(model) + " signal row " + std::to_string(i) + " is empty");
    if (rows[i].Series.back().Value == 1.0) ++ones;
  }
  return static_cast<double>(ones) / static_cast<double>(rows.size());
}

// The state of a country in a timing model's position rows: 1 when the last
// value of the last row named `name` has a non-zero integer part (|v| >= 1),
// else 0; 0 when no row has that name.
std::uint8_t PositionState(const std::vector<TLabelledSeries>& rows, const std::string& name, const char* model) {
  std::uint8_t state = 0;
  for (const TLabelledSeries& row : rows) {
    if (row.Labels.empty() || row.Labels.front() != name) continue;
    if (row.Series.empty()) Missing(std::string(model) + " position row of " + name + " is empty");
    state = std::abs(row.Series.back().Value) >= 1.0 ? 1 : 0;
  }
  return state;
}

const std::vector<TLabelledSeries>& PositionRows(const TEQBLGraphicData& record, const char* model) {
  if (record.GroupRows.empty()) Missing(std::string(model) + " has no position table");
  return record.GroupRows.front().AllRows;
}

constexpr std::array<std::string TRegimeChoice::*, 6> kPlaces = {
    &TRegimeChoice::ItemId1, &TRegimeChoice::ItemId2, &TRegimeChoice::ItemId3,
    &TRegimeChoice::ItemId4, &TRegimeChoice::ItemId5, &TRegimeChoice::ItemId6};

TRegimeChoice MakeChoice(const char* group, const std::vector<std::string>& order) {
  TRegimeChoice choice;
  choice.GroupId = group;
  std::size_t place = 0;
  for (const std::string& item : order) choice.*kPlaces.at(place++) = item;
  return choice;
}

// Places `slots`, slots - 1, ... hold the first label of the ranking rows
// from the best down (its currency when asCurrency); the leading places stay
// empty when there are fewer rows.
TRegimeChoice RankedChoice(const char* group, const std::vector<TLabelledSeries>& ranking, std::size_t slots,
                           bool asCurrency) {
  TRegimeChoice choice;
  choice.GroupId = group;
  const std::size_t k = std::min(ranking.size(), slots);
  for (std::size_t j = 0; j < k; ++j) {
    const std::string& name = ModelAt(ranking[j].Labels, 0, "closing ranking row label");
    choice.*kPlaces.at(slots - j - 1) = asCurrency ? GetCountryCurrency(name) : name;
  }
  return choice;
}

// Settings of the gold comparison basket: USD, every ranked currency
// selected, weight 0.2 for the first "USA", "GERMANY", "UNITED KINGDOM",
// "JAPAN" and "CHINA" of the list (upper-case names) and 0.0 for the others.
TUserSettings BasketSettings(const std::vector<TCountry>& countries, const TUserSettings& settings) {
  if (settings.CountrySettings.size() < countries.size())
    Missing("the settings hold " + std::to_string(settings.CountrySettings.size()) + " country rows for " +
            std::to_string(countries.size()) + " countries");
  TUserSettings basket = settings;
  basket.PortfolioCcy = "USD";
  basket.CountryRankingCriteria[2] = 1.0;
  static constexpr std::array<const char*, 5> kBasketNames = {"USA", "GERMANY", "UNITED KINGDOM", "JAPAN", "CHINA"};
  std::array<bool, kBasketNames.size()> taken{};
  for (std::size_t i = 0; i < countries.size(); ++i) {
    TCountrySettings& row = basket.CountrySettings[i];
    row.CyWeight = 0.0;
    const std::string upper = UpperCaseText(countries[i].Name);
    for (std::size_t k = 0; k < kBasketNames.size(); ++k) {
      if (taken[k] || upper != kBasketNames[k]) continue;
      taken[k] = true;
      row.CyWeight = 0.2;
      break;
    }
  }
  return basket;
}

// Value truncated toward zero; 0 for a value that is not a finite number.
std::int64_t TruncatedValue(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<std::int64_t>(std::trunc(std::clamp(value, -1.0e15, 1.0e15)));
}

ordered_json Group(const char* key, ordered_json rows) {
  ordered_json group = ordered_json::object();
  group[key] = std::move(rows);
  return group;
}

}  // namespace

void TModelStateReport::Init(const std::string& id, const std::vector<TCountry>& countries, bool official) {
  const std::size_t key = models::KeyAssetPosition(countries, "EQINDEX", atIndex);
  const TSeries& series = countries.front().IndexAssets[key].Series;
  if (series.empty()) Missing("the first country's EQINDEX series is empty");
  ID = id;
  Date = series.back().Date;
  OfficialDate = official;
  Items.clear();
  Indicators.clear();
  Choices.clear();
}

void TModelStateReport::AddItems(const TEQSLGraphicData& eqsl, const TEQQVGraphicData& eqqv,
                                 const TEQBLGraphicData& eqbl, const TFISLGraphicData& fisl,
                                 const TFICYGraphicData& ficy) {
  const std::vector<TLabelledSeries>& qvRows = PositionRows(eqqv, "EQQV");
  const std::vector<TLabelledSeries>& blRows = PositionRows(eqbl, "EQBL");
  std::vector<TModelStateItem> items;

  // Equity zones: every zone, held or not.
  for (const TRegionItem& zone : eqsl.RegionItems) {
    TModelStateItem item;
    item.GroupId = zone.RegionName;
    item.ItemId = zone.Name;
    item.QVState = PositionState(qvRows, zone.Name, "EQQV");
    item.SLState = 1;
    item.BLState = PositionState(blRows, zone.Name, "EQBL");
    item.Rank = zone.State;
    item.Type = 0;
    items.push_back(std::move(item));
  }

  // Bond zones: the held ones.
  for (const TRegionItem& zone : fisl.RegionItems) {
    if (zone.State == -1) continue;
    TModelStateItem item;
    item.GroupId = zone.RegionName;
    item.ItemId = zone.Name;
    item.SLState = 1;
    item.Rank = zone.State;
    item.Type = 1;
    items.push_back(std::move(item));
  }

  // Currencies: the ranked holdings of the currency portfolio's last allocation.
  if (!ficy.BenchmarkPortfolio.Allocations.empty()) {
    for (const TSLHolding& holding : ficy.BenchmarkPortfolio.Allocations.back().Holdings) {
      if (holding.Rank == -1) continue;
      TModelStateItem item;
      for (const TRegionItem& zone : ficy.RegionItems)
        if (zone.Name == holding.Name) item.GroupId = zone.RegionName;
      item.ItemId = GetCountryCurrency(holding.Name);
      item.SLState = 1;
      item.Rank = holding.Rank;
      item.Type = 2;
      items.push_back(std::move(item));
    }
  }
  Items = std::move(items);
}

void TModelStateReport::AddRegimeTree(const std::vector<TCountry>& countries, const TEQSLGraphicData& eqsl,
                                      const TEQQVGraphicData& eqqv, const TEQBLGraphicData& eqbl,
                                      const TFISLGraphicData& fisl, const TFIGFGraphicData& figf,
                                      const TFICYGraphicData& ficy, const TUserSettings& settings) {
  // Every input is checked before anything is written.
  const TSeries& gold = FirstCountrySeries(countries, atIndex, "AUINDEX");
  CutFromStart(gold, settings.EndDate, "AUINDEX");
  const TSeries rule2 = CutFromStart(FirstCountrySeries(countries, atRule, "RULE2"), settings.EndDate, "RULE2");
  const double macroShare = ShareOfOnes(eqqv.Rows1, "EQQV");
  const double behaviourShare = ShareOfOnes(eqbl.Rows1, "EQBL");
  if (figf.Rows1.empty() || figf.Rows1.front().Series.empty()) Missing("FIGF has no gold signal row");
  const double goldSignal = figf.Rows1.front().Series.back().Value;
  BasketSettings(countries, settings);  // throws for missing settings rows

  std::vector<TRegimeIndicator> indicators;
  indicators.push_back({"Macroeconomy", "Bust", "Boom", 100.0 * macroShare});
  indicators.push_back({"Behavioral Finance", "Tail Risk", "Normal", 100.0 * behaviourShare});

  // Gold against the basket of five currencies, over the gold series' span,
  // as a value from 0 to 100.
  const double goldStart = gold.front().Date;
  const TSeries basketYear = GoldBasketOneYearReturns(countries, settings, goldStart);
  const TSeries goldYear = GoldOneYearReturns(gold, settings.EndDate);
  indicators.push_back({"Monetary Policy", "Tight", "Loose", GoldLeadFraction(goldYear, basketYear) * 100.0});

  const double r = rule2.back().Value;
  indicators.push_back({"Liquidity", "Weak", "Strong", LiquidityFraction(r) * 100.0});

  std::vector<TRegimeChoice> choices;
  choices.push_back(MakeChoice("Gold vs. Fiat Currencies", GoldFiatOrder(goldSignal, r)));
  choices.push_back(RankedChoice("Best Currencies", ficy.RankingPages, 4, true));
  choices.push_back(MakeChoice("Fixed Rate Bonds vs. TIPS", BondChoiceOrder(r)));
  choices.push_back(RankedChoice("Best Bonds", fisl.RankingPages, 6, false));
  choices.push_back(MakeChoice("Equities vs. Bonds", EquityBondChoiceOrder(!eqqv.Rows1.empty(), macroShare)));
  choices.push_back(RankedChoice("Best Equities", eqsl.RankingPages, 6, false));

  Indicators = std::move(indicators);
  Choices = std::move(choices);
}

TSeries GoldBasketOneYearReturns(const std::vector<TCountry>& countries, const TUserSettings& settings, double from) {
  TCurrencySLPortfolio basket;
  basket.Build(countries, BasketSettings(countries, settings), 0, from, settings.EndDate);
  basket.Recalculate(false);
  return RollingOneYearReturns(basket.Returns);
}

TSeries GoldOneYearReturns(const TSeries& gold, double endDate) {
  if (gold.empty()) return {};
  return RollingOneYearReturns(SliceSeries(ComputeReturns(gold, 0.0), gold.front().Date, endDate));
}

double GoldLeadFraction(const TSeries& goldYear, const TSeries& basketYear) {
  const double x = std::clamp((LastOrZero(goldYear) - LastOrZero(basketYear)) / 0.2, -1.0, 1.0);
  return (x + 1.0) * 0.5;
}

double LiquidityFraction(double rule2State) {
  if (rule2State == 2.0) return 1.0;
  return rule2State == 3.0 ? 0.5 : 0.0;
}

std::vector<std::string> GoldFiatOrder(double goldSignal, double rule2State) {
  const bool loose = rule2State == 2.0;
  if (goldSignal != 1.0)
    return loose ? std::vector<std::string>{"Gold", "Main Currencies", "All Currencies"}
                 : std::vector<std::string>{"Gold", "All Currencies", "Main Currencies"};
  return loose ? std::vector<std::string>{"Main Currencies", "All Currencies", "Gold"}
               : std::vector<std::string>{"All Currencies", "Main Currencies", "Gold"};
}

std::vector<std::string> BondChoiceOrder(double rule2State) {
  if (rule2State == 2.0) return {"Fixed Rate Bonds", "TIPS"};
  return {"TIPS", "Fixed Rate Bonds"};
}

std::vector<std::string> EquityBondChoiceOrder(bool hasStateRows, double macroShare) {
  if (hasStateRows && macroShare < 0.5) return {"Equities", "Bonds"};
  return {"Bonds", "Equities"};
}

const std::string& TModelStateReport::ToJson(std::string& text) const {
  ordered_json general = ordered_json::object();
  general["ID"] = ID;
  general["DATE"] = Date;
  general["OFFICIAL_DATE"] = OfficialDate ? 1 : 0;

  ordered_json items = ordered_json::array();
  for (const TModelStateItem& item : Items) {
    ordered_json row = ordered_json::object();
    row["GROUPID"] = item.GroupId;
    row["ITEMID"] = item.ItemId;
    row["RANK"] = item.Rank;
    row["QVSTATE"] = static_cast<int>(item.QVState);
    row["BLSTATE"] = static_cast<int>(item.BLState);
    row["SLSTATE"] = static_cast<int>(item.SLState);
    row["TYPE"] = item.Type;
    items.push_back(std::move(row));
  }

  ordered_json indicators = ordered_json::array();
  for (const TRegimeIndicator& indicator : Indicators) {
    ordered_json row = ordered_json::object();
    row["GROUPID"] = indicator.GroupId;
    row["ITEMID_1"] = indicator.ItemId1;
    row["ITEMID_2"] = indicator.ItemId2;
    row["VALUE"] = TruncatedValue(indicator.Value);
    indicators.push_back(std::move(row));
  }

  ordered_json choices = ordered_json::array();
  static constexpr std::array<const char*, 6> kPlaceKeys = {"ITEMID_1", "ITEMID_2", "ITEMID_3",
                                                            "ITEMID_4", "ITEMID_5", "ITEMID_6"};
  for (const TRegimeChoice& choice : Choices) {
    ordered_json row = ordered_json::object();
    row["GROUPID"] = choice.GroupId;
    for (std::size_t k = 0; k < kPlaces.size(); ++k) row[kPlaceKeys[k]] = choice.*kPlaces[k];
    choices.push_back(std::move(row));
  }

  ordered_json content = ordered_json::array();
  content.push_back(Group("GENERAL", ordered_json::array({std::move(general)})));
  content.push_back(Group("DATA_1", std::move(items)));
  content.push_back(Group("DATA_2", std::move(indicators)));
  content.push_back(Group("DATA_3", std::move(choices)));
  ordered_json document = ordered_json::object();
  document["CONTENT"] = std::move(content);
  text = document.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
  return text;
}
