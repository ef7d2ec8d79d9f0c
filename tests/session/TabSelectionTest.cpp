#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "session/TabSelection.h"

namespace session {
namespace {

// Page view of each view id per model record (-1: not a view of that model),
// from the pages' selector tables; EQQV and EQBL under VL 3 in the last row.
constexpr int kPageViews[10][21] = {
    // 0   1   2   3   4   5   6   7   8   9  10  11  12  13  14  15  16  17  18  19  20
    {0, -1, -1, -1, -1, 2, 1, -1, -1, -1, -1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},         // MYGP
    {-1, -1, -1, -1, -1, 1, 0, -1, -1, -1, -1, 2, 3, -1, -1, 4, 5, 6, 7, 8, 9},         // EQGP
    {0, 1, 2, 3, -1, 5, 4, -1, -1, -1, -1, -1, -1, -1, -1, -1, 6, 7, 8, 9, 10},         // EQSL
    {0, -1, 1, -1, -1, 11, 10, 13, 12, 15, 14, -1, -1, -1, -1, -1, 9, 16, 17, 18, 19},  // EQQV
    {0, -1, 1, -1, -1, 11, 10, 13, 12, 15, 14, -1, -1, -1, -1, -1, 9, 16, 17, 18, 19},  // EQBL
    {-1, -1, -1, -1, -1, 1, 0, -1, -1, -1, -1, -1, -1, 2, 3, 4, 5, 6, 7, 8, 9},         // FIGP
    {0, 1, 2, 3, -1, 5, 4, -1, -1, -1, -1, -1, -1, -1, -1, -1, 6, 7, 8, 9, 10},         // FISL
    {0, 1, 2, 3, -1, 5, 4, -1, -1, -1, -1, -1, -1, -1, -1, -1, 6, 7, 8, 9, 10},         // FICY
    {0, -1, 1, -1, -1, 5, 4, -1, -1, -1, -1, -1, -1, -1, -1, -1, 6, 7, 8, 9, 10},       // FIGF
    {-1, -1, -1, -1, 2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 3, 4, 5, 6, 8}};    // EQQV/EQBL, VL 3

// Theme tab of (main tab, sub-index): Equity 1, 4, 2, 3; Bond 5, 7, 8, 6.
int ThemeTab(int main, int sub) {
  constexpr int kEquity[4] = {1, 4, 2, 3}, kBond[4] = {5, 7, 8, 6};
  return main == 0 ? 0 : main == 1 ? kEquity[sub] : kBond[sub];
}

bool Visible(const TTabSelection& r, TTabGroup g, int i) {
  if (!r.Tabs) return false;
  const TTabArrangement& a = r.Tabs->Arrangement;
  switch (g) {
    case TTabGroup::VL:
      return a.VLTabsheetSupport && a.VLTabsheet[i];
    case TTabGroup::HA:
      return a.HATabsheetSupport && a.HATabsheet && (*a.HATabsheet)[i];
    case TTabGroup::VR:
      return a.VRTabsheetSupport && a.VRTabsheet && (*a.VRTabsheet)[i];
    case TTabGroup::HB:
      return a.HBTabsheetSupport;
    default:
      return true;
  }
}

class TabSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s_ = TViewState();
    pages_->Init();
    InitWorkspaceState(s_);
    FinishInitWorkspace(s_);
    s_.WorkspaceShown = true;
    last_ = OnTabsheetClick(s_, *pages_, {TTabGroup::Main, 1});  // Equity, its themes shown
  }

