#pragma once
// The parameter dialog without any window: three groups of tabs (Global,
// Equity, Bond), the four settings pages behind them, the copy of the user
// settings taken at each opening for "Undo", and what "Apply Changes" and
// "Apply && Save Changes" copy back and ask the main window to start.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "session/AllocationPage.h"
#include "session/ValueEditors.h"

namespace session {

inline constexpr std::int32_t kParameterGroupCount = 3;
inline constexpr std::int32_t kParameterTabCount = 7;
inline constexpr std::int32_t kNoTab = -1;

inline constexpr const char* kSaveSettingsQuestion = "Do you want to save your new settings ?";

inline constexpr TAlphaColor kTabNormalFill = 0xFFC5D2DD;
inline constexpr TAlphaColor kTabChosenFill = 0xFF708CD5;  // also the hovered look

// The settings page a tab shows.
enum class TSettingsPage { None, Allocation, Concentration, Gold, Portfolio };

struct TParameterTab {
  const char* Name;       // the tab's control name
  std::int32_t Group;     // 0 Global, 1 Equity, 2 Bond
  std::int32_t TabIndex;  // position within its group
  const char* Text;       // the tab's title
  TSettingsPage Page;
  std::int32_t PageKind;  // ShowPage's kind; -1 for pages without kinds
};

// The seven tabs, Tabsheet_1 .. Tabsheet_7 in this order.
const std::array<TParameterTab, kParameterTabCount>& ParameterTabs();
// "Global Parameters", "Equity Parameters", "Bond Parameters"; "" for other groups.
const char* ParameterGroupTitle(std::int32_t group);
// The tab (0..6) of a group's tab index; kNoTab when there is none.
std::int32_t ParameterTabOf(std::int32_t group, std::int32_t tabIndex);

// Asks the user a question with two buttons; true for the first.
using TDialogQuestion =
    std::function<bool(const std::string& question, const std::string& first, const std::string& second)>;

// What the main window does after a button of the dialog.
enum class TDialogActionKind {
  None,              // stay in the dialog (refused check, "Cancel")
  ShowWorkspace,     // screen mode 3
  ShowFailurePanel,  // screen mode 4: the failure text in red and "Resume"
  StartCalculation,
  StartSettingsSave,
};

struct TDialogAction {
  TDialogActionKind Kind = TDialogActionKind::None;
  std::int32_t ScreenMode = -1;  // 3 or 4 for the two screens, else -1
  std::int32_t Selector = -1;    // StartSettingsSave: 2 global, 3 equity, 4 bond
  std::string FailureText;       // ShowFailurePanel: the text shown again
};

class TParameterSelectionForm {
 public:
  // Settings: the user settings the dialog edits (usMyExternUserSettings in
  // the program); countryList: the current country list, whose ranks the
  // allocation page's rows take. Both must outlive the dialog.
  TParameterSelectionForm(TUserSettings& settings, const std::vector<TCountry>& countryList, TDialogQuestion question);

  // Opens the dialog on a group: takes the saved copy, reloads every page
  // from the settings and chooses the group's first tab, without asking the
  // allocation question. Another group value shows no tab.
  void SelectParameterGroup(std::int32_t group);
  // A click on tab 0..6. On a shown allocation page the total is checked
  // first; a refused check keeps the tab. True when the tab changed.
  bool OnTabsheetClick(std::int32_t tab);
  // Shows the page of the current group's current tab (nothing for no tab).
  void ShowGroupPage();

  // "Undo": the saved copy back into the settings. The workspace is shown
  // when its results are current; after a failed calculation
  // (calculationFailure holds its text) the failure panel with "Resume" is
  // shown again, since the workspace would show results of older settings.
  TDialogAction Undo(const std::string& calculationFailure);
  // "Apply Changes": check, copy the group's values, recalculate.
  TDialogAction ApplyChanges();
  // "Apply && Save Changes": check, ask, copy, store with the group's selector.
  TDialogAction ApplyAndSaveChanges();

  // Hover looks of the tabs; the current tab of its group keeps its look.
  void OnTabsheetMouseEnter(std::int32_t tab);
  void OnTabsheetMouseLeave(std::int32_t tab);
  bool IsCurrentTab(std::int32_t tab) const;

  TAllocationPage AllocationPage;
  TConcentrationPage ConcentrationPage;
  TGoldPage GoldPage;
  TPortfolioPage PortfolioPage;

  TUserSettings SavedUserSettings;
  std::array<std::int32_t, kParameterGroupCount> GroupTabIndex{kNoTab, kNoTab, kNoTab};
  bool GroupSelecting = false;
  std::int32_t CurrentGroup = 0;

  // What the window shows.
  std::string Title = "Parameters";
  std::array<bool, kParameterTabCount> TabVisible{};
  std::array<TAlphaColor, kParameterTabCount> TabFill{};
  TSettingsPage ShownPage = TSettingsPage::None;  // page in USFormContainer

 private:
  bool CheckShownAllocation(bool ask);
  void LoadPages();
  void CopyGroupValues();

  TUserSettings& Settings_;
  const std::vector<TCountry>& CountryList_;
  TDialogQuestion Question_;
};

}  // namespace session
