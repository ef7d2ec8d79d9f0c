// MYGP page: view selection and features, value texts, view areas (the
// regime overview's stacked panels included), ranking tables and their
// flags, published FX rows, the allocation cursor, empty and misshapen records.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PageTestSupport.h"
#include "models/equity/TimingModel.h"
#include "pages/FXHedgingPositions.h"
#include "pages/MYGPGraphic.h"
#include "pages/PageCommon.h"
#include "platform/RecordingCanvas.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"
#include "portfolio/TestCountries.h"

using namespace testcountries;

namespace {

constexpr float kW = 1600.0f;
constexpr float kH = 900.0f;

// Every global the page reads, set as the window sets them and restored after.
class MYGPGraphicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    strDecimalSeparator = ".";
    vcMyExternCountryList.clear();
    usMyExternUserSettings = {};
    vExternFIGPFXHedgingPosition.clear();
    ClearRecords();
  }
  void TearDown() override {
    strDecimalSeparator = saved_.separator;
    vcMyExternCountryList = saved_.countries;
    usMyExternUserSettings = saved_.settings;
    vExternFIGPFXHedgingPosition = saved_.figp;
    ClearRecords();
  }
  static void ClearRecords() {
    cMyExternEQQVGraphicData = {};
    cMyExternEQBLGraphicData = {};
    cMyExternEQSLGraphicData = {};
    cMyExternFISLGraphicData = {};
    cMyExternFIGFGraphicData = {};
    cMyExternFICYGraphicData = {};
  }
  // The page bound to the test's own record, initialised and updated.
  TMYGPGraphic Updated() {
    TMYGPGraphic page(*record);
    page.Init();
    page.Update();
    return page;
  }

  std::unique_ptr<TMYGPGraphicData> record = std::make_unique<TMYGPGraphicData>();

 private:
  pagetest::TUnitScreen screen_;
  struct {
    std::string separator = strDecimalSeparator;
    std::vector<TCountry> countries = vcMyExternCountryList;
    TUserSettings settings = usMyExternUserSettings;
    std::vector<TFXHedgingPosition> figp = vExternFIGPFXHedgingPosition;
  } saved_;
};

TRegionAllocationRow RegionRow(const std::string& name, const std::vector<std::string>& countries) {
  TRegionAllocationRow row;
  row.Summary.Name = name;
  row.DetailSummary.Name = name;
  for (const std::string& c : countries) {
    row.Items.push_back({c, 0.1, 0.05, 0.0, 1, false, true, false});
    row.DetailItems.push_back({c, "", 0.05, 0.02, 0.07, 0.06, 0.0, 1, 1});
  }
  return row;
}

// A record with every view's data: 30 months of charts, `allocations`
// monthly allocations from January 2020, three asset-class rows, one region
// with two countries and the total, and both benchmark weight histories.
void Fill(TMYGPGraphicData& r, int allocations) {
  r.Countries = {MakeCountry("USA", "USD"), MakeCountry("Germany", "EUR", "Europe")};
  const TSeries model = Growing(2020, 1, 30, 1.0, 0.01);
  const TSeries bench = Growing(2020, 1, 30, 1.0, 0.005);
  for (TNamedSeriesSet* set :
       {&r.Performance.IndexCharts, &r.Performance.DrawdownCharts, &r.Performance.OneYearCharts}) {
    (*set)[0] = {"Index", bench};
    (*set)[2] = {"Model", model};
  }
  r.Performance.AllocationTitle = "Asset Allocation";
  r.Performance.AllocationHistory.clear();
  for (int i = 0; i < allocations; ++i)
    r.Performance.AllocationHistory.push_back({MonthEnd(2020, 1, i), 1.0, {{"Equity", 0.6}, {"Gold", 0.4}}});
  r.Performance.Statistics.HasData = true;
  r.Performance.Parameters.MaxEqVsFiAllocation = 80.0;
  r.Performance.Parameters.MinEqVsFiAllocation = 20.0;
  r.ColumnCaption1 = "Model";
  r.ColumnCaption2 = "Index";
  r.AssetShares = {{"Equity", 0.6, 0.5, 1}, {"Bond", 0.3, 0.4, 2}, {"Gold", 0.1, 0.1, 3}};
  r.AllocationItems = {RegionRow("North America", {"USA", "Canada"}), RegionRow("TOTAL", {})};
  TBenchmarkAllocation last;
  last.Items = {{"USA", 0.5, 0.0, 1}, {"Germany", 0.5, 0.0, 1}};
  r.Benchmark.WeightHistory = {last};
  r.Benchmark2.WeightHistory = {last};
}

