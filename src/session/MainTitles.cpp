#include "session/MainTitles.h"

#include <array>
#include <span>
#include <string_view>

#include "common/CountryHelpers.h"
#include "common/Globals.h"
#include "session/WindowTexts.h"

namespace session {
namespace {

// Place holders inside the literals below.
constexpr std::string_view kRiskFree = "{risk-free}";
constexpr std::string_view kCountry = "{country}";

// Title3 and Title4 of one view; a null Title3 marks a view the page does not list.
struct TViewTitles {
  const char* Title3;
  const char* Title4;
};
constexpr TViewTitles kNotListed{nullptr, nullptr};

constexpr const char* kVsEquity = "Strategy total return versus equity benchmark";
constexpr const char* kVsBond = "Strategy total return versus bond benchmark";
constexpr const char* kSLEquity = "Portfolio excess return above cash versus equity benchmark";
constexpr const char* kSLBond = "Portfolio excess return above cash versus bond bernchmark";
constexpr const char* kVsCurrency = "Strategy total return versus porfolio currency return";
constexpr const char* kGFBond = "Strategy excess return above cash versus bond benchmark";

constexpr std::array<TViewTitles, 13> kMYGPViews{{
    {"", ""},
    {"Historical asset class allocations", ""},
    {"Asset class allocations versus benchmark", ""},
    {"Summarized equity allocations versus benchmark", ""},
    {"Detailed equity allocations versus benchmark", ""},
    {"Summarized bond allocations versus benchmark", ""},
    {"Detailed bond allocations versus benchmark", ""},
    {"Foreign exchange spot and swap transactions", ""},
    {"", "Performance"},
    {"", "Net Asset Values"},
    {"", "Successive Drawdowns"},
    {"", "1 Year Rolling Returns"},
    {"", "Model parameters"},
}};

constexpr std::array<TViewTitles, 10> kEQGPViews{{
    {"Historical equity && {risk-free} allocations", ""},
    {"Equity && {risk-free} allocations", ""},
    {"Summarized Equity allocations versus {risk-free} allocations", ""},
    {"Detailed Equity allocations versus {risk-free} allocations", ""},
    {"Foreign exchange spot and swap transactions", ""},
    {kVsEquity, "Performance"},
    {kVsEquity, "Net Asset Values"},
    {kVsEquity, "Successive Drawdowns"},
    {kVsEquity, "1 Year Rolling Returns"},
    {"", "Model parameters"},
}};

constexpr std::array<TViewTitles, 11> kEQSLViews{{
    {"Best equities", ""},
    {"Best equities", ""},
    {"Historical best equities", ""},
    {"Historical best equities", ""},
    {"Historical equity allocations", ""},
    {"Equity allocations", ""},
    {kSLEquity, "Excess Performance"},
    {kSLEquity, "Net Asset Values"},
    {kSLEquity, "Successive Dradowns"},
    {kSLEquity, "1 Year Rolling Returns"},
    {"Portfolio excess return above cash", "Model parameters"},
}};

// EQQV's texts; EQBL differs in views 2, 17 and 19 (kEQBLViews).
constexpr std::array<TViewTitles, 20> kEQQVViews{{
    {"", ""},
    {"Historical risk waves", ""},
    {"7 macro factors combined to calculate risk position", "{country}"},
    {kVsEquity, "{country} - Performance"},
    {kVsEquity, "{country} - Net Asset Values"},
    {kVsEquity, "{country} - Successive Drawdowns"},
    {kVsEquity, "{country} - 1 Year Rolling Returns"},
    kNotListed,
    {"Strategy total return", "{country} - Selected Model Parameters"},
    {kVsEquity, "Performance"},
    {"Historical equity && {risk-free} allocations", ""},
    {"Equity equity && {risk-free} allocations", ""},
    {"Historical equity allocations", ""},
    {"Equity allocations", ""},
    {"          Historical {risk-free} allocations", ""},
    {"{risk-free} allocations", ""},
    {kVsEquity, "Net Asset Values"},
    {kVsEquity, "Successive Dradowns"},
    {kVsEquity, "1 Year Rolling Returns"},
    {"Strategy total return", "Model parameters"},
}};

constexpr std::array<TViewTitles, 10> kFIGPViews{{
    {"Historical asset class allocations", ""},
    {"Asset class allocations versus bond benchmark", ""},
    {"Summarized bond allocations versus benchmark", ""},
    {"Detailed bond allocations versus benchmark", ""},
    {"Foreign exchange spot and swap transactions", ""},
    {kVsBond, "Performance"},
    {kVsBond, "Net Asset Values"},
    {kVsBond, "Successive Drawdowns"},
    {kVsBond, "1 Year Rolling Returns"},
    {"", "Model parameters"},
}};

constexpr std::array<TViewTitles, 11> kFISLViews{{
    {"Best bonds", ""},
    {"Best bonds", ""},
    {"Historical best bonds", ""},
    {"Historical best bonds", ""},
    {"Historical bond allocations", ""},
    {"Bond allocations", ""},
    {kSLBond, "Excess Performance"},
    {kSLBond, "Net Asset Values"},
    {kSLBond, "Successive Drawdowns"},
    {kSLBond, "1 Year Rolling Returns"},
    {"Portfolio excess return above cash", "Selected Model Parameters"},
}};

constexpr std::array<TViewTitles, 11> kFICYViews{{
    {"Best currencies", ""},
    {"Best currencies", ""},
    {"Historical best currencies", ""},
    {"Historical best currencies", ""},
    {"Historical currency Allocations", ""},
    {"Currency allocations", ""},
    {kVsCurrency, "Performance"},
    {kVsCurrency, "Net Asset values"},
    {kVsCurrency, "Successive Drawdowns"},
    {kVsCurrency, "1 Year Rolling Returns"},
    {"Strategy total return", "Selected Model Parameters"},
}};

constexpr std::array<TViewTitles, 11> kFIGFViews{{
    {"FIAT currencies\u2019 debasement", ""},
    {"Historical FIAT currencies\u2019 debasement", ""},
    kNotListed,
    kNotListed,
    {"Historical allocations across income assets: gold, TIPS, and fixed-rate bonds from selected countries", ""},
    {"Allocations across income assets: gold, TIPS, and fixed-rate bonds from selected countries", ""},
    {kGFBond, "Excess Performance"},
    {kGFBond, "Net Asset Values"},
    {kGFBond, "Successive Drawdowns"},
    {kGFBond, "1 Year Rolling Returns"},
    {"Strategy excess return above cash", "Selected Model Parameters"},
}};

struct TModelTitles {
  const char* Name;
  const char* Description;
  std::span<const TViewTitles> Views;
};

// By model record: MYGP, EQGP, EQSL, EQQV, EQBL, FIGP, FISL, FICY, FIGF.
const std::array<TModelTitles, 9> kModels{{
    {"Global Equity/Bond Strategy", "Combines global equity strategy and global bond strategy", kMYGPViews},
    {"Global Equity Strategy", "Combines portfolio concentration, macro risk, and behavioral risk", kEQGPViews},
    {"Equity Risk Premium Ranking", "100% equity invested, portfolio concentration on the best remunerating zones",
     kEQSLViews},
    {"Macro Equity Risk", "Equity indices when macro risk On, risk-free when Off", kEQQVViews},
    {"Behavioral Equity Risk", "Equity indices when behavioral risk On, risk-free when Off", kEQQVViews},
    {"Global Bond Strategy", "Combines portfolio concentration, currency concentration and debasement risk",
     kFIGPViews},
    {"Fixed-Rate Bond Ranking", "100% bond invested, portfolio concentration on the best remunerating zones",
     kFISLViews},
    {"Currency Ranking", "Best currency portfolio given the selected maximum FX risk", kFICYViews},
    {"Monetary Debasement Risk", "Drives reallocations from fixed-rate bonds to gold and TIPS", kFIGFViews},
}};
constexpr int kMYGP = 0, kEQBL = 4;

// Model record of the selection; -1 when the selection names none (unsigned index tests).
int SelectedModel(const TViewState& state) {
  const auto sub = [](std::int32_t index) { return static_cast<std::uint32_t>(index); };
  switch (state.SelectedMainTab) {
    case 0:
      return sub(state.GlobalSubIndex) == 0 ? 0 : -1;
    case 1:
      return sub(state.EquitySubIndex) < 4 ? 1 + state.EquitySubIndex : -1;
    case 2:
      return sub(state.BondSubIndex) < 4 ? 5 + state.BondSubIndex : -1;
    default:
      return -1;
  }
}

std::string RiskFreeLabel(const std::string& riskFreeId) {
  const std::string title = TranslateAssetName(riskFreeId, 1, true);
  if (title == "10Y Gov Bond") return "10Y bond";
  if (title == "2Y Gov Bond") return "2Y bond";
  if (title == "1M Cash") return "1M cash";
  return title;
}

// The literal with its one place holder (if any) replaced, shown as a label shows it.
std::string Fill(std::string_view literal, const std::string& riskFree, const std::string& country) {
  std::string text(literal);
  if (const auto at = text.find(kRiskFree); at != std::string::npos)
    text.replace(at, kRiskFree.size(), riskFree);
  else if (const auto pos = text.find(kCountry); pos != std::string::npos)
    text.replace(pos, kCountry.size(), country);
  return ShownText(text);
}

}  // namespace

TMainTitles UpdateMainTitles(const TViewState& state, std::int32_t viewNumber, const std::string& riskFreeId,
                             const std::vector<TCountryModelData>& countries) {
  const int model = SelectedModel(state);
  if (model < 0) return {};
  const TModelTitles& m = kModels[static_cast<std::size_t>(model)];
  const auto view = static_cast<std::uint32_t>(viewNumber);
  if (view >= m.Views.size() || m.Views[view].Title3 == nullptr) return {};

  TViewTitles row = m.Views[view];
  if (model == kEQBL) {
    if (view == 2) row.Title3 = "Behavioral strategy to calculate risk position";
    if (view == 17) row.Title4 = "Successive Drawdowns";
    if (view == 19) row.Title4 = "Selected Model Parameters";
  }
  const std::string riskFree = state.SelectedMainTab == 1 ? RiskFreeLabel(riskFreeId) : std::string();
  const auto index = static_cast<std::uint32_t>(state.CountryListIndex);
  const std::string country = index < countries.size() ? countries[index].Name : std::string();

  TMainTitles titles{m.Name, m.Description, Fill(row.Title3, riskFree, country), Fill(row.Title4, riskFree, country)};
  if (model == kMYGP && view == 0) titles.Title2 = "In a one-shot view";
  return titles;
}

TMainTitles UpdateMainTitles(const TViewState& state, std::int32_t viewNumber) {
  return UpdateMainTitles(state, viewNumber, usMyExternUserSettings.RiskFreeId, cMyExternEQQVGraphicData.CountryData);
}

}  // namespace session
