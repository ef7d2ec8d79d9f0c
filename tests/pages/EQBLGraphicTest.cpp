// The signal-timing equity pages: view choice, features, value texts, view
// areas, cursors, group and item loading, legends, the allocation windows
// and their one-time extension, and pages over missing groups, items and
// empty records.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "PageTestSupport.h"
#include "pages/EQBLGraphic.h"
#include "platform/RecordingCanvas.h"

namespace {

constexpr std::size_t kMonths = 40;

TSeries Points(std::size_t count, double value, std::size_t from = 0) {
  TSeries s;
  for (std::size_t i = from; i < from + count; ++i) s.push_back({40000.0 + 30.0 * static_cast<double>(i), value});
  return s;
}

TLabelledSeries Row(const std::string& name, const std::string& region, TSeries series) {
  return TLabelledSeries{{name, region}, std::move(series), true};
}

TNamedSeriesSet Set(const std::string& name) {
  TNamedSeriesSet set;
  for (std::size_t k = 0; k < 3; ++k) set.Slots[k] = {name + std::to_string(k), Points(kMonths, 1.0 + 0.1 * k)};
  return set;
}

// Allocation history of the last `entries` grid months.
std::vector<TAllocationRow> History(std::size_t entries) {
  std::vector<TAllocationRow> rows;
  for (const TDataPoint& p : Points(entries, 0.0, kMonths - entries))
    rows.push_back({p.Date, 1.0, {{"Alpha", 0.6}, {"Beta", 0.4}}});
  return rows;
}

// `groups` item groups (group g has state g + 1), two countries with data
// (item 1 with three detail rows), histories of `entries` entries.
TEQBLGraphicData MakeRecord(std::size_t groups, std::size_t entries) {
  TEQBLGraphicData r;
  TAssetSeries signal;
  signal.ID = "QVSIGNAL";
  signal.Series = Points(kMonths, 1.0);
  TCountry country;
  country.SignalAssets.push_back(signal);
  r.Countries = {country, country};
  for (std::size_t g = 0; g < groups; ++g) {
    const double state = static_cast<double>(g + 1);
    r.GroupRows.push_back({{Row("Alpha", strRegionNameList[0], Points(kMonths, state)),
                            Row("", strRegionNameList[0], Points(kMonths, 0.0)),
                            Row("Beta", strRegionNameList[4], Points(kMonths, state))},
                           {},
                           {}});
  }
  for (std::size_t item = 0; item < 2; ++item) {
    TCountryModelData d;
    d.Rows.assign(2 + item, Row("Row", "", Points(kMonths, 1.0)));
    d.IndexCharts = Set("Wealth" + std::to_string(item));
    d.DrawdownCharts = Set("Drawdown");
    d.OneYearCharts = Set("Rolling");
    d.Statistics.HasData = true;
    r.CountryData.push_back(d);
  }
  r.Total.Summaries.resize(1);
  r.Total.Summaries[0].Parameters.RiskFreeId = "RF";
  r.Total.IndexCharts = Set("TotalWealth");
  r.Total.DrawdownCharts = Set("TotalDrawdown");
  r.Total.OneYearCharts = Set("TotalRolling");
  r.Total.Statistics.HasData = true;
  r.Total.AllocationHistory = History(entries);
  r.Total.EquityHistory = History(entries);
  r.Total.RiskFreeHistory = History(entries);
  r.Allocations1 = r.Allocations2 = r.Allocations3 = {{"Alpha", strRegionNameList[0], {60.0}, 1}};
  return r;
}

class EQBLGraphicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    strDecimalSeparator = ".";
    SetRiskFreeTitle("2Y Gov Bond");
    cMyExternEQSLGraphicData.RankingRows = {Row("Alpha", strRegionNameList[0], {}),
                                            Row("Beta", strRegionNameList[4], {})};
  }
  void TearDown() override {
    strDecimalSeparator = savedSeparator_;
    vcMyExternCountryList = savedCountries_;
    cMyExternEQSLGraphicData = savedEQSL_;
  }
  static void SetRiskFreeTitle(const std::string& title) {
    TAssetSeries riskFree;
    riskFree.ID = "RF";
    riskFree.Title = title;
    riskFree.Type = 1;
    TCountry first;
    first.RiskFreeAssets.push_back(riskFree);
    vcMyExternCountryList = {first};
  }
  // A page over `record` loaded as the window does after a calculation.
  static TEQBLGraphic Loaded(TEQBLGraphicData& record, std::int32_t item = 0) {
    TEQBLGraphic page(record);
    page.Init();
    page.LoadGroupSeries(true, 0);
    page.Update(item);
    return page;
  }
  static bool DrawsNoData(TEQBLGraphic& page, std::int32_t view) {
    platform::RecordingCanvas canvas;
    page.CurrentView = view;
    page.Layout(canvas, 1600.0f, 900.0f, 1.0f, 100.0f);
    page.Draw(canvas, 1600.0f);
    for (const platform::TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillText))
      if (op.Text == "No Data") return true;
    return false;
  }

 private:
  pagetest::TUnitScreen screen_;
  std::string savedSeparator_ = strDecimalSeparator;
  std::vector<TCountry> savedCountries_ = vcMyExternCountryList;
  TEQSLGraphicData savedEQSL_ = cMyExternEQSLGraphicData;
};