bool HasText(const platform::RecordingCanvas& canvas, const std::string& text) {
  for (const auto& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillText))
    if (op.Text == text) return true;
  return false;
}

TEST_F(MYGPGraphicTest, SelectViewByTheTableElseUnchanged) {
  const struct {
    std::int32_t group, entry, choice, option, subEntry;
    std::int32_t expected;  // -1: unchanged
  } cases[] = {
      {0, -1, -1, -1, -1, 0}, {0, 9, 7, 7, 9, 0},    {2, 0, -1, 1, 0, 1}, {2, 0, -1, 0, 0, 2},
      {2, 0, 1, -1, 1, 4},    {2, 0, 0, -1, 1, 3},   {2, 0, 1, -1, 2, 6}, {2, 0, 0, -1, 2, 5},
      {2, 0, -1, -1, 3, 7},   {2, 1, -1, -1, 0, 8},  {2, 2, 7, 7, 9, 9},  {2, 3, -1, -1, -1, 10},
      {2, 4, 0, 0, 0, 11},    {2, 5, -1, -1, 0, 12}, {2, 0, 7, 7, 2, -1}, {2, 0, -1, -1, 0, -1},
      {2, 0, -1, 7, 0, -1},   {2, 0, -1, -1, 1, -1}, {2, 0, 0, 0, 4, -1}, {2, 0, 0, 0, -1, -1},
      {2, 6, 0, 0, 0, -1},    {2, -1, 0, 0, 0, -1},  {1, 0, 0, 1, 0, -1}, {3, 0, 0, 1, 0, -1},
      {-1, 0, 0, 1, 0, -1},
  };
  for (const auto& c : cases) {
    for (std::int32_t start : {3, TMYGPGraphic::kViewCount}) {
      TMYGPGraphic page(*record);
      page.Init();
      page.CurrentView = start;
      page.SelectView(c.group, c.entry, c.choice, c.option, c.subEntry);
      EXPECT_EQ(page.CurrentView, c.expected < 0 ? start : c.expected)
          << c.group << "," << c.entry << "," << c.choice << "," << c.option << "," << c.subEntry;
    }
  }
  TMYGPGraphic page(*record);
  page.Init();
  EXPECT_EQ(page.CurrentView, 13);
}

TEST_F(MYGPGraphicTest, ViewHasFeatureEveryViewAndNone) {
  const std::vector<std::int32_t> timeCharts{1, 9, 10, 11};
  for (std::int32_t view = 0; view <= TMYGPGraphic::kViewCount; ++view) {
    TMYGPGraphic page(*record);
    page.CurrentView = view;
    const bool timeChart = std::find(timeCharts.begin(), timeCharts.end(), view) != timeCharts.end();
    const bool expected[5] = {timeChart, view == 1, timeChart, view == 1, false};
    for (std::uint32_t feature = 0; feature < 5; ++feature)
      EXPECT_EQ(page.ViewHasFeature(feature), expected[feature]) << "view " << view << " feature " << feature;
    EXPECT_FALSE(page.ViewHasFeature(100u));
  }
}

TEST_F(MYGPGraphicTest, FormatValuePercentPlainOrKept) {
  const struct {
    std::int32_t view;
    double value;
    std::string separator;
    std::string expected;
  } cases[] = {
      {1, 0.1234, ".", "12.34%"},    {10, -0.25, ".", "-25.00%"},   {11, 0.1234, ",", "12,34%"},
      {9, 0.1234, ".", "0.12"},      {9, 1234.5, ".", "1234.50"},   {0, 0.1234, ".", "previous"},
      {2, 0.1234, ".", "previous"},  {7, 0.1234, ".", "previous"},  {8, 0.1234, ".", "previous"},
      {12, 0.1234, ".", "previous"}, {13, 0.1234, ".", "previous"},
  };
  for (const auto& c : cases) {
    strDecimalSeparator = c.separator;
    TMYGPGraphic page(*record);
    page.CurrentView = c.view;
    std::string text = "previous";
    page.FormatValue(c.value, text);
    EXPECT_EQ(text, c.expected) << "view " << c.view;
  }
}

