// The three ranking pages (equity, currency, fixed-rate bond): view
// selection, features, value texts, layout areas, the data flag, paging of
// the closing ranking, the country grid, the selection history, cursors and
// empty records.

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "pages/PageCommon.h"
#include "pages/RankingGraphic.h"
#include "platform/RecordingCanvas.h"

namespace {

using Values = std::vector<double>;
using Names = std::vector<std::string>;

double D(std::size_t t) { return 40000.0 + 30.0 * static_cast<double>(t); }

std::string Name(std::size_t i) { return "C" + std::to_string(i); }

TLabelledSeries Row(const std::string& name, const std::string& region, const Values& values, bool active = true) {
  TLabelledSeries row;
  row.Labels = {name, region};
  for (std::size_t t = 0; t < values.size(); ++t) row.Series.push_back({D(t), values[t]});
  row.Selected = active;
  return row;
}

TAllocationRow Allocation(double date, const std::vector<TWeightedName>& holdings) {
  TAllocationRow row;
  row.Date = date;
  row.Holdings = holdings;
  return row;
}

// What a test puts into a ranking record.
struct TContent {
  std::vector<TLabelledSeries> Rows;
  std::vector<TLabelledSeries> Ranking;
  std::vector<TAllocationRow> History;
  std::vector<TRegionItem> Zones;
  std::vector<TCountry> Countries;
};

// n countries over `points` dates, each ranked i + 1 at every date, even
// rows active; closing ranking of the n; C0 and C1 held at the last
// `heldDates` dates.
TContent Standard(std::size_t n = 9, std::size_t points = 30, std::size_t heldDates = 5) {
  TContent c;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string region = strRegionNameList[i % strRegionNameList.size()];
    c.Rows.push_back(Row(Name(i), region, Values(points, static_cast<double>(i + 1)), i % 2 == 0));
    TLabelledSeries entry = Row(Name(i), region, {static_cast<double>(i + 1)});
    entry.Series.front().Date = D(points - 1);
    c.Ranking.push_back(entry);
    TRegionItem zone;
    zone.Name = Name(i);
    zone.RegionName = region;
    zone.Value = i < 2 ? 0.5 : 0.0;
    c.Zones.push_back(zone);
  }
  for (std::size_t t = points - std::min(points, heldDates); t < points; ++t)
    c.History.push_back(Allocation(D(t), {{Name(0), 0.5}, {Name(1), 0.5}}));
  return c;
}

void Fill(const TRankingRecord& record, const TContent& c) {
  *record.RankingRows = c.Rows;
  *record.RankingPages = c.Ranking;
  record.Performance->AllocationHistory = c.History;
  *record.RegionItems = c.Zones;
  *record.Countries = c.Countries;
}

struct TNamedPage {
  std::string Name;
  TRankingGraphic Page;
};

// Window geometry a layout leaves in the widget of a view.
std::array<float, 4> Geometry(const TRankingGraphic& p, std::int32_t view) {
  const auto area = [](const TViewArea& a) { return std::array<float, 4>{a.Left, a.Top, a.Width, a.Height}; };
  const auto plot = [](const widgets::TTimeChartFrame& f) {
    return std::array<float, 4>{f.PlotLeft, f.PlotTop, f.PlotWidth, f.PlotHeight};
  };
  // clang-format off
  switch (view) {
    case 0: return {p.RegionGrid.Left(), p.RegionGrid.Top(), p.RegionGrid.TotalWidth(), p.RegionGrid.TotalHeight()};
    case 1: return {p.BulletList.Left(), p.BulletList.Top(), p.BulletList.TotalWidth(), p.BulletList.TotalHeight()};
    case 2: return area(p.SelectionChart.ViewArea());
    case 3: return area(p.RankingChart.ViewArea());
    case 4: return plot(p.AllocationChart);
    case 5: return {p.AllocationGrid.Left, p.AllocationGrid.Top, p.AllocationGrid.TotalWidth,
                    p.AllocationGrid.TotalHeight};
    case 6: return {p.StatisticsTable.Left, p.StatisticsTable.Top, p.StatisticsTable.Width, p.StatisticsTable.Height};
    case 7: return plot(p.WealthChart);
    case 8: return plot(p.DrawdownChart);
    case 9: return plot(p.RollingChart);
    default: return {p.ParameterTable.Left, p.ParameterTable.Top, p.ParameterTable.Width, p.ParameterTable.Height};
  }
  // clang-format on
}

