// The selected zone of a history chart: texts from the chart's points, the
// order of the two months, the view gate and the end of a drag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <utility>

#include "common/Globals.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "session/ZoneSelection.h"

namespace {

using session::TZoneSelection;
using session::TZoneUpdate;

constexpr int kMonths = 96;  // January 2009 .. December 2016

double MonthEnd(int index) {
  const int y = 2009 + index / 12;
  const int m = index % 12 + 1;
  return platform::EncodeDate(y, m, platform::DaysInMonth(y, m));
}
int IndexOf(int year, int month) { return (year - 2009) * 12 + month - 1; }

TSeries Monthly(const std::function<double(int)>& f) {
  TSeries series;
  for (int i = 0; i < kMonths; ++i) series.push_back({MonthEnd(i), f(i)});
  return series;
}

// Series 0 (model): an uneven climb; series 1: 100, falls 20 % in 2012 and
// recovers fully; series 2: 1 % a month, always rising.
const TSeries kModel = Monthly([](int i) { return 100.0 * std::exp(0.008 * i + 0.06 * std::sin(i / 2.7)); });
const TSeries kFallAndRecover = Monthly([](int i) {
  if (i >= IndexOf(2012, 3) && i <= IndexOf(2012, 5)) return 80.0;
  if (i == IndexOf(2012, 2) || i == IndexOf(2012, 6)) return 90.0;
  return 100.0;
});
const TSeries kRising = Monthly([](int i) { return 50.0 * std::pow(1.01, i); });

// The three statistics texts computed from prices P_0..P_n of a zone:
// (P_n / P_0)^(12 / n) - 1, sd of the returns over n x sqrt 12, and the
// deepest fall below the running peak.
struct TExpected {
  std::string Return, Volatility, Drawdown;
};
std::string Percent(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f %%", v * 100.0);
  return text;
}
TExpected Expected(const TSeries& series, int from, int to) {
  const int n = to - from;
  if (n < 1) return {"n.c.", "n.c.", "n.c."};
  std::vector<double> r;
  for (int k = from + 1; k <= to; ++k) r.push_back(series[k].Value / series[k - 1].Value - 1.0);
  double mean = 0.0;
  for (double x : r) mean += x / n;
  double variance = 0.0;
  for (double x : r) variance += (x - mean) * (x - mean) / n;
  double peak = series[from].Value, deepest = 0.0;
  for (int k = from; k <= to; ++k) {
    peak = std::max(peak, series[k].Value);
    deepest = std::min(deepest, series[k].Value / peak - 1.0);
  }
  return {Percent(std::pow(series[to].Value / series[from].Value, 12.0 / n) - 1.0),
          Percent(std::sqrt(variance) * std::sqrt(12.0)), Percent(deepest)};
}

class ZoneSelectionTest : public ::testing::Test {
 public:
  void SetUp() override {
    fScreenWidthRatio = 1.0f;
    fScreenHeightRatio = 1.0f;
    Pages = std::make_unique<TModelPages>();
    State.SelectedMainTab = 0;
    State.GlobalSubIndex = 0;
    State.WorkspaceShown = true;
    LoadChart(3);
  }

  // The MYGP history view (9) with a line chart of `count` series.
  void LoadChart(int count) {
    TNamedSeriesSet set;
    set[0] = {"First", kFallAndRecover};
    set[1] = {"Second", kRising};
    set[2] = {"Model", kModel};
    TSeriesComparisonChart& chart = Pages->MYGPGraphic.WealthChart;
    chart = TSeriesComparisonChart();
    chart.SetData(set, 0, 0, count, -1, -1.0, -1.0);
    platform::RecordingCanvas canvas;
    chart.Layout(canvas, 0.0f, 40.0f, 1200.0f, 600.0f);
    Pages->MYGPGraphic.CurrentView = 9;
  }

  float X(int index) const { return Pages->MYGPGraphic.WealthChart.DataToScreen({MonthEnd(index), 0.0}).X; }