TEST_F(EQBLGraphicTest, SelectViewFollowsItsTableAndKeepsTheViewWithoutARule) {
  struct Case {
    std::int32_t before, c1, c2, c3, option, expected;
  };
  const Case cases[] = {
      {20, 0, 5, 1, 2, 0},  {20, 1, -1, -1, -1, 1}, {0, 3, 0, 0, 0, 2},    {0, 3, 1, 0, 0, 3},
      {0, 3, 2, 0, 0, 4},   {0, 3, 3, 0, 0, 5},     {0, 3, 4, 0, 0, 6},    {0, 3, 5, 0, 0, 8},
      {0, 2, 1, 0, 0, 9},   {0, 2, 0, 1, 0, 10},    {0, 2, 0, 0, 0, 11},   {0, 2, 0, 1, 1, 12},
      {0, 2, 0, 0, 1, 13},  {0, 2, 0, 1, 2, 14},    {0, 2, 0, 0, 2, 15},   {0, 2, 2, 0, 9, 16},
      {0, 2, 3, 0, 0, 17},  {0, 2, 4, 0, 0, 18},    {0, 2, 5, 0, 0, 19},   {12, 2, 0, 1, -1, 12},
      {12, 2, 0, 0, 3, 12}, {12, 2, 0, 2, 0, 12},   {12, 2, 0, -1, 0, 12}, {4, 3, 6, 0, 0, 4},
      {4, 3, -1, 0, 0, 4},  {4, 2, 6, 0, 0, 4},     {4, 4, 0, 0, 0, 4},    {20, -1, -1, -1, -1, 20},
  };
  TEQBLGraphicData record;
  TEQBLGraphic page(record);
  page.Init();
  EXPECT_EQ(page.CurrentView, 20);
  for (const Case& c : cases) {
    page.CurrentView = c.before;
    page.SelectView(c.c1, c.c2, c.c3, c.option);
    EXPECT_EQ(page.CurrentView, c.expected) << c.c1 << " " << c.c2 << " " << c.c3 << " " << c.option;
  }
}

