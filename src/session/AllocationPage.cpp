#include "session/AllocationPage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>

#include "common/Globals.h"
#include "platform/Format.h"
#include "session/ValueEditors.h"

namespace session {

namespace {

constexpr std::array<double, kAllocationStepCount> kSteps{10.0, 1.0, 0.1, 0.01};
// Cents added before truncating a projected total, so that binary error
// (99.99999999999997 + 0.01 held as 10000.999999999996 cents) cannot let a
// total of 100.01 through.
constexpr double kCentTolerance = 1e-6;

char DecimalSeparator() { return strDecimalSeparator.empty() ? '.' : strDecimalSeparator[0]; }

// Fixed format, 2 decimals, in the program's decimal separator.
std::string PercentText(double value) {
  return platform::FloatToStrF(value, platform::ffFixed, 8, 2, DecimalSeparator());
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// True when value, shown with two decimals, reads 100.00.
bool ShowsHundred(double value) { return platform::FloatToStrF(value, platform::ffFixed, 8, 2) == "100.00"; }

}  // namespace

bool IsEquityOnlyRow(int row) { return row == 3 || (row >= 5 && row <= 14) || row == 23; }

void TAllocationPage::LoadCountrySettings(const std::vector<TCountrySettings>& settings,
                                          const std::vector<TCountry>& currentList) {
  CountrySettings = settings;
  for (TCountrySettings& entry : CountrySettings) {
    // What a file brings is held to the page's range [0, 100]; not a number is 0.
    for (double* value : {&entry.EqWeight, &entry.FiWeight, &entry.CyWeight, &entry.EqTransactionCost,
                          &entry.FiTransactionCost, &entry.EqFxSwapBorrowingCost})
      *value = ClampSetting(*value, kSettingPercentMin, kSettingPercentMax);
    const std::string name = Upper(entry.CountryName);
    for (const TCountry& country : currentList) {
      if (Upper(country.Name) == name) {
        entry.CountryRank = country.Rank;
        break;
      }
    }
  }
}

void TAllocationPage::ShowPage(std::int32_t kind) {
  PageKind = kind;
  BuildPage();
  RefreshValues();
}

void TAllocationPage::BuildPage() {
  switch (PageKind) {
    case kEquityPage:
      InformationTitle = "Portfolio Equity allocation";
      break;
    case kFixedRatePage:
      InformationTitle = "Portfolio 10Y fixed-rate bond allocation";
      break;
    case kCurrencyPage:
      InformationTitle = "Portfolio Currency allocation";
      break;
    default:
      break;
  }
  AllocationRows.clear();
  AllocationRows.reserve(CountrySettings.size());
  for (TCountrySettings& entry : CountrySettings) {
    TAllocationEditRow row;
    row.Weight = KindWeight(entry);
    row.TransactionCost = PageKind == kEquityPage ? entry.EqTransactionCost : entry.FiTransactionCost;
    row.FxSwapBorrowingCost = entry.EqFxSwapBorrowingCost;
    AllocationRows.push_back(row);
  }
  // Row n is the entry at place n of the list, whatever rank it carries: its
  // title, value, check and step then always belong to one country.
  for (std::size_t i = 0; i < CountryTitles.size(); ++i)
    CountryTitles[i] = i < CountrySettings.size() ? CountrySettings[i].CountryName : std::string();
  CheckBoxAll = false;
  CheckBoxList.fill(false);
  OnTabsheetClick(kAllocationsTab);
}

void TAllocationPage::OnTabsheetClick(std::int32_t tab) {
  if (tab < kAllocationsTab || tab > kFxSwapBorrowingCostsTab || !TabVisible(tab)) return;
  CurrentTab = tab;
  RefreshValues();
}

void TAllocationPage::RefreshValues() {
  for (std::size_t i = 0; i < ValueTexts.size(); ++i) ShowValue(i);
  UpdateTotal();
}

void TAllocationPage::ShowValue(std::size_t i) {
  if (i >= ValueTexts.size()) return;
  const bool shown = i < CountrySettings.size() && !RowGreyed(static_cast<int>(i) + 1);
  ValueTexts[i] = shown ? PercentText(TabValue(i)) : std::string();
}

// Total = sum of the kind's weight over every entry, greyed rows and rows
// past the 40th included.
void TAllocationPage::UpdateTotal() {
  double sum = 0.0;
  for (TCountrySettings& entry : CountrySettings) sum += KindWeight(entry);
  TotalAllocation = sum;
  TotalAllocationText = PercentText(sum);
}

void TAllocationPage::OnCheckBoxesClick(int row) {
  if (row < 1 || row > kAllocationRowCount || RowGreyed(row)) return;
  CheckBoxList[static_cast<std::size_t>(row - 1)] = !CheckBoxList[static_cast<std::size_t>(row - 1)];
}

void TAllocationPage::OnCheckBoxAllClick() {
  CheckBoxAll = !CheckBoxAll;
  for (int row = 1; row <= kAllocationRowCount; ++row)
    if (!RowGreyed(row)) CheckBoxList[static_cast<std::size_t>(row - 1)] = CheckBoxAll;
}

void TAllocationPage::OnUpDownControlClick(int control, bool up) {
  if (control < 1 || control > kAllocationStepCount) return;
  const double step =
      up ? kSteps[static_cast<std::size_t>(control - 1)] : -kSteps[static_cast<std::size_t>(control - 1)];
  // Only the first 40 entries have a check mark; later ones are never stepped.
  const std::size_t count = std::min(AllocationRows.size(), CountrySettings.size());
  auto checked = [&](std::size_t i) { return i < CheckBoxList.size() && CheckBoxList[i]; };

  if (CurrentTab == kAllocationsTab) {
    // Projected total T = sum of Weight (+ step on checked rows), truncated
    // to cents; refused when above 100, a decrease included.
    double projected = 0.0;
    for (std::size_t i = 0; i < AllocationRows.size(); ++i)
      projected += AllocationRows[i].Weight + (checked(i) ? step : 0.0);
    if (std::trunc(projected * 100.0 + kCentTolerance) / 100.0 > 100.0) return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!checked(i)) continue;
    TAllocationEditRow& row = AllocationRows[i];
    double& value = TabRowValue(row);
    const double max = CurrentTab == kAllocationsTab        ? row.WeightMax
                       : CurrentTab == kTransactionCostsTab ? row.TransactionCostMax
                                                            : row.FxSwapBorrowingCostMax;
    // value := clamp(value + step, 0, max)
    value += step;
    if (value > max) value = max;
    if (value < 0.0) value = 0.0;
    TabField(CountrySettings[i]) = value;
    ShowValue(i);
  }
  UpdateTotal();
}

bool TAllocationPage::ValidateAllocation(bool ask, const TAllocationQuestion& question) {
  if (ShowsHundred(TotalAllocation) || !ask) return true;
  if (!question || !question(kAllocationQuestion)) return false;
  // A total of 0 cannot be scaled to 100: the change stops as after "No".
  if (!(TotalAllocation > 0.0)) return false;
  ScaleToHundredPercent();
  return ShowsHundred(TotalAllocation);
}

void TAllocationPage::ScaleToHundredPercent() {
  if (AllocationRows.empty()) return;
  double sum = 0.0;
  for (const TAllocationEditRow& row : AllocationRows) sum += row.Weight;
  const std::size_t count = std::min(AllocationRows.size(), CountrySettings.size());
  for (std::size_t i = 0; i < count; ++i) {
    const double w = AllocationRows[i].Weight;
    // new = w x 100 / S (0 when S is 0), computed directly: the equal form
    // (w + w / S x (1 - S)) x 100 loses bits to cancellation.
    const double scaled = sum != 0.0 ? w * 100.0 / sum : 0.0;
    AllocationRows[i].Weight = scaled;
    KindWeight(CountrySettings[i]) = scaled;
    ShowValue(i);
  }
  UpdateTotal();
}

bool TAllocationPage::RowGreyed(int row) const { return PageKind != kEquityPage && IsEquityOnlyRow(row); }

bool TAllocationPage::TabVisible(std::int32_t tab) const { return tab == kAllocationsTab || PageKind != kCurrencyPage; }

double TAllocationPage::TabValue(std::size_t i) const {
  TCountrySettings entry = CountrySettings.at(i);
  return TabField(entry);
}

double& TAllocationPage::KindWeight(TCountrySettings& entry) const {
  if (PageKind == kFixedRatePage) return entry.FiWeight;
  if (PageKind == kCurrencyPage) return entry.CyWeight;
  return entry.EqWeight;
}

// Field of a tab: allocations by kind; transaction cost Eq for equity, else
// Fi; the FX swap borrowing cost is one value shared by equity and bond.
double& TAllocationPage::TabField(TCountrySettings& entry) const {
  if (CurrentTab == kTransactionCostsTab)
    return PageKind == kEquityPage ? entry.EqTransactionCost : entry.FiTransactionCost;
  if (CurrentTab == kFxSwapBorrowingCostsTab) return entry.EqFxSwapBorrowingCost;
  return KindWeight(entry);
}

double& TAllocationPage::TabRowValue(TAllocationEditRow& row) const {
  if (CurrentTab == kTransactionCostsTab) return row.TransactionCost;
  if (CurrentTab == kFxSwapBorrowingCostsTab) return row.FxSwapBorrowingCost;
  return row.Weight;
}

}  // namespace session
