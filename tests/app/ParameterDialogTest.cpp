// The parameter dialog in the window on the sample data: opened from each
// main tab, edited by clicks, undone, applied (the nine models run on the new
// values) and saved group by group into the settings file, a failed
// calculation's panel after "Undo", a save whose file cannot be opened, and
// a restart on saved and on damaged settings.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QLabel>
#include <QSignalSpy>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "AppTestSupport.h"
#include "common/Globals.h"
#include "dialogs/AllocationForm.h"
#include "dialogs/CurrencySelectionForm.h"
#include "dialogs/ParameterSelectionForm.h"
#include "portfolio/GlobalResultRecords.h"
#include "server/ServerTestSupport.h"

namespace {

using session::TWindowGroup;
namespace fs = std::filesystem;

const char* const kSettingsTables[] = {
    "USER_DATE_SETTINGS",
    "USER_GLOBALPORTFOLIO_SETTINGS",
    "USER_EQBYCOUNTRY_SETTINGS",
    "USER_FIBYCOUNTRY_SETTINGS",
    "USER_CYBYCOUNTRY_SETTINGS",
    "USER_EQCOUNTRY_COMPETITION_SETTINGS",
    "USER_FICOUNTRY_COMPETITION_SETTINGS",
    "USER_CYCOUNTRY_COMPETITION_SETTINGS",
    "USER_FI_COMPETITION_SETTINGS",
};
// The equity rows without the swap costs, which the bond group writes too.
constexpr const char* kEquityWeights = "EQUITY WEIGHTS AND COSTS";

std::string Rows(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  std::string rows;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        rows += text != nullptr ? reinterpret_cast<const char*>(text) : "NULL";
        rows += '|';
      }
      rows += '\n';
    }
  }
  sqlite3_finalize(statement);
  return rows;
}

// Every row of every settings table as text, by table.
std::map<std::string, std::string> SettingsTables(const std::string& file) {
  std::map<std::string, std::string> tables;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    for (const char* table : kSettingsTables) tables[table] = Rows(db, std::string("SELECT * FROM ") + table);
    tables[kEquityWeights] = Rows(db, "SELECT COUNTRYNAME,WEIGHT,TRANSACTIONCOST FROM USER_EQBYCOUNTRY_SETTINGS");
  }
  sqlite3_close(db);
  return tables;
}