// Dots of colour that the page draws in view with the rank selector at rank.
std::size_t Dots(TRankingGraphic& page, std::int32_t view, std::int32_t rank, TAlphaColor colour) {
  platform::RecordingCanvas canvas;
  page.CurrentView = view;
  page.Layout(canvas, 1600.0f, 900.0f, 1.0f, 100.0f);
  EXPECT_TRUE(page.Draw(canvas, 1600.0f, rank));
  std::size_t dots = 0;
  for (const platform::TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillEllipse))
    if (op.Fill.Color == colour) ++dots;
  return dots;
}

class RankingGraphicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSettings_ = usMyExternUserSettings;
    savedCountries_ = vcMyExternCountryList;
    savedSeparator_ = strDecimalSeparator;
    strDecimalSeparator = ".";
  }
  void TearDown() override {
    usMyExternUserSettings = savedSettings_;
    vcMyExternCountryList = savedCountries_;
    strDecimalSeparator = savedSeparator_;
  }

  // The three pages over the test's own records, after Init.
  std::vector<TNamedPage> ThreePages() {
    std::vector<TNamedPage> pages{{"EQSL", TEQSLGraphic(records_->Eqsl)},
                                  {"FICY", TFICYGraphic(records_->Ficy)},
                                  {"FISL", TFISLGraphic(records_->Fisl)}};
    for (TNamedPage& p : pages) p.Page.Init();
    return pages;
  }
  // The three pages over content, updated from position 0.
  std::vector<TNamedPage> Updated(const TContent& content) {
    std::vector<TNamedPage> pages = ThreePages();
    for (TNamedPage& p : pages) {
      Fill(p.Page.Record, content);
      p.Page.Update(0);
    }
    return pages;
  }

  struct TRecords {
    TEQSLGraphicData Eqsl;
    TFICYGraphicData Ficy;
    TFISLGraphicData Fisl;
  };
  std::unique_ptr<TRecords> records_ = std::make_unique<TRecords>();

 private:
  TUserSettings savedSettings_;
  std::vector<TCountry> savedCountries_;
  std::string savedSeparator_;
};

TEST_F(RankingGraphicTest, SelectViewFollowsTheViewTable) {
  const struct {
    std::int32_t before, c1, c2, c3, after;
  } cases[] = {
      // clang-format off
      {11, 0, 4, 0, 0}, {11, 0, -1, 1, 1}, {11, 1, 5, 0, 2}, {11, 1, 0, 1, 3}, {11, 2, 0, 1, 4}, {11, 2, 0, 0, 5},
      {11, 2, 1, -1, 6}, {11, 2, 2, 7, 7}, {11, 2, 3, 0, 8}, {11, 2, 4, 1, 9}, {11, 2, 5, 0, 10},
      // Combinations without a rule keep the view.
      {7, 0, 3, 2, 7}, {7, 1, 0, -1, 7}, {7, 2, 0, 2, 7}, {7, 2, 0, -1, 7}, {7, 2, 6, 0, 7}, {7, 2, -1, 0, 7},
      {7, 3, 0, 0, 7}, {7, -1, 0, 0, 7}, {11, 3, 1, 1, 11},
      // clang-format on
  };
  for (TNamedPage& p : ThreePages()) {
    for (const auto& c : cases) {
      p.Page.CurrentView = c.before;
      p.Page.SelectView(c.c1, c.c2, c.c3);
      EXPECT_EQ(p.Page.CurrentView, c.after) << p.Name << " " << c.c1 << "," << c.c2 << "," << c.c3;
    }
  }
}