// The widget of a view laid out on (left, top, width, height), and its area.
void LayoutWidget(TMYGPGraphic& g, platform::Canvas& c, std::int32_t view, float l, float t, float w, float h) {
  switch (view) {
    case 1:
      return g.AllocationChart.Layout(c, l, t, w, h);
    case 2:
      return g.AssetClassChart.Layout(c, l, t, w, h);
    case 3:
    case 4:
      return g.RankingTable.Layout(c, l, t, w, h, view == 3);
    case 5:
    case 6:
      return g.SecondRankingTable.Layout(c, l, t, w, h, view == 5);
    case 7:
      return g.HedgingTable.Layout(c, l, t, w, h);
    case 8:
      return g.StatisticsTable.Layout(c, l, t, w, h);
    case 9:
      return g.WealthChart.Layout(c, l, t, w, h);
    case 10:
      return g.DrawdownChart.Layout(c, l, t, w, h);
    case 11:
      return g.RollingChart.Layout(c, l, t, w, h);
    default:
      return g.ParameterTable.Layout(c, l, t, w, h);
  }
}
TViewArea WidgetArea(const TMYGPGraphic& g, std::int32_t view) {
  const auto table = [](const TTextTable& t) { return TViewArea{t.Left, t.Top, t.Width, t.Height, 0, 0}; };
  switch (view) {
    case 1:
      return g.AllocationChart.ViewArea();
    case 2:
      return g.AssetClassChart.ViewArea();
    case 3:
    case 4:
      return g.RankingTable.ViewArea();
    case 5:
    case 6:
      return g.SecondRankingTable.ViewArea();
    case 7:
      return g.HedgingTable.ViewArea();
    case 8:
      return table(g.StatisticsTable);
    case 9:
      return g.WealthChart.ViewArea();
    case 10:
      return g.DrawdownChart.ViewArea();
    case 11:
      return g.RollingChart.ViewArea();
    default:
      return table(g.ParameterTable);
  }
}

TEST_F(MYGPGraphicTest, LayoutAreasAtAspectOneAndTwoAndViewRange) {
  Fill(*record, 40);
  vcMyExternCountryList = record->Countries;
  const struct {
    std::int32_t view;
    float left, top, height;  // top and height: multiples of the aspect taken off H
    bool ranged;
  } cases[] = {{1, 32, 64, 64, true},  {2, 32, 32, 64, false}, {3, 32, 32, 64, false}, {4, 32, 32, 64, true},
               {5, 34, 32, 64, false}, {6, 34, 32, 64, true},  {7, 32, 64, 128, true}, {8, 0, 0, 0, false},
               {9, 32, 64, 64, true},  {10, 32, 64, 64, true}, {11, 32, 64, 64, true}, {12, 0, 0, 0, false}};
  const TMYGPGraphic updated = Updated();
  for (const auto& c : cases) {
    for (float a : {1.0f, 2.0f}) {
      SCOPED_TRACE("view " + std::to_string(c.view) + " aspect " + std::to_string(a));
      TMYGPGraphic page = updated, expected = updated;
      page.CurrentView = c.view;
      platform::RecordingCanvas canvas, expectedCanvas;
      page.Layout(canvas, kW, kH, a, 150.0f);
      LayoutWidget(expected, expectedCanvas, c.view, c.left, c.top * a, kW - (c.left > 0 ? 64 : 0), kH - c.height * a);
      const TViewArea got = WidgetArea(page, c.view), want = WidgetArea(expected, c.view);
      EXPECT_GT(got.Width, 0.0f);
      EXPECT_EQ(std::vector<float>({got.Left, got.Top, got.Width, got.Height, got.SpanTop, got.SpanBottom}),
                std::vector<float>({want.Left, want.Top, want.Width, want.Height, want.SpanTop, want.SpanBottom}));
      const TViewArea range = page.GetViewRange();
      EXPECT_EQ(range.Width, c.ranged ? got.Width : 0.0f);
      EXPECT_EQ(range.Top, c.ranged ? got.Top : 0.0f);
    }
  }
}

