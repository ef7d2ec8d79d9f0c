#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "session/ValueEditors.h"

namespace session {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Value change of each tick of a held up arrow with room to spare:
// nothing for ten ticks, then ten repeats of 1, five of 5, then 10.
TEST(ValueEditorsTest, HoldRepeatStepsPerTick) {
  TValueEditorSet set;
  set.CreateEditors(1);
  set.Editors[0].MaxValue = 1000.0;
  set.Press(0, false);
  for (int tick = 1; tick <= 32; ++tick) {
    const double before = set.Editors[0].Value;
    const std::int32_t changed = set.Tick();
    const double expected = tick <= 10 ? 0.0 : tick <= 20 ? 1.0 : tick <= 25 ? 5.0 : 10.0;
    EXPECT_EQ(set.Editors[0].Value - before, expected) << "tick " << tick;
    EXPECT_EQ(changed, expected > 0.0 ? 0 : kNoEditor) << "tick " << tick;
  }
}

// Holds on the concentration page: start level, arrow, ticks -> labels
// changed by the timer, level after release, stored criterion.
TEST(ValueEditorsTest, HoldThenReleaseClampsAndStores) {
  struct Case {
    double criterion;
    bool down;
    int ticks;
    int labelChanges;
    std::string label;
    double stored;
  };
  const std::vector<Case> cases = {
      {0.5, false, 0, 0, "51", 0.51},   {0.5, false, 10, 0, "51", 0.51},  {0.5, false, 11, 1, "52", 0.52},
      {0.5, false, 25, 15, "86", 0.86}, {0.5, false, 30, 17, "100", 1.0}, {0.5, true, 30, 16, "5", 0.05},
      {1.0, false, 0, 0, "100", 1.0},   {0.05, true, 0, 0, "5", 0.05},
  };
  for (const Case& c : cases) {
    TConcentrationPage page;
    page.CountryRankingCriteria = {c.criterion, 0.3, 0.4};
    page.ShowPage(0);
    page.Press(0, c.down);
    int changes = 0;
    for (int t = 0; t < c.ticks; ++t) changes += page.Tick() == 0 ? 1 : 0;
    EXPECT_EQ(page.CountryRankingCriteria[0], c.criterion) << "the timer stores nothing";
    page.Release(0);
    EXPECT_EQ(changes, c.labelChanges) << c.ticks;
    EXPECT_EQ(page.Editors[0].ValueLabel, c.label) << c.ticks;
    EXPECT_EQ(page.CountryRankingCriteria[0], c.stored) << c.ticks;
    EXPECT_EQ(page.CountryRankingCriteria[1], 0.3);
    EXPECT_EQ(page.CountryRankingCriteria[2], 0.4);
    EXPECT_EQ(page.HeldEditor, kNoEditor);
  }
}

// A press right after a long hold starts a fresh delay, not the last acceleration.
TEST(ValueEditorsTest, NewPressRestartsHoldDelay) {
  TGoldPage page;
  page.MaxGoldAllocation = 20.0;
  page.ShowPage();
  page.Press(0, false);
  for (int t = 0; t < 30; ++t) page.Tick();
  page.Release(0);
  ASSERT_EQ(page.MaxGoldAllocation, 100.0);
  page.Press(0, true);
  EXPECT_EQ(page.Tick(), kNoEditor);
  page.Release(0);
  EXPECT_EQ(page.MaxGoldAllocation, 99.0);
}

TEST(ValueEditorsTest, ConcentrationKindsAndLoadedLevels) {
  struct Case {
    std::int32_t kind;
    double criteria[3];
    std::int32_t editor;
    std::string shown[2];
    double stored[3];  // after one click up on `editor`
  };
  const std::vector<Case> cases = {
      {0, {0.5, 0.2, 0.3}, 0, {"50", "30"}, {0.51, 0.2, 0.3}},
      {1, {0.5, 0.2, 0.3}, 0, {"20", "30"}, {0.5, 0.21, 0.3}},
      {1, {0.5, 0.2, 0.3}, 1, {"20", "30"}, {0.5, 0.2, 0.31}},
      {1, {0.5, 0.123, 0.57}, 0, {"12", "57"}, {0.5, 0.13, 0.57}},
      // Out of range or no number: shown clamped and kept as shown.
      {1, {0.5, 0.03, 1.5}, 0, {"5", "100"}, {0.5, 0.06, 1.0}},
      {0, {kNaN, 0.2, 0.3}, 0, {"5", "30"}, {0.06, 0.2, 0.3}},
  };
  for (const Case& c : cases) {
    TConcentrationPage page;
    page.CountryRankingCriteria = {c.criteria[0], c.criteria[1], c.criteria[2]};
    page.ShowPage(c.kind);
    EXPECT_EQ(page.SecondRowVisible(), c.kind == 1);
    EXPECT_EQ(page.Editors[0].ValueLabel, c.shown[0]);
    EXPECT_EQ(page.Editors[1].ValueLabel, c.shown[1]);
    page.Press(c.editor, false);
    page.Release(c.editor);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(page.CountryRankingCriteria[i], c.stored[i]) << c.kind << " " << i;
  }
}

// Gold and FX risk store the whole number shown; TIPS is 100 or 0.
TEST(ValueEditorsTest, GoldFxRiskAndTips) {
  struct Case {
    double gold, fx, tips;
    std::int32_t editor;
    bool down;
    double gold2, fx2;
    bool checked;
  };
  const std::vector<Case> cases = {
      {10, 5, 100, 0, false, 11, 5, true},    {100, 5, 0, 0, false, 100, 5, false},
      {12.4, 5, 50, 0, false, 13, 5, false},  {10, 0, 99.999, 1, true, 10, 0, false},
      {500, -3, 100, 1, false, 100, 1, true}, {10, 12.5, 0, 1, true, 10, 12, false},
  };
  for (const Case& c : cases) {
    TGoldPage page;
    page.MaxGoldAllocation = c.gold;
    page.MaxFxRiskAllocation = c.fx;
    page.MaxTipsAllocation = c.tips;
    page.ShowPage();
    EXPECT_EQ(page.TipsChecked, c.checked) << c.tips;
    page.Press(c.editor, c.down);
    page.Release(c.editor);
    EXPECT_EQ(page.MaxGoldAllocation, c.gold2) << c.gold;
    EXPECT_EQ(page.MaxFxRiskAllocation, c.fx2) << c.fx;
    EXPECT_EQ(page.Editors[static_cast<std::size_t>(c.editor)].Value, c.editor == 0 ? c.gold2 : c.fx2);
    page.CheckBoxClick();
    EXPECT_EQ(page.MaxTipsAllocation, c.checked ? 0.0 : 100.0);
    EXPECT_EQ(page.TipsChecked, !c.checked);
  }
}

TEST(ValueEditorsTest, EquityMaxNeverBelowMin) {
  struct Case {
    double max, min;
    std::int32_t editor;
    bool down;
    int ticks;
    double max2, min2;
    std::string labels[2];
  };
  const std::vector<Case> cases = {
      {40, 40, 0, true, 0, 40, 40, {"40", "40"}},     {40, 40, 1, false, 0, 40, 40, {"40", "40"}},
      {60, 40, 0, true, 0, 59, 40, {"59", "40"}},     {50, 40, 0, true, 30, 40, 40, {"40", "40"}},
      {30, 60, 1, false, 0, 30, 30, {"30", "30"}},    {150, -5, 0, true, 0, 99, 0, {"99", "0"}},
      {12.6, 12.4, 0, true, 0, 12, 12, {"12", "12"}}, {12.6, 12.4, 1, false, 0, 13, 13, {"13", "13"}},
      {kNaN, 20, 1, false, 0, 0, 0, {"0", "0"}},
  };
  for (const Case& c : cases) {
    TPortfolioPage page;
    page.MaxEqVsFiAllocation = c.max;
    page.MinEqVsFiAllocation = c.min;
    page.ShowPage();
    page.Press(c.editor, c.down);
    for (int t = 0; t < c.ticks; ++t) page.OnTimer();
    page.Release(c.editor);
    EXPECT_EQ(page.MaxEqVsFiAllocation, c.max2) << c.max << "/" << c.min;
    EXPECT_EQ(page.MinEqVsFiAllocation, c.min2) << c.max << "/" << c.min;
    EXPECT_EQ(page.Editors[0].ValueLabel, c.labels[0]);
    EXPECT_EQ(page.Editors[1].ValueLabel, c.labels[1]);
  }
}

TEST(ValueEditorsTest, TrustBarFromStoredLevel) {
  struct Case {
    double level;
    std::int32_t position;
    std::string label;
  };
  const std::vector<Case> cases = {{57, 11, "55%"},   {55, 11, "55%"}, {4.99, 0, "0%"}, {100, 20, "100%"},
                                   {250, 20, "100%"}, {-5, 0, "0%"},   {kNaN, 0, "0%"}, {1e300, 20, "100%"}};
  for (const Case& c : cases) {
    TPortfolioPage page;
    page.SLTrustLevel = c.level;
    page.ShowPage();
    const TTrustBar& bar = page.TrustBars[2];
    EXPECT_EQ(bar.Position, c.position) << c.level;
    EXPECT_EQ(bar.ValueLabel, c.label) << c.level;
    EXPECT_EQ(page.SLTrustLevel, 5.0 * c.position) << c.level;
    EXPECT_DOUBLE_EQ(bar.CursorX, c.position * 275.0 / 20.0);
    EXPECT_DOUBLE_EQ(bar.LabelX(225.0, page.BarGeometry), 225.0 + bar.CursorX - 11.0);
  }
}

// A press steps one position toward a pointer on the guide (cursor of 55 at X 151.25..183.25).
TEST(ValueEditorsTest, TrustBarPressStepsTowardPointer) {
  struct Case {
    double level;
    bool left;
    double x;
    double stored;
    std::string label;
  };
  const std::vector<Case> cases = {
      {55, true, 200, 60, "+60%"},    {55, true, 100, 50, "+50%"}, {55, true, 160, 55, "+55%"},
      {55, true, 183.25, 55, "+55%"}, {55, true, 320, 55, "+55%"}, {55, false, 200, 55, "55%"},
      {100, true, 306, 100, "+100%"}, {0, true, 0, 0, "+0%"},      {5, true, 0, 0, "+0%"},
  };
  for (const Case& c : cases) {
    TPortfolioPage page;
    page.QVTrustLevel = c.level;
    page.ShowPage();
    page.TrackBarPress(0, c.left, c.x);
    EXPECT_TRUE(page.TrustBars[0].Pressed);
    EXPECT_EQ(page.QVTrustLevel, c.stored) << c.level << " at " << c.x;
    EXPECT_EQ(page.TrustBars[0].ValueLabel, c.label) << c.level << " at " << c.x;
  }
}

// Moves count only from the sixth tick after the press, one position per move.
TEST(ValueEditorsTest, TrustBarHoldAndMove) {
  TPortfolioPage page;
  page.BLTrustLevel = 57;
  page.ShowPage();
  page.TrackBarPress(1, true, 300);
  ASSERT_EQ(page.TrustBars[1].ValueLabel, "+60%");
  const std::vector<std::string> expected = {"+60%", "+60%", "+60%", "+60%", "+60%", "65%", "70%"};
  for (const std::string& label : expected) {
    page.OnTimer();
    page.TrackBarMove(1, true, 300);
    EXPECT_EQ(page.TrustBars[1].ValueLabel, label);
  }
  page.TrackBarMove(1, false, 300);
  page.TrackBarMove(1, true, page.TrustBars[1].CursorX);
  EXPECT_EQ(page.BLTrustLevel, 70.0);
  page.TrackBarRelease(1);
  page.TrackBarMove(1, true, 300);
  EXPECT_EQ(page.BLTrustLevel, 70.0);
  EXPECT_FALSE(page.TrustBars[1].Dragging);
  EXPECT_EQ(page.QVTrustLevel, 0.0);
}

TEST(ValueEditorsTest, TextsUseDecimalSeparator) {
  const std::string saved = strDecimalSeparator;
  strDecimalSeparator = ",";
  EXPECT_EQ(ValueEditorText(2.5, 2), "2,50");
  EXPECT_EQ(ValueEditorText(100.0, 2), "100,00");
  EXPECT_EQ(ValueEditorText(12.0, 0), "12");
  strDecimalSeparator = saved;
}

}  // namespace
}  // namespace session
