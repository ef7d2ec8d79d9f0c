// The global equity strategy page: view selection, features, value texts,
// view areas, cursors, the data flag, legends, the ranking table, the
// extension of the allocation history, the currency rows and empty records.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "PageTestSupport.h"
#include "common/DateHelpers.h"
#include "models/equity/EQGPModel.h"
#include "pages/EQGPGraphic.h"
#include "pages/FXHedgingPositions.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"

namespace {

constexpr float kW = 1200.0f;
constexpr float kH = 1000.0f;
constexpr float kTab = 150.0f;

double Month(int i) { return GetEndOfMonth(platform::EncodeDate(2000 + i / 12, i % 12 + 1, 1)); }

TSeries Months(int from, int count, double value) {
  TSeries series;
  for (int i = from; i < from + count; ++i) series.push_back({Month(i), value + 0.001 * i});
  return series;
}

TCountry Country(const std::string& name, const std::string& region, const std::string& currency) {
  TCountry c;
  c.Name = name;
  c.RegionName = region;
  c.Currency = currency;
  return c;
}

// Ranking row of the EQSL result: count monthly points, -1.0 at missingAt.
TLabelledSeries ZoneRow(const std::string& name, const std::string& region, int count, int missingAt = -1) {
  TLabelledSeries row;
  row.Labels = {name, region};
  row.Series = Months(0, count, 0.5);
  if (missingAt >= 0) row.Series[static_cast<std::size_t>(missingAt)].Value = -1.0;
  return row;
}

TLabelledSeries SignalRow(const std::string& name, double value) { return {{name}, {{Month(40), value}}, false}; }

std::vector<TAllocationRow> History(int from, int count) {
  std::vector<TAllocationRow> rows;
  for (int i = from; i < from + count; ++i)
    rows.push_back({Month(i), 1.0, {{"Total Equity Allocation", 0.6}, {"Total 10Y Bond Allocation", 0.4}}});
  return rows;
}

const std::vector<TCountry> kCountries{Country("USA", "North America", "USD"),
                                       Country("GERMANY", "Europe (Euro)", "EUR"),
                                       Country("UK", "Europe (Non Euro)", "GBP"), Country("JAPAN", "Japan", "JPY")};

// An EQGP result with every part the page reads; months of allocation history.
TEQGPGraphicData FilledRecord(int months) {
  TEQGPGraphicData r;
  r.Countries = kCountries;
  // Each history set around its own level: wealth 1.0, drawdown -0.1, one-year 0.2.
  for (auto [set, level] :
       {std::pair{&r.Total.IndexCharts, 1.0}, {&r.Total.DrawdownCharts, -0.1}, {&r.Total.OneYearCharts, 0.2}}) {
    set->Slots[0] = {"Benchmark", Months(0, 36, level)};
    set->Slots[2] = {"(In EUR)", Months(0, 36, level + 0.01)};
  }
  r.Total.AllocationTitle = "Allocation";
  r.Total.AllocationHistory = History(36 - months, months);
  r.Ranking1 = {{"USA", "North America", 0.40, 0.40, 1, 0, 0},
                {"GERMANY", "Europe (Euro)", 0.30, 0.30, 2, 0, 0},
                {"UK", "Europe (Non Euro)", 0.10, 0.10, 3, 0, 0},
                {"JAPAN", "Japan", 0.05, 0.05, 4, 0, 0}};
  r.AllocationItems = models::BuildRegionTotalRows(kCountries);
  r.Total.Statistics.HasData = true;
  return r;
}

std::vector<TLabelledSeries> GoodZones() {
  return {ZoneRow("USA", "North America", 30), ZoneRow("GERMANY", "Europe (Euro)", 30)};
}

// The globals the page reads, restored after each test.
struct SavedGlobals {
  std::vector<TCountry> countries = vcMyExternCountryList;
  TUserSettings settings = usMyExternUserSettings;
  TEQSLGraphicData eqsl = cMyExternEQSLGraphicData;
  TEQQVGraphicData eqqv = cMyExternEQQVGraphicData;
  TEQBLGraphicData eqbl = cMyExternEQBLGraphicData;
  std::vector<TFXHedgingPosition> positions = vExternEQGPFXHedgingPosition;
  ~SavedGlobals() {
    vcMyExternCountryList = countries;
    usMyExternUserSettings = settings;
    cMyExternEQSLGraphicData = eqsl;
    cMyExternEQQVGraphicData = eqqv;
    cMyExternEQBLGraphicData = eqbl;
    vExternEQGPFXHedgingPosition = positions;
  }
};

class EQGPGraphicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vcMyExternCountryList = kCountries;
    vcMyExternCountryList[0].RiskFreeAssets = {{"USA", "RISKFREEASSET1", "10Y Gov Bond", 1, {}, {}},
                                               {"USA", "CASH", "1M Cash", 1, {}, {}}};
    usMyExternUserSettings = {};
    usMyExternUserSettings.PortfolioCcy = "EUR";
    usMyExternUserSettings.RiskFreeId = "RISKFREEASSET1";
    cMyExternEQSLGraphicData = {};
    cMyExternEQQVGraphicData = {};
    cMyExternEQBLGraphicData = {};
    page_.Init();
  }

  SavedGlobals saved_;
  pagetest::TUnitScreen screen_;
  TEQGPGraphicData record_ = FilledRecord(30);
  TEQGPGraphic page_{record_};
  platform::RecordingCanvas canvas_;
};