TEST_F(RankingGraphicTest, ViewHasFeatureForEveryViewAndFeature) {
  const std::array<std::set<std::int32_t>, 5> viewsWith{
      std::set<std::int32_t>{4, 7, 8, 9}, {3, 4}, {4, 7, 8, 9}, {4}, {}};
  for (TNamedPage& p : ThreePages()) {
    for (std::int32_t view = 0; view <= 11; ++view) {
      p.Page.CurrentView = view;
      for (std::uint32_t f = 0; f < viewsWith.size(); ++f)
        EXPECT_EQ(p.Page.ViewHasFeature(f), viewsWith[f].count(view) == 1) << p.Name << " view " << view << " f " << f;
    }
  }
}

TEST_F(RankingGraphicTest, FormatValueWritesFractionsInPercent) {
  const struct {
    std::string page;
    std::int32_t view;
    double value;
    std::string expected;  // text was "keep"
  } cases[] = {
      // clang-format off
      {"EQSL", 8, -0.25, "-25.00%"}, {"EQSL", 4, 0.1234, "12.34%"}, {"EQSL", 9, 0.5, "50.00%"},
      {"EQSL", 7, 1.5, "1.50"}, {"EQSL", 0, 1.5, "keep"}, {"EQSL", 11, 1.5, "keep"},
      {"FICY", 8, -0.25, "-25.00%"}, {"FICY", 7, 1234.5, "1234.50"}, {"FICY", 5, 1.5, "keep"},
      // Fixed-rate bond page: fractions too (mended); outside its views the text stays.
      {"FISL", 8, -0.25, "-25.00%"}, {"FISL", 8, 12.3456, "1234.56%"}, {"FISL", 4, 0.0, "0.00%"},
      {"FISL", 7, 12.3456, "12.35"}, {"FISL", 5, 12.3456, "keep"}, {"FISL", 11, 1.0, "keep"},
      // clang-format on
  };
  for (TNamedPage& p : ThreePages()) {
    for (const auto& c : cases) {
      if (c.page != p.Name) continue;
      p.Page.CurrentView = c.view;
      std::string text = "keep";
      p.Page.FormatValue(c.value, text);
      EXPECT_EQ(text, c.expected) << c.page << " view " << c.view << " value " << c.value;
    }
  }
}

TEST_F(RankingGraphicTest, DataFlagNeedsOneRowRankedAtTheLatest24Dates) {
  Values gapRecent(30, 2.0);
  gapRecent[10] = -1.0;  // among the last 24
  Values gapEarly(30, 2.0);
  gapEarly[5] = -1.0;  // before the last 24
  const struct {
    std::string name;
    std::vector<Values> rows;
    bool expected;
  } cases[] = {
      {"24 points", {Values(24, 1.0)}, true},
      {"23 points", {Values(23, 1.0)}, false},
      {"-1.0 among the last 24", {gapRecent}, false},
      {"-1.0 before the last 24", {gapEarly}, true},
      {"one good row of three", {gapRecent, Values(23, 1.0), Values(25, 3.0)}, true},
      {"no rows", {}, false},
  };
  for (const auto& c : cases) {
    TContent content = Standard();
    content.Rows.clear();
    for (std::size_t i = 0; i < c.rows.size(); ++i) content.Rows.push_back(Row(Name(i), "Japan", c.rows[i]));
    for (TNamedPage& p : Updated(content)) {
      EXPECT_EQ(p.Page.DataAvailable, c.expected) << p.Name << " " << c.name;
      platform::RecordingCanvas canvas;
      for (std::int32_t view = 0; view <= 11; ++view) {
        p.Page.CurrentView = view;
        p.Page.Layout(canvas, 1200.0f, 800.0f, 1.0f, 100.0f);
        EXPECT_EQ(p.Page.Draw(canvas, 1200.0f, 1), c.expected) << p.Name << " " << c.name << " view " << view;
      }
    }
  }
}

