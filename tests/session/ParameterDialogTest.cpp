// The parameter dialog without a window: groups and tabs, reloading at each
// opening, the 100 % check before a tab change, apply and save, "Undo".
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "session/ParameterDialog.h"

namespace {

using session::TDialogActionKind;
using session::TParameterSelectionForm;
using session::TSettingsPage;

const char* const kNames[] = {"Germany", "France", "Italy", "Spain"};

TUserSettings Settings() {
  TUserSettings s{"EUR", "EUR1M", 80, 20, 50, 55, 60, true, {}, {0.3, 0.4, 0.5}, 20, 100, 30, 40000, 45000};
  const double eq[] = {40, 30, 20, 10}, cy[] = {50, 50, 0, 0};
  for (int i = 0; i < 4; ++i)
    s.CountrySettings.push_back({kNames[i], "Europe", eq[i], 25, cy[i], 0.1 * i, 0.2 * i, 0.3 * i, i + 1});
  return s;
}

// The current country list ranks the countries differently from the settings.
std::vector<TCountry> Countries() {
  std::vector<TCountry> list(4);
  for (int i = 0; i < 4; ++i) {
    list[i].Name = kNames[i];
    list[i].Rank = 14 - i;
  }
  return list;
}

// Answers the dialog's questions from a script and records them.
struct Script {
  std::deque<bool> Answers;
  std::vector<std::string> Asked;  // "question|first|second"
  session::TDialogQuestion Question() {
    return [this](const std::string& q, const std::string& first, const std::string& second) {
      Asked.push_back(q + "|" + first + "|" + second);
      if (Answers.empty()) return false;
      const bool answer = Answers.front();
      Answers.pop_front();
      return answer;
    };
  }
};

struct Dialog {
  TUserSettings settings = Settings();
  std::vector<TCountry> countries = Countries();
  Script script;
  TParameterSelectionForm form{settings, countries, script.Question()};
};

const std::string kAllocationAsk = std::string(session::kAllocationQuestion) + "|Yes|No";
const std::string kSaveAsk = std::string(session::kSaveSettingsQuestion) + "|Save|Cancel";

TEST(ParameterDialogTest, EachOpeningShowsTheGroupsTabsFirstTabChosen) {
  struct Case {
    int group;
    std::vector<int> tabs;  // visible, the first one chosen
    const char* title;
    TSettingsPage page;
    int kind;  // page kind of the first tab
  };
  const std::vector<Case> cases = {
      {0, {0}, "Global Parameters", TSettingsPage::Portfolio, -1},
      {1, {1, 2}, "Equity Parameters", TSettingsPage::Allocation, session::kEquityPage},
      {2, {3, 4, 5, 6}, "Bond Parameters", TSettingsPage::Allocation, session::kFixedRatePage},
  };
  Dialog d;
  for (const Case& c : cases) {
    // A previous opening left the group's last tab chosen.
    d.form.SelectParameterGroup(c.group);
    d.form.OnTabsheetClick(c.tabs.back());
    d.form.SelectParameterGroup(c.group);
    SCOPED_TRACE(c.title);
    EXPECT_EQ(d.form.Title, c.title);
    for (int tab = 0; tab < session::kParameterTabCount; ++tab) {
      const bool visible = std::find(c.tabs.begin(), c.tabs.end(), tab) != c.tabs.end();
      EXPECT_EQ(d.form.TabVisible[tab], visible) << tab;
      EXPECT_EQ(session::ParameterTabs()[tab].Group == c.group, visible) << tab;
      EXPECT_EQ(d.form.TabFill[tab],
                tab == c.tabs.front() && visible ? session::kTabChosenFill : session::kTabNormalFill);
    }
    std::array<int, 3> index{-1, -1, -1};
    index[c.group] = 0;
    EXPECT_EQ(d.form.GroupTabIndex, index);
    EXPECT_EQ(d.form.ShownPage, c.page);
    if (c.page == TSettingsPage::Allocation) {
      EXPECT_EQ(d.form.AllocationPage.PageKind, c.kind);
    }
  }
  EXPECT_TRUE(d.script.Asked.empty());
  // Another group: no tab, title kept.
  d.form.SelectParameterGroup(3);
  EXPECT_EQ(d.form.Title, "Bond Parameters");
  for (bool visible : d.form.TabVisible) EXPECT_FALSE(visible);
  EXPECT_EQ(session::ParameterTabs()[5].Text, std::string("Gold && Currencies"));
  EXPECT_EQ(session::ParameterTabs()[0].Text, std::string("Global Risk "));
}

TEST(ParameterDialogTest, OpeningReloadsEveryPageAndTakesANewSavedCopy) {
  Dialog d;
  d.settings.CountrySettings[3].FiWeight = 24.99;  // the shown page's total is 99.99 at the next opening
  d.form.SelectParameterGroup(2);
  d.form.AllocationPage.CountrySettings[0].FiWeight = 99;
  d.form.ConcentrationPage.CountryRankingCriteria = {0.9, 0.9, 0.9};
  d.form.GoldPage.MaxGoldAllocation = 77;
  d.form.PortfolioPage.SetPortfolioCcy("USD");
  d.settings.InceptionDate = 41000;  // changed outside the dialog (a date button)
  d.form.SelectParameterGroup(2);
  EXPECT_EQ(d.form.SavedUserSettings, d.settings);
  EXPECT_EQ(d.form.AllocationPage.CountrySettings[0].FiWeight, 25);
  EXPECT_EQ(d.form.AllocationPage.CountrySettings[0].CountryRank, 14);  // rank of the current list
  EXPECT_EQ(d.form.ConcentrationPage.CountryRankingCriteria, d.settings.CountryRankingCriteria);
  EXPECT_EQ(d.form.GoldPage.MaxGoldAllocation, 20);
  EXPECT_EQ(d.form.PortfolioPage.PortfolioCcy, "EUR");
  EXPECT_TRUE(d.script.Asked.empty());
  EXPECT_EQ(d.form.GroupTabIndex[2], 0);
}

TEST(ParameterDialogTest, TabClickChecksTheShownAllocationFirst) {
  struct Case {
    const char* name;
    double fi, fi4, cy4;  // bond weights (first three, fourth), currency weight of the fourth
    int from, to;         // tabs
    std::deque<bool> answers;
    bool asked, changed;
    const char* total;  // fixed-rate total after the click
  };
  const std::vector<Case> cases = {
      {"99.99, No keeps the tab", 25, 24.99, 0, 3, 4, {false}, true, false, "99.99"},
      {"99.99, Yes rescales and goes on", 25, 24.99, 0, 3, 4, {true}, true, true, "100.00"},
      {"100 not asked", 25, 25, 0, 3, 6, {}, false, true, "100.00"},
      {"0 cannot be rescaled", 0, 0, 0, 3, 4, {true}, true, false, "0.00"},
      {"current tab still asks", 25, 24.99, 0, 3, 3, {true}, true, false, "100.00"},
      // The allocation page holds a currency total of 100.01 but is not shown.
      {"gold page shown: no check", 25, 25, 0.01, 5, 3, {}, false, true, "100.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Dialog d;
    for (TCountrySettings& e : d.settings.CountrySettings) e.FiWeight = c.fi;
    d.settings.CountrySettings[3].FiWeight = c.fi4;
    d.settings.CountrySettings[3].CyWeight = c.cy4;
    d.form.SelectParameterGroup(2);  // opening never asks
    if (c.from != 3) {
      ASSERT_TRUE(d.form.OnTabsheetClick(c.from));
      d.form.AllocationPage.ShowPage(session::kCurrencyPage);
    }
    d.script.Answers = c.answers;
    EXPECT_EQ(d.form.OnTabsheetClick(c.to), c.changed);
    EXPECT_EQ(d.script.Asked, c.asked ? std::vector<std::string>{kAllocationAsk} : std::vector<std::string>{});
    EXPECT_EQ(d.form.GroupTabIndex[2], session::ParameterTabs()[c.changed ? c.to : c.from].TabIndex);
    if (c.to == 3 || c.from == 3) {
      d.form.AllocationPage.ShowPage(session::kFixedRatePage);
      EXPECT_EQ(d.form.AllocationPage.TotalAllocationText, c.total);
    }
  }
}

// Every page edited; only the applied group's fields may reach the settings.
void EditEveryPage(TParameterSelectionForm& form) {
  auto& e = form.AllocationPage.CountrySettings;
  for (TCountrySettings& c : e) {
    c = {c.CountryName + "?",
         "Elsewhere",
         c.EqWeight,
         c.FiWeight,
         c.CyWeight,
         c.EqTransactionCost + 1,
         c.FiTransactionCost + 2,
         c.EqFxSwapBorrowingCost + 3,
         99};
  }
  std::swap(e[0].EqWeight, e[1].EqWeight);
  std::swap(e[0].FiWeight, e[1].FiWeight);
  std::swap(e[1].CyWeight, e[2].CyWeight);
  form.ConcentrationPage.CountryRankingCriteria = {0.6, 0.7, 0.8};
  form.GoldPage.MaxGoldAllocation = 45;
  form.GoldPage.MaxTipsAllocation = 0;
  form.GoldPage.MaxFxRiskAllocation = 60;
  auto& p = form.PortfolioPage;
  p.SetPortfolioCcy("USD");
  std::tie(p.MaxEqVsFiAllocation, p.MinEqVsFiAllocation, p.QVTrustLevel, p.BLTrustLevel, p.SLTrustLevel) =
      std::tuple(90, 10, 70, 75, 80);
}

// The settings after the group's fields were copied from EditEveryPage.
TUserSettings Expected(int group) {
  TUserSettings s = Settings();
  auto& e = s.CountrySettings;
  if (group == 0) {
    s.PortfolioCcy = "USD";
    std::tie(s.MaxEqVsFiAllocation, s.MinEqVsFiAllocation, s.QVTrustLevel, s.BLTrustLevel, s.SLTrustLevel) =
        std::tuple(90, 10, 70, 75, 80);
    return s;
  }
  s.CountryRankingCriteria = {0.6, 0.7, 0.8};
  for (TCountrySettings& c : e) {
    c.EqFxSwapBorrowingCost += 3;
    (group == 1 ? c.EqTransactionCost : c.FiTransactionCost) += group;
  }
  if (group == 1) std::swap(e[0].EqWeight, e[1].EqWeight);
  if (group == 2) {
    std::swap(e[0].FiWeight, e[1].FiWeight);
    std::swap(e[1].CyWeight, e[2].CyWeight);
    std::tie(s.MaxGoldAllocation, s.MaxTipsAllocation, s.MaxFxRiskAllocation) = std::tuple(45, 0, 60);
  }
  return s;
}

TEST(ParameterDialogTest, ApplyAndSaveCopyTheGroupsFieldsThenStartTheirStep) {
  struct Case {
    int group;
    bool save;
    std::deque<bool> answers;
    TDialogActionKind kind;
    int selector;
    std::vector<std::string> asked;
  };
  const std::vector<Case> cases = {
      {0, false, {}, TDialogActionKind::StartCalculation, -1, {}},
      {1, false, {}, TDialogActionKind::StartCalculation, -1, {}},
      {2, false, {}, TDialogActionKind::StartCalculation, -1, {}},
      {0, true, {true}, TDialogActionKind::StartSettingsSave, 2, {kSaveAsk}},
      {1, true, {true}, TDialogActionKind::StartSettingsSave, 3, {kSaveAsk}},
      {2, true, {true}, TDialogActionKind::StartSettingsSave, 4, {kSaveAsk}},
      {2, true, {false}, TDialogActionKind::None, -1, {kSaveAsk}},  // "Cancel"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "group " << c.group << (c.save ? " save" : " apply"));
    Dialog d;
    d.form.SelectParameterGroup(c.group);
    EditEveryPage(d.form);
    d.script.Answers = c.answers;
    const session::TDialogAction action = c.save ? d.form.ApplyAndSaveChanges() : d.form.ApplyChanges();
    EXPECT_EQ(action.Kind, c.kind);
    EXPECT_EQ(action.Selector, c.selector);
    EXPECT_EQ(d.script.Asked, c.asked);
    EXPECT_EQ(d.settings, c.kind == TDialogActionKind::None ? Settings() : Expected(c.group));
  }
}

TEST(ParameterDialogTest, ApplyOrSaveStopsWhenTheShownTotalIsRefused) {
  for (bool save : {false, true}) {
    Dialog d;
    d.settings.CountrySettings[3].CyWeight = 0.01;  // currency total 100.01
    d.form.SelectParameterGroup(2);
    d.script.Answers = {true};
    ASSERT_TRUE(d.form.OnTabsheetClick(4));  // the fixed-rate total is 100: not asked
    EditEveryPage(d.form);
    d.script.Answers = {false};
    EXPECT_EQ((save ? d.form.ApplyAndSaveChanges() : d.form.ApplyChanges()).Kind, TDialogActionKind::None);
    EXPECT_EQ(d.script.Asked, std::vector<std::string>{kAllocationAsk});
    TUserSettings unchanged = Settings();
    unchanged.CountrySettings[3].CyWeight = 0.01;
    EXPECT_EQ(d.settings, unchanged);
  }
}

TEST(ParameterDialogTest, UndoRestoresTheSavedCopyAndReturnsToWhatWasShown) {
  struct Case {
    const char* failure;  // text of the last failed calculation, "" when none
    TDialogActionKind kind;
    int mode;
  };
  const std::vector<Case> cases = {
      {"", TDialogActionKind::ShowWorkspace, 3},
      // After a failed calculation the workspace holds older results: the
      // failure panel with its text and "Resume" comes back instead.
      {"MYGP Failed (Step 3)", TDialogActionKind::ShowFailurePanel, 4},
  };
  for (const Case& c : cases) {
    Dialog d;
    d.form.SelectParameterGroup(1);
    EditEveryPage(d.form);
    d.form.ApplyChanges();
    d.settings.CountrySettings.pop_back();
    d.settings.InceptionDate = d.settings.EndDate = 0;
    const session::TDialogAction action = d.form.Undo(c.failure);
    EXPECT_EQ(action.Kind, c.kind);
    EXPECT_EQ(action.ScreenMode, c.mode);
    EXPECT_EQ(action.FailureText, c.failure);
    EXPECT_EQ(d.settings, Settings());
    EXPECT_TRUE(d.script.Asked.empty());
  }
}

}  // namespace
