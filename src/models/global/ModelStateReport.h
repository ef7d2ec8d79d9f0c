#pragma once
// The model-state report: for one calculation date, where each country (or
// currency) stands in the equity, bond and currency ranking models, four
// regime indicators (0..100 between two named poles) and six allocation
// nodes (ordered lists of preferred choices). The main window fills one per
// transfer pass from the results of its own local model runs and sends the
// JSON text of ToJson to the data server.
//
// The operations fail only by throwing EModelError when an input they need
// is missing (an empty key series, a missing row or settings entry); a
// failing AddRegimeTree or AddItems leaves the report unchanged.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

// One country (or currency) of one ranking model family.
struct TModelStateItem {
  std::string GroupId;       // region name (countries) or the currency's zone group
  std::string ItemId;        // country name or currency code
  std::uint8_t QVState = 0;  // 1 when the country's last EQQV position is non-zero
  std::uint8_t SLState = 0;  // 1 for every item (it comes from a ranking model)
  std::uint8_t BLState = 0;  // 1 when the country's last EQBL position is non-zero
  std::int32_t Rank = 0;     // rank in the latest composition; -1 when not held
  std::int32_t Type = 0;     // 0 equity zone, 1 bond zone, 2 currency
};

// One regime indicator: a value from 0 to 100 between two poles.
struct TRegimeIndicator {
  std::string GroupId;  // indicator name
  std::string ItemId1;  // first pole (value 0)
  std::string ItemId2;  // second pole (value 100)
  double Value = 0.0;
};

// One allocation node: the choices in order of preference, "" for no choice.
struct TRegimeChoice {
  std::string GroupId;  // node name
  std::string ItemId1;
  std::string ItemId2;
  std::string ItemId3;
  std::string ItemId4;
  std::string ItemId5;
  std::string ItemId6;
};

struct TModelStateReport {
  std::string ID;
  double Date = 0.0;          // the calculation date
  bool OfficialDate = false;  // false for an intra-month pass
  std::vector<TModelStateItem> Items;
  std::vector<TRegimeIndicator> Indicators;
  std::vector<TRegimeChoice> Choices;

  // ID := id, Date := date of the last point of the first country's last
  // INDEX asset "EQINDEX" (the first INDEX asset when none has that ID),
  // OfficialDate := official; the three lists emptied. Throws EModelError for
  // an empty country list, no INDEX asset or an empty series.
  void Init(const std::string& id, const std::vector<TCountry>& countries, bool official);

  // Replaces Items: the EQSL zones (Type 0, every zone, states from the last
  // value of the country's first-table position row of EQQV and EQBL), the
  // FISL zones that are held (Type 1), then the currencies held in the last
  // allocation of FICY's currency portfolio (Type 2, named by their country's
  // currency, grouped by the FICY zone of that country). Throws EModelError
  // when EQQV or EQBL has no position table.
  void AddItems(const TEQSLGraphicData& eqsl, const TEQQVGraphicData& eqqv, const TEQBLGraphicData& eqbl,
                const TFISLGraphicData& fisl, const TFICYGraphicData& ficy);

  // Replaces Indicators ("Macroeconomy", "Behavioral Finance", "Monetary
  // Policy", "Liquidity") and Choices ("Gold vs. Fiat Currencies", "Best
  // Currencies", "Fixed Rate Bonds vs. TIPS", "Best Bonds", "Equities vs.
  // Bonds", "Best Equities"). Throws EModelError when the first country has
  // no non-empty "AUINDEX" or "RULE2" series within the settings' end date,
  // an EQQV or EQBL signal row is empty, FIGF has no non-empty gold signal
  // row, or the settings hold fewer country rows than there are countries.
  void AddRegimeTree(const std::vector<TCountry>& countries, const TEQSLGraphicData& eqsl,
                     const TEQQVGraphicData& eqqv, const TEQBLGraphicData& eqbl, const TFISLGraphicData& fisl,
                     const TFIGFGraphicData& figf, const TFICYGraphicData& ficy, const TUserSettings& settings);

  // Writes the JSON document into text and returns it:
  // {"CONTENT":[{"GENERAL":[{ID, DATE, OFFICIAL_DATE}]}, {"DATA_1":[items]},
  //  {"DATA_2":[indicators]}, {"DATA_3":[choices]}]}, keys in that order,
  // VALUE truncated toward zero; bytes that are not UTF-8 become U+FFFD.
  const std::string& ToJson(std::string& text) const;
};

// Rules of the regime tree, shared with the MYGP page's regime panels.

// One-year returns of the gold comparison basket: a currency ranking
// portfolio in USD, built from `from` to settings.EndDate, that holds 0.2 of
// the first "USA", "GERMANY", "UNITED KINGDOM", "JAPAN" and "CHINA" of the
// list (upper-case names) and nothing else. Throws EModelError when the
// settings hold fewer country rows than there are countries.
TSeries GoldBasketOneYearReturns(const std::vector<TCountry>& countries, const TUserSettings& settings, double from);
// One-year returns of gold's period returns over [its first date, endDate];
// empty for an empty series.
TSeries GoldOneYearReturns(const TSeries& gold, double endDate);
// Gold against the basket: x = clamp((last gold one-year return - last basket
// one-year return) / 0.2, -1, 1), a missing or non-finite last value counting
// 0; returns (x + 1) * 0.5 (20 points or more ahead: 1, equal: 0.5).
double GoldLeadFraction(const TSeries& goldYear, const TSeries& basketYear);
// Liquidity from the RULE2 state: 2 -> 1.0, 3 -> 0.5, any other state 0.0.
double LiquidityFraction(double rule2State);
// Choice orders, compared exactly: gold first unless the gold signal is 1.0;
// main currencies before all currencies when the RULE2 state is 2.0.
std::vector<std::string> GoldFiatOrder(double goldSignal, double rule2State);
// "Fixed Rate Bonds" first when the RULE2 state is 2.0, else "TIPS" first.
std::vector<std::string> BondChoiceOrder(double rule2State);
// "Equities" first only with state rows of which fewer than half are on.
std::vector<std::string> EquityBondChoiceOrder(bool hasStateRows, double macroShare);