TEST_F(EQBLGraphicTest, ViewHasFeatureAndFormatValueFollowTheirViewSets) {
  const std::vector<std::vector<std::int32_t>> views = {
      {4, 5, 6, 10, 12, 14, 16, 17, 18}, {1, 2, 10, 12, 14}, {4, 5, 6, 10, 12, 14, 16, 17, 18}, {10, 12, 14}, {}};
  TEQBLGraphicData record;
  TEQBLGraphic page(record);
  for (std::uint32_t feature = 0; feature < views.size(); ++feature)
    for (std::int32_t view = 0; view <= 20; ++view) {
      page.CurrentView = view;
      const bool expected = std::find(views[feature].begin(), views[feature].end(), view) != views[feature].end();
      EXPECT_EQ(page.ViewHasFeature(feature), expected) << "feature " << feature << " view " << view;
    }
  const std::vector<std::tuple<std::int32_t, double, std::string>> texts = {
      {5, 0.1234, "12.34%"}, {10, 0.5, "50.00%"},  {18, -0.25, "-25.00%"}, {4, 1234.5, "1234.50"},
      {16, 2.0, "2.00"},     {0, 0.5, "previous"}, {11, 0.5, "previous"},  {20, 0.5, "previous"}};
  for (const auto& [view, value, expected] : texts) {
    page.CurrentView = view;
    std::string text = "previous";
    page.FormatValue(value, text);
    EXPECT_EQ(text, expected) << view;
  }
}

TEST_F(EQBLGraphicTest, LayoutPlacesEachViewInItsAreaAndViewRangeIsZeroWithoutWidgetGeometry) {
  TEQBLGraphicData record = MakeRecord(1, 30);
  TEQBLGraphic page = Loaded(record);
  const float W = 1600.0f, H = 900.0f, t = 100.0f;
  for (const float a : {1.0f, 2.0f}) {
    for (std::int32_t view = 0; view <= 20; ++view) {
      platform::RecordingCanvas canvas;
      page.CurrentView = view;
      page.Layout(canvas, W, H, a, t);
      page.Draw(canvas, W);
      SCOPED_TRACE("aspect " + std::to_string(a) + " view " + std::to_string(view));
      const TViewArea range = page.GetViewRange();
      const bool hasRange = pages::IsOneOf(view, {1, 2, 4, 5, 6, 10, 12, 14, 16, 17, 18});
      EXPECT_EQ(range.Width != 0.0f && range.Height != 0.0f, hasRange);
      if (!hasRange) {
        EXPECT_TRUE(range.Left == 0.0f && range.Top == 0.0f && range.SpanBottom == 0.0f);
      }
      if (view == 0) {
        EXPECT_NEAR(page.CountryGrid.Left() + 0.5f * page.CountryGrid.TotalWidth(), 0.5f * W, 0.01f);
        EXPECT_NEAR(page.CountryGrid.Top() + 0.5f * page.CountryGrid.TotalHeight(), 0.5f * (H - 96.0f * a), 0.01f);
      } else if (view == 1 || view == 2) {
        const TRegionSeriesChart& c = view == 1 ? page.GroupHistoryChart : page.CountryDetailChart;
        const float gridBottom = c.GridTop() + static_cast<float>(c.VisibleRows()) * c.RowHeight();
        EXPECT_NEAR(c.DateAxis().Top + 0.5f * (gridBottom - c.DateAxis().Top), 32.0f * a + 0.5f * (H - 64.0f * a),
                    1.0f);
        EXPECT_NEAR(c.DateAxis().Left + 0.5f * c.DateAxis().Width, 0.5f * W, 1.0f);
      } else if (pages::IsOneOf(view, {3, 8, 9, 19})) {
        const TTextTable& tt = view == 3   ? page.CountryStatisticsTable
                               : view == 8 ? page.CountryParameterTable
                               : view == 9 ? page.TotalStatisticsTable
                                           : page.TotalParameterTable;
        EXPECT_NEAR(tt.Top + 0.5f * tt.Height, 0.5f * H, 0.01f);
      } else if (hasRange) {
        // Time charts: a plot of two thirds of the area, centred in its height.
        EXPECT_FLOAT_EQ(range.Width, 2.0f * (W - 64.0f) / 3.0f);
        EXPECT_FLOAT_EQ(range.Height, 2.0f * (H - 64.0f * a) / 3.0f);
        EXPECT_FLOAT_EQ(range.Top, 64.0f * a + (H - 64.0f * a) / 6.0f);
      } else if (const TPercentTable* table = page.AllocationTableOfView()) {
        EXPECT_FLOAT_EQ(table->Left, t);
        EXPECT_FLOAT_EQ(table->TotalWidth, W - 2.0f * t);
      }
    }
  }
}

