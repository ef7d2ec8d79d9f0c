// The FIGP page: view selection, features, value texts, the ranking table,
// the published currency hedging positions, where each view is laid out,
// cursors, and the empty records.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "PageTestSupport.h"
#include "common/Globals.h"
#include "pages/FIGPGraphic.h"
#include "pages/FXHedgingPositions.h"
#include "platform/RecordingCanvas.h"

namespace {

constexpr float kW = 1920.0f;
constexpr float kH = 1080.0f;

using pagetest::Country;
using pagetest::MonthEnd;
constexpr auto Row = pagetest::MonthlyRow;

// FIGF group rows: 24 points or more give data, 23 never.
std::vector<TLabelledSeries> GroupRows(int points = 30) { return {Row("USD", points, 1.0), Row("Gold", points, 0.0)}; }

// Six region rows of one country each, then "TOTAL"; allocation entries of
// 80 % fixed rate, 10 % inflation-linked and 10 % gold.
TFIGPGraphicData Record(int history = 30) {
  TFIGPGraphicData record;
  TPortfolioPerformance& p = record.Performance;
  for (TNamedSeriesSet* set : {&p.IndexCharts, &p.DrawdownCharts, &p.OneYearCharts})
    (*set)[0].Series = (*set)[2].Series = Row("", 30, 1.0).Series;
  for (int i = 0; i < history; ++i)
    p.AllocationHistory.push_back(
        {MonthEnd(i), 1.0, {{"Fixed Rate Bond", 0.8}, {"Inflation-Linked Bond", 0.1}, {"Gold", 0.1}}});
  p.Statistics.HasData = true;
  for (const std::string& region : strRegionNameList) {
    TRegionAllocationRow row;
    row.DetailSummary.Name = region;
    row.DetailItems.resize(1);
    row.DetailItems[0].Name = "Country of " + region;
    record.AllocationItems.push_back(row);
  }
  record.AllocationItems.emplace_back().DetailSummary.Name = "TOTAL";
  record.AssetShares = {
      {"Bonds", 0.9, 1.0, 1}, {"Fixed Rate Bond", 0.8, 1.0, 1}, {"Gold", 0.1, 0.0, 2}, {"Cash", 0.0, 0.0, 3}};
  return record;
}

// The globals the window sets (screen ratios, country list, portfolio
// currency, FICY and FISL records), restored after each test with the
// published positions.
class FIGPGraphicTest : public testing::Test {
 protected:
  void SetUp() override {
    vcMyExternCountryList = {Country("USA", "USD"), Country("Germany", "EUR"), Country("France", "EUR"),
                             Country("Brazil", "BRL")};
    usMyExternUserSettings.PortfolioCcy = "USD";
    cMyExternFICYGraphicData.Performance.AllocationHistory = {
        {MonthEnd(29), 1.0, {{"USA", 0.5}, {"Germany", 0.1}, {"France", 0.2}, {"Brazil", 0.2}}}};
    cMyExternFISLGraphicData.RegionItems.resize(2);
    cMyExternFISLGraphicData.RegionItems[0].Name = "USA";
    cMyExternFISLGraphicData.RegionItems[1].Name = "Brazil";
    cMyExternFISLGraphicData.RegionItems[0].Value = cMyExternFISLGraphicData.RegionItems[1].Value = 0.5;
  }
  pagetest::TUnitScreen screen_;
  pagetest::TKeep<std::vector<TCountry>> countries_{vcMyExternCountryList};
  pagetest::TKeep<TUserSettings> settings_{usMyExternUserSettings};
  pagetest::TKeep<TFICYGraphicData> ficy_{cMyExternFICYGraphicData};
  pagetest::TKeep<TFISLGraphicData> fisl_{cMyExternFISLGraphicData};
  pagetest::TKeep<TFIGPGraphicData> figp_{cMyExternFIGPGraphicData};
  pagetest::TKeep<std::vector<TFXHedgingPosition>> positions_{vExternFIGPFXHedgingPosition};
};

TEST_F(FIGPGraphicTest, SelectViewFollowsTheTableAndKeepsTheViewOtherwise) {
  const struct {
    std::int32_t from, group, entry, option, secondOption, kind, expected;
  } cases[] = {
      {10, 0, 0, -1, -1, 2, 4}, {10, 3, 0, 1, -1, 1, 3},  {10, 1, 0, 0, -1, 1, 2}, {10, 0, 0, -1, 1, 0, 0},
      {10, 0, 0, -1, 0, 0, 1},  {10, 2, 1, -1, -1, 7, 5}, {10, 0, 5, 1, 1, 0, 9},  {6, 0, 0, 2, -1, 1, 6},
      {6, 0, 0, -1, -1, 0, 6},  {6, 0, 0, 1, 1, 3, 6},    {6, 4, 1, 0, 0, 0, 6},   {6, 0, 6, 0, 0, 0, 6},
      {6, -1, 1, 0, 0, 0, 6},   {6, 0, -1, 0, 0, 2, 6},
  };
  TFIGPGraphic page;
  page.Init();
  for (const auto& c : cases) {
    page.CurrentView = c.from;
    page.SelectView(c.group, c.entry, c.option, c.secondOption, c.kind);
    EXPECT_EQ(page.CurrentView, c.expected)
        << c.group << "," << c.entry << "," << c.option << "," << c.secondOption << "," << c.kind;
  }
}

TEST_F(FIGPGraphicTest, ViewHasFeatureAndFormatValueForEveryView) {
  // Bit f: feature f holds; feature 4 never.
  const unsigned features[11] = {0b1111, 0, 0, 0, 0, 0, 0b0101, 0b0101, 0b0101, 0, 0};
  // Fractions in percent views (the mend: -0.25 is "-25.00%"), plain in view
  // 6; the other views keep the text.
  const char* texts[11] = {"-25.00%", "previous", "previous", "previous", "previous", "previous",
                           "-0.25",   "-25.00%",  "-25.00%",  "previous", "previous"};
  TFIGPGraphic page;
  page.Init();
  for (std::int32_t view = 0; view <= 10; ++view) {
    page.CurrentView = view;
    for (std::uint32_t feature = 0; feature <= 4; ++feature)
      EXPECT_EQ(page.ViewHasFeature(feature), ((features[view] >> feature) & 1u) != 0) << view << "/" << feature;
    std::string text = "previous";
    page.FormatValue(-0.25, text);
    EXPECT_EQ(text, texts[view]) << "view " << view;
  }
}

TEST_F(FIGPGraphicTest, UpdateFillsRankingTableAndBars) {
  cMyExternFIGPGraphicData = Record();
  TFIGPGraphic page;  // bound to the global record
  page.Init();
  page.Update(GroupRows());
  ASSERT_TRUE(page.HasData);

  // Bond mode, "Model" and "Benchmark" in the header, the six regions as legend.
  EXPECT_FALSE(page.RankingTable.EquityMode());
  std::vector<std::string> header;
  for (const auto& column : page.RankingTable.Columns()) header.push_back(column.at(0).Text);
  EXPECT_NE(std::find(header.begin(), header.end(), "Model"), header.end());
  EXPECT_NE(std::find(header.begin(), header.end(), "Benchmark"), header.end());
  page.Update(GroupRows());  // the legend is replaced, not appended to
  ASSERT_EQ(page.RankingTable.Legend.size(), 6u);
  for (std::size_t r = 0; r < 6; ++r) {
    EXPECT_EQ(page.RankingTable.Legend[r].Labels.at(0), strRegionNameList[r]);
    EXPECT_EQ(page.RankingTable.Legend[r].Colour, claRegionColors[r]);
  }

  ASSERT_EQ(page.AllocationChart.LegendItems.size(), 3u);
  EXPECT_EQ(page.AllocationChart.LegendItems[1].Labels.at(0), "Inflation-Linked Bond");
  EXPECT_EQ(page.AllocationChart.LegendItems[1].Colour, 0xFF506070u);
  EXPECT_EQ(page.AllocationChart.WindowLength, 25);

  // Asset bars by group: 1 palette entry 3, 2 entry 7, 3 entry 6.
  const TAlphaColor groupColour[] = {0xFF4C4C4E, 0xFF37424D, 0xFFF7DC68, 0xFF77A1B5};
  const auto& rowItems = page.AssetBarChart.RowItems();
  int bars = 0;
  for (std::size_t r = 0; r < rowItems.size(); ++r) {
    if (rowItems[r] < 0) continue;
    const std::int32_t kind = cMyExternFIGPGraphicData.AssetShares.at(static_cast<std::size_t>(rowItems[r])).Kind;
    EXPECT_EQ(page.AssetBarChart.Columns().at(1)[r].FillColour, groupColour[kind]) << "row " << r;
    ++bars;
  }
  EXPECT_EQ(bars, 4);
  EXPECT_EQ(page.StatisticsTable.ModelKind, TTextTable::kFIGP);
  EXPECT_EQ(page.ParameterTable.ModelKind, TTextTable::kFIGP);
}

TEST_F(FIGPGraphicTest, HedgingPositionsArePublishedAndShown) {
  TFIGPGraphicData record = Record();
  TFIGPGraphic page(record);
  page.Init();
  page.Update(GroupRows(23));  // the positions do not depend on FIGF's data
  const std::vector<TFXHedgingPosition>& rows = vExternFIGPFXHedgingPosition;
  ASSERT_EQ(rows.size(), 6u);
  ASSERT_EQ(page.HedgingTable.RowCount(), 6);
  // Currency, SpotFx, FxSwap, CcyPosition in percent. EUR: both FICY pairs
  // (10 % + 20 %), no bonds. BRL: bonds 50 % x 90 % against 20 %. USD, the
  // portfolio currency: minus the foreign weight, no swap columns.
  const TFXHedgingPosition expected[] = {{"USD", -50.0, 0.0, 0.0}, {"EUR", 30.0, 0.0, 30.0}, {"GBP", 0.0, 0.0, 0.0},
                                         {"JPY", 0.0, 0.0, 0.0},   {"CNY", 0.0, 0.0, 0.0},   {"BRL", 20.0, 25.0, 0.0}};
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(expected[i].Currency);
    EXPECT_EQ(rows[i].Currency, expected[i].Currency);
    EXPECT_EQ(page.HedgingTable.Columns.at(0).at(i).Text, expected[i].Currency);
    EXPECT_NEAR(rows[i].SpotFx, expected[i].SpotFx, 1e-9);
    EXPECT_NEAR(rows[i].FxSwap, expected[i].FxSwap, 1e-9);
    EXPECT_NEAR(rows[i].CcyPosition, expected[i].CcyPosition, 1e-9);
    EXPECT_NEAR(page.HedgingTable.Columns.at(1).at(i).Value, expected[i].SpotFx, 1e-9);
  }