TEST_F(MYGPGraphicTest, RegimePanelsStackedInTheMiddleColumn) {
  // EQQV states 1, 1, 0, 0: share 0.5, not below 0.5; EQBL 1, 0, 0, 0: 0.25.
  const auto state = [](const std::string& name, double last) {
    return TLabelledSeries{{name, "North America"}, Monthly(2020, 1, {0.0, last}), false};
  };
  cMyExternEQQVGraphicData.Rows1 = {state("A", 1), state("B", 1), state("C", 0), state("D", 0)};
  cMyExternEQBLGraphicData.Rows1 = {state("A", 1), state("B", 0), state("C", 0), state("D", 0)};
  cMyExternEQSLGraphicData.RankingPages = {state("USA", 0), state("Canada", 0)};
  for (float width : {1600.0f, 1000.0f}) {
    TMYGPGraphic page = Updated();
    page.CurrentView = 0;
    platform::RecordingCanvas canvas;
    page.Layout(canvas, width, kH, 1.0f, 150.0f);
    const TRegimePanel* panels[] = {&page.MacroeconomyPanel,  &page.BehavioralFinancePanel, &page.MonetaryPolicyPanel,
                                    &page.LiquidityPanel,     &page.EquityBondChoicePanel,  &page.BondChoicePanel,
                                    &page.CurrencyChoicePanel};
    for (const TRegimePanel* p : panels) {
      EXPECT_FLOAT_EQ(p->ViewArea().Left, 288.0f);
      EXPECT_FLOAT_EQ(p->ViewArea().Width, width - 576.0f);
      EXPECT_GT(p->ViewArea().Height, 0.0f);
    }
    // Indicators down from 2 (their boxes stand 2 above the panel), each
    // overlapping the one above by half a text height (bold text size on the
    // recording canvas: 1.2 x size).
    const float halfText = 0.5f * 1.2f * widgets::TextSize();
    const float step = page.MacroeconomyPanel.ViewArea().Height - halfText;
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(panels[i]->ViewArea().Top, 2.0f + static_cast<float>(i) * step) << i;
    // Choices up from the bottom, 25 apart: "Equities vs. Bonds" lowest.
    const TViewArea eb = page.EquityBondChoicePanel.ViewArea();
    const TViewArea bond = page.BondChoicePanel.ViewArea();
    const TViewArea ccy = page.CurrencyChoicePanel.ViewArea();
    EXPECT_FLOAT_EQ(eb.Top + eb.Height, kH);
    EXPECT_FLOAT_EQ(bond.Top + bond.Height + 25.0f, eb.Top);
    EXPECT_FLOAT_EQ(ccy.Top + ccy.Height + 25.0f, bond.Top);
    canvas.Ops.clear();
    EXPECT_TRUE(page.Draw(canvas, width));
    // Every box, text and dot lies inside the area: the top boxes are not cut.
    int drawn = 0;
    for (const platform::TCanvasOp& op : canvas.Ops) {
      if (op.Kind != platform::TCanvasOpKind::FillRect && op.Kind != platform::TCanvasOpKind::FillText &&
          op.Kind != platform::TCanvasOpKind::FillEllipse)
        continue;
      if (op.Rect.Bottom <= op.Rect.Top) continue;  // the labels of a choice row without boxes have no room
      ++drawn;
      EXPECT_TRUE(op.Rect.Left >= 0.0f && op.Rect.Top >= 0.0f && op.Rect.Right <= width && op.Rect.Bottom <= kH)
          << op.Text << " (" << op.Rect.Left << ", " << op.Rect.Top << ", " << op.Rect.Right << ", " << op.Rect.Bottom
          << ") in " << width << " x " << kH;
    }
    EXPECT_GT(drawn, 20);
    EXPECT_DOUBLE_EQ(page.MacroeconomyPanel.Value(), 0.5);
    EXPECT_DOUBLE_EQ(page.BehavioralFinancePanel.Value(), 0.25);
    const auto& rows = page.EquityBondChoicePanel.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::vector<std::string>({rows[0][0].Text, rows[0][1].Text, rows[1][0].Text, rows[1][1].Text}),
              std::vector<std::string>({"Bonds", "Equities", "Canada", "USA"}));  // best list reversed
  }
}