TEST_F(EQBLGraphicTest, CursorsClampAtBothEndsResetAndAnswerHasNextItem) {
  TEQBLGraphicData record = MakeRecord(1, 30);
  TEQBLGraphic page = Loaded(record);
  // 40 months in a 25 window; the bar charts hold 40 entries after the extension.
  const std::pair<std::int32_t, std::int32_t> moves[] = {{-1, 37}, {-5, 27}, {-100, 24}, {3, 30}, {100, 39}, {-3, 33}};
  for (const auto& [count, expected] : moves) {
    page.MoveCursors(2, count);
    EXPECT_EQ(page.GroupHistoryChart.LastVisibleColumn(), expected) << count;
    EXPECT_EQ(page.CountryDetailChart.LastVisibleColumn(), expected) << count;
    for (const TSeriesBarChart* bars : {&page.AllocationChart1, &page.AllocationChart2, &page.AllocationChart3}) {
      EXPECT_EQ(bars->LastIndex, expected) << count;
      EXPECT_EQ(bars->WindowEnd, bars->History[static_cast<std::size_t>(expected)].Date) << "window reloaded";
    }
  }
  for (const bool reset : {false, true}) {
    if (reset) page.ResetCursors();
    for (std::int32_t view : {1, 2, 10, 12, 14, 0, 4}) {
      page.CurrentView = view;
      EXPECT_EQ(page.HasNextItem(), !reset && pages::IsOneOf(view, {1, 2, 10, 12, 14})) << view;
    }
  }
  EXPECT_EQ(page.GroupHistoryChart.LastVisibleColumn(), 39);
  EXPECT_EQ(page.AllocationChart3.LastIndex, 39);

  // The shift indicator point: the title point of a drawn region chart, (0, 0) elsewhere.
  platform::RecordingCanvas canvas;
  page.CurrentView = 1;
  page.Layout(canvas, 1600.0f, 900.0f, 1.0f, 100.0f);
  page.Draw(canvas, 1600.0f);
  EXPECT_EQ(page.GetCurrentItem(), page.GroupHistoryChart.TitlePoint());
  EXPECT_NE(page.GetCurrentItem(), (platform::TPointF{0.0f, 0.0f}));
  page.CurrentView = 4;
  EXPECT_EQ(page.GetCurrentItem(), (platform::TPointF{0.0f, 0.0f}));
}

TEST_F(EQBLGraphicTest, LoadGroupSeriesReducesNamedRowsToTheirLastPointAndKeepsTheWindowWithoutRelayout) {
  TEQQVGraphicData record;
  static_cast<TEQBLGraphicData&>(record) = MakeRecord(8, 30);
  record.GroupRows[2].AllRows[2].Series.back().Value = 4.0;
  TEQQVGraphic page(record);
  page.Init();
  page.LoadGroupSeries(true, 2);
  std::vector<std::pair<std::string, double>> cells;
  for (const TRegionGridTable::TBlock& block : page.CountryGrid.Blocks())
    for (std::size_t i = 1; i < block.Cells.size(); ++i) cells.emplace_back(block.Cells[i].Text, block.Cells[i].Value);
  EXPECT_EQ(cells, (std::vector<std::pair<std::string, double>>{{"Alpha", 3.0}, {"Beta", 4.0}}));
  EXPECT_EQ(page.GroupHistoryChart.SeriesCount(), 3);
  EXPECT_EQ(page.GroupHistoryChart.VisibleRows(), 16);
  page.MoveCursors(2, -4);
  page.LoadGroupSeries(false, 7);
  EXPECT_EQ(page.GroupHistoryChart.LastVisibleColumn(), 31);
  page.LoadGroupSeries(true, 7);
  EXPECT_EQ(page.GroupHistoryChart.LastVisibleColumn(), 39);
}