  // Without a FICY allocation every position is zero.
  cMyExternFICYGraphicData.Performance.AllocationHistory.clear();
  page.Update(GroupRows());
  ASSERT_EQ(rows.size(), 6u);
  for (const TFXHedgingPosition& row : rows) EXPECT_EQ(row.SpotFx + row.FxSwap + row.CcyPosition, 0.0) << row.Currency;

  // Forty countries: EUR and 28 others, every one in the table.
  const std::string forty =
      "USD CAD EUR EUR EUR EUR EUR EUR EUR EUR EUR EUR EUR EUR GBP CHF SEK NOK DKK CZK "
      "HUF ISK AUD NZD ZAR BRL MXN CLP RUB JPY CNY HKD INR IDR MYR PHP SGD KRW TWD TRY";
  vcMyExternCountryList.clear();
  for (std::size_t i = 0; i < forty.size(); i += 4) vcMyExternCountryList.push_back(Country("C", forty.substr(i, 3)));
  ASSERT_EQ(vcMyExternCountryList.size(), 40u);
  page.Update(GroupRows());
  EXPECT_EQ(rows.size(), 29u);
  EXPECT_EQ(page.HedgingTable.RowCount(), 29);
  EXPECT_EQ(page.HedgingTable.Columns.at(0).at(28).Text, "TRY");
}