TEST_F(EQGPGraphicTest, SelectViewByGroupsAndOptions) {
  const std::array<std::int32_t, 7> cases[] = {
      // start view, the five values, expected view
      {7, 0, 0, 1, 0, 1, 3},
      {7, 0, 0, 0, 0, 1, 2},
      {7, 0, 0, -1, 1, 0, 0},
      {7, 3, 0, -1, 0, 0, 1},
      {7, 0, 0, -1, -1, 2, 4},
      {7, -1, 1, -1, 0, 0, 5},
      {0, 0, 2, 0, 0, 0, 6},
      {0, 0, 3, 0, 0, 0, 7},
      {0, 0, 4, 0, 0, 0, 8},
      {0, 0, 5, 0, 0, 0, 9},
      {10, 0, 1, 0, 0, 0, 5},
      // unchanged: first group beyond 3, second beyond 5 or without choice, options without a rule
      {7, 4, 0, 0, 0, 0, 7},
      {7, 0, 6, 0, 0, 0, 7},
      {7, 0, -1, 0, 0, 0, 7},
      {7, 0, 0, -1, 0, 1, 7},
      {7, 0, 0, 2, 0, 1, 7},
      {7, 0, 0, 0, -1, 0, 7},
      {7, 0, 0, 0, 2, 0, 7},
      {7, 0, 0, 0, 0, 3, 7},
      {7, 0, 0, 0, 0, -1, 7},
      {10, 4, 1, 0, 0, 0, 10}};
  for (const auto& c : cases) {
    page_.CurrentView = c[0];
    page_.SelectView(c[1], c[2], c[3], c[4], c[5]);
    EXPECT_EQ(page_.CurrentView, c[6]) << c[0] << " <- " << c[1] << c[2] << c[3] << c[4] << c[5];
  }
}

TEST_F(EQGPGraphicTest, ViewHasFeatureForEveryView) {
  // Per feature 0..4 the views answering true; none (10) never does.
  const std::vector<std::vector<std::int32_t>> views{{0, 6, 7, 8}, {0}, {0, 6, 7, 8}, {0}, {}};
  for (std::uint32_t feature = 0; feature < views.size(); ++feature)
    for (std::int32_t view = 0; view <= TEQGPGraphic::kViewCount; ++view) {
      page_.CurrentView = view;
      const bool expected = std::count(views[feature].begin(), views[feature].end(), view) == 1;
      EXPECT_EQ(page_.ViewHasFeature(feature), expected) << "feature " << feature << " view " << view;
    }
}