TEST_F(EQBLGraphicTest, UpdateBuildsLegendsAndWindowsAndExtendsTheHistoriesOnce) {
  struct Case {
    std::string title, legend;
    std::size_t entries;
    std::int32_t window;
  };
  const Case cases[] = {{"2Y Gov Bond", "Total 2Y Bond Allocation", 30, 25},
                        {"10Y Gov Bond", "Total 10Y Bond Allocation", 10, 10},
                        {"1M Cash", "Total 1M Cash Allocation", 40, 25},
                        {"Other Bill", "Total Other Bill Allocation", 24, 24}};
  for (const Case& c : cases) {
    SetRiskFreeTitle(c.title);
    TEQBLGraphicData record = MakeRecord(1, c.entries);
    TEQBLGraphic page = Loaded(record);
    const std::vector<TLegendItem>& total = page.AllocationChart1.LegendItems;
    ASSERT_EQ(total.size(), 2u);
    EXPECT_EQ(total[0].Labels, std::vector<std::string>{"Total Equity Allocation"});
    EXPECT_EQ(total[0].Colour, 0xFF355C7Du);
    EXPECT_EQ(total[1].Labels, std::vector<std::string>{c.legend});
    EXPECT_EQ(total[1].Colour, 0xFF8395A7u);
    for (const TSeriesBarChart* bars : {&page.AllocationChart1, &page.AllocationChart2, &page.AllocationChart3}) {
      EXPECT_EQ(bars->WindowLength, c.window) << c.entries;
      EXPECT_EQ(bars->EntryCount, static_cast<std::int32_t>(kMonths)) << c.entries;
      if (bars == &page.AllocationChart1) continue;
      ASSERT_EQ(bars->LegendItems.size(), 2u);  // the ranking rows' countries in their region colours
      EXPECT_EQ(bars->LegendItems[1].Labels, std::vector<std::string>{"Beta"});
      EXPECT_EQ(bars->LegendItems[1].Colour, claRegionColors[4]);
    }
    EXPECT_EQ(record.Total.RiskFreeHistory.front().Holdings.empty(), c.entries < kMonths);
    EXPECT_EQ(record.Total.AllocationHistory.back().Holdings.size(), 2u);
    page.Update(0);
    for (const auto* history :
         {&record.Total.AllocationHistory, &record.Total.EquityHistory, &record.Total.RiskFreeHistory})
      EXPECT_EQ(history->size(), kMonths) << "a second update extends nothing";
  }
}

TEST_F(EQBLGraphicTest, SelectItemReloadsThePerCountryViewsKeepingTheWindow) {
  TEQQVGraphicData record;
  static_cast<TEQBLGraphicData&>(record) = MakeRecord(1, 30);
  TEQQVGraphic page(record);
  page.Init();
  page.LoadGroupSeries(true, 0);
  page.Update(0);
  EXPECT_EQ(page.CountryCharts.Wealth.ModelName, "Wealth02");
  page.MoveCursors(2, -2);
  page.SelectItem(1, true);
  EXPECT_EQ(page.CountryDetailChart.SeriesCount(), 3);
  EXPECT_EQ(page.CountryDetailChart.VisibleRows(), 2);
  EXPECT_EQ(page.CountryDetailChart.LastVisibleColumn(), 35);
  EXPECT_EQ(page.CountryCharts.Wealth.ModelName, "Wealth12");
  EXPECT_EQ(page.CountryStatisticsTable.ModelKind, TTextTable::kEQQV);
  EXPECT_EQ(page.TotalParameterTable.ModelKind, TTextTable::kEQQV);
}