  // Steps "p<i>" press, "d<i>" drag inside, "o" drag outside the plot, "r<i>" release, "l" leave; <i> a month index.
  void Run(const std::string& steps) {
    std::istringstream in(steps);
    std::string step;
    while (in >> step) {
      const float x = step.size() > 1 ? X(std::stoi(step.substr(1))) : -5.0f;
      if (step[0] == 'p') session::ZonePress(Zone, State, *Pages, x, true);
      if (step[0] == 'd' || step[0] == 'o') session::ZoneDrag(Zone, State, *Pages, x, step[0] == 'd');
      if (step[0] == 'r') session::ZoneRelease(Zone, State, *Pages, x);
      if (step[0] == 'l') session::ZoneLeave(Zone, State, *Pages);
    }
  }
  void Drag(int from, int to) { Run("p" + std::to_string(from) + " d" + std::to_string(to)); }

  std::unique_ptr<TModelPages> Pages;
  session::TViewState State;
  TZoneSelection Zone;
};

TEST_F(ZoneSelectionTest, TextsAreTheFiguresOfTheChartPointsEarlierMonthFirst) {
  struct TRow {
    const char* Name;
    int Press, Pointer;
    const char *First, *Last;
    // Literal texts of series 1 and 2 where the figure is known by hand ("" = not checked).
    const char *FallDrawdown, *RisingReturn, *RisingVolatility, *RisingDrawdown;
  };
  const TRow rows[] = {
      {"backwards", IndexOf(2015, 3), IndexOf(2010, 1), "January 2010", "March 2015", "-20.0 %", "", "", "0.0 %"},
      {"forwards", IndexOf(2010, 1), IndexOf(2015, 3), "January 2010", "March 2015", "-20.0 %", "", "", "0.0 %"},
      {"twelve months of 1 %", IndexOf(2013, 12), IndexOf(2014, 12), "December 2013", "December 2014", "0.0 %",
       "12.7 %", "0.0 %", "0.0 %"},
      {"one month", IndexOf(2011, 6), IndexOf(2011, 6), "June 2011", "June 2011", "n.c.", "n.c.", "n.c.", "n.c."},
  };
  const TSeries* series[3] = {&kModel, &kFallAndRecover, &kRising};
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    Zone = TZoneSelection();
    Drag(row.Press, row.Pointer);
    EXPECT_EQ(Zone.Texts.FirstMonth, row.First);
    EXPECT_EQ(Zone.Texts.LastMonth, row.Last);
    EXPECT_EQ(Zone.ZoneStartDate, MonthEnd(std::min(row.Press, row.Pointer)));
    EXPECT_EQ(Zone.ZoneEndDate, MonthEnd(std::max(row.Press, row.Pointer)));
    for (int s = 0; s < 3; ++s) {
      const TExpected e = Expected(*series[s], std::min(row.Press, row.Pointer), std::max(row.Press, row.Pointer));
      EXPECT_EQ(Zone.Texts.Returns[s], e.Return) << "series " << s;
      EXPECT_EQ(Zone.Texts.Volatilities[s], e.Volatility) << "series " << s;
      EXPECT_EQ(Zone.Texts.Drawdowns[s], e.Drawdown) << "series " << s;
    }
    const std::pair<const char*, const std::string&> literals[] = {{row.FallDrawdown, Zone.Texts.Drawdowns[1]},
                                                                   {row.RisingReturn, Zone.Texts.Returns[2]},
                                                                   {row.RisingVolatility, Zone.Texts.Volatilities[2]},
                                                                   {row.RisingDrawdown, Zone.Texts.Drawdowns[2]}};
    for (const auto& [expected, text] : literals) {
      EXPECT_TRUE(!*expected || text == expected) << text << " instead of " << expected;
    }
    EXPECT_TRUE(Zone.BoxVisible);
    EXPECT_TRUE(session::ZoneBandShown(Zone));
    const TViewArea plot = Pages->MYGPGraphic.WealthChart.ViewArea();
    EXPECT_FLOAT_EQ(Zone.BoxX, plot.Left + 10.0f);
    EXPECT_FLOAT_EQ(Zone.BoxY, plot.Top + 10.0f);
  }
}