TEST_F(EQGPGraphicTest, FormatValueByView) {
  const std::vector<std::pair<double, std::string>> expected{
      {0.5, "50.00%"},  {0.5, "kept"},      {0.5, "kept"},      {0.5, "kept"}, {0.5, "kept"}, {0.5, "kept"},
      {1.2345, "1.23"}, {0.1234, "12.34%"}, {-0.25, "-25.00%"}, {0.5, "kept"}, {0.5, "kept"}};
  for (std::int32_t view = 0; view <= TEQGPGraphic::kViewCount; ++view) {
    page_.CurrentView = view;
    std::string text = "kept";
    page_.FormatValue(expected[static_cast<std::size_t>(view)].first, text);
    EXPECT_EQ(text, expected[static_cast<std::size_t>(view)].second) << "view " << view;
  }
}

// Per view at aspects 1 and 2: the area its widget was laid out in, the view
// range (zero or not), values, screen points and the history chart copy.
TEST_F(EQGPGraphicTest, LayoutAreasRangesAndValuesPerView) {
  page_.Update(GoodZones());
  for (float a : {1.0f, 2.0f}) {
    for (std::int32_t view = 0; view <= TEQGPGraphic::kViewCount; ++view) {
      SCOPED_TRACE("view " + std::to_string(view) + " aspect " + std::to_string(a));
      page_.CurrentView = view;
      page_.Layout(canvas_, kW, kH, a, kTab);
      ASSERT_TRUE(page_.Draw(canvas_, kW));
      const TViewArea v = page_.GetViewRange();
      EXPECT_EQ(v.Width == 0.0f && v.Height == 0.0f && v.Left == 0.0f, pages::IsOneOf(view, {1, 2, 5, 9, 10}));
      const bool timeView = pages::IsOneOf(view, {0, 6, 7, 8});
      EXPECT_EQ(page_.GetValuesAt(v.Left + v.Width / 2.0f, v.Top + v.Height - 10.0f).empty(), !timeView);
      EXPECT_EQ(page_.DataToScreen({Month(30), 0.5}) != platform::TPointF{}, timeView);
      TSeriesComparisonChart copy;
      page_.GetViewData(copy);
      EXPECT_EQ(copy.Loaded, view == 6);
      if (view >= 6 && view <= 8) {  // the view's own history set
        const std::vector<TDataPoint> values = page_.GetValuesAt(v.Left + v.Width / 2.0f, v.Top);
        ASSERT_FALSE(values.empty());
        // The wealth chart answers in hundredths (its log scale).
        const double levels[] = {100.0, -0.1, 0.2};
        EXPECT_NEAR(values.front().Value, levels[view - 6], view == 6 ? 5.0 : 0.05);
      }
      if (timeView) {  // plot: two thirds of the area (32, 64a, W - 64, H - 64a), centred
        const float height = kH - 64.0f * a;
        EXPECT_FLOAT_EQ(v.Width, 2.0f * (kW - 64.0f) / 3.0f);
        EXPECT_FLOAT_EQ(v.Height, 2.0f * height / 3.0f);
        EXPECT_FLOAT_EQ(v.Top, 64.0f * a + height / 6.0f);
      } else if (view == 1) {  // within (t, 0, W - 2t, H)
        const TPercentGridTable& grid = page_.AllocationGrid;
        EXPECT_GE(grid.Left, kTab);
        EXPECT_LE(grid.Left + grid.TotalWidth, kW - kTab + 0.01f);
      } else if (view == 3) {  // within (32, 32a, W - 64, H - 64a)
        EXPECT_GE(v.Left, 32.0f);
        EXPECT_GE(v.Top, 32.0f * a);
        EXPECT_LE(v.Left + v.Width, kW - 32.0f + 0.01f);
        EXPECT_LE(v.Top + v.Height, kH - 32.0f * a + 0.01f);
      } else if (view == 4) {  // centred in (32, 64a, W - 64, H - 128a)
        EXPECT_FLOAT_EQ(v.Left + v.Width / 2.0f, 32.0f + (kW - 64.0f) / 2.0f);
        EXPECT_FLOAT_EQ(v.Top + v.Height / 2.0f, 64.0f * a + (kH - 128.0f * a) / 2.0f);
      } else if (view == 5 || view == 9) {  // centred in (0, 0, W, H)
        const TTextTable& table = view == 5 ? page_.StatisticsTable : page_.ParameterTable;
        EXPECT_GT(table.Height, 0.0f);
        EXPECT_FLOAT_EQ(table.Top + table.Height / 2.0f, kH / 2.0f);
      }
    }
  }
}

