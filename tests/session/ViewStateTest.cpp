#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>
#include <vector>

#include "session/ViewState.h"

namespace session {
namespace {

// 113 records, model by model; each finds its own id (keys are unique).
TEST(ViewStateTest, ViewTableRecords) {
  const TViewState state;
  ASSERT_EQ(state.ViewTable.size(), 113u);
  std::vector<std::pair<int, int>> models;
  std::vector<int> counts;
  for (const TViewTableEntry& e : state.ViewTable) {
    if (models.empty() || models.back() != std::pair{e.MainTab, e.SubIndex}) {
      models.emplace_back(e.MainTab, e.SubIndex);
      counts.push_back(0);
    }
    ++counts.back();
    EXPECT_EQ(FindViewId(state, e.MainTab, e.SubIndex, e.VLIndex, e.HAIndex, e.VRIndex, e.HBIndex, e.ListIndex),
              e.ViewId);
  }
  EXPECT_EQ(models,
            (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}, {2, 2}, {2, 3}}));
  EXPECT_EQ(counts, (std::vector<int>{13, 10, 11, 19, 19, 10, 11, 11, 9}));
}

TEST(ViewStateTest, KeysGiveTheirViews) {
  const TViewState state;
  struct Case {
    std::array<int, 7> Key;
    int ViewId;
  };
  const Case cases[] = {
      {{1, 2, 3, 0, -1, -1, -1}, 4},   {{1, 1, 0, -1, -1, 1, -1}, 1},   {{0, 0, 2, 0, -1, -1, 3}, 15},
      {{1, 0, 2, 0, -1, -1, 2}, 15},   {{2, 3, 2, 0, -1, 1, 0}, 21},    {{1, 1, 3, 0, -1, -1, -1}, 21},
      {{3, 0, 0, -1, -1, -1, -1}, 21}, {{3, -1, 2, 1, -1, -1, -1}, 21}, {{0, 0, 0, -1, -1, 0, -1}, 21},
  };
  for (const Case& c : cases) {
    const auto& k = c.Key;
    EXPECT_EQ(FindViewId(state, k[0], k[1], k[2], k[3], k[4], k[5], k[6]), c.ViewId)
        << k[0] << k[1] << k[2] << k[3] << k[4] << k[5] << k[6];
  }
}

TEST(ViewStateTest, ModelRecordRuleWithoutATheme) {
  const std::array<int, 3> cases[] = {{1, -1, 0}, {1, 4, 0}, {2, 0, -1}, {3, 2, 2}, {-1, 1, 1}};  // main, equity, bond
  for (const auto& [mainTab, equity, bond] : cases) {
    TViewState state;
    state.SelectedMainTab = mainTab;
    state.EquitySubIndex = equity;
    state.BondSubIndex = bond;
    EXPECT_EQ(ModelRecordIndex(state), 0) << mainTab << " " << equity << " " << bond;
  }
}

TEST(ViewStateTest, ThemeClicksSetTheirSubIndex) {
  // Theme tab -> (main tab whose sub-index it sets, sub-index).
  const std::array<std::pair<int, int>, 9> themes{
      {{0, 0}, {1, 0}, {1, 2}, {1, 3}, {1, 1}, {2, 0}, {2, 3}, {2, 1}, {2, 2}}};
  for (int tab = 0; tab < 9; ++tab) {
    TViewState state;
    state.SelectedMainTab = themes[tab].first;
    SelectTheme(state, tab);
    const int sub[] = {state.GlobalSubIndex, state.EquitySubIndex, state.BondSubIndex};
    EXPECT_EQ(sub[themes[tab].first], themes[tab].second) << "theme " << tab;
    const int base[] = {0, 1, 5};
    EXPECT_EQ(state.CurrentModelRecord, base[themes[tab].first] + themes[tab].second) << "theme " << tab;
  }
}

TEST(ViewStateTest, WorkspaceStartResetsSelectionListsAndTrackBars) {
  TViewState state;
  state.SelectedMainTab = 2;
  state.BondSubIndex = 3;
  state.CountryListIndex = 5;
  state.EQSLRank = 7;
  state.EquityCOIndex = 2;
  state.HistoryTrack.Position = 9;
  state.HistoryTrack.Pressed = true;
  state.ModelRecords[3].VLTabs[3].Selected = true;

  InitWorkspaceState(state);
  EXPECT_FALSE(state.ViewUpdatesEnabled);
  FinishInitWorkspace(state);

  EXPECT_EQ(state.SelectedMainTab, 3);
  EXPECT_EQ(state.GlobalSubIndex + state.EquitySubIndex + state.BondSubIndex, 0);
  EXPECT_EQ(state.CurrentModelRecord, 0);
  EXPECT_TRUE(state.ViewUpdatesEnabled);
  EXPECT_EQ(std::tuple(state.CountryListIndex, state.EQSLRank, state.EquityCOIndex), std::tuple(0, 1, 2));
  EXPECT_EQ(state.QVListTitle1 + state.QVListTitle2 + state.SLListTitle1 + state.SLListTitle2,
            "USAEquity RiskNorth AmericaRank 1");

  const std::array<std::pair<int, int>, 6> sizes{{{24, 6}, {24, 6}, {24, 6}, {30, 16}, {46, 16}, {28, 16}}};
  const auto bars = state.TrackBars();
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const TrackBarState& b = *bars[i];
    EXPECT_EQ(std::tuple(b.ItemCount, b.PageSize, b.Position, b.CommittedPosition, b.CursorCoordinate),
              std::tuple(sizes[i].first, sizes[i].second, 0, -1, 16.0));
  }
  EXPECT_TRUE(state.HistoryTrack.Pressed);

  // Exactly one selected entry per list, at the reset's index.
  for (std::size_t r = 0; r < state.ModelRecords.size(); ++r) {
    const auto& vls = state.ModelRecords[r].VLTabs;
    for (std::size_t v = 0; v < vls.size(); ++v) {
      EXPECT_EQ(vls[v].Selected, v == ((r == 1 || r == 5) ? 2u : 0u)) << r << "/" << v;
      for (std::size_t h = 0; h < vls[v].HATabs.size(); ++h) {
        EXPECT_EQ(vls[v].HATabs[h].Selected, h == 0);
        for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(vls[v].HATabs[h].VRTabs[k].Selected, k == 0);
      }
      EXPECT_TRUE(vls[v].HBTabs[0].Selected);
      EXPECT_FALSE(vls[v].HBTabs[1].Selected);
    }
  }
}

TEST(ViewStateTest, TrackBarIsHeldFromTheSixthTick) {
  TViewState state;
  state.ZoneTrack.Pressed = true;
  for (int tick = 1; tick <= 5; ++tick) {
    TickTrackBarHolds(state);
    EXPECT_EQ(state.ZoneTrack.PressTicks, tick);
    EXPECT_FALSE(state.ZoneTrack.Held);
  }
  TickTrackBarHolds(state);
  EXPECT_TRUE(state.ZoneTrack.Held);
  EXPECT_EQ(state.ZoneTrack.PressTicks, 5);
  EXPECT_EQ(state.FXTrack.PressTicks, 0);
}

}  // namespace
}  // namespace session