bool Execute(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

double WeightSum(const TUserSettings& settings, double TCountrySettings::*field) {
  double sum = 0.0;
  for (const TCountrySettings& entry : settings.CountrySettings) sum += entry.*field;
  return sum;
}

bool SameSettings(const TUserSettings& a, const TUserSettings& b) {
  if (a.PortfolioCcy != b.PortfolioCcy || a.RiskFreeId != b.RiskFreeId || a.FxHedging != b.FxHedging ||
      a.MaxEqVsFiAllocation != b.MaxEqVsFiAllocation || a.MinEqVsFiAllocation != b.MinEqVsFiAllocation ||
      a.QVTrustLevel != b.QVTrustLevel || a.BLTrustLevel != b.BLTrustLevel || a.SLTrustLevel != b.SLTrustLevel ||
      a.CountryRankingCriteria != b.CountryRankingCriteria || a.MaxGoldAllocation != b.MaxGoldAllocation ||
      a.MaxTipsAllocation != b.MaxTipsAllocation || a.MaxFxRiskAllocation != b.MaxFxRiskAllocation ||
      a.InceptionDate != b.InceptionDate || a.EndDate != b.EndDate ||
      a.CountrySettings.size() != b.CountrySettings.size())
    return false;
  for (std::size_t i = 0; i < a.CountrySettings.size(); ++i) {
    const TCountrySettings& x = a.CountrySettings[i];
    const TCountrySettings& y = b.CountrySettings[i];
    if (x.CountryName != y.CountryName || x.EqWeight != y.EqWeight || x.FiWeight != y.FiWeight ||
        x.CyWeight != y.CyWeight || x.EqTransactionCost != y.EqTransactionCost ||
        x.FiTransactionCost != y.FiTransactionCost || x.EqFxSwapBorrowingCost != y.EqFxSwapBorrowingCost)
      return false;
  }
  return true;
}

class ParameterDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Workspace = std::make_unique<apptest::TSampleWorkspace>(); }
  static void TearDownTestSuite() { Workspace.reset(); }
  void SetUp() override {
    ASSERT_TRUE(Workspace->Ready) << Workspace->Form->Screen.MessageContent;
    Workspace->Answerer->DownloadAnswer = true;
  }

  static app::TMainForm& F() { return *Workspace->Form; }
  static TParameterSelectionForm& D() { return *F().ParameterSelectionForm; }
  static bool Shown(TWindowGroup group) { return F().Group(group)->isVisibleTo(Workspace->Form.get()); }
  static std::string SettingsFile() { return (fs::path(Workspace->Folder) / "USDBV4.sqlite").string(); }

  // Clicks a control at its face, where the window must find it.
  static void ClickWidget(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(qttest::TWindowPointer(Workspace->Form.get()).ClickOn(widget));
  }
  static void Click(const char* name) { ClickWidget(F().Find(name)); }
  // A control of a settings page (or of the dialog's column), by name.
  static void ClickOn(QWidget* page, const char* name) { ClickWidget(page->findChild<QWidget*>(name)); }
  static QString Text(QWidget* page, const char* name) {
    auto* label = page->findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString("<missing %1>").arg(name);
  }

  // The dialog on the group of main tab `mainTab`, from the workspace.
  static void Open(int mainTab) {
    ASSERT_NO_FATAL_FAILURE(Click(("MainTabsheet_" + std::to_string(mainTab + 1)).c_str()));
    ASSERT_NO_FATAL_FAILURE(Click("SetParametersButton"));
    ASSERT_TRUE(Shown(TWindowGroup::ParameterSelectionFormContainer));
    ASSERT_FALSE(Shown(TWindowGroup::GeneralInformationAndGraphicSupport));
  }
  // Waits for the started steps to end in the workspace or a failure.
  static bool WaitForEnd() {
    return QTest::qWaitFor(
        [] {
          return !F().StepRunning() &&
                 (F().View.WorkspaceShown || F().Screen.IsVisible(TWindowGroup::FailureDownloadingOrSavingImage));
        },
        apptest::kRoadTimeoutMs);
  }

  static std::unique_ptr<apptest::TSampleWorkspace> Workspace;
};

std::unique_ptr<apptest::TSampleWorkspace> ParameterDialogTest::Workspace;