TEST_F(EQGPGraphicTest, DataFlagFromEQSLRows) {
  const struct {
    std::string name;
    std::vector<TLabelledSeries> rows;
    bool expected;
  } cases[] = {
      {"none", {}, false},
      {"24 points", {ZoneRow("USA", "North America", 24)}, true},
      {"23 points", {ZoneRow("USA", "North America", 23)}, false},
      {"-1.0 among the last 24", {ZoneRow("USA", "North America", 30, 6)}, false},
      {"-1.0 before the last 24", {ZoneRow("USA", "North America", 30, 5)}, true},
      {"one good row of two", {ZoneRow("USA", "North America", 30, 29), ZoneRow("UK", "Europe (Non Euro)", 24)}, true},
  };
  for (const auto& c : cases)
    for (std::int32_t view : {5, TEQGPGraphic::kViewCount}) {
      page_.Update(c.rows);
      page_.CurrentView = view;
      page_.Layout(canvas_, kW, kH, 1.0f, kTab);
      EXPECT_EQ(page_.Draw(canvas_, kW), c.expected) << c.name << ", view " << view;
    }
}

TEST_F(EQGPGraphicTest, GridAndBarLegends) {
  page_.Update({ZoneRow("USA", "North America", 30), ZoneRow("JAPAN", "Japan", 30), ZoneRow("X", "Nowhere", 30)});
  const std::vector<TLegendItem>& grid = page_.AllocationGrid.Legend;
  const std::vector<std::pair<std::string, TAlphaColor>> expected{
      {"USA", claRegionColors[0]}, {"JAPAN", claRegionColors[4]}, {"X", pages::kOtherRegionColour}};
  ASSERT_EQ(grid.size(), expected.size());
  for (std::size_t i = 0; i < grid.size(); ++i) {
    EXPECT_EQ(grid[i].Labels, std::vector<std::string>{expected[i].first});
    EXPECT_EQ(grid[i].Colour, expected[i].second) << expected[i].first;
  }
  page_.Update({ZoneRow("USA", "North America", 20)});
  EXPECT_TRUE(page_.AllocationGrid.Legend.empty()) << "without data the grid gets no legend";

  for (const auto& [id, second] : {std::pair<std::string, std::string>{"RISKFREEASSET1", "Total 10Y Bond Allocation"},
                                   {"CASH", "Total 1M Cash Allocation"}}) {
    usMyExternUserSettings.RiskFreeId = id;
    page_.Update(GoodZones());
    const std::vector<TLegendItem>& legend = page_.AllocationChart.LegendItems;
    ASSERT_EQ(legend.size(), 2u) << id;
    EXPECT_EQ(legend[0].Labels, std::vector<std::string>{"Total Equity Allocation"});
    EXPECT_EQ(legend[0].Colour, claGraphicPalette[1]);
    EXPECT_EQ(legend[1].Labels, std::vector<std::string>{second});
    EXPECT_EQ(legend[1].Colour, claGraphicPalette[5]);
  }
}

