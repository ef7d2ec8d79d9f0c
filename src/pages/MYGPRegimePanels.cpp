#include "pages/MYGPRegimePanels.h"

#include <algorithm>
#include <cstddef>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "models/global/ModelStateReport.h"
#include "portfolio/ModelError.h"
#include "widgets/PercentTable.h"

namespace {

constexpr std::size_t kPanelEntries = 12;
constexpr std::size_t kChoicePlaces = 6;
// A RULE2 state that matches none of the compared states.
constexpr double kNoState = -1000000.0;

// Points of the last asset with `id` among the first country's assets of
// `type`; empty without a first country or such an asset.
TSeries FirstCountryPoints(const std::vector<TCountry>& countries, int type, const char* id) {
  if (countries.empty()) return {};
  const std::vector<TAssetSeries>* assets = AssetsOfType(countries.front(), type);
  if (assets == nullptr) return {};
  const std::size_t p = FindAssetPosition(*assets, id, assets->size());
  return p == assets->size() ? TSeries{} : (*assets)[p].Series;
}

// Last value of the first row's series; kNoState without one.
double FirstRowLastValue(const std::vector<TLabelledSeries>& rows) {
  if (rows.empty() || rows.front().Series.empty()) return kNoState;
  return rows.front().Series.back().Value;
}

// One-year returns of the currency basket from `from`; empty when the
// settings rows do not cover the countries or the basket cannot be built.
TSeries BasketYear(const std::vector<TCountry>& countries, const TUserSettings& settings, double from) {
  if (settings.CountrySettings.size() < countries.size()) return {};
  try {
    return GoldBasketOneYearReturns(countries, settings, from);
  } catch (const EModelError&) {
    return {};
  }
}

TIndicatorPanelData Indicator(const char* left, const char* right, const char* title, double value) {
  return {{left, right}, {claTitleColorPair[1], claTitleColorPair[1]}, title, value};
}

// Choice order in labels 0-5 (claTabColorSets[2]), then the best list.
TChoicePanelData Choice(const std::vector<std::string>& order, const char* title, const char* listTitle,
                        const std::vector<TLabelledSeries>& rows, std::size_t count, bool asCurrency) {
  TChoicePanelData data;
  data.Labels = order;
  data.Labels.resize(kChoicePlaces);
  data.Colours.assign(kChoicePlaces, claTabColorSets[2]);
  AppendBestList(rows, count, asCurrency, data.Labels, data.Colours);
  data.Title = title;
  data.ListTitle = listTitle;
  return data;
}

}  // namespace

double StateShare(const std::vector<TLabelledSeries>& rows) {
  if (rows.empty()) return 0.0;
  const auto ones = std::count_if(rows.begin(), rows.end(), [](const TLabelledSeries& row) {
    return !row.Series.empty() && row.Series.back().Value == 1.0;
  });
  return static_cast<double>(ones) / static_cast<double>(rows.size());
}

void AppendBestList(const std::vector<TLabelledSeries>& rows, std::size_t count, bool asCurrency,
                    std::vector<std::string>& labels, std::vector<TAlphaColor>& colours) {
  for (std::size_t j = std::min(rows.size(), count); j-- > 0;) {
    const std::vector<std::string>& rowLabels = rows[j].Labels;
    const std::string name = rowLabels.empty() ? std::string() : rowLabels[0];
    labels.push_back(asCurrency ? GetCountryCurrency(name) : name);
    colours.push_back(widgets::RegionColour(rowLabels.size() > 1 ? rowLabels[1] : std::string(), claTextColor));
  }
  if (labels.size() < kPanelEntries) labels.resize(kPanelEntries);
  if (colours.size() < kPanelEntries) colours.resize(kPanelEntries, 0x00000000);
}

TRegimePanelsData BuildRegimePanels(const TRegimePanelInputs& in) {
  TRegimePanelsData panels;
  const double macroShare = StateShare(in.EQQV.Rows1);
  panels.MacroeconomyPanel = Indicator("Bust", "Boom", "MACROECONOMY", macroShare);
  panels.BehavioralFinancePanel = Indicator("Tail Risk", "Normal", "BEHAVIORAL FINANCE", StateShare(in.EQBL.Rows1));

  // Gold against the basket of five main currencies over the last year;
  // without gold there is no start date, so neither side has returns.
  const TSeries gold = FirstCountryPoints(in.Countries, atIndex, "AUINDEX");
  const TSeries goldYear = GoldOneYearReturns(gold, in.Settings.EndDate);
  const TSeries basketYear = gold.empty() ? TSeries{} : BasketYear(in.Countries, in.Settings, gold.front().Date);
  panels.MonetaryPolicyPanel = Indicator("Tight", "Loose", "MONETARY POLICY", GoldLeadFraction(goldYear, basketYear));

  // The RULE2 state up to the end date serves the liquidity and both bond and gold choices.
  const TSeries rule = FirstCountryPoints(in.Countries, atRule, "RULE2");
  const TSeries cut = rule.empty() ? TSeries{} : SliceSeries(rule, rule.front().Date, in.Settings.EndDate);
  const double state = cut.empty() ? kNoState : cut.back().Value;
  panels.LiquidityPanel = Indicator("Weak", "Strong", "LIQUIDITY", LiquidityFraction(state));

  panels.EquityBondChoicePanel = Choice(EquityBondChoiceOrder(!in.EQQV.Rows1.empty(), macroShare), "Equities vs. Bonds",
                                        "Best Equities", in.EQSL.RankingPages, 6, false);
  panels.BondChoicePanel =
      Choice(BondChoiceOrder(state), "Fixed Rate Bonds vs. TIPS", "Best Bonds", in.FISL.RankingPages, 6, false);
  panels.CurrencyChoicePanel = Choice(GoldFiatOrder(FirstRowLastValue(in.FIGF.Rows1), state),
                                      "Gold vs. Fiat Currencies", "Best Currencies", in.FICY.RankingPages, 4, true);
  return panels;
}

void SetPanel(TRegimePanel& panel, const TIndicatorPanelData& data) {
  panel.SetData(data.Labels, data.Colours, data.Title, data.Value);
}

void SetPanel(TRegimePanel& panel, const TChoicePanelData& data) {
  panel.SetChoiceData(data.Labels, data.Colours, data.Title, data.ListTitle, data.Note, data.Flag != 0);
}
