#include "session/ParameterDialog.h"

#include <algorithm>
#include <utility>

namespace session {

namespace {

const std::array<TParameterTab, kParameterTabCount> kTabs{{
    {"Tabsheet_1", 0, 0, "Global Risk ", TSettingsPage::Portfolio, -1},
    {"Tabsheet_2", 1, 0, "Equity Portfolio Selection", TSettingsPage::Allocation, kEquityPage},
    {"Tabsheet_3", 1, 1, "Best Countries", TSettingsPage::Concentration, 0},
    {"Tabsheet_4", 2, 0, "Fixed Rate Portfolio Selection", TSettingsPage::Allocation, kFixedRatePage},
    {"Tabsheet_5", 2, 1, "Currency Portfolio Selection", TSettingsPage::Allocation, kCurrencyPage},
    {"Tabsheet_6", 2, 2, "Gold && Currencies", TSettingsPage::Gold, -1},
    {"Tabsheet_7", 2, 3, "Best Countries", TSettingsPage::Concentration, 1},
}};

bool IsTab(std::int32_t tab) { return tab >= 0 && tab < kParameterTabCount; }

const TParameterTab& Tab(std::int32_t tab) { return kTabs[static_cast<std::size_t>(tab)]; }

}  // namespace

const std::array<TParameterTab, kParameterTabCount>& ParameterTabs() { return kTabs; }

const char* ParameterGroupTitle(std::int32_t group) {
  switch (group) {
    case 0:
      return "Global Parameters";
    case 1:
      return "Equity Parameters";
    case 2:
      return "Bond Parameters";
    default:
      return "";
  }
}

std::int32_t ParameterTabOf(std::int32_t group, std::int32_t tabIndex) {
  for (std::int32_t tab = 0; tab < kParameterTabCount; ++tab)
    if (Tab(tab).Group == group && Tab(tab).TabIndex == tabIndex) return tab;
  return kNoTab;
}

TParameterSelectionForm::TParameterSelectionForm(TUserSettings& settings, const std::vector<TCountry>& countryList,
                                                 TDialogQuestion question)
    : Settings_(settings), CountryList_(countryList), Question_(std::move(question)) {
  TabVisible.fill(true);
  TabFill.fill(kTabNormalFill);
}

void TParameterSelectionForm::SelectParameterGroup(std::int32_t group) {
  CurrentGroup = group;
  for (std::int32_t tab = 0; tab < kParameterTabCount; ++tab) TabVisible[tab] = Tab(tab).Group == group;
  GroupTabIndex.fill(kNoTab);
  TabFill.fill(kTabNormalFill);
  SavedUserSettings = Settings_;
  LoadPages();
  if (group < 0 || group >= kParameterGroupCount) return;
  GroupSelecting = true;
  OnTabsheetClick(ParameterTabOf(group, 0));
  GroupSelecting = false;
  Title = ParameterGroupTitle(group);
}

void TParameterSelectionForm::LoadPages() {
  AllocationPage.LoadCountrySettings(Settings_.CountrySettings, CountryList_);
  ConcentrationPage.CountryRankingCriteria = Settings_.CountryRankingCriteria;
  GoldPage.MaxGoldAllocation = Settings_.MaxGoldAllocation;
  GoldPage.MaxTipsAllocation = Settings_.MaxTipsAllocation;
  GoldPage.MaxFxRiskAllocation = Settings_.MaxFxRiskAllocation;
  PortfolioPage.PortfolioCcy = Settings_.PortfolioCcy;
  PortfolioPage.RiskFreeId = Settings_.RiskFreeId;
  PortfolioPage.MaxEqVsFiAllocation = Settings_.MaxEqVsFiAllocation;
  PortfolioPage.MinEqVsFiAllocation = Settings_.MinEqVsFiAllocation;
  PortfolioPage.QVTrustLevel = Settings_.QVTrustLevel;
  PortfolioPage.BLTrustLevel = Settings_.BLTrustLevel;
  PortfolioPage.SLTrustLevel = Settings_.SLTrustLevel;
  PortfolioPage.FxHedging = Settings_.FxHedging;
}

bool TParameterSelectionForm::CheckShownAllocation(bool ask) {
  if (ShownPage != TSettingsPage::Allocation) return true;
  return AllocationPage.ValidateAllocation(
      ask, [this](const std::string& question) { return Question_ && Question_(question, "Yes", "No"); });
}

bool TParameterSelectionForm::IsCurrentTab(std::int32_t tab) const {
  if (!IsTab(tab)) return false;
  const TParameterTab& t = Tab(tab);
  return GroupTabIndex[static_cast<std::size_t>(t.Group)] == t.TabIndex;
}

bool TParameterSelectionForm::OnTabsheetClick(std::int32_t tab) {
  if (!IsTab(tab)) return false;
  if (!CheckShownAllocation(!GroupSelecting)) return false;
  if (IsCurrentTab(tab)) return false;
  const TParameterTab& chosen = Tab(tab);
  GroupTabIndex[static_cast<std::size_t>(chosen.Group)] = chosen.TabIndex;
  for (std::int32_t other = 0; other < kParameterTabCount; ++other)
    if (Tab(other).Group == chosen.Group) TabFill[other] = other == tab ? kTabChosenFill : kTabNormalFill;
  ShowGroupPage();
  return true;
}

void TParameterSelectionForm::ShowGroupPage() {
  if (CurrentGroup < 0 || CurrentGroup >= kParameterGroupCount) return;
  const std::int32_t tab = ParameterTabOf(CurrentGroup, GroupTabIndex[static_cast<std::size_t>(CurrentGroup)]);
  if (tab == kNoTab) return;
  const TParameterTab& t = Tab(tab);
  ShownPage = t.Page;
  switch (t.Page) {
    case TSettingsPage::Allocation:
      AllocationPage.ShowPage(t.PageKind);
      break;
    case TSettingsPage::Concentration:
      ConcentrationPage.ShowPage(t.PageKind);
      break;
    case TSettingsPage::Gold:
      GoldPage.ShowPage();
      break;
    case TSettingsPage::Portfolio:
      PortfolioPage.ShowPage();
      break;
    case TSettingsPage::None:
      break;
  }
}

TDialogAction TParameterSelectionForm::Undo(const std::string& calculationFailure) {
  Settings_ = SavedUserSettings;
  TDialogAction action;
  if (calculationFailure.empty()) {
    action.Kind = TDialogActionKind::ShowWorkspace;
    action.ScreenMode = 3;
  } else {
    action.Kind = TDialogActionKind::ShowFailurePanel;
    action.ScreenMode = 4;
    action.FailureText = calculationFailure;
  }
  return action;
}

TDialogAction TParameterSelectionForm::ApplyChanges() {
  if (!CheckShownAllocation(true)) return {};
  CopyGroupValues();
  TDialogAction action;
  action.Kind = TDialogActionKind::StartCalculation;
  return action;
}

TDialogAction TParameterSelectionForm::ApplyAndSaveChanges() {
  if (!CheckShownAllocation(true)) return {};
  if (!Question_ || !Question_(kSaveSettingsQuestion, "Save", "Cancel")) return {};
  if (CurrentGroup < 0 || CurrentGroup >= kParameterGroupCount) return {};
  CopyGroupValues();
  TDialogAction action;
  action.Kind = TDialogActionKind::StartSettingsSave;
  action.Selector = CurrentGroup + 2;  // 2 global, 3 equity, 4 bond
  return action;
}

// Copies the current group's page values into the settings; country names,
// region names and ranks stay as they are. Entries beyond the page's list
// (the settings changed since the opening) are left alone.
void TParameterSelectionForm::CopyGroupValues() {
  std::vector<TCountrySettings>& entries = Settings_.CountrySettings;
  const std::vector<TCountrySettings>& page = AllocationPage.CountrySettings;
  const std::size_t count = std::min(entries.size(), page.size());
  switch (CurrentGroup) {
    case 0:
      Settings_.PortfolioCcy = PortfolioPage.PortfolioCcy;
      Settings_.RiskFreeId = PortfolioPage.RiskFreeId;
      Settings_.MaxEqVsFiAllocation = PortfolioPage.MaxEqVsFiAllocation;
      Settings_.MinEqVsFiAllocation = PortfolioPage.MinEqVsFiAllocation;
      Settings_.QVTrustLevel = PortfolioPage.QVTrustLevel;
      Settings_.BLTrustLevel = PortfolioPage.BLTrustLevel;
      Settings_.SLTrustLevel = PortfolioPage.SLTrustLevel;
      Settings_.FxHedging = PortfolioPage.FxHedging;
      break;
    case 1:
      for (std::size_t i = 0; i < count; ++i) {
        entries[i].EqWeight = page[i].EqWeight;
        entries[i].EqTransactionCost = page[i].EqTransactionCost;
        entries[i].EqFxSwapBorrowingCost = page[i].EqFxSwapBorrowingCost;
      }
      Settings_.CountryRankingCriteria = ConcentrationPage.CountryRankingCriteria;
      break;
    case 2:
      for (std::size_t i = 0; i < count; ++i) {
        entries[i].FiWeight = page[i].FiWeight;
        entries[i].CyWeight = page[i].CyWeight;
        entries[i].FiTransactionCost = page[i].FiTransactionCost;
        entries[i].EqFxSwapBorrowingCost = page[i].EqFxSwapBorrowingCost;
      }
      Settings_.MaxGoldAllocation = GoldPage.MaxGoldAllocation;
      Settings_.MaxTipsAllocation = GoldPage.MaxTipsAllocation;
      Settings_.MaxFxRiskAllocation = GoldPage.MaxFxRiskAllocation;
      Settings_.CountryRankingCriteria = ConcentrationPage.CountryRankingCriteria;
      break;
    default:
      break;
  }
}

void TParameterSelectionForm::OnTabsheetMouseEnter(std::int32_t tab) {
  if (IsTab(tab)) TabFill[tab] = kTabChosenFill;
}

void TParameterSelectionForm::OnTabsheetMouseLeave(std::int32_t tab) {
  if (IsTab(tab) && !IsCurrentTab(tab)) TabFill[tab] = kTabNormalFill;
}

}  // namespace session