  // The result of the last click that was not ignored stays in last_.
  TTabSelection Click(TTabGroup g, int i) {
    TTabSelection r =
        g == TTabGroup::Theme ? OnThemesSelectionTabsheetClick(s_, *pages_, i) : OnTabsheetClick(s_, *pages_, {g, i});
    if (r.Handled) last_ = r;
    return r;
  }
  // Clicks a tab the user can see.
  void ClickShown(TTabGroup g, int i) {
    ASSERT_TRUE(Visible(last_, g, i)) << "group " << static_cast<int>(g) << " tab " << i << " hidden";
    Click(g, i);
  }
  int PageView() {
    int view = -1;
    pages_->WithPage(PageForTab(s_.SelectedMainTab, s_.GlobalSubIndex, s_.EquitySubIndex, s_.BondSubIndex),
                     [&](auto& page) { view = page.CurrentView; });
    return view;
  }
  const TModelRecord& Record(int r) { return s_.ModelRecords[static_cast<std::size_t>(r)]; }
  // The CO list of the current model stepped to `index`; the stepper then shows the view.
  void StepCO(int index) {
    const int r = ModelRecordIndex(s_);
    (r == 0 ? s_.GlobalCOIndex : r == 1 ? s_.EQGPCOIndex : r == 5 ? s_.FIGPCOIndex : s_.EquityCOIndex) = index;
    last_ = ShowSelectedView(s_, *pages_);
  }
  // Every Selected flag of every record, as one text.
  std::string Selection() const {
    std::string out;
    for (const TModelRecord& r : s_.ModelRecords)
      for (const TVLTabEntry& vl : r.VLTabs) {
        out += vl.Selected ? 'V' : '.';
        for (const THATabEntry& ha : vl.HATabs) {
          out += ha.Selected ? 'A' : '.';
          for (const TTabEntry& vr : ha.VRTabs) out += vr.Selected ? 'R' : '.';
        }
        for (const TTabEntry& hb : vl.HBTabs) out += hb.Selected ? 'B' : '.';
      }
    return out;
  }

  std::unique_ptr<TModelPages> pages_ = std::make_unique<TModelPages>();
  TViewState s_;
  TTabSelection last_;
};

// Every entry of the view table is reached by clicks on visible tabs (the CO
// position stepped by the list selector), one after the other in one session.
TEST_F(TabSelectionTest, EveryViewTableEntryIsReachedByItsClicks) {
  const std::vector<TViewTableEntry> table = s_.ViewTable;
  ASSERT_EQ(table.size(), 113u);
  for (const TViewTableEntry& e : table) {
    SCOPED_TRACE("view " + std::to_string(e.ViewId) + " main " + std::to_string(e.MainTab) + " sub " +
                 std::to_string(e.SubIndex) + " VL " + std::to_string(e.VLIndex) + " CO " +
                 std::to_string(e.ListIndex));
    ClickShown(TTabGroup::Main, e.MainTab);
    if (e.MainTab != 0) Click(TTabGroup::Theme, ThemeTab(e.MainTab, e.SubIndex));
    const int record = ModelRecordIndex(s_);
    if (Visible(last_, TTabGroup::VL, e.VLIndex))
      Click(TTabGroup::VL, e.VLIndex);
    else
      ASSERT_TRUE(Record(record).VLTabs[e.VLIndex].Selected);  // EQGP and FIGP show no VL tab
    if (e.ListIndex != -1) StepCO(e.ListIndex);
    if (e.HAIndex != -1) ClickShown(TTabGroup::HA, e.HAIndex);
    if (e.HBIndex != -1) ClickShown(TTabGroup::HB, e.HBIndex);
    if (e.VRIndex != -1) ClickShown(TTabGroup::VR, e.VRIndex);

    const int expected = kPageViews[e.VLIndex == 3 ? 9 : record][e.ViewId];
    ASSERT_NE(expected, -1);
    EXPECT_EQ(s_.CurrentViewId, e.ViewId);
    EXPECT_EQ(PageView(), expected);
    EXPECT_TRUE(last_.ViewShown && last_.Repaint);
    EXPECT_EQ(s_.PaintPhase, 2);
    const TMainTitles titles = UpdateMainTitles(s_, expected);
    EXPECT_FALSE(last_.Titles.Title1.empty());
    EXPECT_EQ(last_.Titles.Title1, titles.Title1);
    EXPECT_EQ(last_.Titles.Title2, titles.Title2);
    EXPECT_EQ(last_.Titles.Title3, titles.Title3);
    EXPECT_EQ(last_.Titles.Title4, titles.Title4);
  }
}

