// The label/value table: parameter form (rows by model kind, greyed rows,
// number texts, column widths) and statistics form (shapes, "n.c.", the
// "When" dots, the " %" alignment), "No Data" and the picture.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "common/CountryHelpers.h"
#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "widgets/TextTable.h"
#include "widgets/gallery/WidgetFixture.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOpKind;

namespace {

// The parameters of the gallery's data set.
using widgetfixture::Parameters;

constexpr float kChar = 9.6f;     // RecordingCanvas: 0.6 x 16 per character
constexpr float kHeight = 19.2f;  // 1.2 x 16

// A country list whose first country names its risk-free asset, for the "Bond" title.
class TextTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    widgettest::SetWindowGlobals();
    SavedCountries_ = vcMyExternCountryList;
    TCountry country;
    country.Name = "Atlantis";
    TAssetSeries cash;
    cash.ID = "CASH";
    cash.Title = "1M Cash";
    TAssetSeries bond;
    bond.ID = "RISKFREEASSET1";
    bond.Title = "10Y Gov Bond";
    country.RiskFreeAssets = {cash, bond};
    vcMyExternCountryList = {country};
  }
  void TearDown() override { vcMyExternCountryList = SavedCountries_; }

 private:
  std::vector<TCountry> SavedCountries_;
};

TStatisticsBlock Block(double base) {
  TStatisticsBlock b;
  b.Return = base;
  b.ReturnWhenOn = base + 0.01;
  b.ReturnWhenOff = base - 0.01;
  b.Volatility = 0.15;
  b.VolatilityWhenOn = 0.12;
  b.VolatilityWhenOff = 0.18;
  b.MaxDrawdown = -0.35;
  b.MaxDrawdownWhenOn = -0.2;
  b.MaxDrawdownWhenOff = -0.4;
  b.LastPeriod = 0.012;
  b.YearToDate = 0.05;
  b.OneYear = 0.08;
  b.Sharpe = 0.456;
  return b;
}

TPerformanceStatistics Statistics() {
  TPerformanceStatistics s;
  s.HasData = true;
  s.Model = Block(0.1234);
  s.Index = Block(0.07);
  s.RiskFree = Block(0.02);
  s.RiskFree.Sharpe = kNoFigure;
  s.Correlation = 0.8;
  s.Beta = 0.9;
  s.EquityInvested = 0.65;
  s.Turnover = 2.34;
  s.RiskFreeRate = 0.025;
  s.Labels.StartDate = platform::EncodeDate(2001, 1, 31);
  s.Labels.EndDate = platform::EncodeDate(2021, 3, 31);
  s.Labels.Caption6 = "USD";
  return s;
}

std::vector<std::string> ColumnTexts(const TTextTable& table, std::size_t column) {
  std::vector<std::string> texts;
  for (const TTableCell& cell : table.Columns.at(column)) texts.push_back(cell.Text);
  return texts;
}

