// The FIGF page: view selection, features, value texts, what Update puts in
// each widget, where each view is laid out, cursors, and the empty record.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PageTestSupport.h"
#include "common/Globals.h"
#include "pages/FIGFGraphic.h"
#include "platform/RecordingCanvas.h"

namespace {

constexpr float kW = 1920.0f;
constexpr float kH = 1080.0f;

using pagetest::MonthEnd;
constexpr auto Row = pagetest::MonthlyRow;

// groupRows group rows of 30 points; history allocation entries from month
// 20 on, and a signal grid of months 0..49 that puts 20 entries before them.
TFIGFGraphicData Record(int groupRows = 20, int history = 10) {
  TFIGFGraphicData record;
  for (int r = 0; r < groupRows; ++r) record.Rows1.push_back(Row("CCY" + std::to_string(r), 30, r % 2));
  record.Rows2 = {Row("Japan", 1, 1.0), Row("Chile", 1, 0.0), Row("Peru", 1, -1.0), Row("India", 1, 7.0)};
  record.Countries.Edit().resize(1);
  record.Countries.Edit()[0].SignalAssets.push_back({"USA", "QVSIGNAL", "", 0, Row("", 50, 1.0).Series, {}});
  TPortfolioPerformance& p = record.Performance;
  for (TNamedSeriesSet* set : {&p.IndexCharts, &p.DrawdownCharts, &p.OneYearCharts})
    (*set)[0].Series = (*set)[2].Series = Row("", 30, 1.0).Series;
  for (int i = 0; i < history; ++i)
    p.AllocationHistory.push_back({MonthEnd(20 + i), 1.0, {{"Fixed Rate Bond", 0.6}, {"Gold", 0.4}}});
  p.Statistics.HasData = true;
  record.AssetShares = {{"Bonds", 0.7, 1.0, 1}, {"Fixed Rate Bond", 0.5, 1.0, 1}, {"Gold", 0.3, 0.0, 2}};
  return record;
}

// Screen ratios of a 1920 x 1080 window and the global FIGF record, restored
// after each test.
class FIGFGraphicTest : public testing::Test {
 protected:
  pagetest::TUnitScreen screen_;
  pagetest::TKeep<TFIGFGraphicData> record_{cMyExternFIGFGraphicData};
};

TEST_F(FIGFGraphicTest, SelectViewFollowsTheTableAndKeepsTheViewOtherwise) {
  const struct {
    std::int32_t from, group, entry, option, expected;
  } cases[] = {
      {11, 0, 3, 2, 0}, {11, 1, 4, 7, 1}, {11, 2, 0, 1, 4}, {11, 2, 0, 0, 5}, {11, 2, 1, -1, 6}, {11, 2, 5, 0, 10},
      {4, 2, 0, 2, 4},  {5, 2, 0, -1, 5}, {7, 2, 6, 0, 7},  {7, 3, 0, 0, 7},  {7, -1, 0, 0, 7},  {9, 2, -1, 1, 9},
  };
  TFIGFGraphic page;
  page.Init();
  for (const auto& c : cases) {
    page.CurrentView = c.from;
    page.SelectView(c.group, c.entry, c.option);
    EXPECT_EQ(page.CurrentView, c.expected) << c.group << "," << c.entry << "," << c.option;
  }
}

TEST_F(FIGFGraphicTest, ViewHasFeatureAndFormatValueForEveryView) {
  // Bit f: feature f holds (0, 2 time charts; 1 cursor views; 3 bar view); 4 never.
  const unsigned features[12] = {0, 0b0010, 0, 0, 0b1111, 0, 0, 0b0101, 0b0101, 0b0101, 0, 0};
  // Fractions in percent views (the mend: -0.25 is "-25.00%"), plain in view
  // 7; the other views keep the text.
  const char* texts[12] = {"previous", "previous", "previous", "previous", "-25.00%",  "previous",
                           "previous", "-0.25",    "-25.00%",  "-25.00%",  "previous", "previous"};
  TFIGFGraphic page;
  page.Init();
  for (std::int32_t view = 0; view <= 11; ++view) {
    page.CurrentView = view;
    for (std::uint32_t feature = 0; feature <= 4; ++feature)
      EXPECT_EQ(page.ViewHasFeature(feature), ((features[view] >> feature) & 1u) != 0) << view << "/" << feature;
    std::string text = "previous";
    page.FormatValue(-0.25, text);
    EXPECT_EQ(text, texts[view]) << "view " << view;
  }
  page.CurrentView = 8;
  std::string text;
  page.FormatValue(0.123456, text);
  EXPECT_EQ(text, "12.35%");
}

TEST_F(FIGFGraphicTest, UpdateFillsTheWidgetsFromTheRecord) {
  cMyExternFIGFGraphicData = Record();
  TFIGFGraphic page;  // bound to the global record
  page.Init();
  page.Update();
  ASSERT_TRUE(page.HasData);

  // Every group row is shown (20, no cap at 16), with the two legend items.
  EXPECT_EQ(page.GroupChart.VisibleRows(), 20);
  EXPECT_EQ(page.GroupChart.Mode(), 1);
  const std::vector<TLegendItem>& legend = page.GroupChart.Legend();
  ASSERT_EQ(legend.size(), 2u);
  EXPECT_EQ(legend[0].Labels.at(0), "FIAT Currencies");
  EXPECT_EQ(legend[0].Colour, 0xFF77A1B5u);
  EXPECT_EQ(legend[1].Labels.at(0), "Gold");
  EXPECT_EQ(legend[1].Colour, 0xFFF7DC68u);

  // Bullet list of Rows2 by first value (1 gold, 0 fiat; -1.0 and 7 left out).
  std::vector<std::string> entries;
  for (const TLegendItem& e : page.BulletList.Entries()) entries.push_back(e.Labels.at(0));
  EXPECT_EQ(entries, (std::vector<std::string>{"Gold", "FIAT Currencies"}));

  // Allocation bars: three asset classes; the window is counted before the
  // history gains its 20 entries on the signal grid.
  const char* labels[] = {"Fixed Rate Bond", "Inflation-Linked Bond", "Gold"};
  const TAlphaColor colours[] = {0xFF8395A7, 0xFF506070, 0xFFF7DC68};
  ASSERT_EQ(page.AllocationChart.LegendItems.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(page.AllocationChart.LegendItems[i].Labels.at(0), labels[i]);
    EXPECT_EQ(page.AllocationChart.LegendItems[i].Colour, colours[i]);
  }
  EXPECT_EQ(page.AllocationChart.WindowLength, 10);
  EXPECT_EQ(page.AllocationChart.EntryCount, 30);
  EXPECT_EQ(cMyExternFIGFGraphicData.Performance.AllocationHistory.front().Date, MonthEnd(0));

  // Asset bars in the group colours: bonds palette entry 3, gold entry 7.
  const auto& rowItems = page.AssetBarChart.RowItems();
  int bars = 0;
  for (std::size_t r = 0; r < rowItems.size(); ++r) {
    if (rowItems[r] < 0) continue;
    const bool gold = cMyExternFIGFGraphicData.AssetShares.at(static_cast<std::size_t>(rowItems[r])).Kind == 2;
    EXPECT_EQ(page.AssetBarChart.Columns().at(1)[r].FillColour, gold ? 0xFFF7DC68u : 0xFF37424Du) << r;
    ++bars;
  }
  EXPECT_EQ(bars, 3);
  EXPECT_EQ(page.StatisticsTable.ModelKind, TTextTable::kFIGF);
  EXPECT_EQ(page.ParameterTable.ModelKind, TTextTable::kFIGF);

  // A second update extends nothing; its window counts the extended history.
  page.Update();
  EXPECT_EQ(cMyExternFIGFGraphicData.Performance.AllocationHistory.size(), 30u);
  EXPECT_EQ(page.AllocationChart.WindowLength, 25);
}

TEST_F(FIGFGraphicTest, LayoutAreasAtScaleOneAndTwo) {
  enum Kind { kPlot, kCentred };
  TFIGFGraphicData record = Record();
  TFIGFGraphic page(record);
  page.Init();
  page.Update();
  for (const float s : {1.0f, 2.0f}) {
    const struct {
      std::int32_t view;
      Kind kind;
      float left, top, width, height;
    } cases[] = {
        {0, kCentred, 0, 0, kW, kH},
        {4, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},
        {5, kCentred, 32, 32 * s, kW - 64, kH - 64 * s},
        {6, kCentred, 0, 0, kW, kH},
        {7, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},
        {8, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},
        {9, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},
        {10, kCentred, 0, 0, kW, kH},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE("view " + std::to_string(c.view) + " scale " + std::to_string(s));
      platform::RecordingCanvas canvas;
      page.CurrentView = c.view;
      page.Layout(canvas, kW, kH, s, 100.0f);
      if (c.kind == kPlot) {
        pagetest::ExpectTimeChartPlot(page, c.view == 4 ? 0 : c.view - 6, c.top, c.width, c.height);
        continue;
      }
      const TTextTable& table = c.view == 6 ? page.StatisticsTable : page.ParameterTable;
      const TViewArea a = c.view == 0   ? TViewArea{page.BulletList.Left(), page.BulletList.Top(),
                                                  page.BulletList.TotalWidth(), page.BulletList.TotalHeight()}
                          : c.view == 5 ? page.AssetBarChart.ViewArea()
                                        : TViewArea{table.Left, table.Top, table.Width, table.Height};
      // The statistics table moves its percent cells after centring itself.
      pagetest::ExpectCentredIn(a, c.left, c.top, c.width, c.height, c.view != 6);
    }
    // The group chart lies in its band from 32 x s to height - 32 x s.
    platform::RecordingCanvas canvas;
    page.CurrentView = 1;
    page.Layout(canvas, kW, kH, s, 100.0f);
    const TViewArea group = page.GroupChart.ViewArea();
    EXPECT_GE(group.Top, 32.0f * s);
    EXPECT_LE(group.Top + group.Height, kH - 32.0f * s + 0.01f);
    EXPECT_GT(group.Height, 0.0f);
  }
}

TEST_F(FIGFGraphicTest, WithoutDataViewsZeroAndOneAreNotLaidOutAndNothingDraws) {
  TFIGFGraphicData record = Record();
  for (TLabelledSeries& row : record.Rows1) row.Series.resize(23);  // 23 points never give data
  TFIGFGraphic page(record);
  page.Init();
  page.Update();
  ASSERT_FALSE(page.HasData);
  platform::RecordingCanvas canvas;
  for (const std::int32_t view : {0, 1, 4}) {
    page.CurrentView = view;
    page.Layout(canvas, kW, kH, 1.0f, 100.0f);
    EXPECT_FALSE(page.Draw(canvas, kW));
  }
  EXPECT_TRUE(page.BulletList.Entries().empty());
  EXPECT_EQ(page.GroupChart.ViewArea().Height, 0.0f);
  EXPECT_GT(page.AllocationChart.PlotWidth, 0.0f);  // filled and laid out all the same
  EXPECT_TRUE(canvas.Ops.empty());
}

TEST_F(FIGFGraphicTest, CursorsMoveBothWaysClampAndReset) {
  // Group rows of 30 points; 30 allocation entries, 50 after the extension.
  TFIGFGraphicData record = Record(3, 30);
  TFIGFGraphic page(record);
  page.Init();
  page.Update();
  ASSERT_EQ(page.AllocationChart.WindowLength, 25);
  const struct {
    std::int32_t count, group, bars;
  } moves[] = {{-1, 27, 47}, {-10, 24, 27}, {1, 26, 29}, {100, 29, 49}, {-100, 24, 24}, {1, 26, 26}};
  for (const auto& m : moves) {
    page.MoveCursors(2, m.count);
    EXPECT_EQ(page.GroupChart.LastVisibleColumn(), m.group) << m.count;
    EXPECT_EQ(page.AllocationChart.LastIndex, m.bars) << m.count;
    // The bar window was reloaded around the new cursor.
    EXPECT_EQ(page.AllocationChart.WindowEnd, record.Performance.AllocationHistory[m.bars].Date) << m.count;
  }
  for (std::int32_t view = 0; view <= 11; ++view) {
    page.CurrentView = view;
    EXPECT_EQ(page.HasNextItem(), view == 1 || view == 4) << view;
  }
  page.ResetCursors();
  EXPECT_EQ(page.GroupChart.LastVisibleColumn(), 29);
  EXPECT_EQ(page.AllocationChart.WindowEnd, record.Performance.AllocationHistory[49].Date);
  for (const std::int32_t view : {1, 4}) {
    page.CurrentView = view;
    EXPECT_FALSE(page.HasNextItem()) << view;
  }
  // The group chart's next item needs data, the allocation chart's does not.
  for (TLabelledSeries& row : record.Rows1) row.Series.back().Value = -1.0;
  page.Update();
  page.MoveCursors(2, -1);
  page.CurrentView = 1;
  EXPECT_FALSE(page.HasNextItem());
  page.CurrentView = 4;
  EXPECT_TRUE(page.HasNextItem());
}

TEST_F(FIGFGraphicTest, EveryViewWithAndWithoutData) {
  for (const bool withData : {true, false}) {
    TFIGFGraphicData record = withData ? Record() : TFIGFGraphicData();
    TFIGFGraphic page(record);
    page.Init();
    page.Update();
    EXPECT_EQ(page.HasData, withData);
    for (std::int32_t view = 0; view <= 11; ++view) {
      SCOPED_TRACE("view " + std::to_string(view) + (withData ? " with data" : " empty"));
      platform::RecordingCanvas canvas;
      page.CurrentView = view;
      page.MoveCursors(2, -1);
      page.Layout(canvas, kW, kH, 1.0f, 100.0f);
      // Views 2 and 3 draw nothing yet answer true; the empty record draws no view.
      EXPECT_EQ(page.Draw(canvas, kW), withData);
      EXPECT_EQ(canvas.Ops.empty(), !withData || view == 2 || view == 3 || view == 11);
      // The time charts are laid out without data too; the group chart only with data.
      const bool timeChart = view == 4 || view == 7 || view == 8 || view == 9;
      EXPECT_EQ(page.GetViewRange().Width > 0.0f, timeChart || (withData && view == 1));
      const platform::TPointF item = page.GetCurrentItem();
      EXPECT_EQ(item.X != 0.0f || item.Y != 0.0f, withData && (view == 1 || view == 4));
      pagetest::ExpectTimeChartAnswers(page, 7, 4, withData, timeChart, kW / 2, kH / 2);
      page.ResetCursors();
    }
  }
}

}  // namespace
