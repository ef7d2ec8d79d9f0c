#include "widgets/gallery/WidgetFixture.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "common/Globals.h"
#include "platform/DateTime.h"
#include "widgets/WidgetCommon.h"

namespace widgetfixture {

namespace {

constexpr double kNoValue = -1.0;

int RegionIndex(const std::string& region) {
  for (std::size_t r = 0; r < strRegionNameList.size(); ++r)
    if (strRegionNameList[r] == region) return static_cast<int>(r);
  return 0;
}

// n month ends ending at the last month of the data set, value f(i).
TSeries LastMonths(int n, const std::function<double(int)>& f) {
  TSeries series;
  for (int i = 0; i < n; ++i) series.push_back({MonthEnd(kMonths - n + i), f(i)});
  return series;
}

TNamedSeriesSet MakeSet(const TSeries& model, const TSeries& first, const TSeries& second) {
  TNamedSeriesSet set;
  set[0] = {"Country Index", first};
  set[1] = {"Risk-Free Asset", second};
  set[2] = {"(In USD)", model};
  return set;
}

TStatisticsBlock Block(double base, double scale) {
  TStatisticsBlock b;
  b.Return = base;
  b.ReturnWhenOn = base + 0.012;
  b.ReturnWhenOff = base - 0.017;
  b.Volatility = 0.15 * scale;
  b.VolatilityWhenOn = 0.12 * scale;
  b.VolatilityWhenOff = 0.19 * scale;
  b.MaxDrawdown = -0.35 * scale;
  b.MaxDrawdownWhenOn = -0.21 * scale;
  b.MaxDrawdownWhenOff = -0.41 * scale;
  b.LastPeriod = 0.012 * scale;
  b.YearToDate = 0.05 * scale;
  b.OneYear = 0.08 * scale;
  b.Sharpe = 0.456 * scale;
  return b;
}

// A row whose first point is a position in the label list.
TLabelledSeries PositionRow(double position) {
  TLabelledSeries row;
  row.Labels = {"item"};
  row.Series.push_back({MonthEnd(kMonths - 1), position});
  return row;
}

std::vector<std::string> ChoiceTexts(std::vector<std::string> row0, const std::vector<std::string>& row1) {
  row0.resize(6);
  row0.insert(row0.end(), row1.begin(), row1.end());
  return row0;
}

template <typename TWidget>
TGalleryItem Item(std::string name, TWidget widget, std::function<void(TWidget&, platform::Canvas&)> paint) {
  auto state = std::make_shared<TWidget>(std::move(widget));
  return {std::move(name), [state, paint](platform::Canvas& canvas) { paint(*state, canvas); }};
}

}  // namespace

void SetWindowGlobals() {
  fScreenWidthRatio = 1.0f;
  fScreenHeightRatio = 1.0f;
  claApplicationBkgColor = 0xFFFDFDFD;
  claReferenceGraphicColor_1 = 0xFF293556;
  claReferenceGraphicColor_2 = 0xFF4A8DB7;
  claReferenceGraphicColor_3 = 0xFFE4E4E4;
}

double MonthEnd(int index) {
  const int year = 1990 + index / 12;
  const int month = index % 12 + 1;
  return platform::EncodeDate(year, month, platform::DaysInMonth(year, month));
}

const std::vector<TCountry>& Countries() {
  // Name and position in strRegionNameList, grouped by region in display order.
  static const std::vector<TCountry> kCountries = [] {
    const std::vector<std::pair<const char*, int>> list{
        {"USA", 0},         {"Canada", 0},      {"Germany", 1},     {"France", 1},      {"Italy", 1},
        {"Spain", 1},       {"Netherlands", 1}, {"Belgium", 1},     {"Austria", 1},     {"Finland", 1},
        {"Ireland", 1},     {"Portugal", 1},    {"Luxembourg", 1},  {"Euro Area", 1},   {"United Kingdom", 2},
        {"Switzerland", 2}, {"Sweden", 2},      {"Norway", 2},      {"Denmark", 2},     {"Czech Republic", 2},
        {"Hungary", 2},     {"Iceland", 2},     {"Australia", 3},   {"New Zealand", 3}, {"South Africa", 3},
        {"Brazil", 3},      {"Mexico", 3},      {"Chile", 3},       {"Russia", 3},      {"Japan", 4},
        {"China", 5},       {"Hong Kong", 5},   {"India", 5},       {"Indonesia", 5},   {"Malaysia", 5},
        {"Philippines", 5}, {"Singapore", 5},   {"South Korea", 5}, {"Taiwan", 5},      {"Turkey", 5}};
    std::vector<TCountry> countries;
    for (const auto& [name, region] : list) {
      TCountry country;
      country.Name = name;
      country.RegionName = strRegionNameList[static_cast<std::size_t>(region)];
      country.Rank = static_cast<std::int32_t>(countries.size() + 1);
      country.RegionRank = region + 1;
      countries.push_back(std::move(country));
    }
    return countries;
  }();
  return kCountries;
}

std::vector<TLabelledSeries> StateRows(int states, bool gaps) {
  std::vector<TLabelledSeries> rows;
  int i = 0;
  for (const TCountry& country : Countries()) {
    TLabelledSeries row;
    row.Labels = {country.Name, country.RegionName};
    for (int m = 0; m < kMonths; ++m) {
      double v = static_cast<double>((m / (3 + i % 5) + i) % states);
      if (gaps && i % 7 == 3 && m % 50 < 4) v = kNoValue;
      row.Series.push_back({MonthEnd(m), v});
    }
    row.Selected = i % 13 != 12;
    rows.push_back(std::move(row));
    ++i;
  }
  return rows;
}

TNamedSeriesSet ComparisonSeries(int kind) {
  const auto all = [](const std::function<double(int)>& f) { return LastMonths(kMonths, f); };
  switch (kind) {
    case 0:  // wealth, growing from 1
      return MakeSet(all([](int i) { return std::exp(0.006 * i + 0.08 * std::sin(i / 9.0)); }),
                     all([](int i) { return std::exp(0.004 * i + 0.1 * std::sin(i / 13.0)); }),
                     all([](int i) { return std::exp(0.0025 * i); }));
    case 1:  // one-year returns
      return MakeSet(all([](int i) { return 0.3 * std::sin(i / 11.0); }),
                     all([](int i) { return 0.2 * std::sin(i / 15.0) + 0.05; }), all([](int) { return 0.03; }));
    case 2:  // drawdowns
      return MakeSet(all([](int i) { return -0.25 * std::fabs(std::sin(i / 17.0)); }),
                     all([](int i) { return -0.35 * std::fabs(std::sin(i / 23.0)); }),
                     all([](int i) { return -0.02 * std::fabs(std::sin(i / 5.0)); }));
    default:  // monthly shares of the last two years
      return MakeSet(LastMonths(kChartWindow, [](int i) { return 0.4 + 0.01 * i; }),
                     LastMonths(kChartWindow, [](int i) { return 0.1 * (i % 3); }), {});
  }
}

std::vector<TLegendItem> CountryLegend() {
  std::vector<TLegendItem> legend;
  std::size_t k = 0;
  for (const TCountry& country : Countries()) legend.push_back({{country.Name}, {}, claGraphicPalette[k++ % 8]});
  return legend;
}

std::vector<TAllocationRow> AllocationHistory() {
  std::vector<TAllocationRow> rows;
  for (int i = 0; i < kMonths; ++i) {
    TAllocationRow row{MonthEnd(i), 1.0, {}};
    double total = 0.0;
    for (std::size_t k = 0; k < Countries().size(); ++k) {
      const double w = 0.05 + 0.5 + 0.5 * std::sin(0.07 * i + static_cast<double>(k));
      row.Holdings.push_back({Countries()[k].Name, w});
      total += w;
    }
    for (TWeightedName& holding : row.Holdings) holding.Weight /= total;
    rows.push_back(std::move(row));
  }
  return rows;
}

TSeriesInfo Parameters() {
  TSeriesInfo p;
  p.PortfolioCcy = "USD";
  p.RiskFreeId = "RISKFREEASSET1";
  p.MaxEqVsFiAllocation = 80.0;
  p.MinEqVsFiAllocation = 20.0;
  p.FxHedging = true;
  p.EquityRankingCriteria = 0.25;
  p.QVTrustLevel = 60.0;
  p.BLTrustLevel = 40.0;
  p.BondRankingCriteria = 0.5;
  p.CurrencyRankingCriteria = 0.3;
  p.MaxGoldAllocation = 10.0;
  p.MaxTipsAllocation = 100.0;
  p.MaxFxRiskAllocation = 15.0;
  p.SLTrustLevel = 70.0;
  p.IndexCurrency = "EUR";
  p.RiskFreeCurrency = "EUR";
  p.IndexName = "Atlantis Share Index";
  p.IndexTicker = "ATL IDX";
  p.IndexTransactionCost = 0.1;
  p.RiskFreeTransactionCost = 0.05;
  p.FxHedgingTransactionCost = 0.5;
  return p;
}

TPerformanceStatistics Statistics() {
  TPerformanceStatistics s;
  s.HasData = true;
  s.Model = Block(0.1234, 1.0);
  s.Index = Block(0.07, 1.2);
  s.RiskFree = Block(0.02, 0.05);
  s.RiskFree.Sharpe = kNoFigure;
  s.Correlation = 0.8;
  s.Beta = 0.9;
  s.EquityInvested = 0.65;
  s.Turnover = 2.34;
  s.RiskFreeRate = 0.025;
  s.Labels.StartDate = MonthEnd(0);
  s.Labels.EndDate = MonthEnd(kMonths - 1);
  s.Labels.Caption6 = "USD";
  return s;
}

std::vector<TFXHedgingPosition> FxPositions() {
  const std::vector<std::string> currencies = {"USD", "EUR", "GBP", "JPY", "CNY", "CAD", "AUD", "NZD", "CHF", "SEK",
                                               "NOK", "DKK", "PLN", "CZK", "HUF", "KRW", "TWD", "INR", "BRL", "MXN"};
  std::vector<TFXHedgingPosition> positions;
  for (std::size_t i = 0; i < currencies.size(); ++i) {
    const double x = static_cast<double>(i);
    positions.push_back({currencies[i], i == 0 ? 0.0 : 12.5 - 1.7 * x, i % 3 == 0 ? 0.0 : -3.25 + 0.5 * x,
                         i % 5 == 4 ? kNoFigure : 8.0 - x});
  }
  positions[7] = {"NZD", 0.0, 0.0, kNoFigure};
  return positions;
}

std::vector<TStateItem> StateItems() {
  std::vector<TStateItem> items;
  for (std::size_t i = 0; i < Countries().size(); ++i) {
    const double x = static_cast<double>(i);
    std::vector<double> values{std::fmod(x * 7.3, 9.0) * 0.6};
    if (i % 4 == 1) values.push_back(std::fmod(x * 3.1, 4.0));
    if (i % 9 == 8) values = {0.0};
    items.push_back({Countries()[i].Name, Countries()[i].RegionName, values, static_cast<std::int64_t>(i % 3)});
  }
  return items;
}

std::vector<TRegionItem> RegionItems() {
  std::vector<TRegionItem> items;
  std::vector<double> regionTotals(strRegionNameList.size(), 0.0);
  int rank = 0;
  for (std::size_t i = 0; i < Countries().size(); ++i) {
    const double x = static_cast<double>(i);
    const bool held = i % 3 != 2;
    TRegionItem item;
    item.Name = Countries()[i].Name;
    item.RegionName = Countries()[i].RegionName;
    item.Value = held ? 0.01 + std::fmod(x * 0.037, 0.08) : 0.0;
    item.State = held ? ++rank : -1;
    item.Excluded = i % 11 == 10 ? 2 : 1;
    regionTotals[static_cast<std::size_t>(RegionIndex(item.RegionName))] += item.Value;
    items.push_back(item);
  }
  for (TRegionItem& item : items) {
    item.RegionColor = regionTotals[static_cast<std::size_t>(RegionIndex(item.RegionName))];
    item.Flag = item.RegionColor != 0.0 ? 0 : -1;
  }
  return items;
}

std::vector<TRegionAllocationRow> RegionAllocationRows() {
  std::vector<TRegionAllocationRow> rows(strRegionNameList.size());
  int k = 0;
  for (const TCountry& country : Countries()) {
    TRegionAllocationRow& row = rows[static_cast<std::size_t>(RegionIndex(country.RegionName))];
    const double x = static_cast<double>(k);
    const std::int32_t rank = k % 7 == 6 ? -1 : k + 1;
    const double equity = rank < 0 ? 0.0 : 0.004 + std::fmod(x * 0.0031, 0.03);
    row.Items.push_back({country.Name, equity, k % 3 == 0 ? 0.0 : 0.0123 * (k % 4), k % 5 == 0 ? kNoFigure : -0.01 * x,
                         rank, k % 2 == 0, rank > 0, k % 4 == 1});
    row.DetailItems.push_back({country.Name, "", 0.7 - 0.01 * x, 0.3 + 0.01 * x, equity, 0.025,
                               k % 6 == 0 ? kNoFigure : -0.02, rank, rank > 0 ? 1 : 0});
    ++k;
  }
  TRegionAllocationRow total;
  total.Summary = {"TOTAL", 0.0, 0.0, 0.0, 0, false, false, false};
  total.DetailSummary = {"TOTAL", "", 0.0, 0.0, 0.0, 0.0, kNoFigure, 0, 0};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    TRegionAllocationRow& row = rows[r];
    double equity = 0.0, riskFree = 0.0, bond = 0.0, index = 0.0;
    for (const TCountryAllocationItem& item : row.Items) {
      equity += item.EquityShare;
      riskFree += item.RiskFreeShare;
    }
    for (const TCountryDetailItem& item : row.DetailItems) {
      bond += item.BondWeight;
      index += item.IndexWeight;
    }
    row.Summary = {
        strRegionNameList[r], equity, riskFree, kNoFigure, static_cast<std::int32_t>(r + 1), false, false, false};
    row.DetailSummary = {
        strRegionNameList[r], "", 0.6, 0.4, bond, index, kNoFigure, static_cast<std::int32_t>(r + 1), 0};
    total.Summary.EquityShare += equity;
    total.Summary.RiskFreeShare += riskFree;
    total.DetailSummary.BondWeight += bond;
    total.DetailSummary.IndexWeight += index;
  }
  rows.push_back(total);
  return rows;
}

