#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "session/ListStepping.h"

namespace session {
namespace {

using Sel = TListSelector;
using Arrow = TListArrow;
using Follow = TListFollowUp;
using S = TViewState;

// Pages over hand-made records: EQSL with data and 12 ranking rows, FISL
// without data (5 rows), FICY with data and no rows, three EQQV countries
// and one EQQV item group (group 0).
class ListSteppingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Pages->Init();
    EQSLRows.resize(12);
    FISLRows.resize(5);
    Pages->EQSLGraphic.Record.RankingRows = &EQSLRows;
    Pages->EQSLGraphic.DataAvailable = true;
    Pages->FISLGraphic.Record.RankingRows = &FISLRows;
    Pages->FICYGraphic.Record.RankingRows = &FICYRows;
    Pages->FICYGraphic.DataAvailable = true;
    QV.GroupRows = {{{Row("Signal")}, {}, {}}};
    Pages->EQQVGraphic.Record = &QV;
    Pages->EQBLGraphic.Record = &BL;
    SetCountries({"USA", "Japan", "Germany"});
  }
  static TLabelledSeries Row(const std::string& label) { return {{label}, {{40000.0, 1.0}, {40031.0, 0.0}}, false}; }
  void SetCountries(const std::vector<std::string>& names) {
    QV.CountryData.assign(names.size(), {});
    for (std::size_t i = 0; i < names.size(); ++i) {
      QV.CountryData[i].Name = names[i];
      QV.CountryData[i].Rows = {Row(names[i])};
    }
    BL.CountryData = QV.CountryData;
  }
  // Chooses main tab and theme, VL entry vl, and HA entry ha in every VL entry.
  void Select(int main, int sub, int vl, int ha = 0) {
    State.SelectedMainTab = main;
    (main == 0 ? State.GlobalSubIndex : main == 1 ? State.EquitySubIndex : State.BondSubIndex) = sub;
    SelectCurrentModelRecord(State);
    TModelRecord& r = State.ModelRecords[static_cast<std::size_t>(State.CurrentModelRecord)];
    for (int i = 0; i < kVLTabCount; ++i) r.VLTabs[i].Selected = i == vl;
    for (TVLTabEntry& v : r.VLTabs)
      for (int j = 0; j < kHATabCount; ++j) v.HATabs[j].Selected = j == ha;
  }

  TViewState State;
  std::unique_ptr<TModelPages> Pages = std::make_unique<TModelPages>();
  std::vector<TLabelledSeries> EQSLRows, FISLRows, FICYRows;
  TEQQVGraphicData QV;
  TEQBLGraphicData BL;
};

// The selector titles a step wrote, one after the other.
std::string Written(const TListStepResult& r) {
  return r.COListSelectionTitle.value_or("") + r.QVListSelectionTitle_1.value_or("") +
         r.QVListSelectionTitle_2.value_or("") + r.SLListSelectionTitle_2.value_or("");
}

TEST_F(ListSteppingTest, StepsWrapAndTitleEachList) {
  struct Case {
    int Main, Sub, VL;
    Sel Selector;
    Arrow Dir;
    std::int32_t S::*Index;
    std::int32_t Start, Expected;
    const char* Title;
    Follow FollowUp;
  };
  const Case cases[] = {
      {0, 0, 2, Sel::CO, Arrow::Down, &S::GlobalCOIndex, 0, 3, "FX Hedging", Follow::ArrangeAndShow},
      {0, 0, 0, Sel::SL1, Arrow::Up, &S::GlobalCOIndex, 3, 0, "All", Follow::ArrangeAndShow},  // any arrow
      {1, 0, 2, Sel::QV2, Arrow::Down, &S::EQGPCOIndex, 0, 2, "FX Hedging", Follow::ArrangeAndShow},
      {2, 0, 2, Sel::QV1, Arrow::Down, &S::FIGPCOIndex, 0, 2, "FX Hedging", Follow::ArrangeAndShow},
      {1, 2, 2, Sel::CO, Arrow::Up, &S::EquityCOIndex, 2, 0, "All", Follow::ArrangeAndShow},
      {1, 3, 2, Sel::CO, Arrow::Down, &S::EquityCOIndex, 0, 2, "Bond", Follow::ArrangeAndShow},
      {1, 1, 1, Sel::SL2, Arrow::Up, &S::EQSLRank, 12, 1, "Rank 1", Follow::ShowView},
      {1, 1, 1, Sel::SL2, Arrow::Down, &S::EQSLRank, 1, 12, "Rank 12", Follow::ShowView},
      {2, 1, 1, Sel::SL2, Arrow::Down, &S::FISLRank, 1, 1, "Rank 1", Follow::ShowView},  // no data
      {2, 2, 1, Sel::SL2, Arrow::Down, &S::FICYRank, 1, 1, "Rank 1", Follow::ShowView},  // data, no rows
      {1, 2, 0, Sel::QV2, Arrow::Up, &S::QVList2Index, 7, 0, "Equity Risk", Follow::GroupSeries},
      {1, 2, 1, Sel::QV2, Arrow::Down, &S::QVList2Index, 0, 7, "Commodity Price", Follow::GroupSeries},
      {1, 2, 3, Sel::QV1, Arrow::Down, &S::CountryListIndex, 0, 2, "Germany", Follow::CountryItem},
      {1, 3, 3, Sel::QV1, Arrow::Up, &S::CountryListIndex, 9, 0, "USA", Follow::CountryItem},  // EQBL, was outside
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    Select(c.Main, c.Sub, c.VL);
    State.*c.Index = c.Start;
    const TListStepResult r = StepList(State, *Pages, c.Selector, c.Dir);
    EXPECT_EQ(State.*c.Index, c.Expected);
    EXPECT_EQ(r.FollowUp, c.FollowUp);
    EXPECT_EQ(Written(r), c.Title);
    const bool show = c.FollowUp == Follow::ArrangeAndShow || c.FollowUp == Follow::ShowView;
    EXPECT_EQ(r.ShowSelectedView, show);
    EXPECT_EQ(r.ArrangeTabsheets, c.FollowUp == Follow::ArrangeAndShow);
    EXPECT_EQ(r.Titles.has_value(), !show);  // main titles by ShowSelectedView or by the press
  }
}