TEST_F(RankingGraphicTest, LoadPageShowsSixEntriesFromTheStart) {
  for (std::size_t i = 0; i < 9; ++i) {
    TCountry country;
    country.Name = Name(i);
    country.Currency = "K" + std::to_string(i);
    vcMyExternCountryList.push_back(country);
  }
  const struct {
    std::int32_t start;
    std::vector<std::size_t> entries;
  } cases[] = {{0, {0, 1, 2, 3, 4, 5}}, {6, {6, 7, 8}}, {9, {}}, {3, {3, 4, 5, 6, 7, 8}}, {-4, {0, 1, 2, 3, 4, 5}}};
  for (TNamedPage& p : Updated(Standard())) {
    ASSERT_TRUE(p.Page.DataAvailable) << p.Name;
    for (const auto& c : cases) {
      p.Page.LoadPage(c.start);
      const std::vector<TLegendItem>& shown = p.Page.BulletList.Entries();
      ASSERT_EQ(shown.size(), c.entries.size()) << p.Name << " start " << c.start;
      for (std::size_t k = 0; k < shown.size(); ++k) {
        const std::size_t i = c.entries[k];
        Names labels{Name(i)};
        if (p.Name == "FICY") labels.push_back("(K" + std::to_string(i) + ")");
        EXPECT_EQ(shown[k].Labels, labels) << p.Name << " start " << c.start;
        EXPECT_EQ(shown[k].Colour, pages::RegionColour(strRegionNameList[i % 6])) << p.Name;
      }
    }
    // Without data the list keeps what it had.
    p.Page.LoadPage(0);
    p.Page.DataAvailable = false;
    p.Page.LoadPage(6);
    EXPECT_EQ(p.Page.BulletList.Entries().size(), 6u) << p.Name;
  }
}

TEST_F(RankingGraphicTest, LoadItemsGivesEachSettingsCountryItsState) {
  struct TSetting {
    std::string name;
    double eq, fi, cy;
  };
  // C0 held, C1 and C4 not held, C2 held but without weight (active row),
  // C3 held without weight (inactive row), C5 fixed income only, C7 currency
  // only on an inactive row.
  const std::vector<TSetting> settings{{"C0", 1, 1, 1}, {"C1", 1, 1, 1}, {"C2", 0, 0, 0}, {"C3", 0, 0, 0},
                                       {"C4", 1, 0, 0}, {"C5", 0, 1, 0}, {"C7", 0, 0, 1}};
  const std::map<std::string, Values> expected{
      //         C0   C1    C2    C3    C4    C5    C7
      {"EQSL", {1.0, 0.0, -1.0, -1.0, 0.0, -1.0, -1.0}},
      {"FICY", {1.0, 0.0, 1.0, -1.0, 0.0, -1.0, 0.0}},
      {"FISL", {1.0, 0.0, -1.0, -1.0, -1.0, 0.0, -1.0}},
  };
  for (const TSetting& s : settings) {
    TCountrySettings row;
    row.CountryName = s.name;
    row.RegionName = "Japan";
    row.EqWeight = s.eq;
    row.FiWeight = s.fi;
    row.CyWeight = s.cy;
    usMyExternUserSettings.CountrySettings.push_back(row);
  }
  TContent content = Standard();
  content.Zones[1].Value = 0.0;
  content.Zones[2].Value = 0.3;
  content.Zones[3].Value = 0.2;
  for (TNamedPage& p : Updated(content)) {
    std::map<std::string, double> state;
    for (const TRegionGridTable::TBlock& block : p.Page.RegionGrid.Blocks())
      for (std::size_t k = 1; k < block.Cells.size(); ++k) state[block.Cells[k].Text] = block.Cells[k].Value;
    ASSERT_EQ(state.size(), settings.size()) << p.Name;
    for (std::size_t i = 0; i < settings.size(); ++i)
      EXPECT_EQ(state[settings[i].name], expected.at(p.Name)[i]) << p.Name << " " << settings[i].name;
    EXPECT_EQ(p.Page.RegionGrid.Mode(), 1) << p.Name;
  }
}