TEST_F(MYGPGraphicTest, TwoRankingTablesWithSixRegionLegend) {
  Fill(*record, 10);
  TMYGPGraphic page = Updated();
  page.Update();  // a second update sets the legend anew
  EXPECT_TRUE(page.RankingTable.EquityMode());
  EXPECT_FALSE(page.SecondRankingTable.EquityMode());
  for (const TCountryRankingTable* table : {&page.RankingTable, &page.SecondRankingTable}) {
    ASSERT_EQ(table->Legend.size(), 6u);
    for (std::size_t r = 0; r < 6; ++r) {
      ASSERT_EQ(table->Legend[r].Labels.size(), 1u);
      EXPECT_EQ(table->Legend[r].Labels[0], strRegionNameList[r]);
      EXPECT_EQ(table->Legend[r].Colour, claRegionColors[r]);
    }
    EXPECT_EQ(table->Columns()[2][0].Text, "Model");
    EXPECT_EQ(table->Columns()[3][0].Text, "Benchmark");
  }
}

// Signal histories whose first and last points differ, loaded into the EQQV
// and EQBL records as the timing models load them: the ranking tables flag
// each country with its current state (the last point), as the EQGP page
// does, not with its oldest; a country the models lack keeps its flags.
TEST_F(MYGPGraphicTest, FlagsFollowTheCurrentSignalStates) {
  const struct {
    const char* Name;
    std::vector<double> Macro, Behaviour;  // monthly signal points
  } countries[] = {{"USA", {0, 0, 1}, {1, 0, 0}}, {"Canada", {1, 1, 0}, {0, -1, 1}}};
  const auto load = [&](models::TTimingKind kind, TEQBLGraphicData& data, bool macro) {
    data = {};
    for (const auto& c : countries) {
      TCountry country = MakeCountry(c.Name, "USD");
      Asset(country, atSignal, macro ? "QVSIGNAL" : "BLSIGNAL") = Monthly(2020, 1, macro ? c.Macro : c.Behaviour);
      Asset(country, atSignal, macro ? "BLSIGNAL" : "QVSIGNAL") = Monthly(2020, 1, {0, 0, 0});
      data.Countries.Edit().push_back(country);
      data.Values1.push_back({MonthEnd(2020, 3), 0.0});
    }
    data.EndDate = MonthEnd(2020, 3);
    models::LoadTimingSignals(kind, data);
  };
  load(models::TTimingKind::EQQV, cMyExternEQQVGraphicData, true);
  load(models::TTimingKind::EQBL, cMyExternEQBLGraphicData, false);
  ASSERT_EQ(cMyExternEQQVGraphicData.Rows1.at(0).Series.size(), 3u);  // the whole history is there too

  Fill(*record, 10);
  record->AllocationItems[0].Items.push_back(record->AllocationItems[0].Items[0]);
  record->AllocationItems[0].Items[2].Name = "Chile";  // no state rows: its flags stay
  record->AllocationItems[0].Items[2].MacroOn = true;
  record->AllocationItems[0].Items[2].BehaviourOn = false;
  Updated();
  const struct {
    const char* Name;
    bool Macro, Behaviour;
  } expected[] = {{"USA", true, false}, {"Canada", false, true}, {"Chile", true, false}};
  const auto& items = record->AllocationItems[0].Items;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(items[i].Name, expected[i].Name);
    EXPECT_EQ(items[i].MacroOn, expected[i].Macro) << expected[i].Name;
    EXPECT_EQ(items[i].BehaviourOn, expected[i].Behaviour) << expected[i].Name;
  }
}

