#pragma once
// State of the allocation settings page, without any window: the page's own
// copy of the per-country settings, the 40 check marks, the tab and the
// arrow steps, the total and the 100 % check. The Qt page shows what it holds.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Records.h"

namespace session {

// One editable row: the values of the three tabs and their maxima (always 100.0).
struct TAllocationEditRow {
  double Weight = 0.0;
  double WeightMax = 100.0;
  double TransactionCost = 0.0;
  double TransactionCostMax = 100.0;
  double FxSwapBorrowingCost = 0.0;
  double FxSwapBorrowingCostMax = 100.0;
};

inline constexpr int kAllocationRowCount = 40;
inline constexpr int kAllocationStepCount = 4;  // arrows of 10, 1, 0.1 and 0.01 %

// Page kinds and tabs.
inline constexpr std::int32_t kEquityPage = 0;
inline constexpr std::int32_t kFixedRatePage = 1;
inline constexpr std::int32_t kCurrencyPage = 2;
inline constexpr std::int32_t kAllocationsTab = 0;
inline constexpr std::int32_t kTransactionCostsTab = 1;
inline constexpr std::int32_t kFxSwapBorrowingCostsTab = 2;

inline constexpr const char* kAllocationQuestion =
    "Total Allocation must be equal to 100%. Do you authorize an automatic scaling to have a total allocation of 100% "
    "?";

// Asks the user a question with the buttons "Yes" and "No"; true for "Yes".
using TAllocationQuestion = std::function<bool(const std::string& question)>;

// True for the rows (1..40) that exist only on the equity page: 3, 5-14, 23.
bool IsEquityOnlyRow(int row);

class TAllocationPage {
 public:
  // Takes a copy of the settings' country list. Row n shows entry n-1; each
  // entry whose name matches a country of `currentList` (case-insensitive)
  // takes that country's rank, so an older file's rank never survives.
  // Weights and costs are clamped to [0, 100] (not a number: 0).
  void LoadCountrySettings(const std::vector<TCountrySettings>& settings, const std::vector<TCountry>& currentList);

  // PageKind := kind, rebuild the rows, uncheck all, choose "Allocations".
  void ShowPage(std::int32_t kind);
  // Chooses tab 0..2 (tabs 1 and 2 do not exist on the currency page).
  void OnTabsheetClick(std::int32_t tab);
  // Toggles the check mark of row 1..40 (greyed rows cannot be checked).
  void OnCheckBoxesClick(int row);
  // Toggles "All" and gives every enabled row its new state.
  void OnCheckBoxAllClick();
  // Arrow `control` 1..4 (10, 1, 0.1, 0.01 %), up or down, on every checked row.
  void OnUpDownControlClick(int control, bool up);

  // True when the total shows "100.00" or ask is false; else asks the
  // allocation question: "Yes" rescales (true), "No" gives false. A total of
  // 0 (or below) cannot be rescaled: false after "Yes" as well.
  bool ValidateAllocation(bool ask, const TAllocationQuestion& question);
  // Each weight := w x 100 / S, S the sum of the weights; unrounded.
  void ScaleToHundredPercent();

  // What the page shows.
  bool RowGreyed(int row) const;  // row 1..40
  bool TabVisible(std::int32_t tab) const;
  bool TotalVisible() const { return CurrentTab == kAllocationsTab; }
  // The value of the current tab for entry i (0-based).
  double TabValue(std::size_t i) const;

  std::array<bool, kAllocationRowCount> CheckBoxList{};  // visible check marks, row order
  bool CheckBoxAll = false;
  std::vector<TAllocationEditRow> AllocationRows;
  std::vector<TCountrySettings> CountrySettings;
  std::int32_t CurrentTab = kAllocationsTab;
  std::int32_t PageKind = kEquityPage;

  std::string InformationTitle;                                  // page title by kind
  std::array<std::string, kAllocationRowCount> CountryTitles{};  // row titles
  std::array<std::string, kAllocationRowCount> ValueTexts{};     // empty when greyed or no entry
  double TotalAllocation = 0.0;                                  // sum of the kind's weights
  std::string TotalAllocationText = "100.00";

 private:
  void BuildPage();
  void RefreshValues();
  void UpdateTotal();
  void ShowValue(std::size_t i);
  double& KindWeight(TCountrySettings& entry) const;
  double& TabField(TCountrySettings& entry) const;
  double& TabRowValue(TAllocationEditRow& row) const;
};

}  // namespace session