TEST_F(RankingGraphicTest, SelectionHistoryMarksHeldCells) {
  const std::vector<TLabelledSeries> rows{Row("A", "Japan", {3, -1, 2, 5}, true),
                                          Row("B", "Japan", {-1, 4, -1, 2}, false), Row("C", "Japan", {7}, true)};
  // D(0) carried by no allocation; D(1) holds A and B; D(2) A at weight 0
  // and C (a row without a point there); D(3) holds nothing.
  const std::vector<TAllocationRow> history{Allocation(D(1), {{"A", 0.4}, {"B", 0.6}}),
                                            Allocation(D(2), {{"A", 0.0}, {"C", 0.5}}), Allocation(D(3), {})};
  const struct {
    bool activeOnly;
    std::vector<Values> expected;
  } cases[] = {
      {false, {{3, 1, 0, 0}, {-1, 1, -1, 0}, {7}}},
      {true, {{3, 1, 0, 0}, {-1, 0, -1, 0}, {7}}},
  };
  for (const auto& c : cases) {
    const std::vector<TLabelledSeries> result = pages::RankingSelectionHistory(rows, history, c.activeOnly);
    ASSERT_EQ(result.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      Values values;
      for (const TDataPoint& point : result[r].Series) values.push_back(point.Value);
      EXPECT_EQ(values, c.expected[r]) << "active only " << c.activeOnly << " row " << r;
      EXPECT_EQ(result[r].Labels, rows[r].Labels);
    }
  }
  // Allocations in any order; of two on one date the later in the list
  // decides; a date that is no number matches none.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::vector<TAllocationRow> history;
    Values expectedA;
  } orders[] = {
      {{Allocation(D(3), {{"A", 1.0}}), Allocation(D(1), {{"A", 1.0}}), Allocation(D(1), {{"B", 1.0}})}, {3, 0, 2, 1}},
      {{Allocation(D(1), {{"B", 1.0}}), Allocation(D(3), {{"A", 1.0}}), Allocation(D(1), {{"A", 1.0}})}, {3, 1, 2, 1}},
      {{Allocation(nan, {{"A", 1.0}}), Allocation(D(0), {}), Allocation(D(2), {{"A", 1.0}})}, {0, -1, 1, 5}},
  };
  for (const auto& o : orders) {
    const std::vector<TLabelledSeries> result = pages::RankingSelectionHistory(rows, o.history, false);
    Values values;
    for (const TDataPoint& point : result[0].Series) values.push_back(point.Value);
    EXPECT_EQ(values, o.expectedA);
  }

  // The pages: C0 (active) and C1 (inactive) held at every date; the
  // currency page marks only C0's cells held.
  std::map<std::string, std::size_t> held;
  for (TNamedPage& p : Updated(Standard(9, 30, 30))) held[p.Name] = Dots(p.Page, 2, 1, claGraphicPalette[1]);
  EXPECT_GT(held["FICY"], 0u);
  EXPECT_EQ(held["EQSL"], 2 * held["FICY"]);
  EXPECT_EQ(held["FISL"], held["EQSL"]);
}

TEST_F(RankingGraphicTest, RankingHistoryHighlightsTheChosenRank) {
  // Each country keeps one rank at every date: rank 1 and rank 5 light one
  // row each, rank 20 none.
  for (TNamedPage& p : Updated(Standard())) {
    const std::size_t first = Dots(p.Page, 3, 1, claGraphicPalette[1]);
    EXPECT_GT(first, 0u) << p.Name;
    EXPECT_EQ(Dots(p.Page, 3, 5, claGraphicPalette[1]), first) << p.Name;
    EXPECT_EQ(Dots(p.Page, 3, 20, claGraphicPalette[1]), 0u) << p.Name;
  }
}