TEST_F(MYGPGraphicTest, FXRowsFollowTheCountriesAndThePublishedFigpRows) {
  const std::vector<std::string> forty{"USD", "CAD", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR",
                                       "EUR", "EUR", "EUR", "EUR", "GBP", "CHF", "SEK", "NOK", "DKK", "CZK",
                                       "HUF", "ISK", "AUD", "NZD", "ZAR", "BRL", "MXN", "CLP", "RUB", "JPY",
                                       "CNY", "HKD", "INR", "IDR", "MYR", "PHP", "SGD", "KRW", "TWD", "TRY"};
  for (std::size_t i = 0; i < forty.size(); ++i)
    vcMyExternCountryList.push_back(MakeCountry("C" + std::to_string(i), forty[i]));
  TMYGPGraphic page = Updated();
  ASSERT_EQ(page.HedgingTable.RowCount(), 29);  // EUR and 28 others
  EXPECT_EQ(page.HedgingTable.Columns[0][28].Text, "TRY");

  // Max 80, Min 20, S1 = S2 = 1: F = 0.2 of the FIGP row of the same currency.
  vcMyExternCountryList = {MakeCountry("USA", "USD"), MakeCountry("Germany", "EUR"),
                           MakeCountry("United Kingdom", "GBP"), MakeCountry("Japan", "JPY")};
  usMyExternUserSettings.PortfolioCcy = "EUR";
  record->Performance.Parameters.MaxEqVsFiAllocation = 80.0;
  record->Performance.Parameters.MinEqVsFiAllocation = 20.0;
  TBenchmarkAllocation timed, plain;
  timed.Items = {{"USA", 0.5, 0.0, 1}, {"Germany", 0.3, 0.0, 1}, {"United Kingdom", 0.2, 0.0, 1}};
  plain.Items = {{"USA", 0.6, 0.0, 1}, {"Germany", 0.4, 0.0, 1}};
  record->Benchmark.WeightHistory = {timed};
  record->Benchmark2.WeightHistory = {plain};
  vExternFIGPFXHedgingPosition = {{"GBP", 10, 4, 0}, {"EUR", -50, 0, 29}, {"USD", 40, 7, 3}};
  page.Update();
  ASSERT_EQ(page.HedgingTable.RowCount(), 5);
  const double expected[3][3] = {{8, 0, 0}, {-10, 0, 59.8}, {2, 12.8, 0}};  // USD, EUR, GBP
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_NEAR(page.HedgingTable.Columns[k + 1][r].Value, expected[r][k], 1e-9) << "row " << r;
}

TEST_F(MYGPGraphicTest, AllocationCursorBothWaysResetAndNextItem) {
  // Signals start 5 months before the 40 allocations: 5 grid entries in front.
  Fill(*record, 40);
  Asset(record->Countries.Edit()[0], atSignal, "QVSIGNAL") = Constant(2019, 8, 50, 1.0);
  vcMyExternCountryList = record->Countries;
  TMYGPGraphic page = Updated();
  page.Update();  // the history is extended once
  ASSERT_EQ(record->Performance.AllocationHistory.size(), 45u);
  const std::int32_t last = 44;
  EXPECT_EQ(page.AllocationChart.WindowLength, 25);  // counted before the extension
  page.CurrentView = 1;
  EXPECT_EQ(page.AllocationChart.LastIndex, last);
  EXPECT_FALSE(page.HasNextItem());
  const struct {
    std::int32_t step, count, expected;
  } moves[] = {{2, -1, last - 2}, {2, -1, last - 4}, {2, 1, last - 2}, {2, 50, last}, {2, -100, 24}, {1, 3, 27}};
  for (const auto& m : moves) {
    page.MoveCursors(m.step, m.count);
    EXPECT_EQ(page.AllocationChart.LastIndex, m.expected) << m.step << " x " << m.count;
    EXPECT_EQ(page.HasNextItem(), m.expected != last);
  }
  page.CurrentView = 2;
  EXPECT_FALSE(page.HasNextItem());  // no cursor in this view
  page.ResetCursors();
  EXPECT_EQ(page.AllocationChart.LastIndex, last);

  // Ten allocations: window 10, so a step back stays on window - 1.
  Fill(*record, 10);
  record->Countries = {MakeCountry("USA", "USD")};
  page.Update();
  EXPECT_EQ(page.AllocationChart.WindowLength, 10);
  page.MoveCursors(2, -1);
  EXPECT_EQ(page.AllocationChart.LastIndex, 9);
}