TEST_F(TextTableTest, ParameterShapesGreyRowsAndDrawnColours) {
  struct Case {
    std::int32_t kind;
    bool total;
    std::size_t rows;
    std::set<std::size_t> grey;
    std::size_t probeRow;  // a row with a label
    const char* probeLabel;
  };
  const std::vector<Case> cases = {
      {0, true, 20, {}, 15, "Best currencies concentration level"},
      {1, true, 9, {}, 2, "Porfolio currency"},
      {2, true, 9, {5, 8}, 7, "Macro-economic model trust level"},
      {3, true, 9, {5, 7}, 8, "Behavioral model trust level"},
      {4, true, 9, {3, 7, 8}, 5, "Best equities concentration level"},
      {5, true, 14, {}, 11, "Best Currencies concentration level"},
      {6, true, 14, {3, 5, 6, 8, 11, 13}, 13, "Monetary model trust level"},
      {7, true, 14, {6, 10, 11}, 8, "TIPS use"},
      {8, true, 14, {3, 5, 6, 8, 10, 13}, 6, "FX risk"},
      {2, false, 14, {}, 1, "Index ticker"},
      {3, false, 14, {}, 11, "FX hedging transaction cost (p.a.)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + (c.total ? " total" : " per country"));
    TTextTable table;
    table.SetParameters(Parameters(), c.kind, c.total);
    ASSERT_EQ(table.Columns.size(), 2u);
    ASSERT_EQ(table.Columns[0].size(), c.rows);
    ASSERT_EQ(table.Columns[1].size(), c.rows);
    EXPECT_EQ(table.Columns[0][c.probeRow].Text, c.probeLabel);
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 1200, 800);
    table.Draw(canvas, 1200);
    // Every non-empty cell is written once, in grey exactly on the unused rows.
    for (std::size_t col = 0; col < 2; ++col) {
      for (std::size_t r = 0; r < c.rows; ++r) {
        const TTableCell& cell = table.Columns[col][r];
        if (cell.Text.empty()) continue;
        const platform::TCanvasOp* op = widgettest::FindText(canvas, cell.Text);
        ASSERT_NE(op, nullptr) << cell.Text;
        EXPECT_EQ(cell.Colour, c.grey.count(r) ? kWidgetGridColour : kWidgetTextColour) << "row " << r;
        EXPECT_EQ(cell.Alignment, col == 1 ? 2 : 1);
      }
      // A row whose label is empty has an empty value.
      for (std::size_t r = 0; r < c.rows; ++r) {
        if (table.Columns[0][r].Text.empty()) {
          EXPECT_TRUE(table.Columns[1][r].Text.empty());
        }
      }
    }
    const platform::TCanvasOp* probe = widgettest::FindText(canvas, c.probeLabel);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->Fill.Color, c.grey.count(c.probeRow) ? kWidgetGridColour : kWidgetTextColour);
  }
}

TEST_F(TextTableTest, UncoveredCombinationsWriteNothingAndGreyEverything) {
  for (const auto& [kind, total] : std::vector<std::pair<int, bool>>{{0, false}, {5, false}, {9, true}, {-1, true}}) {
    TTextTable table;
    table.SetParameters(Parameters(), kind, total);
    const std::size_t rows = kind == 0 ? 20 : kind == 5 ? 14 : 9;
    ASSERT_EQ(table.Columns[0].size(), rows) << kind;
    for (const auto& column : table.Columns)
      for (const TTableCell& cell : column) EXPECT_TRUE(cell.Text.empty()) << kind;
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 800, 600);
    if (total) {
      for (const TTableCell& cell : table.Columns[0]) EXPECT_EQ(cell.Colour, kWidgetGridColour) << kind;
    }
  }
}