TEST_F(EQBLGraphicTest, MissingGroupOrItemEmptiesItsViewsWhichDrawTheirEmptyState) {
  TEQBLGraphicData record = MakeRecord(1, 30);
  TEQBLGraphic page = Loaded(record);
  page.LoadGroupSeries(false, 5);
  EXPECT_TRUE(page.CountryGrid.Blocks().empty());
  EXPECT_EQ(page.GroupHistoryChart.SeriesCount(), 0);
  page.SelectItem(99, true);
  EXPECT_EQ(page.CountryDetailChart.SeriesCount(), 0);
  // The grid and both region charts too: a group the record lacks, an item
  // past the per-country data.
  for (std::int32_t view : {0, 1, 2, 3, 4, 5, 6, 8}) EXPECT_TRUE(DrawsNoData(page, view)) << view;
  for (std::int32_t view : {0, 1, 2}) {
    platform::RecordingCanvas canvas;
    page.CurrentView = view;
    page.Layout(canvas, 1600.0f, 900.0f, 1.0f, 100.0f);
    page.Draw(canvas, 1600.0f);
    EXPECT_TRUE(canvas.OpsOfKind(platform::TCanvasOpKind::FillEllipse).empty()) << view;
    ASSERT_EQ(canvas.OpsOfKind(platform::TCanvasOpKind::FillText).size(), 1u) << view;
    const platform::TCanvasOp text = canvas.OpsOfKind(platform::TCanvasOpKind::FillText)[0];
    EXPECT_FLOAT_EQ((text.Rect.Left + text.Rect.Right) / 2, 800.0f) << view;  // centred in the area
    EXPECT_FLOAT_EQ((text.Rect.Top + text.Rect.Bottom) / 2, 450.0f) << view;
  }
  page.Update(-1);
  EXPECT_TRUE(DrawsNoData(page, 8));
  EXPECT_FALSE(DrawsNoData(page, 16)) << "the totals do not depend on the item";

  // Back to a group and an item the record has: both views fill again.
  page.LoadGroupSeries(true, 5);
  page.LoadGroupSeries(false, 0);
  EXPECT_EQ(page.GroupHistoryChart.SeriesCount(), 3);
  EXPECT_EQ(page.GroupHistoryChart.PointCount(), static_cast<std::int32_t>(kMonths));
  page.MoveCursors(2, -5);
  page.ResetCursors();  // the detail chart is empty: the group chart goes to its own last month
  EXPECT_EQ(page.GroupHistoryChart.LastVisibleColumn(), 39);
  page.SelectItem(1, true);
  EXPECT_EQ(page.CountryDetailChart.SeriesCount(), 3);
  for (std::int32_t view : {0, 1, 2, 3, 4, 8}) EXPECT_FALSE(DrawsNoData(page, view)) << view;
}

TEST_F(EQBLGraphicTest, PageUpdatedFromEmptyRecordsDrawsEveryViewsEmptyState) {
  cMyExternEQSLGraphicData = TEQSLGraphicData();
  vcMyExternCountryList.clear();
  TEQBLGraphicData record;
  TEQBLGraphic page = Loaded(record);
  page.MoveCursors(2, 1);
  page.ResetCursors();
  for (std::int32_t view = 0; view <= 20; ++view) {
    EXPECT_EQ(DrawsNoData(page, view), view != 7 && view != 19 && view != 20) << view;
    EXPECT_TRUE(page.GetValuesAt(800.0f, 400.0f).empty()) << view;
    EXPECT_EQ(page.GetHintAt(800.0f, 400.0f), "") << view;
    EXPECT_FALSE(page.HasNextItem()) << view;
  }
  EXPECT_EQ(page.AllocationChart1.LegendItems[1].Labels, std::vector<std::string>{"Total  Allocation"});
}

}  // namespace