TEST_F(EQGPGraphicTest, CountryRankingTitlesRegionLegendAndFlags) {
  cMyExternEQQVGraphicData.Rows4 = {SignalRow("USA", 1.0), SignalRow("GERMANY", 0.0)};
  cMyExternEQBLGraphicData.Rows4 = {SignalRow("USA", 0.0), SignalRow("GERMANY", 1.0)};
  for (int update = 1; update <= 2; ++update) {
    page_.Update(GoodZones());
    // Six region items, replaced (not appended again) by the second update.
    ASSERT_EQ(page_.RankingTable.Legend.size(), 6u) << "update " << update;
    for (std::size_t i = 0; i < 6; ++i) {
      EXPECT_EQ(page_.RankingTable.Legend[i].Labels, std::vector<std::string>{strRegionNameList[i]});
      EXPECT_EQ(page_.RankingTable.Legend[i].Colour, claRegionColors[i]);
    }
  }
  EXPECT_TRUE(page_.RankingTable.EquityMode());
  std::string texts;
  for (const auto& column : page_.RankingTable.Columns())
    for (const TTableCell& cell : column) texts += cell.Text + "|";
  EXPECT_NE(texts.find("Equity"), std::string::npos);
  EXPECT_NE(texts.find("Bond"), std::string::npos);
  // Flags written into the record: USA macro only, GERMANY behaviour only.
  const TCountryAllocationItem& usa = record_.AllocationItems.at(0).Items.at(0);
  const TCountryAllocationItem& germany = record_.AllocationItems.at(1).Items.at(0);
  EXPECT_EQ(std::make_tuple(usa.Name, usa.MacroOn, usa.BehaviourOn), std::make_tuple("USA", true, false));
  EXPECT_EQ(std::make_tuple(germany.Name, germany.MacroOn, germany.BehaviourOn),
            std::make_tuple("GERMANY", false, true));
}

TEST_F(EQGPGraphicTest, HistoryExtendedOnceWindowCountedBefore) {
  for (const auto& [months, window] : {std::pair{30, 25}, {25, 25}, {10, 10}}) {
    record_ = FilledRecord(months);
    page_.Update(GoodZones());
    EXPECT_EQ(page_.AllocationChart.WindowLength, window) << months;
    EXPECT_EQ(page_.AllocationChart.EntryCount, months) << "no signal grid, nothing added";
  }
  // The signal grid starts 26 months before the history's 10.
  record_ = FilledRecord(10);
  record_.Countries.Edit()[0].SignalAssets = {{"USA", "QVSIGNAL", "", 3, Months(0, 36, 1.0), {}}};
  page_.Update(GoodZones());
  ASSERT_EQ(record_.Total.AllocationHistory.size(), 36u);
  EXPECT_EQ(record_.Total.AllocationHistory.front().Date, Month(0));
  EXPECT_EQ(page_.AllocationChart.EntryCount, 36);
  EXPECT_EQ(page_.AllocationChart.WindowLength, 10);
  page_.Update(GoodZones());
  EXPECT_EQ(record_.Total.AllocationHistory.size(), 36u) << "a second update adds nothing";
}

TEST_F(EQGPGraphicTest, CursorsBothWaysResetAndNextItem) {
  page_.Update(GoodZones());  // 30 months, window 25
  const TSeriesBarChart& bars = page_.AllocationChart;
  const std::array<std::int32_t, 2> moves[] = {{-1, 27}, {-100, 24}, {1, 26}, {100, 29}, {1, 29}, {-2, 25}};
  for (const auto& [count, expected] : moves) {
    page_.CurrentView = 6;  // cursors move whatever the view
    page_.MoveCursors(2, count);
    EXPECT_EQ(bars.LastIndex, expected) << count;
    EXPECT_EQ(bars.WindowEnd, bars.History[static_cast<std::size_t>(bars.LastIndex)].Date) << "window reloaded";
    EXPECT_FALSE(page_.HasNextItem()) << "only the bar view has a cursor";
    page_.CurrentView = 0;
    EXPECT_EQ(page_.HasNextItem(), expected != 29);
  }
  page_.ResetCursors();
  EXPECT_EQ(bars.LastIndex, 29);
  EXPECT_FALSE(page_.HasNextItem());
  page_.Layout(canvas_, kW, kH, 1.0f, kTab);
  ASSERT_TRUE(page_.Draw(canvas_, kW));
  EXPECT_EQ(page_.GetCurrentItem(), bars.CaptionAnchor);
  EXPECT_NE(page_.GetCurrentItem(), (platform::TPointF{}));
  page_.CurrentView = 7;
  EXPECT_EQ(page_.GetCurrentItem(), (platform::TPointF{}));

  // Fewer months than the window: the cursor stays on the last one.
  record_ = FilledRecord(3);
  page_.Update(GoodZones());
  for (std::int32_t count : {-5, 5}) {
    page_.MoveCursors(2, count);
    EXPECT_EQ(bars.LastIndex, 2);
  }
}