TEST_F(FIGPGraphicTest, LayoutAreasAtScaleOneAndTwo) {
  enum Kind { kPlot, kCentred, kRanking };
  TFIGPGraphicData record = Record();
  TFIGPGraphic page(record);
  page.Init();
  page.Update(GroupRows(23));  // layout does not depend on data
  for (const float s : {1.0f, 2.0f}) {
    const struct {
      std::int32_t view;
      Kind kind;
      float left, top, width, height;
    } cases[] = {
        {0, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},     {1, kCentred, 32, 32 * s, kW - 64, kH - 64 * s},
        {2, kRanking, 34, 32 * s, kW - 64, kH - 64 * s},  {3, kRanking, 34, 32 * s, kW - 64, kH - 64 * s},
        {4, kCentred, 32, 64 * s, kW - 64, kH - 128 * s}, {5, kCentred, 0, 0, kW, kH},
        {6, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},     {7, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},
        {8, kPlot, 32, 64 * s, kW - 64, kH - 64 * s},     {9, kCentred, 0, 0, kW, kH},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE("view " + std::to_string(c.view) + " scale " + std::to_string(s));
      platform::RecordingCanvas canvas;
      page.CurrentView = c.view;
      page.Layout(canvas, kW, kH, s, 100.0f);
      if (c.kind == kPlot) {
        pagetest::ExpectTimeChartPlot(page, c.view == 0 ? 0 : c.view - 5, c.top, c.width, c.height);
      } else if (c.kind == kRanking) {
        // The header starts at the area's corner; view 2 shows the region rows only.
        const TTableCell& corner = page.RankingTable.Columns().at(0).at(0);
        EXPECT_FLOAT_EQ(corner.Bounds.Left, c.left);
        EXPECT_FLOAT_EQ(corner.Bounds.Top, c.top);
        EXPECT_EQ(corner.Text, c.view == 2 ? "Region" : "Region/Country");
      } else {
        const TTextTable& table = c.view == 5 ? page.StatisticsTable : page.ParameterTable;
        const TViewArea a = c.view == 1   ? page.AssetBarChart.ViewArea()
                            : c.view == 4 ? page.HedgingTable.ViewArea()
                                          : TViewArea{table.Left, table.Top, table.Width, table.Height};
        // The statistics table moves its percent cells after centring itself.
        pagetest::ExpectCentredIn(a, c.left, c.top, c.width, c.height, c.view != 5);
      }
    }
  }
}