TPercentBarRecord AssetShares() {
  return {"Model Allocation",
          "Index Allocation",
          {{"Equity", 0.55, 0.6, 1},
           {"North America", 0.25, 0.35, 1},
           {"Europe (Euro)", 0.12, 0.1, 1},
           {"Japan", 0.1, 0.08, 1},
           {"Developing Asia", 0.08, 0.07, 1},
           {"Bonds", 0.35, 0.4, 2},
           {"Fixed Rate Bond", 0.25, 0.4, 2},
           {"Inflation-Linked Bond", 0.1, 0.0, 2},
           {"Gold", 0.1, 0.0, 3}}};
}

std::vector<TAlphaColor> AssetGroupColours() {
  return {kWidgetTextColour, claGraphicPalette[1], claGraphicPalette[6], claGraphicPalette[7]};
}

// ---- Widgets ----

TSeriesComparisonChart ComparisonChart(int kind) {
  static constexpr std::int32_t kKinds[] = {0, 0, 3, 1};
  const TNamedSeriesSet set = ComparisonSeries(kind);
  TSeriesComparisonChart chart;
  chart.SetData(set, kKinds[std::clamp(kind, 0, 3)], kind == 0 ? 1 : 0, set[1].Series.empty() ? 2 : 3, -1, -1.0, -1.0);
  return chart;
}