TEST_F(RankingGraphicTest, LayoutAreasFollowTheGeometryTable) {
  const float w = 1500.0f;
  const float h = 900.0f;
  const float t = 120.0f;
  for (TNamedPage& p : Updated(Standard())) {
    for (const float a : {1.0f, 2.0f}) {
      for (std::int32_t view = 0; view <= 10; ++view) {
        // The same widget laid out by hand in the view's area.
        TRankingGraphic expected = p.Page;
        platform::RecordingCanvas canvas;
        // clang-format off
        switch (view) {
          case 0: expected.RegionGrid.Layout(canvas, 0, 0, w, h - 96 * a); break;
          case 1: expected.BulletList.Layout(canvas, 0, 0, w, h); break;
          case 2: expected.SelectionChart.Layout(canvas, 0, 32 * a, w, h - 64 * a); break;
          case 3: expected.RankingChart.Layout(canvas, 0, 32 * a, w, h - 64 * a); break;
          case 4: expected.AllocationChart.Layout(canvas, 32, 64 * a, w - 64, h - 64 * a); break;
          case 5: expected.AllocationGrid.Layout(canvas, t, 0, w - 2 * t, h); break;
          case 6: expected.StatisticsTable.Layout(canvas, 0, 0, w, h); break;
          case 7: expected.WealthChart.Layout(canvas, 32, 64 * a, w - 64, h - 64 * a); break;
          case 8: expected.DrawdownChart.Layout(canvas, 32, 64 * a, w - 64, h - 64 * a); break;
          case 9: expected.RollingChart.Layout(canvas, 32, 64 * a, w - 64, h - 64 * a); break;
          default: expected.ParameterTable.Layout(canvas, 0, 0, w, h); break;
        }
        // clang-format on
        p.Page.CurrentView = view;
        p.Page.Layout(canvas, w, h, a, t);
        EXPECT_EQ(Geometry(p.Page, view), Geometry(expected, view)) << p.Name << " view " << view << " aspect " << a;
      }
    }
    // Without data views 0-3 are not laid out again; the others are.
    p.Page.DataAvailable = false;
    for (std::int32_t view = 0; view <= 4; ++view) {
      const std::array<float, 4> before = Geometry(p.Page, view);
      p.Page.CurrentView = view;
      platform::RecordingCanvas canvas;
      p.Page.Layout(canvas, 2 * w, 2 * h, 1.0f, t);
      if (view < 4) {
        EXPECT_EQ(Geometry(p.Page, view), before) << p.Name << " view " << view;
      } else {
        EXPECT_NE(Geometry(p.Page, view), before) << p.Name << " view " << view;
      }
    }
  }
}

TEST_F(RankingGraphicTest, CursorsClampAndReset) {
  const struct {
    std::int32_t step, count, cursor;  // from the last point (39)
  } moves[] = {{2, -1, 37}, {2, 100, 39}, {2, -100, 24}, {1, 3, 27}, {2, 0x7fffffff, 39}};
  for (TNamedPage& p : Updated(Standard(9, 40, 40))) {
    TRankingGraphic& page = p.Page;
    for (const auto& m : moves) {
      page.ResetCursors();
      if (m.count == 3) page.MoveCursors(2, -100);  // from the start
      page.MoveCursors(m.step, m.count);
      EXPECT_EQ(page.RankingChart.LastVisibleColumn(), m.cursor) << p.Name << " " << m.step << "x" << m.count;
      EXPECT_EQ(page.SelectionChart.LastVisibleColumn(), m.cursor) << p.Name;
      EXPECT_EQ(page.AllocationChart.LastIndex, m.cursor) << p.Name;
      // The bar window was reloaded around the cursor.
      EXPECT_EQ(page.AllocationChart.WindowEnd, D(static_cast<std::size_t>(m.cursor))) << p.Name;
    }
    for (std::int32_t view = 0; view <= 11; ++view) {
      page.CurrentView = view;
      EXPECT_EQ(page.HasNextItem(), view >= 2 && view <= 4) << p.Name << " view " << view;
      // The region charts' next item needs data; the composition chart's does not.
      page.DataAvailable = false;
      EXPECT_EQ(page.HasNextItem(), view == 4) << p.Name << " view " << view;
      page.DataAvailable = true;
      page.ResetCursors();
      EXPECT_FALSE(page.HasNextItem()) << p.Name << " view " << view;
      page.MoveCursors(2, -1);
    }
  }
}

