// Model-state report: Init, the items of the ranking models, the regime tree
// on hand-made records, the JSON document and the failures on missing inputs.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ModelTestSupport.h"
#include "models/global/ModelStateReport.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using ordered_json = nlohmann::ordered_json;

namespace {

TLabelledSeries Row(const std::string& name, const std::vector<double>& values) {
  TLabelledSeries row;
  row.Labels = {name, "North America"};
  row.Series = Monthly(2020, 1, values);
  return row;
}

TRegionItem Zone(const std::string& name, const std::string& region, int rank) {
  TRegionItem zone;
  zone.Name = name;
  zone.RegionName = region;
  zone.State = rank;
  return zone;
}

std::vector<std::string> Keys(const ordered_json& object) {
  std::vector<std::string> keys;
  for (const auto& entry : object.items()) keys.push_back(entry.key());
  return keys;
}

// ------------------------------------------------------------------ Init

TEST(ModelStateReportInit, DateFromLastEqIndexOrFirstIndexAsset) {
  struct Case {
    const char* name;
    std::vector<std::string> ids;  // INDEX assets; asset i ends on day 100 + i
    double date;
  };
  const std::vector<Case> cases = {{"last EQINDEX wins", {"EQINDEX", "AUINDEX", "EQINDEX"}, 102.0},
                                   {"no EQINDEX: first asset", {"AUINDEX", "10YRATEINDEX"}, 100.0}};
  for (const Case& c : cases) {
    TCountry country = MakeCountry("USA", "USD");
    country.IndexAssets.clear();
    for (std::size_t i = 0; i < c.ids.size(); ++i) {
      country.IndexAssets.push_back(MakeAsset("USA", c.ids[i], c.ids[i], atIndex));
      country.IndexAssets.back().Series = {{50.0, 1.0}, {100.0 + static_cast<double>(i), 2.0}};
    }
    TModelStateReport report;
    report.Items.resize(2);
    report.Indicators.resize(1);
    report.Choices.resize(1);
    report.Init("INTRA-MONTH1", {country}, false);
    EXPECT_EQ(report.Date, c.date) << c.name;
    EXPECT_EQ(report.ID, "INTRA-MONTH1");
    EXPECT_FALSE(report.OfficialDate);
    EXPECT_TRUE(report.Items.empty() && report.Indicators.empty() && report.Choices.empty()) << c.name;
  }
}

TEST(ModelStateReportInit, DocumentAfterInitOnly) {
  TCountry country = MakeCountry("USA", "USD");
  Asset(country, atIndex, "EQINDEX") = {{43800.0, 1.0}, {43830.0, 2.0}};
  TModelStateReport report;
  report.Init("OFFICIAL1", {country}, true);
  std::string text;
  EXPECT_EQ(&report.ToJson(text), &text);
  EXPECT_EQ(text,
            R"({"CONTENT":[{"GENERAL":[{"ID":"OFFICIAL1","DATE":43830.0,"OFFICIAL_DATE":1}]},)"
            R"({"DATA_1":[]},{"DATA_2":[]},{"DATA_3":[]}]})");
}

TEST(ModelStateReportInit, MissingInputsThrow) {
  TCountry noIndex = MakeCountry("USA", "USD");
  noIndex.IndexAssets.clear();
  const std::vector<std::pair<std::vector<TCountry>, std::string>> cases = {
      {{}, "country list"}, {{noIndex}, "type 0"}, {{MakeCountry("USA", "USD")}, "EQINDEX"}};
  for (const auto& [countries, word] : cases) {
    TModelStateReport report;
    try {
      report.Init("OFFICIAL1", countries, true);
      ADD_FAILURE() << "no failure for " << word;
    } catch (const EModelError& e) {
      EXPECT_NE(std::string(e.what()).find(word), std::string::npos) << e.what();
    }
  }
}

// ------------------------------------------------------------------ items

struct ItemRecords {
  TEQSLGraphicData eqsl;
  TEQQVGraphicData eqqv;
  TEQBLGraphicData eqbl;
  TFISLGraphicData fisl;
  TFICYGraphicData ficy;
};

TEST(ModelStateReportItems, StatesRanksAndOrder) {
  ScopedCountryList list({MakeCountry("USA", "USD"), MakeCountry("GERMANY", "EUR"), MakeCountry("JAPAN", "JPY")});
  ItemRecords r;
  // Last position value -> state: 0.0 -> 0, 0.7 -> 0 (truncated), -1.0 -> 1,
  // no row -> 0; of two rows of one name the last counts.
  r.eqsl.RegionItems = {Zone("A", "North America", 1), Zone("B", "Japan", -1), Zone("C", "Japan", 2),
                        Zone("D", "Europe (Euro)", 3)};
  r.eqqv.GroupRows.resize(2);
  r.eqqv.GroupRows[0].AllRows = {Row("A", {1.0, 0.0}), Row("B", {0.0, 0.7}), Row("C", {0.0, -1.0})};
  r.eqqv.GroupRows[1].AllRows = {Row("D", {1.0})};  // not the first table: ignored
  r.eqbl.GroupRows.resize(1);
  r.eqbl.GroupRows[0].AllRows = {Row("A", {1.0}), Row("B", {1.0}), Row("B", {0.0}), Row("D", {2.5})};
  r.fisl.RegionItems = {Zone("E", "Japan", -1), Zone("F", "Europe (Non Euro)", 4)};
  r.ficy.RegionItems = {Zone("GERMANY", "Europe", 1), Zone("JAPAN", "Asia", 2), Zone("GERMANY", "Euro zone", 1)};
  r.ficy.BenchmarkPortfolio.Allocations.resize(2);
  r.ficy.BenchmarkPortfolio.Allocations[0].Holdings = {{"USA", 1.0, 1.0, 1.0, 1.0, 1}};
  r.ficy.BenchmarkPortfolio.Allocations[1].Holdings = {
      {"GERMANY", 0.5, 0.5, 0.5, 0.5, 2}, {"USA", 0.5, 0.0, 0.0, 0.0, -1}, {"JAPAN", 0.5, 0.5, 0.5, 0.5, 1}};

  TModelStateReport report;
  report.Items.resize(3);  // replaced
  report.AddItems(r.eqsl, r.eqqv, r.eqbl, r.fisl, r.ficy);
  struct Expected {
    const char* group;
    const char* item;
    int qv, sl, bl, rank, type;
  };
  const std::vector<Expected> expected = {
      {"North America", "A", 0, 1, 1, 1, 0}, {"Japan", "B", 0, 1, 0, -1, 0},        {"Japan", "C", 1, 1, 0, 2, 0},
      {"Europe (Euro)", "D", 0, 1, 1, 3, 0}, {"Europe (Non Euro)", "F", 0, 1, 0, 4, 1}, {"Euro zone", "EUR", 0, 1, 0, 2, 2},
      {"Asia", "JPY", 0, 1, 0, 1, 2}};
  ASSERT_EQ(report.Items.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TModelStateItem& it = report.Items[i];
    const Expected& e = expected[i];
    EXPECT_EQ(it.GroupId, e.group) << i;
    EXPECT_EQ(it.ItemId, e.item) << i;
    EXPECT_EQ(std::vector<int>({it.QVState, it.SLState, it.BLState, it.Rank, it.Type}),
              std::vector<int>({e.qv, e.sl, e.bl, e.rank, e.type}))
        << i;
  }

  // No currency allocation: no currency items.
  r.ficy.BenchmarkPortfolio.Allocations.clear();
  report.AddItems(r.eqsl, r.eqqv, r.eqbl, r.fisl, r.ficy);
  EXPECT_EQ(report.Items.size(), 5U);
}

TEST(ModelStateReportItems, MissingPositionTablesThrow) {
  for (const char* model : {"EQQV", "EQBL"}) {
    ItemRecords r;
    r.eqsl.RegionItems = {Zone("A", "Japan", 1)};
    r.eqqv.GroupRows.resize(std::string(model) == "EQQV" ? 0 : 1);
    r.eqbl.GroupRows.resize(std::string(model) == "EQBL" ? 0 : 1);
    TModelStateReport report;
    report.Items.resize(1);
    try {
      report.AddItems(r.eqsl, r.eqqv, r.eqbl, r.fisl, r.ficy);
      ADD_FAILURE() << "no failure for " << model;
    } catch (const EModelError& e) {
      EXPECT_NE(std::string(e.what()).find(std::string(model) + " has no position table"), std::string::npos);
    }
    EXPECT_EQ(report.Items.size(), 1U) << "report changed";
  }
}

// ------------------------------------------------------------------ regime tree

// First country "USA" (USD) over 37 month ends from January 2019 (the basket
// ranks from the thirteenth return on, so its one-year returns need the third
// year): gold and cash flat at 100 but for their last point (gold x (1 + goldJump), cash x
// (1 + cashJump)); spot 1.0; RULE2 constant `rule2`. One-year returns: gold
// goldJump, the basket (USA alone) cashJump.
struct RegimeInputs {
  std::vector<TCountry> countries;
  TUserSettings settings;
  TEQSLGraphicData eqsl;
  TEQQVGraphicData eqqv;
  TEQBLGraphicData eqbl;
  TFISLGraphicData fisl;
  TFIGFGraphicData figf;
  TFICYGraphicData ficy;