TSeriesBarChart BarChart() {
  const std::vector<TAllocationRow> history = AllocationHistory();
  TSeriesBarChart chart;
  chart.SetData("Allocation History", history, CountryLegend(),
                std::min(static_cast<std::int32_t>(history.size()), kChartWindow), 0.0, 1.0);
  return chart;
}

TTextTable ParameterTable() {
  TTextTable table;
  table.SetParameters(Parameters(), TTextTable::kEQQV, false);
  return table;
}

TTextTable StatisticsTable(bool total) {
  TTextTable table;
  table.SetStatistics(Statistics(), total ? TTextTable::kMYGP : TTextTable::kEQSL, total);
  return table;
}

TFXHedgingTable FxTable() {
  TFXHedgingTable table;
  table.SetData(FxPositions());
  return table;
}

TPercentTable PercentTable() {
  TPercentTable table;
  table.SetData(StateItems());
  return table;
}

TPercentGridTable PercentGridTable() {
  TPercentGridTable table;
  table.SetData(RegionItems(), {});
  return table;
}

TRegionSeriesChart RegionChart(int mode) {
  TRegionSeriesChart chart;
  if (mode == 0) {
    const std::vector<TLabelledSeries> rows = StateRows(6, true);
    chart.SetData(rows, kChartWindow, static_cast<std::int32_t>(rows.size()), 0);
  } else if (mode == 1) {
    std::vector<TLabelledSeries> rows = StateRows(2, false);
    const char* currencies[] = {"USD", "EUR", "JPY", "GBP", "CHF", "CNY"};
    rows.resize(6);
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r].Labels = {currencies[r], ""};
    chart.SetData(rows, kChartWindow, 6, 1);
    chart.SetLegend({{{"FIAT Currencies"}, {}, claGraphicPalette[6]}, {{"Gold"}, {}, claGraphicPalette[7]}});
  } else {
    std::vector<TLabelledSeries> rows = StateRows(3, true);
    rows.resize(8);
    rows[0].Labels = {"Best"};
    for (std::size_t r = 1; r < rows.size(); ++r) rows[r].Labels = {std::to_string(r + 1)};
    chart.SetData(rows, kChartWindow, 8, 2);
    chart.SetLegend({{{"North America"}, {}, claRegionColors[0]},
                     {{"Europe"}, {}, claRegionColors[1]},
                     {{"Asia"}, {}, claRegionColors[5]}});
  }
  return chart;
}