TEST_F(ZoneSelectionTest, PressClearsTheValuesAndTwoSeriesLeaveColumnCEmpty) {
  Run("p12 d36 r36");
  LoadChart(2);
  Run("p24");
  for (const auto* texts : {&Zone.Texts.Returns, &Zone.Texts.Volatilities, &Zone.Texts.Drawdowns})
    EXPECT_EQ(*texts, (std::array<std::string, 3>{"", "", ""}));
  EXPECT_EQ(Zone.Texts.FirstMonth, "January 2010");  // the months stay until the next extension
  EXPECT_FALSE(Zone.BoxVisible);
  Run("d48");
  EXPECT_EQ(Zone.Texts.Returns[1], Expected(kFallAndRecover, 24, 48).Return);
  EXPECT_EQ(Zone.Texts.Drawdowns[0], Expected(kModel, 24, 48).Drawdown);
  EXPECT_EQ(Zone.Texts.Returns[2] + Zone.Texts.Volatilities[2] + Zone.Texts.Drawdowns[2], "");
}

TEST_F(ZoneSelectionTest, OnlyTheHistoryViewTakesPartAndRepaintsFollowTheWorkspace) {
  struct TRow {
    const char* Name;
    int View;
    bool WorkspaceShown;
    bool Applied, Repaint;
  };
  const TRow rows[] = {
      {"drawdown view", 10, true, false, false},
      {"allocation bars", 1, true, false, false},
      {"history view", 9, true, true, true},
      {"history view, workspace hidden", 9, false, true, false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    Zone = TZoneSelection();
    State.PaintPhase = 3;
    State.WorkspaceShown = row.WorkspaceShown;
    Pages->MYGPGraphic.CurrentView = row.View;
    const TZoneUpdate press = session::ZonePress(Zone, State, *Pages, X(IndexOf(2010, 1)), true);
    const TZoneUpdate drag = session::ZoneDrag(Zone, State, *Pages, X(IndexOf(2011, 1)), true);
    EXPECT_EQ(press.Applied, row.Applied);
    EXPECT_EQ(drag.Repaint, row.Repaint);
    EXPECT_EQ(State.PaintPhase, row.Repaint ? 1 : 3);
    EXPECT_EQ(Zone.BoxVisible, row.Applied);
    EXPECT_EQ(Zone.Texts.FirstMonth, row.Applied ? "January 2010" : "XXXXX");
    EXPECT_EQ(Zone.Texts.Returns[0],
              row.Applied ? Expected(kModel, IndexOf(2010, 1), IndexOf(2011, 1)).Return : "XXXXX");
  }
}

// A box and a band belong to a zone extended in the current drag; a release
// or a leave forgets the press, whether or not a zone was selected.
TEST_F(ZoneSelectionTest, BoxAndBandOnlyForAZoneExtendedInThisDrag) {
  struct TRow {
    const char* Steps;
    bool Selected, Box;
  };
  const TRow rows[] = {
      {"p10 r10 o d40", true, false},  // a drag entering the plot after a press released
      {"p10 l d40", false, false},     // after a press and a leave
      {"p10 o", true, false},          // leaving the plot before any extension
      {"p10 d40 o", true, true},       // extended, then outside the plot
      {"p10 d40 r40", false, false},   // extended, then released
      {"p10 d40 r40 d60", false, false},
      {"p10 d40 p60 d50", true, true},  // a press during a selection starts no new zone
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Steps);
    Zone = TZoneSelection();
    Run(row.Steps);
    EXPECT_EQ(Zone.ZoneSelected, row.Selected);
    EXPECT_EQ(Zone.BoxVisible, row.Box);
    EXPECT_EQ(session::ZoneBandShown(Zone), row.Box);
    EXPECT_TRUE(!row.Box || Zone.ZoneStartDate == MonthEnd(10));
  }
}

}  // namespace