TEST_F(ListSteppingTest, PressThatMatchesNoListOnlyRefreshesTitles) {
  struct Case {
    int Main, Sub, VL, HA;
    Sel Selector;
    const char* Title1;
  };
  const Case cases[] = {
      {2, 3, 2, 0, Sel::CO, "Monetary Debasement Risk"},     {1, 1, 1, 0, Sel::SL1, "Equity Risk Premium Ranking"},
      {1, 1, 0, 0, Sel::SL2, "Equity Risk Premium Ranking"}, {0, 0, 2, 1, Sel::CO, "Global Equity/Bond Strategy"},
      {1, 2, 2, 0, Sel::QV2, "Macro Equity Risk"},           {1, 3, 0, 0, Sel::QV2, "Behavioral Equity Risk"},
      {1, 2, 2, 0, Sel::QV1, "Macro Equity Risk"},           {0, 1, 2, 0, Sel::CO, ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    Select(c.Main, c.Sub, c.VL, c.HA);
    Pages->WithPage(PageForTab(c.Main, State.GlobalSubIndex, State.EquitySubIndex, State.BondSubIndex),
                    [](auto& page) { page.CurrentView = 0; });
    const TViewState before = State;
    const TListStepResult r = StepList(State, *Pages, c.Selector, Arrow::Down);
    EXPECT_EQ(r.FollowUp, Follow::None);
    EXPECT_EQ(Written(r), "");
    EXPECT_FALSE(r.ShowSelectedView || r.ArrangeTabsheets || r.Repaint);
    for (auto field : {&S::GlobalCOIndex, &S::EQGPCOIndex, &S::EquityCOIndex, &S::FIGPCOIndex, &S::EQSLRank,
                       &S::QVList2Index, &S::CountryListIndex, &S::PaintPhase})
      EXPECT_EQ(State.*field, before.*field);
    ASSERT_TRUE(r.Titles.has_value());
    EXPECT_EQ(r.Titles->Title1, c.Title1);
  }
}

TEST_F(ListSteppingTest, PageListsLoadThePagesAndRepaintOnlyWhileShown) {
  for (const bool shown : {true, false}) {
    State.WorkspaceShown = shown;
    Select(1, 2, 0);
    State.PaintPhase = 3;
    State.QVList2Index = 1;
    EXPECT_TRUE(StepList(State, *Pages, Sel::QV2, Arrow::Down).Repaint == shown);
    EXPECT_EQ(State.PaintPhase, shown ? 2 : 3);
    EXPECT_GT(Pages->EQQVGraphic.GroupHistoryChart.PointCount(), 0);  // group 0 loaded

    Select(1, 2, 3);
    Pages->EQQVGraphic.CurrentView = 2;  // country detail: the fourth title names the country
    State.CountryListIndex = State.PreviousCountryListIndex = 1;
    const TListStepResult r = StepList(State, *Pages, Sel::QV1, Arrow::Up);
    EXPECT_EQ(r.Repaint, shown);
    EXPECT_EQ(State.PaintPhase, shown ? 1 : 3);
    EXPECT_TRUE(r.CountryChanged);
    EXPECT_EQ(State.PreviousCountryListIndex, 2);
    EXPECT_GT(Pages->EQQVGraphic.CountryDetailChart.PointCount(), 0);  // both timing pages took the country
    EXPECT_GT(Pages->EQBLGraphic.CountryDetailChart.PointCount(), 0);
    ASSERT_TRUE(r.Titles.has_value());
    EXPECT_EQ(r.Titles->Title4, "Germany");
  }
}

TEST_F(ListSteppingTest, OneCountryStepsUnchangedAndNoCountryStepsNothing) {
  Select(1, 2, 3);
  Pages->EQQVGraphic.CurrentView = 2;
  State.WorkspaceShown = true;
  SetCountries({"USA"});
  TListStepResult r = StepList(State, *Pages, Sel::QV1, Arrow::Down);
  EXPECT_EQ(r.FollowUp, Follow::CountryItem);
  EXPECT_FALSE(r.CountryChanged);

  SetCountries({});
  State.PaintPhase = 3;
  for (const Arrow dir : {Arrow::Up, Arrow::Down}) {
    r = StepList(State, *Pages, Sel::QV1, dir);
    EXPECT_EQ(r.FollowUp, Follow::None);
    EXPECT_EQ(Written(r), "");
    EXPECT_EQ(State.CountryListIndex, 0);
    EXPECT_EQ(State.PaintPhase, 3);
    ASSERT_TRUE(r.Titles.has_value());
    EXPECT_EQ(r.Titles->Title3, "7 macro factors combined to calculate risk position");
    EXPECT_EQ(r.Titles->Title4, "");  // position outside the country records: no name
  }
}

}  // namespace
}  // namespace session