TRegionGridTable RegionGrid(int mode) {
  std::vector<TLabelledSeries> rows = StateRows(mode == 0 ? 5 : 2, false);
  for (std::size_t i = 8; i < rows.size(); i += 9) rows[i].Series.back().Value = kNoValue;
  TRegionGridTable table;
  table.SetData(rows, mode);
  return table;
}

TBulletListChart BulletList(int mode) {
  std::vector<TLegendItem> labels;
  std::size_t i = 0;
  for (const TCountry& country : Countries()) {
    labels.push_back({i % 4 == 1 ? std::vector<std::string>{country.Name, country.RegionName}
                                 : std::vector<std::string>{country.Name},
                      {},
                      claRegionColors[static_cast<std::size_t>(RegionIndex(country.RegionName))]});
    ++i;
  }
  std::vector<TLabelledSeries> rows;
  for (double position : {0.0, 5.0, 14.0, -1.0, 23.0, 29.0, 37.0}) rows.push_back(PositionRow(position));
  TBulletListChart chart;
  chart.SetData(rows, labels, mode, mode == 1);
  return chart;
}

TCountryRankingTable RankingTable(bool equityMode) {
  TCountryRankingTable table;
  table.SetData(RegionAllocationRows(), equityMode, equityMode ? "Equity" : "Model",
                equityMode ? "Risk-Free" : "Index");
  for (std::size_t r = 0; r < strRegionNameList.size(); ++r)
    table.Legend.push_back({{strRegionNameList[r]}, {}, claRegionColors[r]});
  return table;
}