TEST_F(EQGPGraphicTest, HedgingRowsFollowThePositions) {
  // The forty-country currency list: EUR and 28 others.
  const std::vector<std::string> forty{"USD", "CAD", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR",
                                       "EUR", "EUR", "EUR", "EUR", "GBP", "CHF", "SEK", "NOK", "DKK", "CZK",
                                       "HUF", "ISK", "AUD", "NZD", "ZAR", "BRL", "MXN", "CLP", "RUB", "JPY",
                                       "CNY", "HKD", "INR", "IDR", "MYR", "PHP", "SGD", "KRW", "TWD", "TRY"};
  for (std::size_t i = 0; i < forty.size(); ++i)
    vcMyExternCountryList.push_back(Country("C" + std::to_string(i), "Developing Asia", forty[i]));
  const struct {
    int months;
    std::string portfolio;
    std::vector<std::pair<double, double>> swapAndPosition;  // USD, EUR, GBP, JPY
  } cases[] = {
      {30, "EUR", {{0, 0}, {0, 55}, {10, 0}, {5, 0}}},
      {30, "USD", {{0, 0}, {30, 0}, {10, 0}, {5, 0}}},
      {0, "EUR", {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},  // no history
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.portfolio + " " + std::to_string(c.months));
    record_ = FilledRecord(c.months);
    usMyExternUserSettings.PortfolioCcy = c.portfolio;
    vExternEQGPFXHedgingPosition.clear();
    page_.Update(GoodZones());
    ASSERT_EQ(vExternEQGPFXHedgingPosition.size(), 29u);
    EXPECT_EQ(page_.HedgingTable.RowCount(), 29);
    EXPECT_EQ(vExternEQGPFXHedgingPosition.back().Currency, "TRY");
    for (std::size_t i = 0; i < c.swapAndPosition.size(); ++i) {
      const TFXHedgingPosition& row = vExternEQGPFXHedgingPosition[i];
      EXPECT_EQ(row.SpotFx, 0.0) << row.Currency;
      EXPECT_NEAR(row.FxSwap, c.swapAndPosition[i].first, 1e-9) << row.Currency;
      EXPECT_NEAR(row.CcyPosition, c.swapAndPosition[i].second, 1e-9) << row.Currency;
    }
  }
}

TEST_F(EQGPGraphicTest, EmptyRecordsDrawNothingAndNeverCrash) {
  vcMyExternCountryList.clear();
  usMyExternUserSettings = {};
  record_ = {};
  // Without zone rows every view answers false; with them over an empty
  // EQGP result every widget paints its own empty state.
  for (bool withZones : {false, true}) {
    page_.Init();
    page_.Update(withZones ? GoodZones() : std::vector<TLabelledSeries>{});
    for (float a : {1.0f, 2.0f})
      for (std::int32_t view = 0; view <= TEQGPGraphic::kViewCount; ++view) {
        SCOPED_TRACE("view " + std::to_string(view) + (withZones ? " with zones" : ""));
        page_.CurrentView = view;
        page_.Layout(canvas_, kW, kH, a, kTab);
        EXPECT_EQ(page_.Draw(canvas_, kW), withZones);
        page_.MoveCursors(2, -1);
        page_.ResetCursors();
        EXPECT_FALSE(page_.HasNextItem());
        EXPECT_TRUE(page_.GetValuesAt(kW / 2.0f, kH / 2.0f).empty());
      }
    EXPECT_EQ(page_.HedgingTable.RowCount(), 5);  // the five fixed currencies, all zero
  }
  for (const platform::TCanvasOp& op : canvas_.Ops)
    for (const platform::TPointF& point : op.Points) ASSERT_TRUE(std::isfinite(point.X) && std::isfinite(point.Y));
}

}  // namespace
