// The allocation page without a window: steps and clamps, the 100 % refusal,
// greyed rows, the total, the 100 % question and rescaling, row identity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/Globals.h"
#include "session/AllocationPage.h"

namespace {

using session::TAllocationPage;

// Field edited per kind (row) and tab (column); nullptr: tab hidden.
double TCountrySettings::*const kFields[3][3] = {
    {&TCountrySettings::EqWeight, &TCountrySettings::EqTransactionCost, &TCountrySettings::EqFxSwapBorrowingCost},
    {&TCountrySettings::FiWeight, &TCountrySettings::FiTransactionCost, &TCountrySettings::EqFxSwapBorrowingCost},
    {&TCountrySettings::CyWeight, nullptr, nullptr}};

std::vector<TCountrySettings> Blank(int count) {
  std::vector<TCountrySettings> list(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    list[static_cast<std::size_t>(i)].CountryName = "Country " + std::to_string(i + 1);
    list[static_cast<std::size_t>(i)].CountryRank = i + 1;
  }
  return list;
}

TAllocationPage Page(const std::vector<TCountrySettings>& list, int kind) {
  TAllocationPage page;
  page.LoadCountrySettings(list, {});
  page.ShowPage(kind);
  return page;
}

void Check(TAllocationPage& page, const std::vector<int>& rows) {
  for (int row : rows) page.OnCheckBoxesClick(row);
}

struct StepCase {
  const char* name;
  int kind, tab;
  std::vector<std::pair<int, double>> values;  // row, value of the tab's field (all 40 rows when row is 0)
  std::vector<int> checks;
  std::vector<int> clicks;       // arrow 1..4, negative for the down arrow
  std::vector<double> expected;  // per entry of values
  const char* total;
};

TEST(AllocationPageTest, StepsActOnCheckedRowsClampAndRefuseAbove100) {
  // 28 rows at 100/28 sum to 99.99999999999996: +0.01 projects
  // 10000.999999999996 cents, still above 100.
  const double a = 100.0 / 28;
  const std::vector<StepCase> cases = {
      {"two rows +10 at 85 refused", 0, 0, {{1, 40}, {2, 45}}, {1, 2}, {1}, {40, 45}, "85.00"},
      {"one row +10 at 85", 0, 0, {{1, 40}, {2, 45}}, {2}, {1}, {40, 55}, "95.00"},
      {"no row checked", 0, 0, {{1, 40}}, {}, {1}, {40}, "40.00"},
      {"decrease refused above 100", 1, 0, {{1, 60}, {2, 50}}, {1}, {-2}, {60, 50}, "110.00"},
      {"two rows -10 at 110 taken", 2, 0, {{1, 60}, {2, 50}}, {1, 2}, {-1}, {50, 40}, "90.00"},
      {"below 0 clamped", 0, 0, {{1, 0.05}, {2, 3}}, {1, 2}, {-2}, {0, 2}, "2.00"},
      {"0.01 up, 0.1 down", 1, 0, {{4, 2.5}}, {4}, {4, -3}, {2.41}, "2.41"},
      {"100/28 +0.01 refused", 2, 0, {{0, a}}, {1}, {4}, {a}, "100.00"},
      {"100/28 -0.01 +0.01 taken, +0.01 refused", 2, 0, {{0, a}}, {1}, {-4, 4, 4}, {a}, "100.00"},
      {"100/28 -0.01 taken", 2, 0, {{0, a}}, {1}, {-4}, {a - 0.01}, "99.99"},
      {"cost 99.99 +1 clamped", 0, 1, {{1, 99.99}, {2, 0.5}}, {1}, {2}, {100, 0.5}, "0.00"},
      {"cost 0.50 -1 clamped", 1, 1, {{1, 99.99}, {2, 0.5}}, {2}, {-2}, {99.99, 0}, "0.00"},
      {"no total check on costs", 0, 1, {{1, 90}, {2, 90}}, {1, 2}, {1}, {100, 100}, "0.00"},
      {"FX swap cost on bond page", 1, 2, {{1, 0.12}}, {1}, {3}, {0.22}, "0.00"},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto list = Blank(c.values[0].first == 0 ? 28 : 40);
    auto want = list;
    for (std::size_t k = 0; k < c.values.size(); ++k)
      for (std::size_t i = 0; i < list.size(); ++i)
        if (c.values[k].first == 0 || i + 1 == static_cast<std::size_t>(c.values[k].first)) {
          list[i].*kFields[c.kind][c.tab] = c.values[k].second;
          want[i].*kFields[c.kind][c.tab] = i == 0 || c.values[k].first != 0 ? c.expected[k] : c.values[k].second;
        }
    TAllocationPage page = Page(list, c.kind);
    page.OnTabsheetClick(c.tab);
    Check(page, c.checks);
    for (int click : c.clicks) page.OnUpDownControlClick(std::abs(click), click > 0);
    for (std::size_t i = 0; i < want.size(); ++i)  // only the tab's field moved
      for (int kind = 0; kind < 3; ++kind)
        for (int tab = 0; tab < 3; ++tab)
          if (kFields[kind][tab]) {
            EXPECT_NEAR(page.CountrySettings[i].*kFields[kind][tab], want[i].*kFields[kind][tab], 1e-9) << i;
          }
    EXPECT_EQ(page.TotalAllocationText, c.total);
  }
}

TEST(AllocationPageTest, EquityOnlyRowsGreyedOnBondAndCurrencyAlsoThroughAll) {
  const std::vector<int> grey = {3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 23};
  auto list = Blank(41);  // the 41st entry has no row
  for (auto& entry : list) entry.FiWeight = entry.CyWeight = entry.EqWeight = 1.0;
  for (int kind : {1, 2, 0}) {
    SCOPED_TRACE(kind);
    TAllocationPage page = Page(list, kind);
    Check(page, grey);  // greyed rows refuse a click
    page.OnCheckBoxAllClick();
    int checked = 0;
    for (int row = 1; row <= 40; ++row) {
      const bool greyed = kind != 0 && std::find(grey.begin(), grey.end(), row) != grey.end();
      EXPECT_EQ(page.RowGreyed(row), greyed) << row;
      EXPECT_EQ(page.ValueTexts[static_cast<std::size_t>(row - 1)].empty(), greyed) << row;
      checked += page.CheckBoxList[static_cast<std::size_t>(row - 1)] ? 1 : 0;
    }
    EXPECT_EQ(checked, kind == 0 ? 40 : 28);
    EXPECT_EQ(page.TabVisible(1), kind != 2);
    EXPECT_EQ(page.TabVisible(2), kind != 2);
    // The total counts greyed rows and the 41st entry: 41.00; a step of -1
    // on every checked row leaves greyed rows and the 41st at 1.
    EXPECT_EQ(page.TotalAllocationText, "41.00");
    page.OnUpDownControlClick(2, false);
    EXPECT_EQ(page.TotalAllocationText, kind == 0 ? "1.00" : "13.00");
    EXPECT_EQ(page.CountrySettings[40].*kFields[kind][0], 1.0);
  }
}

struct ValidateCase {
  const char* name;
  std::vector<double> weights;
  bool ask, answer;
  bool result, asked, scaled;
};

TEST(AllocationPageTest, ValidateAsksAndRescales) {
  const std::vector<ValidateCase> cases = {
      {"97 yes", {50, 30, 17}, true, true, true, true, true},
      {"97 no", {50, 30, 17}, true, false, false, true, false},
      {"97 not asked", {50, 30, 17}, false, true, true, false, false},
      {"99.99 yes", {50, 49.99}, true, true, true, true, true},
      {"100.004 passes", {50, 50.004}, true, false, true, false, false},
      {"103 yes", {60, 43}, true, true, true, true, true},
      {"all 0: yes cannot reach 100", {0, 0, 0}, true, true, false, true, false},
      {"no rows: yes cannot reach 100", {}, true, true, false, true, false},
  };
  for (const ValidateCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto list = Blank(static_cast<int>(c.weights.size()));
    double sum = 0.0;
    for (std::size_t i = 0; i < c.weights.size(); ++i) sum += list[i].EqWeight = c.weights[i];
    TAllocationPage page = Page(list, 0);
    std::vector<std::string> questions;
    const bool result = page.ValidateAllocation(c.ask, [&](const std::string& q) {
      questions.push_back(q);
      return c.answer;
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(questions.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(questions[0],
                "Total Allocation must be equal to 100%. Do you authorize an automatic scaling to have a total "
                "allocation of 100% ?");
    }
    for (std::size_t i = 0; i < c.weights.size(); ++i)
      EXPECT_DOUBLE_EQ(page.CountrySettings[i].EqWeight, c.scaled ? c.weights[i] * 100.0 / sum : c.weights[i]);
    if (c.scaled) {
      EXPECT_EQ(page.TotalAllocationText, "100.00");
    }
  }
}

TEST(AllocationPageTest, RowShowsTheEntryAtItsPlaceWithRankFromCurrentList) {
  // The file's ranks are older: Germany at place 4 still carries rank 9,
  // Belgium (place 9) rank 4.
  auto list = Blank(40);
  list[3] = {"Germany", "Europe (Euro)", 7.0, 0, 0, 0.1, 0.1, 0.12, 9};
  list[8] = {"Belgium", "Europe (Euro)", 2.0, 0, 0, 0.1, 0.1, 0.12, 4};
  std::vector<TCountry> current(2);
  current[0].Name = "GERMANY";
  current[0].Rank = 4;
  current[1].Name = "Belgium";
  current[1].Rank = 9;
  TAllocationPage page;
  page.LoadCountrySettings(list, current);
  page.ShowPage(0);
  EXPECT_EQ(page.CountrySettings[3].CountryRank, 4);
  EXPECT_EQ(page.CountrySettings[8].CountryRank, 9);
  EXPECT_EQ(page.CountrySettings[0].CountryRank, 1);  // not in the list: kept
  EXPECT_EQ(page.CountryTitles[3], "Germany");
  EXPECT_EQ(page.ValueTexts[3], "7.00");
  Check(page, {4});
  page.OnUpDownControlClick(2, true);
  EXPECT_DOUBLE_EQ(page.CountrySettings[3].EqWeight, 8.0);
  EXPECT_EQ(page.ValueTexts[3], "8.00");
  // With no current list the old ranks stay, and row 4 still shows Germany.
  TAllocationPage unranked = Page(list, 0);
  EXPECT_EQ(unranked.CountrySettings[3].CountryRank, 9);
  EXPECT_EQ(unranked.CountryTitles[3], "Germany");
  EXPECT_EQ(unranked.ValueTexts[3], "7.00");
}

TEST(AllocationPageTest, OutOfRangeLoadedValuesClampedAndCommaSeparatorShown) {
  const std::string saved = strDecimalSeparator;
  strDecimalSeparator = ",";
  auto list = Blank(3);
  list[0].EqWeight = -5;
  list[1].EqWeight = 130;
  list[2].EqTransactionCost = 2.5;
  TAllocationPage page = Page(list, 0);
  EXPECT_EQ(page.ValueTexts[0], "0,00");
  EXPECT_EQ(page.ValueTexts[1], "100,00");
  EXPECT_EQ(page.TotalAllocationText, "100,00");
  bool asked = false;
  EXPECT_TRUE(page.ValidateAllocation(true, [&](const std::string&) { return asked = true; }));
  EXPECT_FALSE(asked);
  page.OnTabsheetClick(1);
  EXPECT_EQ(page.ValueTexts[2], "2,50");
  strDecimalSeparator = saved;
}

}  // namespace
