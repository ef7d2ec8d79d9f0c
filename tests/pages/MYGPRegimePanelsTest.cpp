// MYGP regime panels: shares, the gold/basket and RULE2 indicators, choice
// orders, best lists and the inputs that count as empty.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/MYGPRegimePanels.h"
#include "portfolio/TestCountries.h"

using namespace testcountries;

namespace {

using Texts = std::vector<std::string>;
using Colours = std::vector<TAlphaColor>;

TLabelledSeries Row(const std::string& name, const std::string& region, const std::vector<double>& values) {
  return {{name, region}, Monthly(2020, 1, values), false};
}

// "USA" (USD) and "Brazil" over 37 month ends from January 2019: gold and
// cash flat at 100 but for their last point, spot 1.0, RULE2 constant. At
// the end gold's one-year return is goldJump, the basket's (USA) cashJump.
struct Inputs {
  std::vector<TCountry> countries{MakeCountry("USA", "USD"), MakeCountry("Brazil", "BRL")};
  TUserSettings settings;
  TEQQVGraphicData eqqv;
  TEQBLGraphicData eqbl;
  TEQSLGraphicData eqsl;
  TFISLGraphicData fisl;
  TFIGFGraphicData figf;
  TFICYGraphicData ficy;

  explicit Inputs(double goldJump = 0.0, double cashJump = 0.0, double rule2 = 1.0) {
    for (TCountry& c : countries) {
      Asset(c, atIndex, "AUINDEX") = Step(2019, 1, 37, 36, 100.0, 100.0 * (1.0 + goldJump));
      Asset(c, atRiskFreeAsset, "CASH") = Step(2019, 1, 37, 36, 100.0, 100.0 * (1.0 + cashJump));
      Asset(c, atSpotFx, "SPOTFX") = Constant(2019, 1, 37, 1.0);
      Asset(c, atRule, "RULE2") = Constant(2019, 1, 37, rule2);
    }
    ResetSettings();
  }
  void ResetSettings() {
    settings = MakeSettings(countries, 0.0, 0.0, 0.0);
    settings.EndDate = MonthEnd(2019, 1, 36);
  }
  TRegimePanelsData Build() const {
    ScopedCountryList list(countries);
    return BuildRegimePanels({countries, settings, eqqv, eqbl, eqsl, fisl, figf, ficy});
  }
};

Texts Head(const TChoicePanelData& panel, std::size_t n) { return {panel.Labels.begin(), panel.Labels.begin() + n}; }

TEST(MYGPRegimePanels, SharesAndEquitiesVsBonds) {
  struct Case {
    std::vector<std::vector<double>> rows;  // series of each state row
    double share;
    Texts order;
  };
  const std::vector<Case> cases = {{{{1}, {1}, {0}, {0}}, 0.5, {"Bonds", "Equities", "", ""}},  // 0.5 is not below
                                   {{{1}, {0}, {0}, {0}}, 0.25, {"Equities", "Bonds", "", ""}},
                                   {{}, 0.0, {"Bonds", "Equities", "", ""}},
                                   {{{1}, {}}, 0.5, {"Bonds", "Equities", "", ""}},  // no points: not 1.0
                                   {{{0, 1}, {1, 0.999999}, {2}}, 1.0 / 3.0, {"Equities", "Bonds", "", ""}}};
  for (const Case& c : cases) {
    Inputs in;
    for (const auto& values : c.rows) in.eqqv.Rows1.push_back(Row("X", "", values));
    in.eqbl.Rows1 = in.eqqv.Rows1;
    const TRegimePanelsData p = in.Build();
    EXPECT_DOUBLE_EQ(p.MacroeconomyPanel.Value, c.share);
    EXPECT_DOUBLE_EQ(p.BehavioralFinancePanel.Value, c.share);
    EXPECT_EQ(Head(p.EquityBondChoicePanel, 4), c.order);
  }
}

TEST(MYGPRegimePanels, MonetaryPolicyAndEmptyInputs) {
  struct Case {
    const char* name;
    double gold, cash;
    void (*change)(Inputs&);
    double value, liquidity;
  };
  const std::vector<Case> cases = {
      {"gold 30 % vs 5 %: clamped", 0.30, 0.05, nullptr, 1.0, 0.5},
      {"gold 0 % vs 10 %", 0.0, 0.10, nullptr, 0.25, 0.5},
      {"fewer settings rows: no basket", 0.10, 0.10, [](Inputs& in) { in.settings.CountrySettings.pop_back(); }, 0.75,
       0.5},
      {"no AUINDEX point", 0.30, 0.0, [](Inputs& in) { Asset(in.countries[0], atIndex, "AUINDEX").clear(); }, 0.5, 0.5},
      {"no first country", 0.30, 0.0, [](Inputs& in) { in.countries.clear(), in.ResetSettings(); }, 0.5, 0.0},
      // A second "usa" whose cash gains 40 % stays outside the basket.
      {"first of a name only, case ignored", 0.08, 0.0,
       [](Inputs& in) {
         TCountry second = in.countries[0];
         second.Name = "usa";
         Asset(second, atRiskFreeAsset, "CASH") = Step(2019, 1, 37, 36, 100.0, 140.0);
         in.countries.insert(in.countries.begin() + 1, second), in.ResetSettings();
       },
       0.7, 0.5}};
  for (const Case& c : cases) {
    Inputs in(c.gold, c.cash, 3.0);
    if (c.change != nullptr) c.change(in);
    const TUserSettings before = in.settings;
    const TRegimePanelsData p = in.Build();
    EXPECT_NEAR(p.MonetaryPolicyPanel.Value, c.value, 1e-9) << c.name;
    EXPECT_DOUBLE_EQ(p.LiquidityPanel.Value, c.liquidity) << c.name;
    EXPECT_EQ(in.settings.CountrySettings, before.CountrySettings) << c.name << ": settings written back";
  }
}

TEST(MYGPRegimePanels, Rule2StateAndGoldSignal) {
  const Texts fixed = {"Fixed Rate Bonds", "TIPS"}, tips = {"TIPS", "Fixed Rate Bonds"};
  const Texts goldAll = {"Gold", "All Currencies", "Main Currencies", ""};
  const Texts allMain = {"All Currencies", "Main Currencies", "Gold", ""};
  struct Case {
    double state;
    std::vector<double> goldRow;  // FIGF first group row
    void (*change)(Inputs&);
    double liquidity;
    Texts bonds, gold;
  };
  const std::vector<Case> cases = {
      {3.0, {0.0}, nullptr, 0.5, tips, goldAll},
      {2.0, {0.0}, nullptr, 1.0, fixed, {"Gold", "Main Currencies", "All Currencies", ""}},
      {4.0, {0.0, 1.0}, nullptr, 0.0, tips, allMain},
      {2.0, {1.0}, nullptr, 1.0, fixed, {"Main Currencies", "All Currencies", "Gold", ""}},
      {2.0, {}, nullptr, 1.0, fixed, {"Gold", "Main Currencies", "All Currencies", ""}},  // no gold signal
      // A point after the end date is not read; no RULE2 point is no state.
      {3.0,
       {1.0},
       [](Inputs& in) {
         Asset(in.countries[0], atRule, "RULE2").push_back({MonthEnd(2019, 1, 37), 2.0});
       },
       0.5,
       tips,
       allMain},
      {2.0, {1.0}, [](Inputs& in) { Asset(in.countries[0], atRule, "RULE2").clear(); }, 0.0, tips, allMain}};
  for (const Case& c : cases) {
    Inputs in(0.0, 0.0, c.state);
    in.figf.Rows1 = {Row("Gold", "", c.goldRow), Row("Other", "", {1.0})};
    if (c.change != nullptr) c.change(in);
    const TRegimePanelsData p = in.Build();
    EXPECT_DOUBLE_EQ(p.LiquidityPanel.Value, c.liquidity) << c.state;
    EXPECT_EQ(Head(p.BondChoicePanel, 2), c.bonds) << c.state;
    EXPECT_EQ(Head(p.CurrencyChoicePanel, 4), c.gold) << c.state;
  }
}

TEST(MYGPRegimePanels, BestListsReversedAndPadded) {
  std::vector<TCountry> countries;
  std::vector<TLabelledSeries> rows;
  for (std::size_t i = 0; i < 10; ++i) {
    countries.push_back(MakeCountry("Land" + std::to_string(i), "C" + std::to_string(i)));
    rows.push_back(Row(countries.back().Name, strRegionNameList[i % 6], {}));
  }
  rows[1].Labels[1] = "Atlantis";  // outside the six regions: the text colour
  ScopedCountryList list(countries);
  const auto r = [](std::size_t i) { return claRegionColors[i]; };
  struct Case {
    std::size_t rows, count;
    bool currency;
    Texts names;
    Colours colours;
  };
  const std::vector<Case> cases = {
      {3, 6, false, {"Land2", "Land1", "Land0", "", "", ""}, {r(2), claTextColor, r(0), 0, 0, 0}},
      {10, 4, true, {"C3", "C2", "C1", "C0", "", ""}, {r(3), r(2), claTextColor, r(0), 0, 0}},
      {10,
       6,
       false,
       {"Land5", "Land4", "Land3", "Land2", "Land1", "Land0"},
       {r(5), r(4), r(3), r(2), claTextColor, r(0)}},
      {0, 6, false, Texts(6), Colours(6, 0)}};
  for (const Case& c : cases) {
    Texts labels(6, "x");
    Colours colours(6, 1);
    AppendBestList({rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(c.rows)}, c.count, c.currency, labels,
                   colours);
    EXPECT_EQ(Texts(labels.begin() + 6, labels.end()), c.names) << c.rows << "/" << c.count;
    EXPECT_EQ(Colours(colours.begin() + 6, colours.end()), c.colours) << c.rows << "/" << c.count;
    EXPECT_EQ(labels.size() + colours.size(), 24U);
  }
}

}  // namespace