  RegimeInputs(double goldJump, double cashJump, double rule2, double goldSignal) {
    countries = {MakeCountry("USA", "USD"), MakeCountry("Brazil", "BRL")};
    for (TCountry& c : countries) {
      Asset(c, atIndex, "AUINDEX") = Step(2019, 1, 37, 36, 100.0, 100.0 * (1.0 + goldJump));
      Asset(c, atRiskFreeAsset, "CASH") = Step(2019, 1, 37, 36, 100.0, 100.0 * (1.0 + cashJump));
      Asset(c, atSpotFx, "SPOTFX") = Constant(2019, 1, 37, 1.0);
      Asset(c, atRule, "RULE2") = Constant(2019, 1, 37, rule2);
    }
    settings = MakeSettings(countries, 0.0, 0.0, 0.0);
    settings.EndDate = MonthEnd(2019, 1, 36);
    figf.Rows1 = {Row("Gold", {0.0, goldSignal}), Row("Other", {})};
  }

  void Run(TModelStateReport& report) const {
    report.AddRegimeTree(countries, eqsl, eqqv, eqbl, fisl, figf, ficy, settings);
  }
};

std::vector<std::string> Places(const TRegimeChoice& c) {
  return {c.ItemId1, c.ItemId2, c.ItemId3, c.ItemId4, c.ItemId5, c.ItemId6};
}

TEST(ModelStateReportRegimeTree, MonetaryPolicyGoldAgainstBasket) {
  struct Case {
    double gold, cash, value;
  };
  // value = (clamp((gold - basket) / 0.2, -1, 1) + 1) * 50
  const std::vector<Case> cases = {{0.16, 0.05, 77.5}, {0.10, 0.0, 75.0}, {0.0, 0.30, 0.0},
                                   {0.25, 0.0, 100.0}, {0.04, 0.04, 50.0}, {-0.05, 0.05, 25.0}};
  for (const Case& c : cases) {
    RegimeInputs in(c.gold, c.cash, 1.0, 0.0);
    ScopedCountryList list(in.countries);
    TModelStateReport report;
    in.Run(report);
    ASSERT_EQ(report.Indicators.size(), 4U);
    const TRegimeIndicator& m = report.Indicators[2];
    EXPECT_EQ(m.GroupId + "/" + m.ItemId1 + "/" + m.ItemId2, "Monetary Policy/Tight/Loose");
    EXPECT_NEAR(m.Value, c.value, 1e-9) << c.gold << " vs " << c.cash;
  }
}

TEST(ModelStateReportRegimeTree, BasketTakesFirstOfEachNameAndEmptyYearsCountZero) {
  // A second "usa" whose cash gains 40 %: outside the basket, so gold 8 %
  // above a flat basket gives 70. With under a year of data both one-year
  // series are empty: 50.
  RegimeInputs in(0.08, 0.0, 1.0, 0.0);
  TCountry second = in.countries[0];
  second.Name = "usa";
  Asset(second, atRiskFreeAsset, "CASH") = Step(2019, 1, 37, 36, 100.0, 140.0);
  in.countries.insert(in.countries.begin() + 1, second);
  in.settings = MakeSettings(in.countries, 0.0, 0.0, 0.0);
  in.settings.EndDate = MonthEnd(2019, 1, 36);
  ScopedCountryList list(in.countries);
  TModelStateReport report;
  in.Run(report);
  EXPECT_NEAR(report.Indicators.at(2).Value, 70.0, 1e-9);

  in.settings.EndDate = MonthEnd(2019, 1, 6);
  in.Run(report);
  EXPECT_NEAR(report.Indicators.at(2).Value, 50.0, 1e-9);
}

TEST(ModelStateReportRegimeTree, SignalSharesAndEquitiesVsBonds) {
  struct Case {
    std::vector<double> lastValues;  // one EQQV row per value
    double macro;
    const char* first;
  };
  const std::vector<Case> cases = {{{1.0, 1.0}, 100.0, "Bonds"},
                                   {{1.0, 0.0}, 50.0, "Bonds"},
                                   {{1.0, 2.0, -1.0}, 100.0 / 3.0, "Equities"},
                                   {{}, 0.0, "Bonds"}};
  for (const Case& c : cases) {
    RegimeInputs in(0.0, 0.0, 1.0, 0.0);
    ScopedCountryList list(in.countries);
    for (double v : c.lastValues) in.eqqv.Rows1.push_back(Row("X", {1.0, v}));
    in.eqbl.Rows1 = {Row("Y", {0.0, 1.0}), Row("Z", {1.0, 0.0}), Row("W", {1.0, 0.0}), Row("V", {1.0, 0.0})};
    TModelStateReport report;
    in.Run(report);
    EXPECT_NEAR(report.Indicators.at(0).Value, c.macro, 1e-12);
    EXPECT_EQ(report.Indicators.at(0).GroupId, "Macroeconomy");
    EXPECT_NEAR(report.Indicators.at(1).Value, 25.0, 1e-12);
    EXPECT_EQ(report.Indicators.at(1).ItemId1 + "/" + report.Indicators.at(1).ItemId2, "Tail Risk/Normal");
    const TRegimeChoice& node = report.Choices.at(4);
    EXPECT_EQ(node.GroupId, "Equities vs. Bonds");
    EXPECT_EQ(node.ItemId1, c.first) << c.macro;
    EXPECT_EQ(Places(node)[2] + Places(node)[5], "");
  }
}

TEST(ModelStateReportRegimeTree, LiquidityAndGoldNodes) {
  struct Case {
    double rule2, goldSignal, liquidity;
    std::vector<std::string> gold;
    std::vector<std::string> bonds;
  };
  const std::vector<Case> cases = {
      {2.0, 0.0, 100.0, {"Gold", "Main Currencies", "All Currencies"}, {"Fixed Rate Bonds", "TIPS"}},
      {3.0, -1.0, 50.0, {"Gold", "All Currencies", "Main Currencies"}, {"TIPS", "Fixed Rate Bonds"}},
      {4.0, 1.0, 0.0, {"All Currencies", "Main Currencies", "Gold"}, {"TIPS", "Fixed Rate Bonds"}},
      {2.0, 1.0, 100.0, {"Main Currencies", "All Currencies", "Gold"}, {"Fixed Rate Bonds", "TIPS"}},
      {1.0, 2.0, 0.0, {"Gold", "All Currencies", "Main Currencies"}, {"TIPS", "Fixed Rate Bonds"}}};
  for (const Case& c : cases) {
    RegimeInputs in(0.0, 0.0, c.rule2, c.goldSignal);
    ScopedCountryList list(in.countries);
    TModelStateReport report;
    in.Run(report);
    EXPECT_EQ(report.Indicators.at(3).GroupId + "/" + report.Indicators.at(3).ItemId1 + "/" +
                  report.Indicators.at(3).ItemId2,
              "Liquidity/Weak/Strong");
    EXPECT_EQ(report.Indicators.at(3).Value, c.liquidity) << c.rule2;
    ASSERT_EQ(report.Choices.size(), 6U);
    EXPECT_EQ(report.Choices[0].GroupId, "Gold vs. Fiat Currencies");
    EXPECT_EQ(Places(report.Choices[0]), (std::vector<std::string>{c.gold[0], c.gold[1], c.gold[2], "", "", ""}));
    EXPECT_EQ(report.Choices[2].GroupId, "Fixed Rate Bonds vs. TIPS");
    EXPECT_EQ(Places(report.Choices[2]), (std::vector<std::string>{c.bonds[0], c.bonds[1], "", "", "", ""}));
  }
}

TEST(ModelStateReportRegimeTree, RankingNodesFillFromTheRight) {
  RegimeInputs in(0.0, 0.0, 1.0, 0.0);
  ScopedCountryList list(in.countries);
  in.ficy.RankingPages = {Row("Brazil", {1.0}), Row("USA", {2.0})};
  for (const char* name : {"C1", "C2", "C3", "C4", "C5", "C6", "C7"}) in.fisl.RankingPages.push_back(Row(name, {1.0}));
  in.eqsl.RankingPages = {Row("Japan", {1.0})};
  TModelStateReport report;
  in.Run(report);
  ASSERT_EQ(report.Choices.size(), 6U);
  const std::vector<std::string> groups = {"Gold vs. Fiat Currencies", "Best Currencies", "Fixed Rate Bonds vs. TIPS",
                                           "Best Bonds", "Equities vs. Bonds", "Best Equities"};
  for (std::size_t i = 0; i < groups.size(); ++i) EXPECT_EQ(report.Choices[i].GroupId, groups[i]);
  EXPECT_EQ(Places(report.Choices[1]), (std::vector<std::string>{"", "", "USD", "BRL", "", ""}));
  EXPECT_EQ(Places(report.Choices[3]), (std::vector<std::string>{"C6", "C5", "C4", "C3", "C2", "C1"}));
  EXPECT_EQ(Places(report.Choices[5]), (std::vector<std::string>{"", "", "", "", "", "Japan"}));
}

TEST(ModelStateReportRegimeTree, MissingInputsThrowAndLeaveTheReport) {
  struct Case {
    const char* word;
    void (*spoil)(RegimeInputs&);
  };
  const std::vector<Case> cases = {
      {"no AUINDEX", [](RegimeInputs& in) { in.countries[0].IndexAssets.erase(in.countries[0].IndexAssets.begin() + 2); }},
      {"AUINDEX series is empty", [](RegimeInputs& in) { Asset(in.countries[0], atIndex, "AUINDEX").clear(); }},
      {"AUINDEX series is empty", [](RegimeInputs& in) { in.settings.EndDate = MonthEnd(2018, 12); }},
      {"no RULE2", [](RegimeInputs& in) { in.countries[0].RuleAssets.clear(); }},
      {"RULE2 series is empty", [](RegimeInputs& in) { Asset(in.countries[0], atRule, "RULE2").clear(); }},
      {"EQQV signal row 1", [](RegimeInputs& in) { in.eqqv.Rows1 = {Row("A", {1.0}), Row("B", {})}; }},
      {"EQBL signal row 0", [](RegimeInputs& in) { in.eqbl.Rows1 = {Row("A", {})}; }},
      {"FIGF has no gold signal row", [](RegimeInputs& in) { in.figf.Rows1.clear(); }},
      {"FIGF has no gold signal row", [](RegimeInputs& in) { in.figf.Rows1[0].Series.clear(); }},
      {"1 country rows for 2 countries", [](RegimeInputs& in) { in.settings.CountrySettings.pop_back(); }},
      {"country list is empty", [](RegimeInputs& in) { in.countries.clear(); }}};
  for (const Case& c : cases) {
    RegimeInputs in(0.0, 0.0, 1.0, 0.0);
    ScopedCountryList list(in.countries);
    c.spoil(in);
    TModelStateReport report;
    report.Indicators.resize(1);
    report.Choices.resize(2);
    try {
      in.Run(report);
      ADD_FAILURE() << "no failure for " << c.word;
    } catch (const EModelError& e) {
      EXPECT_NE(std::string(e.what()).find(c.word), std::string::npos) << e.what();
    }
    EXPECT_EQ(report.Indicators.size() * 10 + report.Choices.size(), 12U) << c.word;
  }
}

// ------------------------------------------------------------------ document

TEST(ModelStateReportJson, ParsesBackInOrderWithTruncatedValues) {
  TModelStateReport report;
  report.ID = "OFFICIAL1";
  report.Date = 45000.5;
  report.OfficialDate = false;
  report.Items = {{"Japan", "JAPAN", 1, 1, 0, -1, 0}, {"Europe", "EUR", 0, 1, 1, 3, 2}};
  const std::vector<std::pair<double, int>> values = {
      {99.99, 99}, {0.0, 0}, {50.7, 50}, {77.5, 77}, {100.0, 100}, {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const auto& [value, written] : values) report.Indicators.push_back({"G", "P1", "P2", value});
  report.Choices = {{"Best Bonds", "", "B5", "B4", "B3", "B2", "B1"}};

  std::string text;
  report.ToJson(text);
  const ordered_json doc = ordered_json::parse(text);
  ASSERT_EQ(Keys(doc), std::vector<std::string>{"CONTENT"});
  const ordered_json& content = doc["CONTENT"];
  ASSERT_EQ(content.size(), 4U);
  const std::vector<std::string> groups = {"GENERAL", "DATA_1", "DATA_2", "DATA_3"};
  for (std::size_t g = 0; g < groups.size(); ++g) EXPECT_EQ(Keys(content[g]), std::vector<std::string>{groups[g]});

  const ordered_json& general = content[0]["GENERAL"];
  ASSERT_EQ(general.size(), 1U);
  EXPECT_EQ(Keys(general[0]), (std::vector<std::string>{"ID", "DATE", "OFFICIAL_DATE"}));
  EXPECT_EQ(general[0]["ID"], "OFFICIAL1");
  EXPECT_EQ(general[0]["DATE"].get<double>(), 45000.5);
  EXPECT_TRUE(general[0]["OFFICIAL_DATE"].is_number_integer());
  EXPECT_EQ(general[0]["OFFICIAL_DATE"], 0);

  const ordered_json& items = content[1]["DATA_1"];
  ASSERT_EQ(items.size(), report.Items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TModelStateItem& it = report.Items[i];
    EXPECT_EQ(Keys(items[i]),
              (std::vector<std::string>{"GROUPID", "ITEMID", "RANK", "QVSTATE", "BLSTATE", "SLSTATE", "TYPE"}));
    EXPECT_EQ(items[i]["GROUPID"], it.GroupId);
    EXPECT_EQ(items[i]["ITEMID"], it.ItemId);
    EXPECT_EQ(items[i]["RANK"], it.Rank);
    EXPECT_EQ(items[i]["QVSTATE"], it.QVState);
    EXPECT_EQ(items[i]["BLSTATE"], it.BLState);
    EXPECT_EQ(items[i]["SLSTATE"], it.SLState);
    EXPECT_EQ(items[i]["TYPE"], it.Type);
  }
  EXPECT_EQ(items[0]["RANK"], -1);

  const ordered_json& indicators = content[2]["DATA_2"];
  ASSERT_EQ(indicators.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(Keys(indicators[i]), (std::vector<std::string>{"GROUPID", "ITEMID_1", "ITEMID_2", "VALUE"}));
    EXPECT_EQ(indicators[i]["GROUPID"], "G");
    EXPECT_EQ(indicators[i]["ITEMID_1"], "P1");
    EXPECT_EQ(indicators[i]["ITEMID_2"], "P2");
    EXPECT_TRUE(indicators[i]["VALUE"].is_number_integer());
    EXPECT_EQ(indicators[i]["VALUE"], values[i].second) << values[i].first;
  }

  const ordered_json& choices = content[3]["DATA_3"];
  ASSERT_EQ(choices.size(), 1U);
  EXPECT_EQ(Keys(choices[0]), (std::vector<std::string>{"GROUPID", "ITEMID_1", "ITEMID_2", "ITEMID_3", "ITEMID_4",
                                                         "ITEMID_5", "ITEMID_6"}));
  const std::vector<std::string> places = Places(report.Choices[0]);
  EXPECT_EQ(choices[0]["GROUPID"], "Best Bonds");
  for (std::size_t k = 0; k < places.size(); ++k)
    EXPECT_EQ(choices[0]["ITEMID_" + std::to_string(k + 1)], places[k]);
}

TEST(ModelStateReportJson, InvalidUtf8IsReplaced) {
  TModelStateReport report;
  report.ID = "OFFICIAL1";
  report.Items = {{"Europe", "Cura\xE7" "ao", 0, 1, 0, 2, 0}};
  std::string text;
  ASSERT_NO_THROW(report.ToJson(text));
  const ordered_json doc = ordered_json::parse(text);
  EXPECT_EQ(doc["CONTENT"][1]["DATA_1"][0]["ITEMID"], "Cura\xEF\xBF\xBD" "ao");
}

}  // namespace