// A step of a click sequence: a tab, or 'C' (the CO list stepped to Index).
struct TStep {
  char Kind;  // M main, T theme, V VL, A HA, R VR, B HB, C CO position
  int Index;
};

struct TCarryCase {
  const char* Name;
  std::vector<TStep> Before;
  TStep Carry;
  int ViewId, Record, PageView;
  const char* Title3;
};

TEST_F(TabSelectionTest, ANewModelKeepsTheKindOfViewWhenItHasIt) {
  // clang-format off
  const TCarryCase cases[] = {
      {"Equity Ranking history to Bond Ranking",
       {{'M', 2}, {'T', 7}, {'M', 1}, {'T', 4}, {'V', 1}, {'B', 1}}, {'M', 2}, 3, 6, 3, "Historical best bonds"},
      {"Equity Ranking history to Bond All: no such view, the model's own tabs",
       {{'M', 2}, {'T', 5}, {'M', 1}, {'T', 4}, {'V', 1}, {'B', 1}}, {'M', 2}, 5, 5, 1,
       "Asset class allocations versus bond benchmark"},
      {"Global detailed bond allocations to Bond All: the CO position written",
       {{'M', 2}, {'T', 5}, {'M', 0}, {'V', 2}, {'C', 2}, {'A', 0}, {'R', 1}}, {'M', 2}, 14, 5, 3,
       "Detailed bond allocations versus benchmark"},
      {"Macro portfolio drawdown to Country", {{'T', 2}, {'V', 3}, {'A', 0}, {'V', 2}, {'A', 3}}, {'V', 3}, 18, 3, 5,
       "Strategy total return versus equity benchmark"},
      {"Ranking portfolio NAV to Behavioral", {{'T', 4}, {'V', 2}, {'A', 2}}, {'T', 3}, 17, 4, 16,
       "Strategy total return versus equity benchmark"},
  };
  // clang-format on
  auto run = [&](TStep step) {
    constexpr TTabGroup kGroups[] = {TTabGroup::Main, TTabGroup::Theme, TTabGroup::VL,
                                     TTabGroup::HA,   TTabGroup::VR,    TTabGroup::HB};
    const std::string kinds = "MTVARB";
    if (step.Kind == 'C')
      StepCO(step.Index);
    else
      Click(kGroups[kinds.find(step.Kind)], step.Index);
  };
  for (const TCarryCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    for (TStep step : c.Before) run(step);
    const int before = s_.CurrentViewId;
    run(c.Carry);
    EXPECT_EQ(s_.CurrentViewId, c.ViewId) << "from " << before;
    EXPECT_EQ(s_.CurrentModelRecord, c.Record);
    EXPECT_EQ(PageView(), c.PageView);
    EXPECT_EQ(last_.Titles.Title3, c.Title3);
  }
  // The last case's record holds the carried view's tabs.
  EXPECT_TRUE(Record(4).VLTabs[2].Selected && Record(4).VLTabs[2].HATabs[2].Selected);
}

TEST_F(TabSelectionTest, ClicksWithoutTheWorkspaceAreIgnoredButThemes) {
  Click(TTabGroup::Main, 1);
  Click(TTabGroup::Theme, 4);
  s_.WorkspaceShown = false;
  s_.PaintPhase = 0;
  const int mainTab = s_.SelectedMainTab, viewId = s_.CurrentViewId;
  const std::string selection = Selection();
  const int view = PageView();
  for (TTabRef tab :
       {TTabRef{TTabGroup::Main, 2}, {TTabGroup::VL, 1}, {TTabGroup::HA, 2}, {TTabGroup::VR, 1}, {TTabGroup::HB, 1}}) {
    const TTabSelection r = OnTabsheetClick(s_, *pages_, tab);
    EXPECT_FALSE(r.Handled || r.ViewShown || r.Tabs || !r.Paints.empty());
  }
  EXPECT_EQ(s_.SelectedMainTab, mainTab);
  EXPECT_EQ(s_.CurrentViewId, viewId);
  EXPECT_EQ(PageView(), view);
  EXPECT_EQ(Selection(), selection);
  // A theme still counts: the view is chosen but the chart is not repainted.
  const TTabSelection theme = Click(TTabGroup::Theme, 2);
  EXPECT_TRUE(theme.Handled && theme.ViewShown);
  EXPECT_FALSE(theme.Repaint);
  EXPECT_EQ(s_.PaintPhase, 0);
  EXPECT_EQ(s_.EquitySubIndex, 2);
  EXPECT_EQ(s_.CurrentViewId, 5);  // the allocation view carried over from EQSL
  EXPECT_EQ(PageView(), 11);
}