TEST_F(ParameterDialogTest, EachMainTabOpensItsGroupAndUndoStartsNothing) {
  struct Case {
    int MainTab;
    const char* Title;
    std::vector<int> Tabs;  // visible Tabsheet_N
    const char* Page;
  };
  const Case cases[] = {{0, "Global Parameters", {1}, "USForm_4"},
                        {1, "Equity Parameters", {2, 3}, "USForm_1"},
                        {2, "Bond Parameters", {4, 5, 6, 7}, "USForm_1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Title);
    const TUserSettings before = usMyExternUserSettings;
    ASSERT_NO_FATAL_FAILURE(Open(c.MainTab));
    EXPECT_EQ(D().Title_1->text().toStdString(), c.Title);
    for (int t = 1; t <= 7; ++t) {
      const bool expected = std::find(c.Tabs.begin(), c.Tabs.end(), t) != c.Tabs.end();
      EXPECT_EQ(D().Tabsheets[t - 1]->isVisibleTo(&D()), expected) << "Tabsheet_" << t;
    }
    // The first tab is chosen and its page alone is shown.
    EXPECT_EQ(D().Tabsheets[c.Tabs.front() - 1]->Fill(), session::kTabChosenFill);
    ASSERT_NE(D().ShownPage(), nullptr);
    EXPECT_EQ(D().ShownPage()->objectName().toStdString(), c.Page);
    EXPECT_TRUE(D().ShownPage()->isVisibleTo(&D()));
    if (c.MainTab == 2) {
      // The bond page greys the equity-only rows: row 3 shows no value and takes no check.
      ClickOn(D().USForm_1, "CheckBoxFrame_3");
      EXPECT_FALSE(D().Dialog.AllocationPage.CheckBoxList[2]);
      EXPECT_FALSE(D().USForm_1->findChild<QWidget*>("Value_3")->isVisibleTo(D().USForm_1));
      // Gold: one click up changes the page only.
      ASSERT_NO_FATAL_FAILURE(ClickWidget(D().Tabsheets[5]));
      EXPECT_EQ(D().ShownPage(), D().USForm_3);
      ClickOn(D().USForm_3, "ValueUpControl_1");
      EXPECT_EQ(D().Dialog.GoldPage.MaxGoldAllocation, std::min(100.0, std::round(before.MaxGoldAllocation) + 1.0));
    }
    ASSERT_NO_FATAL_FAILURE(ClickWidget(D().UndoButton));
    EXPECT_FALSE(F().StepRunning());
    EXPECT_TRUE(SameSettings(usMyExternUserSettings, before));
    EXPECT_FALSE(Shown(TWindowGroup::ParameterSelectionFormContainer));
    EXPECT_TRUE(Shown(TWindowGroup::GeneralInformationAndGraphicSupport));
    EXPECT_TRUE(F().View.WorkspaceShown);
  }
}

TEST_F(ParameterDialogTest, ApplyGlobalGroupRunsTheModelsOnTheNewValues) {
  const TUserSettings before = usMyExternUserSettings;
  ASSERT_NO_FATAL_FAILURE(Open(0));
  TUSForm_4* page = D().USForm_4;
  apptest::WhenShowing(F().CurrencySelectionForm, [] { ClickWidget(F().CurrencySelectionForm->Buttons[8]); });  // EUR
  ASSERT_NO_FATAL_FAILURE(ClickOn(page, "SelectButtonTitle_1"));
  EXPECT_EQ(Text(page, "Value_1"), "EUR");
  // Max one down and Min one up, each kept within [0, 100] and Min <= Max.
  const double max = D().Dialog.PortfolioPage.MaxEqVsFiAllocation;
  const double min = D().Dialog.PortfolioPage.MinEqVsFiAllocation;
  ClickOn(page, "ValueDownControl_1");
  ClickOn(page, "ValueUpControl_2");
  const double newMax = std::max(min, max - 1.0);
  const double newMin = std::min(newMax, min + 1.0);
  EXPECT_EQ(D().Dialog.PortfolioPage.MaxEqVsFiAllocation, newMax);
  EXPECT_EQ(D().Dialog.PortfolioPage.MinEqVsFiAllocation, newMin);
  EXPECT_EQ(usMyExternUserSettings.PortfolioCcy, before.PortfolioCcy);  // nothing copied before "Apply"

  ASSERT_NO_FATAL_FAILURE(ClickWidget(D().ApplyButton));
  EXPECT_EQ(F().CurrentStepKind, 9);
  ASSERT_TRUE(WaitForEnd());
  ASSERT_TRUE(F().View.WorkspaceShown) << F().Screen.MessageContent;
  EXPECT_EQ(usMyExternUserSettings.PortfolioCcy, "EUR");
  EXPECT_EQ(usMyExternUserSettings.MaxEqVsFiAllocation, newMax);
  EXPECT_EQ(usMyExternUserSettings.MinEqVsFiAllocation, newMin);
  EXPECT_EQ(usMyExternUserSettings.RiskFreeId, before.RiskFreeId);
  EXPECT_EQ(usMyExternUserSettings.FxHedging, before.FxHedging);
  // The global model ran on them.
  const TSeriesInfo& info = cMyExternMYGPGraphicData.Performance.Parameters;
  EXPECT_EQ(info.PortfolioCcy, "EUR");
  EXPECT_EQ(info.MaxEqVsFiAllocation, newMax);
  EXPECT_EQ(info.MinEqVsFiAllocation, newMin);
  // Nothing was stored.
  EXPECT_EQ(SettingsTables(SettingsFile())["USER_GLOBALPORTFOLIO_SETTINGS"].find("EUR"), std::string::npos);
}

TEST_F(ParameterDialogTest, EquityAllocationAsksForHundredPercentAndApplyKeepsBondFields) {
  const TUserSettings before = usMyExternUserSettings;
  ASSERT_NO_FATAL_FAILURE(Open(1));
  TUSForm_1* page = D().USForm_1;
  // Row 1 one percent down: the total shows 99.00.
  ClickOn(page, "CheckBoxFrame_1");
  ClickOn(page, "StepValueDownControl_2");
  EXPECT_EQ(Text(page, "TotalAllocationValue"), "99.00");
  // "No" keeps the tab; "Yes" rescales and changes it.
  Workspace->Answerer->DownloadAnswer = false;
  ClickWidget(D().Tabsheets[2]);
  EXPECT_EQ(D().ShownPage(), D().USForm_1);
  EXPECT_EQ(Workspace->Answerer->LastQuestion, session::kAllocationQuestion);
  Workspace->Answerer->DownloadAnswer = true;
  ClickWidget(D().Tabsheets[2]);
  EXPECT_EQ(D().ShownPage(), D().USForm_2);
  ASSERT_NO_FATAL_FAILURE(ClickOn(D().USForm_2, "ValueUpControl_1"));

  ASSERT_NO_FATAL_FAILURE(ClickWidget(D().ApplyButton));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_TRUE(F().View.WorkspaceShown) << F().Screen.MessageContent;
  EXPECT_NEAR(WeightSum(usMyExternUserSettings, &TCountrySettings::EqWeight), 100.0, 1e-9);
  EXPECT_NE(usMyExternUserSettings.CountrySettings[0].EqWeight, before.CountrySettings[0].EqWeight);
  for (std::size_t i = 0; i < before.CountrySettings.size(); ++i) {
    EXPECT_EQ(usMyExternUserSettings.CountrySettings[i].FiWeight, before.CountrySettings[i].FiWeight);
    EXPECT_EQ(usMyExternUserSettings.CountrySettings[i].CyWeight, before.CountrySettings[i].CyWeight);
    EXPECT_EQ(usMyExternUserSettings.CountrySettings[i].FiTransactionCost, before.CountrySettings[i].FiTransactionCost);
  }
  EXPECT_NEAR(usMyExternUserSettings.CountryRankingCriteria[0], before.CountryRankingCriteria[0] + 0.01, 1e-9);
  EXPECT_EQ(usMyExternUserSettings.CountryRankingCriteria[1], before.CountryRankingCriteria[1]);
}

// Apply & Save of each group: only the tables of its selector are written
// (the bond group also writes the shared FX swap borrowing cost, never the
// equity weights), and the edited ones hold new values.
TEST_F(ParameterDialogTest, SaveOfEachGroupWritesOnlyItsTables) {
  struct Case {
    int MainTab;
    std::function<void()> Edit;
    std::vector<std::string> Written;
    std::vector<std::string> Edited;
  };
  const Case cases[] = {
      {0,
       [] { ClickOn(D().USForm_4, "ValueDownControl_1"); },
       {"USER_GLOBALPORTFOLIO_SETTINGS"},
       {"USER_GLOBALPORTFOLIO_SETTINGS"}},
      {1,
       [] {
         ClickWidget(D().Tabsheets[2]);
         ClickOn(D().USForm_2, "ValueDownControl_1");
       },
       {"USER_EQBYCOUNTRY_SETTINGS", kEquityWeights, "USER_EQCOUNTRY_COMPETITION_SETTINGS"},
       {"USER_EQCOUNTRY_COMPETITION_SETTINGS"}},
      {2,
       [] {
         TUSForm_1* page = D().USForm_1;
         ClickOn(page, "CheckBoxFrame_1");
         ClickOn(page, "TabsheetTitle_3");  // FX swap borrowing costs, kept with the equity rows
         ClickOn(page, "StepValueUpControl_3");
         ClickWidget(D().Tabsheets[5]);
         ClickOn(D().USForm_3, "ValueDownControl_2");
       },
       {"USER_FIBYCOUNTRY_SETTINGS", "USER_CYBYCOUNTRY_SETTINGS", "USER_FI_COMPETITION_SETTINGS",
        "USER_FICOUNTRY_COMPETITION_SETTINGS", "USER_CYCOUNTRY_COMPETITION_SETTINGS", "USER_EQBYCOUNTRY_SETTINGS"},
       {"USER_EQBYCOUNTRY_SETTINGS", "USER_FI_COMPETITION_SETTINGS"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.MainTab);
    const auto before = SettingsTables(SettingsFile());
    ASSERT_EQ(before.size(), std::size(kSettingsTables) + 1);
    ASSERT_NO_FATAL_FAILURE(Open(c.MainTab));
    ASSERT_NO_FATAL_FAILURE(c.Edit());
    // "Cancel" copies nothing and starts nothing.
    const TUserSettings opened = usMyExternUserSettings;
    Workspace->Answerer->DownloadAnswer = false;
    ClickWidget(D().ApplySaveButton);
    EXPECT_EQ(Workspace->Answerer->LastQuestion, session::kSaveSettingsQuestion);
    EXPECT_FALSE(F().StepRunning());
    EXPECT_TRUE(SameSettings(usMyExternUserSettings, opened));
    Workspace->Answerer->DownloadAnswer = true;
    ClickWidget(D().ApplySaveButton);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_TRUE(F().View.WorkspaceShown) << F().Screen.MessageContent;
    const auto after = SettingsTables(SettingsFile());
    for (const auto& [table, rows] : after) {
      const auto in = [&table](const std::vector<std::string>& list) {
        return std::find(list.begin(), list.end(), table) != list.end();
      };
      if (!in(c.Written)) {
        EXPECT_EQ(rows, before.at(table)) << table << " was written";
      }
      if (in(c.Edited)) {
        EXPECT_NE(rows, before.at(table)) << table << " lacks the edit";
      }
    }
  }
}

TEST_F(ParameterDialogTest, UndoAfterAFailedCalculationShowsTheFailureAgain) {
  const std::vector<TCountry> saved = vcMyExternCountryList;
  ASSERT_NO_FATAL_FAILURE(Open(1));
  vcMyExternCountryList.clear();  // the calculation fails at EQSL's first stage
  ClickWidget(D().ApplyButton);
  ASSERT_TRUE(WaitForEnd());
  vcMyExternCountryList = saved;
  ASSERT_FALSE(F().View.WorkspaceShown);
  const std::string failure = F().Screen.MessageContent;
  EXPECT_EQ(failure, "EQSL Failed (Step 1)");
  EXPECT_EQ(F().CalculationFailure(), failure);
  // "Resume" opens the dialog (a workspace view was chosen); "Undo" comes back to the panel.
  ASSERT_NO_FATAL_FAILURE(Click("ParameterButtonTitle"));
  ASSERT_TRUE(Shown(TWindowGroup::ParameterSelectionFormContainer));
  EXPECT_EQ(D().Title_1->text(), "Equity Parameters");
  ClickWidget(D().UndoButton);
  EXPECT_FALSE(F().StepRunning());
  EXPECT_FALSE(Shown(TWindowGroup::ParameterSelectionFormContainer));
  EXPECT_FALSE(Shown(TWindowGroup::GeneralInformationAndGraphicSupport));
  EXPECT_TRUE(Shown(TWindowGroup::ProgressSupport));
  EXPECT_TRUE(Shown(TWindowGroup::ParameterButton));
  EXPECT_EQ(F().Screen.MessageContent, failure);
  EXPECT_EQ(F().Screen.MessageColour, claErrorColor);
  // Resume, then Apply: the results are current again.
  ASSERT_NO_FATAL_FAILURE(Click("ParameterButtonTitle"));
  ClickWidget(D().ApplyButton);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(F().View.WorkspaceShown);
  EXPECT_EQ(F().CalculationFailure(), "");
}

TEST_F(ParameterDialogTest, SaveToAnUnopenableFileKeepsTheEditsAndTheSettingsInUse) {
  const TUserSettings before = usMyExternUserSettings;
  const auto tables = SettingsTables(SettingsFile());
  ASSERT_NO_FATAL_FAILURE(Open(2));
  ClickWidget(D().Tabsheets[5]);
  ClickOn(D().USForm_3, "ValueUpControl_2");
  const double edited = D().Dialog.GoldPage.MaxFxRiskAllocation;
  // A folder stands where the file should be.
  const fs::path file = SettingsFile();
  fs::rename(file, file.string() + ".away");
  fs::create_directories(file);
  bool messageShown = false;
  apptest::WhenShowing(F().MessageForm, [&] {
    messageShown = F().MessageForm->Value->text().toStdString() == F().Screen.MessageContent;
    F().MessageForm->SetModalResult(1);
  });
  QSignalSpy handled(&F(), &app::TMainForm::StepHandled);
  ClickWidget(D().ApplySaveButton);
  ASSERT_TRUE(handled.wait(60000));
  fs::remove(file);
  fs::rename(file.string() + ".away", file);
  EXPECT_EQ(handled.front().front().toInt(), -1);
  EXPECT_TRUE(messageShown);
  EXPECT_TRUE(SameSettings(usMyExternUserSettings, before));
  EXPECT_TRUE(Shown(TWindowGroup::ParameterSelectionFormContainer));
  EXPECT_EQ(D().ShownPage(), D().USForm_3);
  EXPECT_EQ(D().Dialog.GoldPage.MaxFxRiskAllocation, edited);
  EXPECT_EQ(SettingsTables(SettingsFile()), tables);
  ClickWidget(D().UndoButton);
  EXPECT_TRUE(F().View.WorkspaceShown);
}

// Every page as the window shows it (pictures when QUORVANE_APP_PNG_DIR is
// set), with the currency dialog and the 100 % question over the dialog.
TEST_F(ParameterDialogTest, PagesInTheWindow) {
  struct Case {
    int MainTab;
    int Tab;  // Tabsheet_N
    const char* Page;
    const char* Shot;
  };
  const Case cases[] = {{0, 1, "USForm_4", "parameters-portfolio"},
                        {1, 2, "USForm_1", "parameters-allocation-equity"},
                        {1, 3, "USForm_2", "parameters-concentration-equity"},
                        {2, 4, "USForm_1", "parameters-allocation-bond"},
                        {2, 5, "USForm_1", "parameters-allocation-currency"},
                        {2, 6, "USForm_3", "parameters-gold"},
                        {2, 7, "USForm_2", "parameters-concentration-bond"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Shot);
    ASSERT_NO_FATAL_FAILURE(Open(c.MainTab));
    if (c.Tab != D().Dialog.GroupTabIndex[static_cast<std::size_t>(c.MainTab)] + 1)
      ClickWidget(D().Tabsheets[c.Tab - 1]);
    ASSERT_NE(D().ShownPage(), nullptr);
    EXPECT_EQ(D().ShownPage()->objectName(), c.Page);
    EXPECT_EQ(D().Tabsheets[c.Tab - 1]->Fill(), session::kTabChosenFill);
    // The page fills the dialog's right-hand area.
    EXPECT_EQ(D().ShownPage()->geometry(), D().USFormContainer->rect());
    apptest::SaveShot(F(), c.Shot);
    ClickWidget(D().UndoButton);
  }
  ASSERT_NO_FATAL_FAILURE(Open(0));
  bool currencyShown = false;
  apptest::WhenShowing(F().CurrencySelectionForm, [&] {
    currencyShown = true;
    apptest::SaveShot(F(), "parameters-currency");
    F().CurrencySelectionForm->SetModalResult(2);
  });
  ClickOn(D().USForm_4, "SelectButtonTitle_1");
  EXPECT_TRUE(currencyShown);
  ClickWidget(D().UndoButton);
  // The question after a step down on the equity allocation, answered "No".
  ASSERT_NO_FATAL_FAILURE(Open(1));
  ClickOn(D().USForm_1, "CheckBoxFrame_2");
  ClickOn(D().USForm_1, "StepValueDownControl_3");
  Workspace->Answerer.reset();
  bool asked = false;
  apptest::WhenShowing(F().QuestionForm, [&] {
    asked = true;
    F().QuestionForm->FinishAnimations();
    apptest::SaveShot(F(), "parameters-question");
    ClickWidget(F().QuestionForm->NoButton);
  });
  ClickWidget(D().ApplyButton);
  Workspace->Answerer = std::make_unique<apptest::TAnswerer>(F());
  EXPECT_TRUE(asked);
  EXPECT_FALSE(F().StepRunning());
  ClickWidget(D().UndoButton);
}

// Last: a second window on the same home loads what was saved, then one on
// a damaged settings file shows kept-in-range values and changes nothing.
TEST_F(ParameterDialogTest, RestartLoadsSavedSettingsAndSurvivesDamagedValues) {
  // Every group saved once, each with one change.
  const std::pair<int, std::function<void()>> saves[] = {
      {0, [] { ClickOn(D().USForm_4, "ValueDownControl_1"); }},
      {1,
       [] {
         ClickWidget(D().Tabsheets[2]);
         ClickOn(D().USForm_2, "ValueUpControl_1");
       }},
      {2,
       [] {
         ClickWidget(D().Tabsheets[5]);
         ClickOn(D().USForm_3, "ValueDownControl_2");
       }},
  };
  for (const auto& [mainTab, edit] : saves) {
    ASSERT_NO_FATAL_FAILURE(Open(mainTab));
    ASSERT_NO_FATAL_FAILURE(edit());
    ClickWidget(D().ApplySaveButton);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_TRUE(F().View.WorkspaceShown) << F().Screen.MessageContent;
  }
  const TUserSettings saved = usMyExternUserSettings;
  Workspace->Answerer.reset();
  Workspace->Form.reset();
  {
    app::TMainForm restarted;
    apptest::TAnswerer answerer(restarted);
    answerer.DownloadAnswer = false;
    ASSERT_TRUE(apptest::RunToEnd(restarted) && restarted.View.WorkspaceShown);
    EXPECT_EQ(usMyExternUserSettings.MaxEqVsFiAllocation, saved.MaxEqVsFiAllocation);
    EXPECT_EQ(usMyExternUserSettings.CountryRankingCriteria, saved.CountryRankingCriteria);
    EXPECT_EQ(usMyExternUserSettings.MaxFxRiskAllocation, saved.MaxFxRiskAllocation);
    EXPECT_NEAR(usMyExternUserSettings.CountrySettings[0].EqFxSwapBorrowingCost,
                saved.CountrySettings[0].EqFxSwapBorrowingCost, 1e-9);
  }
  ASSERT_TRUE(Execute(SettingsFile(),
                      "UPDATE USER_EQBYCOUNTRY_SETTINGS SET WEIGHT='abc' WHERE COUNTRYRANK=1;"
                      "UPDATE USER_EQBYCOUNTRY_SETTINGS SET WEIGHT=-5 WHERE COUNTRYRANK=2;"
                      "UPDATE USER_EQBYCOUNTRY_SETTINGS SET WEIGHT=130 WHERE COUNTRYRANK=4;"
                      "UPDATE USER_GLOBALPORTFOLIO_SETTINGS SET QVTRUSTLEVEL=250,BLTRUSTLEVEL=-5,SLTRUSTLEVEL=57,"
                      "MAXEQVSFIALLOCATION=20,MINEQVSFIALLOCATION=70;"
                      "UPDATE USER_EQCOUNTRY_COMPETITION_SETTINGS SET COUNTRYRANKINGCRITERIA=1.5;"
                      "UPDATE USER_FICOUNTRY_COMPETITION_SETTINGS SET COUNTRYRANKINGCRITERIA=0.03;"
                      "UPDATE USER_FI_COMPETITION_SETTINGS SET MAXGOLDALLOCATION=500;"));
  const auto damaged = SettingsTables(SettingsFile());
  app::TMainForm restarted;
  apptest::TAnswerer answerer(restarted);
  answerer.DownloadAnswer = false;
  ASSERT_TRUE(apptest::RunToEnd(restarted));
  // One warning, once the workspace is up, names the file and the columns taken into their ranges.
  EXPECT_EQ(answerer.Messages,
            std::vector<std::string>{
                SettingsFile() +
                ": values out of range or not numbers were taken into their ranges (USER_EQBYCOUNTRY_SETTINGS.WEIGHT, "
                "USER_EQCOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA, "
                "USER_FICOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA, "
                "USER_FI_COMPETITION_SETTINGS.MAXGOLDALLOCATION, USER_GLOBALPORTFOLIO_SETTINGS.MINEQVSFIALLOCATION, "
                "USER_GLOBALPORTFOLIO_SETTINGS.QVTRUSTLEVEL, USER_GLOBALPORTFOLIO_SETTINGS.BLTRUSTLEVEL)"});
  const TUserSettings loaded = usMyExternUserSettings;
  TParameterSelectionForm& dialog = *restarted.ParameterSelectionForm;
  struct Case {
    int Group;
    std::function<void()> Check;
  };
  const Case cases[] = {
      {0,
       [&] {
         const session::TPortfolioPage& p = dialog.Dialog.PortfolioPage;
         EXPECT_EQ(p.QVTrustLevel, 100.0);
         EXPECT_EQ(p.BLTrustLevel, 0.0);
         EXPECT_EQ(p.SLTrustLevel, 55.0);
         EXPECT_EQ(p.MaxEqVsFiAllocation, 20.0);
         EXPECT_LE(p.MinEqVsFiAllocation, p.MaxEqVsFiAllocation);
         EXPECT_EQ(Text(dialog.USForm_4, "Value_4"), "100%");
       }},
      {1,
       [&] {
         const session::TAllocationPage& p = dialog.Dialog.AllocationPage;
         EXPECT_EQ(p.CountrySettings[0].EqWeight, 0.0);
         EXPECT_EQ(p.CountrySettings[1].EqWeight, 0.0);
         EXPECT_EQ(p.CountrySettings[3].EqWeight, 100.0);
         EXPECT_EQ(Text(dialog.USForm_1, "Value_1"), "0.00");
       }},
      {2,
       [&] {
         dialog.SelectParameterGroup(2);
         // The bond total is 100: no question.
         EXPECT_TRUE(qttest::TWindowPointer(&restarted).ClickOn(dialog.Tabsheets[5]));
         EXPECT_EQ(dialog.Dialog.GoldPage.MaxGoldAllocation, 100.0);
         EXPECT_EQ(Text(dialog.USForm_3, "Value_1"), "100");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Group);
    answerer.DownloadAnswer = true;
    dialog.SelectParameterGroup(c.Group);
    restarted.SetScreenMode(1);
    c.Check();
    // Undo hands back what was loaded; memory and file stay as they were.
    EXPECT_TRUE(qttest::TWindowPointer(&restarted).ClickOn(dialog.UndoButton));
    EXPECT_TRUE(SameSettings(usMyExternUserSettings, loaded));
    EXPECT_FALSE(restarted.StepRunning());
  }
  EXPECT_EQ(SettingsTables(SettingsFile()), damaged);
}

// "Apply & Save" and at once a close of the window: the local save runs to
// its end (only transfers and the calculation are cut), so the file holds
// the new values once the window has closed, and the calculation never starts.
TEST(ParameterDialogCloseTest, ApplyAndSaveThenCloseKeepsTheNewSettings) {
  apptest::TSampleWorkspace workspace;
  ASSERT_TRUE(workspace.Ready) << workspace.Form->Screen.MessageContent;
  app::TMainForm& form = *workspace.Form;
  qttest::TWindowPointer pointer(&form);
  const std::string file = (fs::path(workspace.Folder) / "USDBV4.sqlite").string();
  ASSERT_TRUE(pointer.ClickOn(form.Find("MainTabsheet_1")));
  ASSERT_TRUE(pointer.ClickOn(form.Find("SetParametersButton")));
  TParameterSelectionForm& dialog = *form.ParameterSelectionForm;
  ASSERT_TRUE(pointer.ClickOn(dialog.USForm_4->findChild<QWidget*>("ValueDownControl_1")));
  const auto before = SettingsTables(file);

  QSignalSpy handled(&form, &app::TMainForm::StepHandled);
  ASSERT_TRUE(pointer.ClickOn(dialog.ApplySaveButton));
  ASSERT_TRUE(form.StepRunning());
  ASSERT_EQ(form.Step.Kind, 8);
  const TUserSettings applied = usMyExternUserSettings;
  form.close();
  EXPECT_TRUE(form.isVisible());  // the save ends first
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, apptest::kRoadTimeoutMs));
  EXPECT_EQ(form.Step.Kind, 8);
  EXPECT_EQ(form.Step.ErrorText, "");
  ASSERT_EQ(handled.count(), 1);
  EXPECT_EQ(handled.front().front().toInt(), 8);

  const auto after = SettingsTables(file);
  EXPECT_NE(after.at("USER_GLOBALPORTFOLIO_SETTINGS"), before.at("USER_GLOBALPORTFOLIO_SETTINGS"));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "SELECT MAXEQVSFIALLOCATION,MINEQVSFIALLOCATION,QVTRUSTLEVEL,BLTRUSTLEVEL,SLTRUSTLEVEL "
                               "FROM USER_GLOBALPORTFOLIO_SETTINGS",
                               -1, &statement, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
  const double stored[] = {sqlite3_column_double(statement, 0), sqlite3_column_double(statement, 1),
                           sqlite3_column_double(statement, 2), sqlite3_column_double(statement, 3),
                           sqlite3_column_double(statement, 4)};
  sqlite3_finalize(statement);
  sqlite3_close(db);
  const double wanted[] = {applied.MaxEqVsFiAllocation, applied.MinEqVsFiAllocation, applied.QVTrustLevel,
                           applied.BLTrustLevel, applied.SLTrustLevel};
  for (std::size_t i = 0; i < std::size(wanted); ++i) EXPECT_DOUBLE_EQ(stored[i], wanted[i]) << i;
}

}  // namespace