TEST_F(RankingGraphicTest, TwentyFourPointsInTheWindowOfTwentyFive) {
  for (TNamedPage& p : Updated(Standard(9, 24, 24))) {
    TRankingGraphic& page = p.Page;
    ASSERT_TRUE(page.DataAvailable) << p.Name;
    page.MoveCursors(2, -1);
    // The cursor would go to window - 1 = 24; the charts stay on their last point.
    EXPECT_EQ(page.RankingChart.LastVisibleColumn(), 23) << p.Name;
    EXPECT_EQ(page.SelectionChart.LastVisibleColumn(), 23) << p.Name;
    EXPECT_EQ(page.AllocationChart.LastIndex, 23) << p.Name;
    for (std::int32_t view : {2, 3, 4, 5}) {
      page.CurrentView = view;
      platform::RecordingCanvas canvas;
      page.Layout(canvas, 1400.0f, 800.0f, 1.0f, 100.0f);
      EXPECT_TRUE(page.Draw(canvas, 1400.0f, 1)) << p.Name;
      EXPECT_FALSE(page.HasNextItem()) << p.Name << " view " << view;
      // The shift indicator's point, stored by the drawing; none in view 5.
      EXPECT_EQ(page.GetCurrentItem().X > 0.0f, view != 5) << p.Name << " view " << view;
    }
  }
}

TEST_F(RankingGraphicTest, UpdateExtendsTheCompositionHistoryOnce) {
  TContent content = Standard(9, 30, 3);
  TCountry country;
  country.Name = Name(0);
  TAssetSeries signal;
  signal.ID = "QVSIGNAL";
  for (std::size_t t = 0; t < 30; ++t) signal.Series.push_back({D(t), 1.0});
  country.SignalAssets.push_back(signal);
  content.Countries = {country};
  for (TNamedPage& p : Updated(content)) {
    const std::vector<TAllocationRow>& history = p.Page.Record.Performance->AllocationHistory;
    ASSERT_EQ(history.size(), 30u) << p.Name;
    EXPECT_EQ(history.front().Date, D(0));
    EXPECT_TRUE(history.front().Holdings.empty());
    // Window counted before the history grew.
    EXPECT_EQ(p.Page.AllocationChart.EntryCount, 30) << p.Name;
    EXPECT_EQ(p.Page.AllocationChart.WindowLength, 3) << p.Name;
    // Region labels: one per ranking row, in its region's colour.
    ASSERT_EQ(p.Page.AllocationChart.LegendItems.size(), 9u) << p.Name;
    EXPECT_EQ(p.Page.AllocationChart.LegendItems[7].Labels, Names{"C7"});
    EXPECT_EQ(p.Page.AllocationChart.LegendItems[7].Colour, claRegionColors[1]);
    p.Page.Update(0);
    EXPECT_EQ(history.size(), 30u) << p.Name;
  }
  // Without data the composition chart gets no labels.
  content.Rows.clear();
  for (TNamedPage& p : Updated(content)) EXPECT_TRUE(p.Page.AllocationChart.LegendItems.empty()) << p.Name;
}

TEST_F(RankingGraphicTest, EmptyRecordsDrawNothingInEveryView) {
  std::vector<TNamedPage> pages = ThreePages();
  for (TNamedPage& p : pages) {
    p.Page.Update(0);
    EXPECT_FALSE(p.Page.DataAvailable) << p.Name;
    p.Page.MoveCursors(2, 1);
    p.Page.MoveCursors(2, -1);
    p.Page.ResetCursors();
    p.Page.LoadPage(3);
    for (std::int32_t view = 0; view <= 11; ++view) {
      p.Page.CurrentView = view;
      platform::RecordingCanvas canvas;
      p.Page.Layout(canvas, 1200.0f, 800.0f, 2.0f, 100.0f);
      EXPECT_FALSE(p.Page.Draw(canvas, 1200.0f, 1)) << p.Name << " view " << view;
      EXPECT_TRUE(canvas.Ops.empty()) << p.Name << " view " << view;
      EXPECT_EQ(p.Page.GetHintAt(10.0f, 10.0f), "") << p.Name;
      EXPECT_FALSE(p.Page.HasNextItem()) << p.Name << " view " << view;
      EXPECT_TRUE(p.Page.GetValuesAt(600.0f, 400.0f).empty()) << p.Name << " view " << view;
    }
  }
}

}  // namespace