TEST_F(TextTableTest, ParameterValueTexts) {
  struct Case {
    std::function<void(TSeriesInfo&)> change;
    std::int32_t kind;
    bool total;
    std::size_t row;
    const char* value;
  };
  const std::vector<Case> cases = {
      {[](TSeriesInfo&) {}, 2, true, 0, "10Y Gov Bond"},
      {[](TSeriesInfo& p) { p.RiskFreeId = "NOSUCHASSET"; }, 2, true, 0, ""},
      {[](TSeriesInfo&) {}, 4, true, 5, "25 %"},
      {[](TSeriesInfo&) {}, 2, false, 3, "0.10 %"},
      {[](TSeriesInfo&) {}, 2, false, 13, "60 %"},  // EQQV: macro trust
      {[](TSeriesInfo&) {}, 3, false, 13, "40 %"},  // EQBL: behavioural trust
      {[](TSeriesInfo&) {}, 3, false, 10, "Yes"},
      {[](TSeriesInfo& p) { p.FxHedging = false; }, 1, true, 3, "No"},
      {[](TSeriesInfo&) {}, 5, true, 8, "Yes"},
      {[](TSeriesInfo& p) { p.MaxTipsAllocation = 99.99; }, 5, true, 8, "No"},
      {[](TSeriesInfo& p) { p.MaxTipsAllocation = 100.01; }, 0, true, 11, "No"},
      {[](TSeriesInfo&) {}, 0, true, 6, "20 %"},
      {[](TSeriesInfo&) {}, 0, true, 14, "50 %"},
      {[](TSeriesInfo& p) { p.MaxGoldAllocation = 12.5; }, 6, true, 5, "13 %"},
      {[](TSeriesInfo&) {}, 3, false, 1, "ATL IDX"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    TSeriesInfo p = Parameters();
    cases[i].change(p);
    TTextTable table;
    table.SetParameters(p, cases[i].kind, cases[i].total);
    EXPECT_EQ(table.Columns[1].at(cases[i].row).Text, cases[i].value) << "case " << i;
  }
}

TEST_F(TextTableTest, ParameterLayoutGeometry) {
  TTextTable table;
  table.SetParameters(Parameters(), 3, false);
  RecordingCanvas canvas;
  table.Layout(canvas, 100, 50, 1000, 600);
  // Labels: the widest is "FX hedging transaction cost (p.a.)" (34 characters);
  // the per-country value column is 22 X wide whatever its texts; both plus "XX".
  const float labels = 34 * kChar + 2 * kChar;
  const float values = 22 * kChar + 2 * kChar;
  EXPECT_FLOAT_EQ(table.Width, labels + values);
  EXPECT_FLOAT_EQ(table.Left, 100 + (1000 - table.Width) * 0.5f);
  EXPECT_FLOAT_EQ(table.Height, kHeight * 1.4f * 14);
  EXPECT_FLOAT_EQ(table.Top, 50 + (600 - table.Height) * 0.5f);
  EXPECT_FLOAT_EQ(table.Columns[1][0].Bounds.Left, labels);
  EXPECT_FLOAT_EQ(table.Columns[1][0].Bounds.Right, labels + values);
  // Drawn: row r from Top + 1.4 h r, labels leading, values trailing at the table's right edge.
  table.Draw(canvas, 1200);
  const platform::TCanvasOp* label = widgettest::FindText(canvas, "Final currency");
  const platform::TCanvasOp* value = widgettest::FindText(canvas, "USD");
  ASSERT_TRUE(label && value);
  EXPECT_EQ(label->Rect, (platform::TRectF{table.Left, table.Top + 9 * 1.4f * kHeight, table.Left + labels,
                                           table.Top + 10 * 1.4f * kHeight}));
  EXPECT_EQ(label->HorizontalAlign, platform::TTextAlign::Leading);
  EXPECT_EQ(value->HorizontalAlign, platform::TTextAlign::Trailing);
  EXPECT_FLOAT_EQ(value->Rect.Right, table.Left + table.Width);
  // The row height ignores the screen height ratio; the font follows the width ratio.
  widgettest::SetWindowGlobals(0.999f, 0.5f);
  RecordingCanvas small;
  table.Layout(small, 100, 50, 1000, 600);
  EXPECT_FLOAT_EQ(table.Height, 1.2f * 15 * 1.4f * 14);
  table.Draw(small, 1200);
  for (const auto& op : widgettest::Texts(small)) EXPECT_EQ(op.Font.Size, 15.0f);

  // Total form: the value column is as wide as its widest text.
  TTextTable total;
  total.SetParameters(Parameters(), 1, true);
  RecordingCanvas canvas2;
  widgettest::SetWindowGlobals();
  total.Layout(canvas2, 0, 0, 1000, 600);
  EXPECT_FLOAT_EQ(total.Columns[1][0].Bounds.Width(), std::string("10Y Gov Bond").size() * kChar + 2 * kChar);
}

TEST_F(TextTableTest, NoDataIsCentredInThePaintWidth) {
  // A table never set, and a statistics record without data.
  TTextTable fresh;
  TTextTable empty;
  TPerformanceStatistics s = Statistics();
  s.HasData = false;
  empty.SetStatistics(s, 4, true);
  for (TTextTable* table : {&fresh, &empty}) {
    RecordingCanvas canvas;
    table->Layout(canvas, 200, 100, 600, 400);
    table->Draw(canvas, 1500);
    const auto texts = widgettest::Texts(canvas);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Text, "No Data");
    const float w = 7 * 0.6f * 52;
    EXPECT_FLOAT_EQ(texts[0].Rect.Left, (1500 - w) * 0.5f);
    EXPECT_FLOAT_EQ(texts[0].Rect.Right, (1500 - w) * 0.5f + w);
    EXPECT_FLOAT_EQ(texts[0].Rect.Top, table->Top);
    EXPECT_FLOAT_EQ(texts[0].Rect.Bottom, table->Top + table->Height);
    EXPECT_EQ(texts[0].Font.Style, platform::fsBold);
    EXPECT_EQ(texts[0].Fill.Color, kWidgetTextColour);
  }
  EXPECT_FLOAT_EQ(fresh.Height, 0.0f);
  EXPECT_FLOAT_EQ(empty.Height, 12 * 1.4f * kHeight);
}