TEST_F(TabSelectionTest, ALeftTabReopensItsLastTopTab) {
  Click(TTabGroup::Theme, 4);  // EQSL
  Click(TTabGroup::VL, 2);
  Click(TTabGroup::HA, 3);
  ASSERT_EQ(s_.CurrentViewId, 18);
  Click(TTabGroup::VL, 0);
  EXPECT_EQ(s_.CurrentViewId, 0);
  Click(TTabGroup::VL, 2);  // no view 0 under VL 2: the HA tab it had
  EXPECT_EQ(s_.CurrentViewId, 18);
  EXPECT_EQ(PageView(), 8);
  EXPECT_TRUE(Record(2).VLTabs[2].HATabs[3].Selected);
  EXPECT_EQ(last_.Titles.Title4, "Successive Dradowns");
}

TEST_F(TabSelectionTest, SelectionEdges) {
  // Global: every theme tab hidden; Equity: its four.
  EXPECT_EQ(Click(TTabGroup::Main, 0).ThemeTabVisible, (std::array<bool, 9>{}));
  EXPECT_EQ(Click(TTabGroup::Main, 1).ThemeTabVisible,
            (std::array<bool, 9>{false, true, true, true, true, false, false, false, false}));
  // The theme already chosen changes nothing, not even the colours.
  const TTabSelection same = Click(TTabGroup::Theme, 1);
  EXPECT_FALSE(same.Handled || same.ViewShown || !same.Paints.empty());

  // A VR click changes the VR choice of every HA tab of the selected VL tab only.
  Click(TTabGroup::Main, 0);
  Click(TTabGroup::VL, 2);
  StepCO(1);
  Click(TTabGroup::HA, 0);
  Click(TTabGroup::VR, 1);
  EXPECT_EQ(s_.CurrentViewId, 12);
  for (const THATabEntry& ha : Record(0).VLTabs[2].HATabs) EXPECT_TRUE(ha.VRTabs[1].Selected);
  EXPECT_TRUE(Record(0).VLTabs[0].HATabs[0].VRTabs[0].Selected);

  // A selection no entry describes gives no view, and nothing to carry over.
  TModelRecord& global = s_.ModelRecords[0];
  for (int vl = 0; vl < kVLTabCount; ++vl) global.VLTabs[vl].Selected = vl == 1;
  ShowSelectedView(s_, *pages_);
  EXPECT_EQ(s_.CurrentViewId, kNoView);
  EXPECT_EQ(pages_->MYGPGraphic.CurrentView, 4);  // the page keeps its view
  Click(TTabGroup::Main, 1);
  EXPECT_EQ(s_.CurrentViewId, 5);  // EQGP on its own tabs

  // Ranking history shows "Rank n"; a theme without the view on screen takes its own tabs.
  s_.EQSLRank = 12;
  Click(TTabGroup::Theme, 4);
  Click(TTabGroup::VL, 1);
  EXPECT_EQ(s_.SLListTitle2, "Rank 12");
  Click(TTabGroup::Theme, 2);
  Click(TTabGroup::VL, 3);
  ASSERT_EQ(s_.CurrentViewId, 4);
  const TTabSelection own = Click(TTabGroup::Theme, 4);
  EXPECT_EQ(own.IntraMonthTitleFontColor, kIntraMonthTitleColour);
  EXPECT_EQ(s_.CurrentViewId, 2);  // EQSL's History, as left
}

}  // namespace
}  // namespace session