TEST_F(FIGPGraphicTest, AllocationCursorMovesBothWaysClampsAndResets) {
  TFIGPGraphicData record = Record(40);
  TFIGPGraphic page(record);
  page.Init();
  page.Update(GroupRows(23));  // the allocation cursor does not need data
  const struct { std::int32_t count, expected; } moves[] = {{-1, 37}, {-10, 24}, {3, 30}, {100, 39}, {-100, 24}};
  for (const auto& m : moves) {
    page.MoveCursors(2, m.count);
    EXPECT_EQ(page.AllocationChart.LastIndex, m.expected) << m.count;
    // The window was reloaded around the new cursor.
    EXPECT_EQ(page.AllocationChart.WindowEnd, record.Performance.AllocationHistory[m.expected].Date) << m.count;
  }
  for (std::int32_t view = 0; view <= 10; ++view) {
    page.CurrentView = view;
    EXPECT_EQ(page.HasNextItem(), view == 0) << view;
  }
  page.ResetCursors();
  EXPECT_EQ(page.AllocationChart.LastIndex, 39);
  page.CurrentView = 0;
  EXPECT_FALSE(page.HasNextItem());
}

TEST_F(FIGPGraphicTest, EveryViewWithAndWithoutData) {
  for (const bool withData : {true, false}) {
    if (!withData) {
      vcMyExternCountryList.clear();
      cMyExternFICYGraphicData = TFICYGraphicData();
      cMyExternFISLGraphicData = TFISLGraphicData();
    }
    TFIGPGraphicData record = withData ? Record() : TFIGPGraphicData();
    TFIGPGraphic page(record);
    page.Init();
    page.Update(withData ? GroupRows() : std::vector<TLabelledSeries>{});
    EXPECT_EQ(page.HasData, withData);
    EXPECT_EQ(vExternFIGPFXHedgingPosition.size(), withData ? 6u : 5u);
    for (std::int32_t view = 0; view <= 10; ++view) {
      SCOPED_TRACE("view " + std::to_string(view) + (withData ? " with data" : " empty"));
      platform::RecordingCanvas canvas;
      page.CurrentView = view;
      page.MoveCursors(2, -1);
      page.Layout(canvas, kW, kH, 1.0f, 100.0f);
      EXPECT_EQ(page.Draw(canvas, kW), withData);
      EXPECT_EQ(canvas.Ops.empty(), !withData || view == 10);
      const bool timeChart = view == 0 || view == 6 || view == 7 || view == 8;
      if (withData) {
        EXPECT_EQ(page.GetViewRange().Width > 0.0f, timeChart || view == 3 || view == 4);
      }
      const platform::TPointF item = page.GetCurrentItem();
      EXPECT_EQ(item.X != 0.0f || item.Y != 0.0f, withData && view == 0);
      pagetest::ExpectTimeChartAnswers(page, 6, 0, withData, timeChart, kW / 2, kH / 2);
      page.ResetCursors();
    }
  }
}

}  // namespace