TEST_F(TextTableTest, RebuildingRowsChangesTextsOnly) {
  TTextTable table;
  table.SetParameters(Parameters(), 3, false);
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1000, 600);
  const auto before = table.Columns;
  TSeriesInfo other = Parameters();
  other.IndexName = "A much longer index name than any label of the table";
  other.BLTrustLevel = 90.0;
  table.BuildParameterRows(other);
  EXPECT_EQ(table.Columns[1][0].Text, other.IndexName);
  EXPECT_EQ(table.Columns[1][13].Text, "90 %");
  ASSERT_EQ(table.Columns.size(), before.size());
  for (std::size_t c = 0; c < before.size(); ++c)
    for (std::size_t r = 0; r < before[c].size(); ++r) {
      EXPECT_EQ(table.Columns[c][r].Bounds, before[c][r].Bounds);
      EXPECT_EQ(table.Columns[c][r].Colour, before[c][r].Colour);
    }
}

TEST_F(TextTableTest, StatisticsTexts) {
  TTextTable country;
  country.SetStatistics(Statistics(), 2, false);
  ASSERT_EQ(country.Columns.size(), 7u);
  for (const auto& column : country.Columns) ASSERT_EQ(column.size(), 18u);
  std::string labels;
  for (const std::string& text : ColumnTexts(country, 0)) labels += text + "|";
  EXPECT_EQ(labels,
            "(In USD)||Return (p.a.)|When|When|Last month|YtD|YoY||Volatility (p.a.)|When|When||Max. drawdown|When|"
            "When||Sharpe ratio (2.5%)|");
  EXPECT_EQ(country.Columns[1][0].Text, "Model");
  EXPECT_EQ(country.Columns[3][0].Text, "Risk-free");
  EXPECT_EQ(country.Columns[1][2].Text, "12.3 %");
  EXPECT_EQ(country.Columns[1][3].Text, "13.3 %");
  EXPECT_EQ(country.Columns[1][15].Text, "-40.0 %");
  EXPECT_EQ(country.Columns[1][17].Text, "0.5");
  EXPECT_EQ(country.Columns[3][17].Text, "n.c.");
  EXPECT_EQ(country.Columns[5][4].Text, "Correlation");
  EXPECT_EQ(country.Columns[6][4].Text, "80.0 %");
  EXPECT_EQ(country.Columns[6][5].Text, "90.0 %");
  EXPECT_EQ(country.Columns[6][7].Text, "2.3");
  EXPECT_EQ(country.Columns[5][9].Text, "(31/01/2001");
  EXPECT_EQ(country.Columns[6][9].Text, " - 31/03/2021)");
  for (const auto& column : {country.Columns[4]})
    for (const TTableCell& cell : column) EXPECT_TRUE(cell.Text.empty());

  // Sentinels: "n.c.", empty equity and turnover rows that stay, "(" alone.
  TPerformanceStatistics s = Statistics();
  s.Model.Return = kNoFigure;
  s.RiskFreeRate = kNoFigure;
  s.EquityInvested = kNoFigure;
  s.Turnover = kNoFigure;
  s.Labels.StartDate = kNoFigure;
  TTextTable total;
  total.SetStatistics(s, 6, true);
  ASSERT_EQ(total.Columns.size(), 6u);
  for (const auto& column : total.Columns) ASSERT_EQ(column.size(), 12u);
  EXPECT_EQ(total.Columns[1][2].Text, "n.c.");
  EXPECT_EQ(total.Columns[0][11].Text, "Sharpe ratio (n.c.)");
  EXPECT_EQ(total.Columns[4][2].Text, "Correlation");
  for (std::size_t c : {4u, 5u})
    for (std::size_t r : {4u, 5u}) EXPECT_TRUE(total.Columns[c][r].Text.empty()) << c << "," << r;
  EXPECT_EQ(total.Columns[4][7].Text, "(");
  EXPECT_EQ(total.Columns[0][9].Text, "Max. drawdown");
}