std::vector<TRegimePanel> RegimePanels() {
  std::vector<TRegimePanel> panels(7);
  const std::vector<std::vector<std::string>> indicators{{"MACROECONOMY", "Bust", "Boom"},
                                                         {"BEHAVIORAL FINANCE", "Tail Risk", "Normal"},
                                                         {"MONETARY POLICY", "Tight", "Loose"},
                                                         {"LIQUIDITY", "Weak", "Strong"}};
  for (std::size_t i = 0; i < 4; ++i)
    panels[i].SetData({indicators[i][1], indicators[i][2]}, {claGraphicPalette[1], claGraphicPalette[0]},
                      indicators[i][0], 0.3 * static_cast<double>(i) + 0.05);
  panels[4].SetChoiceData(ChoiceTexts({"Bonds", "Equities"}, {"USA", "Japan", "Germany", "Brazil", "India", "Chile"}),
                          std::vector<TAlphaColor>(12, claRegionColors[0]), "Equities vs. Bonds", "Best Equities", "",
                          false);
  panels[5].SetChoiceData(ChoiceTexts({"TIPS", "Fixed Rate Bonds"}, {"Italy", "Spain", "Mexico"}),
                          std::vector<TAlphaColor>(12, claRegionColors[1]), "Fixed Rate Bonds vs. TIPS", "Best Bonds",
                          "", false);
  panels[6].SetChoiceData(ChoiceTexts({"Fiat Currencies", "Gold"}, {"JPY", "CHF"}),
                          std::vector<TAlphaColor>(12, claRegionColors[5]), "Gold vs. Fiat Currencies",
                          "Best Currencies", "REGIME DECISIONS", true);
  return panels;
}