// Every view draws and answers true; a view whose widget has nothing (no
// calculation yet, or one from empty records) shows "No Data" centred in the
// area, drawn by its widget or by the page; none draws nothing.
TEST_F(MYGPGraphicTest, EmptyRecordsEveryViewDrawsItsEmptyState) {
  // After an update from empty records the regime panels show their words
  // with the dots at the start, the hedging table the five fixed currencies
  // and the parameter table the zero parameters.
  for (bool update : {false, true}) {
    TMYGPGraphic page(*record);
    page.Init();
    if (update) {
      EXPECT_NO_THROW(page.Update());
    }
    for (std::int32_t view = 0; view <= TMYGPGraphic::kViewCount; ++view) {
      SCOPED_TRACE("view " + std::to_string(view) + (update ? " updated" : " init"));
      page.CurrentView = view;
      platform::RecordingCanvas canvas;
      for (float aspect : {2.0f, 1.0f}) EXPECT_NO_THROW(page.Layout(canvas, kW, kH, aspect, 150.0f));
      EXPECT_TRUE(page.Draw(canvas, kW));
      const bool content = update && pages::IsOneOf(view, {0, 7, 12});
      if (view == TMYGPGraphic::kViewCount) {
        EXPECT_TRUE(canvas.Ops.empty());
      } else {
        EXPECT_EQ(HasText(canvas, "No Data"), !content);
      }
      if (!content && view < 8 && view != 1) {  // the page's own "No Data", centred in the whole area
        const auto texts = canvas.OpsOfKind(platform::TCanvasOpKind::FillText);
        ASSERT_FALSE(texts.empty());
        EXPECT_FLOAT_EQ((texts.back().Rect.Left + texts.back().Rect.Right) / 2, kW / 2);
        EXPECT_FLOAT_EQ((texts.back().Rect.Top + texts.back().Rect.Bottom) / 2, kH / 2);
      }
      EXPECT_TRUE(page.GetValuesAt(kW / 2, kH / 2).empty());
      page.MoveCursors(2, -1);
      page.ResetCursors();
      EXPECT_FALSE(page.HasNextItem());
      TSeriesComparisonChart chart;
      page.GetViewData(chart);
      EXPECT_EQ(chart.Loaded, update && view == 9);  // only the wealth view hands its chart over
    }
  }
}

// Misshapen records: a lone closing row, asset rows of unknown groups, an
// empty weight list, more FIGP rows than currencies, unnamed rows, three
// months of allocations. Update fills what it can: the closing row alone in
// the ranking tables, the five fixed FX rows, the asset rows it was given;
// the allocation bars have too few months and show "No Data".
TEST_F(MYGPGraphicTest, MisshapenRecordsShowWhatTheyCan) {
  Fill(*record, 3);
  record->AllocationItems = {RegionRow("TOTAL", {})};  // the closing row alone
  record->AssetShares = {{"Odd", 0.5, 0.5, 99}, {"Negative", -0.5, 2.0, -3}};
  record->Benchmark.WeightHistory = {TBenchmarkAllocation{}};
  vExternFIGPFXHedgingPosition.assign(60, {"XXX", 1.0, 2.0, 3.0});  // more rows than currencies
  vcMyExternCountryList = {MakeCountry("USA", "USD")};
  cMyExternFIGFGraphicData.Rows1 = {TLabelledSeries{}};
  cMyExternEQSLGraphicData.RankingPages = {TLabelledSeries{}, TLabelledSeries{{"X"}, {}, false}};
  TMYGPGraphic page(*record);
  page.Init();
  page.Update();
  EXPECT_EQ(page.HedgingTable.RowCount(), 5);  // USD, EUR, GBP, JPY, CNY
  EXPECT_EQ(std::count_if(page.AssetClassChart.RowItems().begin(), page.AssetClassChart.RowItems().end(),
                          [](std::int32_t item) { return item >= 0; }),
            2);
  EXPECT_EQ(page.AllocationChart.EntryCount, 3);
  for (const TCountryRankingTable* table : {&page.RankingTable, &page.SecondRankingTable})
    EXPECT_EQ(table->ChildCounts(), std::vector<std::uint32_t>{0u});
  const struct {
    std::int32_t View;
    bool NoData;
  } views[] = {{0, false}, {1, true}, {2, false}, {3, false}, {4, false}, {5, false}, {6, false}, {7, false}};
  for (const auto& v : views) {
    page.CurrentView = v.View;
    platform::RecordingCanvas canvas;
    page.Layout(canvas, kW, kH, 1.0f, 150.0f);
    EXPECT_TRUE(page.Draw(canvas, kW));
    EXPECT_EQ(HasText(canvas, "No Data"), v.NoData) << "view " << v.View;
  }
}

}  // namespace