TEST_F(TextTableTest, StatisticsLayout) {
  TTextTable table;
  table.SetStatistics(Statistics(), 2, false);
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1600, 800);
  const float x9 = 9 * kChar;
  const float L = 19 * kChar;  // "Sharpe ratio (2.5%)"
  const float M = 15 * kChar;  // "Equity invested" is wider than "TURNOVER (P.A)"
  const std::vector<float> widths = {L + 0.5f * x9, x9, x9, x9, 0.5f * x9, M, 3 * kChar + x9};
  float width = 0;
  for (float w : widths) width += w;
  EXPECT_FLOAT_EQ(table.Width, width);
  EXPECT_NEAR(table.Left, (1600 - width) * 0.5f + ((M - L) + x9) * 0.5f - kChar, 1e-3);
  float left = 0;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    EXPECT_NEAR(table.Columns[c][2].Bounds.Left, left, 1e-3) << c;
    left += widths[c];
    EXPECT_NEAR(table.Columns[c][2].Bounds.Right, left, 1e-3) << c;
    // Sharpe row: figures end " %" earlier, in every column but the first and the last.
    const float shift = (c != 0 && c != 6) ? 2 * kChar : 0.0f;
    EXPECT_NEAR(table.Columns[c][17].Bounds.Right, left - shift, 1e-3) << c;
  }
  EXPECT_NEAR(table.Columns[6][7].Bounds.Right, left - 2 * kChar, 1e-3);  // turnover
  // Alignment, bold cells and the two "When" colours.
  EXPECT_EQ(table.Columns[0][2].Alignment, 1);
  EXPECT_EQ(table.Columns[5][4].Alignment, 1);
  EXPECT_EQ(table.Columns[2][2].Alignment, 2);
  EXPECT_EQ(table.Columns[5][9].Alignment, 2);
  EXPECT_EQ(table.Columns[6][9].Alignment, 1);
  const std::set<std::pair<std::size_t, std::size_t>> bold = {{0, 0},  {1, 0},  {2, 0},  {3, 0}, {1, 2},
                                                              {2, 2},  {3, 2},  {1, 9},  {2, 9}, {3, 9},
                                                              {1, 13}, {2, 13}, {3, 13}, {5, 9}, {6, 9}};
  for (std::size_t c = 0; c < 7; ++c)
    for (std::size_t r = 0; r < 18; ++r) {
      EXPECT_EQ(table.Columns[c][r].Bold != 0, bold.count({c, r}) == 1) << c << "," << r;
      TAlphaColor colour = kWidgetTextColour;
      if (c <= 3 && (r == 3 || r == 10 || r == 14)) colour = 0xFF355C7D;
      if (c <= 3 && (r == 4 || r == 11 || r == 15)) colour = 0xFFF17A7E;
      EXPECT_EQ(table.Columns[c][r].Colour, colour) << c << "," << r;
    }

  TTextTable total;
  total.SetStatistics(Statistics(), 2, true);
  total.Layout(canvas, 0, 0, 1600, 800);
  const float Lt = 19 * kChar;
  const std::vector<float> totalWidths = {Lt + 0.5f * x9, x9, x9, 0.5f * x9, M, 3 * kChar + x9};
  float totalWidth = 0;
  for (float w : totalWidths) totalWidth += w;
  EXPECT_FLOAT_EQ(total.Width, totalWidth);
  EXPECT_NEAR(total.Left, (1600 - totalWidth) * 0.5f + 2 * kChar, 1e-3);
  EXPECT_EQ(total.Columns[4][7].Alignment, 2);
  EXPECT_TRUE(total.Columns[1][9].Bold);
  EXPECT_EQ(total.Columns[1][3].Colour, kWidgetTextColour);
}