TPercentBarChart PercentBarChart() {
  TPercentBarChart chart;
  chart.SetData(AssetShares(), AssetGroupColours());
  return chart;
}

// ---- Pictures ----

std::vector<TGalleryItem> GalleryItems() {
  constexpr float W = kScreenWidth;
  constexpr float H = kScreenHeight;
  std::vector<TGalleryItem> items;
  const char* comparisonModes[] = {"log", "oneYear", "drawdown", "bars"};
  for (int kind = 0; kind < 4; ++kind) {
    items.push_back(Item<TSeriesComparisonChart>(std::string("SeriesComparisonChart_") + comparisonModes[kind],
                                                 ComparisonChart(kind),
                                                 [kind](TSeriesComparisonChart& chart, platform::Canvas& canvas) {
                                                   chart.Layout(canvas, 0.0f, 0.0f, W, H);
                                                   if (kind == 0)
                                                     chart.DrawPeriod(canvas, MonthEnd(216), MonthEnd(239), 0xFFC5D2DD);
                                                   chart.Draw(canvas, W);
                                                 }));
  }
  items.push_back(
      Item<TSeriesBarChart>("SeriesBarChart_legend", BarChart(), [](TSeriesBarChart& chart, platform::Canvas& canvas) {
        chart.Layout(canvas, 0.0f, 0.0f, W, H);
        chart.Draw(canvas, W, true);
      }));
  items.push_back(
      Item<TSeriesBarChart>("SeriesBarChart_focus", BarChart(), [](TSeriesBarChart& chart, platform::Canvas& canvas) {
        chart.Layout(canvas, 0.0f, 0.0f, W, H);
        // The mouse over the lowest segment of the tenth bar from the right.
        const platform::TPointF p = chart.DataToScreen({chart.History[kMonths - 10].Date - 15.0, 0.005});
        chart.GetValuesAt(p.X, p.Y);
        chart.Draw(canvas, W, false);
      }));
  items.push_back(Item<TTextTable>("TextTable_parameters", ParameterTable(), [](TTextTable& t, platform::Canvas& c) {
    t.Layout(c, 0.0f, 0.0f, W, H);
    t.Draw(c, W);
  }));
  items.push_back(
      Item<TTextTable>("TextTable_statistics", StatisticsTable(false), [](TTextTable& t, platform::Canvas& c) {
        t.Layout(c, 0.0f, 0.0f, W, H);
        t.Draw(c, W);
      }));
  items.push_back(
      Item<TTextTable>("TextTable_statisticsTotal", StatisticsTable(true), [](TTextTable& t, platform::Canvas& c) {
        t.Layout(c, 0.0f, 0.0f, W, H);
        t.Draw(c, W);
      }));
  items.push_back(
      Item<TFXHedgingTable>("FXHedgingTable_positions", FxTable(), [](TFXHedgingTable& t, platform::Canvas& c) {
        t.Layout(c, 0.0f, 0.0f, W, H);
        t.Draw(c, "USD");
      }));
  items.push_back(Item<TPercentTable>("PercentTable_states", PercentTable(), [](TPercentTable& t, platform::Canvas& c) {
    t.Layout(c, 0.0f, 0.0f, W, H);
    t.Draw(c);
  }));
  items.push_back(Item<TPercentGridTable>("PercentGridTable_ranking", PercentGridTable(),
                                          [](TPercentGridTable& t, platform::Canvas& c) {
                                            t.Layout(c, 0.0f, 0.0f, W, H);
                                            t.Draw(c);
                                          }));
  const char* regionModes[] = {"signals", "legend", "ranking"};
  for (int mode = 0; mode < 3; ++mode) {
    items.push_back(Item<TRegionSeriesChart>(std::string("RegionSeriesChart_") + regionModes[mode], RegionChart(mode),
                                             [](TRegionSeriesChart& chart, platform::Canvas& c) {
                                               chart.Layout(c, 0.0f, 0.0f, W, H);
                                               chart.Draw(c, 0.0f);
                                             }));
  }
  const char* gridModes[] = {"fiveStates", "twoStates"};
  for (int mode = 0; mode < 2; ++mode) {
    items.push_back(Item<TRegionGridTable>(std::string("RegionGridTable_") + gridModes[mode], RegionGrid(mode),
                                           [](TRegionGridTable& t, platform::Canvas& c) {
                                             t.Layout(c, 0.0f, 0.0f, W, H);
                                             t.Draw(c);
                                           }));
  }
  const char* bulletModes[] = {"list", "ranking"};
  for (int mode = 0; mode < 2; ++mode) {
    items.push_back(Item<TBulletListChart>(std::string("BulletListChart_") + bulletModes[mode], BulletList(mode),
                                           [](TBulletListChart& chart, platform::Canvas& c) {
                                             chart.Layout(c, 0.0f, 0.0f, W, H);
                                             chart.Draw(c, "Best");
                                           }));
  }
  for (const bool equity : {true, false}) {
    for (const bool regionsOnly : {false, true}) {
      items.push_back(Item<TCountryRankingTable>(
          std::string("CountryRankingTable_") + (equity ? "equity" : "bond") + (regionsOnly ? "Regions" : "Full"),
          RankingTable(equity), [regionsOnly](TCountryRankingTable& t, platform::Canvas& c) {
            t.Layout(c, 32.0f, 32.0f, W - 64.0f, H - 64.0f, regionsOnly);
            t.Draw(c, regionsOnly);
          }));
    }
  }
  items.push_back(Item<std::vector<TRegimePanel>>(
      "RegimePanel_sevenPanels", RegimePanels(), [](std::vector<TRegimePanel>& panels, platform::Canvas& c) {
        for (std::size_t i = 0; i < panels.size(); ++i) {
          const float top = i < 4 ? 60.0f + 70.0f * static_cast<float>(i) : 340.0f + 230.0f * static_cast<float>(i - 4);
          panels[i].Layout(c, 320.0f, top, 1400.0f, i < 4 ? 60.0f : 230.0f);
          panels[i].Draw(c);
        }
      }));
  items.push_back(Item<TPercentBarChart>("PercentBarChart_assets", PercentBarChart(),
                                         [](TPercentBarChart& chart, platform::Canvas& c) {
                                           chart.Layout(c, 32.0f, 32.0f, W - 64.0f, H - 64.0f);
                                           chart.Draw(c);
                                         }));
  return items;
}

}  // namespace widgetfixture