TEST_F(TextTableTest, StatisticsDrawDotsAndNotComputedAlignment) {
  TTextTable table;
  table.SetStatistics(Statistics(), 2, false);
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1600, 800);
  table.Draw(canvas, 1600);
  const auto dots = canvas.OpsOfKind(TCanvasOpKind::FillEllipse);
  ASSERT_EQ(dots.size(), 6u);
  const std::vector<std::size_t> rows = {3, 4, 10, 11, 14, 15};
  const float row = 1.4f * kHeight;
  for (std::size_t i = 0; i < dots.size(); ++i) {
    const float top = table.Top + row * static_cast<float>(rows[i]);
    EXPECT_FLOAT_EQ(dots[i].Rect.Left, table.Left + 4 * kChar + 10);
    EXPECT_FLOAT_EQ(dots[i].Rect.Right, dots[i].Rect.Left + kHeight);
    EXPECT_FLOAT_EQ(dots[i].Rect.Top, top + 0.25f * kHeight);
    EXPECT_FLOAT_EQ(dots[i].Rect.Bottom, top + row - 0.25f * kHeight);
    EXPECT_EQ(dots[i].Fill.Color, i % 2 == 0 ? 0xFF355C7Du : 0xFFF17A7Eu);
    EXPECT_EQ(dots[i].Stroke.Kind, platform::TBrushKind::None);
  }
  // Sharpe row: "0.5" ends at the shifted edge, "n.c." at the column's edge.
  const auto texts = widgettest::Texts(canvas);
  std::vector<platform::TCanvasOp> sharpe;
  for (const auto& op : texts)
    if (op.Rect.Top == table.Top + 17 * row && (op.Text == "0.5" || op.Text == "n.c.")) sharpe.push_back(op);
  ASSERT_EQ(sharpe.size(), 3u);
  EXPECT_FLOAT_EQ(sharpe[0].Rect.Right, table.Left + table.Columns[1][17].Bounds.Right);
  EXPECT_EQ(sharpe[2].Text, "n.c.");
  EXPECT_FLOAT_EQ(sharpe[2].Rect.Right, table.Left + table.Columns[3][17].Bounds.Right + 2 * kChar);
  EXPECT_FLOAT_EQ(table.Left + table.Columns[3][2].Bounds.Right, sharpe[2].Rect.Right);
  // Bold where the layout says so.
  EXPECT_EQ(widgettest::FindText(canvas, "Model")->Font.Style, platform::fsBold);
  EXPECT_EQ(widgettest::FindText(canvas, "Last month")->Font.Style, 0u);
}

TEST_F(TextTableTest, ModelKindDoesNotChangeTheStatisticsForm) {
  TTextTable a;
  TTextTable b;
  a.SetStatistics(Statistics(), 0, true);
  b.SetStatistics(Statistics(), 8, true);
  RecordingCanvas ca;
  RecordingCanvas cb;
  a.Layout(ca, 0, 0, 1600, 800);
  b.Layout(cb, 0, 0, 1600, 800);
  a.Draw(ca, 1600);
  b.Draw(cb, 1600);
  const auto ta = widgettest::Texts(ca);
  const auto tb = widgettest::Texts(cb);
  ASSERT_EQ(ta.size(), tb.size());
  for (std::size_t i = 0; i < ta.size(); ++i) {
    EXPECT_EQ(ta[i].Text, tb[i].Text);
    EXPECT_EQ(ta[i].Rect, tb[i].Rect);
    EXPECT_EQ(ta[i].Fill.Color, tb[i].Fill.Color);
  }
}

#ifdef QUORVANE_WIDGET_PNG
TEST_F(TextTableTest, ParameterPicture) { widgettest::RenderGalleryPngs("TextTable_parameters"); }

// Both statistics pictures: one country's and the total's.
TEST_F(TextTableTest, StatisticsPicture) { widgettest::RenderGalleryPngs("TextTable_statistics"); }
#endif

}  // namespace
