#include "pages/MYGPGraphic.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

#include "common/Globals.h"
#include "models/global/MYGPModel.h"
#include "pages/FXHedgingPositions.h"
#include "pages/MYGPRegimePanels.h"
#include "pages/PageCommon.h"
#include "pages/PortfolioViews.h"
#include "portfolio/EquityResultRecords.h"

namespace {

// Left edge and the width taken off of the regime overview's column.
constexpr float kPanelLeft = 288.0f;
constexpr float kPanelInset = 576.0f;
// Gap between two stacked choice panels.
constexpr float kChoiceGap = 25.0f;
// An indicator panel draws its boxes 2 above its top: the first panel starts 2 down so they are not cut.
constexpr float kIndicatorTop = 2.0f;

// Runs one stage of Update; a stage that throws leaves what it filled so far
// and the later stages still run.
template <typename TStage>
void RunStage(TStage&& stage) {
  try {
    stage();
  } catch (const std::exception&) {
  } catch (...) {
  }
}

bool HasRows(const TRegimePanel& panel) { return !panel.Rows().empty(); }

bool HasItems(const TPercentBarChart& chart) {
  const auto& items = chart.RowItems();
  return std::any_of(items.begin(), items.end(), [](std::int32_t item) { return item >= 0; });
}

bool HasBody(const TCountryRankingTable& table) { return !table.Columns().empty() && !table.ChildCounts().empty(); }

}  // namespace

TMYGPGraphic::TMYGPGraphic() : Record(&cMyExternMYGPGraphicData) {}

TMYGPGraphic::TMYGPGraphic(TMYGPGraphicData& record) : Record(&record) {}

void TMYGPGraphic::Init() {
  CurrentView = kViewCount;
  WealthChart = {};
  DrawdownChart = {};
  RollingChart = {};
  StatisticsTable = {};
  ParameterTable = {};
  AllocationChart = {};
  RankingTable = {};
  SecondRankingTable = {};
  EquityBondChoicePanel = {};
  BondChoicePanel = {};
  CurrencyChoicePanel = {};
  MacroeconomyPanel = {};
  BehavioralFinancePanel = {};
  MonetaryPolicyPanel = {};
  LiquidityPanel = {};
  AssetClassChart = {};
  HedgingTable = {};
}

void TMYGPGraphic::Update() {
  TMYGPGraphicData& record = *Record;
  TPortfolioPerformance& performance = record.Performance;

  RunStage([&] { pages::SetPerformanceCharts(WealthChart, DrawdownChart, RollingChart, performance, false); });

  RunStage([&] {
    const std::vector<TChartItem> items{{{"Equity"}, {}, claGraphicPalette[1]},
                                        {{"Fixed Rate Bond"}, {}, claGraphicPalette[5]},
                                        {{"Inflation-Linked Bond"}, {}, claGraphicPalette[4]},
                                        {{"Gold"}, {}, claGraphicPalette[7]}};
    pages::LoadAllocationBars(AllocationChart, performance.AllocationTitle, performance.AllocationHistory,
                              record.Countries, items);
  });

  RunStage([&] {
    const std::vector<TAlphaColor> colours{pages::kOtherRegionColour, claGraphicPalette[1], claGraphicPalette[3],
                                           claGraphicPalette[7], claGraphicPalette[6]};
    AssetClassChart.SetData({record.ColumnCaption1, record.ColumnCaption2, record.AssetShares}, colours);
  });

  RunStage([&] { LoadRegimePanels(); });
  RunStage([&] { LoadCountryRanking(); });
  RunStage([&] { UpdateFXHedgingPositions(); });

  RunStage([&] { StatisticsTable.SetStatistics(performance.Statistics, TTextTable::kMYGP, true); });
  RunStage([&] { ParameterTable.SetParameters(performance.Parameters, TTextTable::kMYGP, true); });
}

void TMYGPGraphic::LoadRegimePanels() {
  const TRegimePanelsData data = BuildRegimePanels(
      {vcMyExternCountryList, usMyExternUserSettings, cMyExternEQQVGraphicData, cMyExternEQBLGraphicData,
       cMyExternEQSLGraphicData, cMyExternFISLGraphicData, cMyExternFIGFGraphicData, cMyExternFICYGraphicData});
  SetPanel(MacroeconomyPanel, data.MacroeconomyPanel);
  SetPanel(BehavioralFinancePanel, data.BehavioralFinancePanel);
  SetPanel(MonetaryPolicyPanel, data.MonetaryPolicyPanel);
  SetPanel(LiquidityPanel, data.LiquidityPanel);
  SetPanel(EquityBondChoicePanel, data.EquityBondChoicePanel);
  SetPanel(BondChoicePanel, data.BondChoicePanel);
  SetPanel(CurrencyChoicePanel, data.CurrencyChoicePanel);
}

void TMYGPGraphic::LoadCountryRanking() {
  // The current states: each country's last signal point (as on the EQGP page).
  models::FlagMYGPAllocationItems(Record, std::vector<TLabelledSeries>(cMyExternEQQVGraphicData.Rows4),
                                  std::vector<TLabelledSeries>(cMyExternEQBLGraphicData.Rows4));
  const std::vector<TRegionAllocationRow> rows = Record->AllocationItems;
  RankingTable.SetData(rows, true, "Model", "Benchmark");
  SecondRankingTable.SetData(rows, false, "Model", "Benchmark");

  // The six regions in list order; set anew, never appended to.
  RankingTable.Legend = pages::RegionLegend();
  SecondRankingTable.Legend = RankingTable.Legend;
}

void TMYGPGraphic::UpdateFXHedgingPositions() {
  // The zero rows first: they stay when the positions cannot be computed.
  HedgingTable.SetData(BuildFXHedgingRows(vcMyExternCountryList));
  HedgingTable.SetData(MYGPFXHedgingPositions(*Record, vExternFIGPFXHedgingPosition, vcMyExternCountryList,
                                              usMyExternUserSettings.PortfolioCcy));
}

void TMYGPGraphic::SelectView(std::int32_t group, std::int32_t entry, std::int32_t choice, std::int32_t option,
                              std::int32_t subEntry) {
  if (group == 0) {
    CurrentView = 0;
    return;
  }
  if (group != 2) return;
  if (entry >= 1 && entry <= 5) {
    CurrentView = 7 + entry;
    return;
  }
  if (entry != 0) return;
  switch (subEntry) {
    case 0:
      if (option == 1) CurrentView = 1;
      if (option == 0) CurrentView = 2;
      break;
    case 1:
      if (choice == 1) CurrentView = 4;
      if (choice == 0) CurrentView = 3;
      break;
    case 2:
      if (choice == 1) CurrentView = 6;
      if (choice == 0) CurrentView = 5;
      break;
    case 3:
      CurrentView = 7;
      break;
    default:
      break;
  }
}

bool TMYGPGraphic::ViewHasFeature(std::uint32_t feature) const {
  switch (feature) {
    case 0:
    case 2:
      return pages::IsOneOf(CurrentView, {1, 9, 10, 11});
    case 1:
    case 3:
      return CurrentView == 1;
    default:
      return false;
  }
}

void TMYGPGraphic::Layout(platform::Canvas& canvas, float width, float height, float aspect, float /*tabWidth*/) {
  AreaHeight = height;
  const float top32 = 32.0f * aspect;
  const float top64 = 64.0f * aspect;
  switch (CurrentView) {
    case 0: {
      const float panelWidth = width - kPanelInset;
      // Indicator panels stack down from the top, each overlapping the one
      // above by half a text height: top 2 + k x (h - 0.5 x T).
      MacroeconomyPanel.Layout(canvas, kPanelLeft, kIndicatorTop, panelWidth, height);
      const float step = MacroeconomyPanel.ViewArea().Height - 0.5f * canvas.TextHeight("X");
      BehavioralFinancePanel.Layout(canvas, kPanelLeft, kIndicatorTop + step, panelWidth, height);
      MonetaryPolicyPanel.Layout(canvas, kPanelLeft, kIndicatorTop + 2.0f * step, panelWidth, height);
      LiquidityPanel.Layout(canvas, kPanelLeft, kIndicatorTop + 3.0f * step, panelWidth, height);
      // Choice panels sit on the bottom of their area and stack upwards, 25 apart.
      EquityBondChoicePanel.Layout(canvas, kPanelLeft, 0.0f, panelWidth, height);
      BondChoicePanel.Layout(canvas, kPanelLeft, 0.0f, panelWidth,
                             height - EquityBondChoicePanel.ViewArea().Height - kChoiceGap);
      CurrencyChoicePanel.Layout(canvas, kPanelLeft, 0.0f, panelWidth,
                                 height - 2.0f * (BondChoicePanel.ViewArea().Height + kChoiceGap));
      break;
    }
    case 2:
      AssetClassChart.Layout(canvas, 32.0f, top32, width - 64.0f, height - top64);
      break;
    case 3:
    case 4:
      RankingTable.Layout(canvas, 32.0f, top32, width - 64.0f, height - top64, CurrentView == 3);
      break;
    case 5:
    case 6:
      SecondRankingTable.Layout(canvas, 34.0f, top32, width - 64.0f, height - top64, CurrentView == 5);
      break;
    case 7:
      HedgingTable.Layout(canvas, 32.0f, top64, width - 64.0f, height - 128.0f * aspect);
      break;
    default:
      pages::LayoutPortfolioView(canvas, pages::SummaryTableAt(CurrentView, 8, StatisticsTable, ParameterTable),
                                 ComparisonChartOfView(), BarChartOfView(), width, height, aspect);
      break;
  }
}

bool TMYGPGraphic::Draw(platform::Canvas& canvas, float width) {
  bool empty = false;
  switch (CurrentView) {
    case 0: {
      const TRegimePanel* panels[] = {&MacroeconomyPanel,  &BehavioralFinancePanel, &MonetaryPolicyPanel,
                                      &LiquidityPanel,     &EquityBondChoicePanel,  &BondChoicePanel,
                                      &CurrencyChoicePanel};
      for (const TRegimePanel* panel : panels) panel->Draw(canvas);
      empty = std::none_of(std::begin(panels), std::end(panels), [](const TRegimePanel* p) { return HasRows(*p); });
      break;
    }
    case 2:
      AssetClassChart.Draw(canvas);
      empty = !HasItems(AssetClassChart);
      break;
    case 3:
    case 4:
      RankingTable.Draw(canvas, CurrentView == 3);
      empty = !HasBody(RankingTable);
      break;
    case 5:
    case 6:
      SecondRankingTable.Draw(canvas, CurrentView == 5);
      empty = !HasBody(SecondRankingTable);
      break;
    case 7:
      HedgingTable.Draw(canvas, "USD");
      empty = HedgingTable.RowCount() <= 0;
      break;
    default:  // none included: nothing to draw, no "No Data"
      pages::DrawPortfolioView(canvas, pages::SummaryTableAt(CurrentView, 8, StatisticsTable, ParameterTable),
                               ComparisonChartOfView(), BarChartOfView(), width, true);
      break;
  }
  // The widgets of these views draw nothing when empty: the page writes
  // their "No Data" itself, as the tables and charts do.
  if (empty) widgets::DrawNoData(canvas, width, 0.0f, AreaHeight);
  return true;
}

void TMYGPGraphic::ResetCursors() { pages::ResetBarCursor(AllocationChart); }

void TMYGPGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == 9) chart = WealthChart;
}

TViewArea TMYGPGraphic::GetViewRange() const {
  switch (CurrentView) {
    case 4:
      return RankingTable.ViewArea();
    case 6:
      return SecondRankingTable.ViewArea();
    case 7:
      return HedgingTable.ViewArea();
    default:
      return pages::RangeOf(ComparisonChartOfView(), BarChartOfView());
  }
}

void TMYGPGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  pages::MoveBarCursor(AllocationChart, pages::CursorDelta(step, count));
}

bool TMYGPGraphic::HasNextItem() const { return CurrentView == 1 && pages::BarHasNext(AllocationChart); }

platform::TPointF TMYGPGraphic::GetCurrentItem() const {
  if (CurrentView == 1) return AllocationChart.CaptionAnchor;
  return {};
}

std::vector<TDataPoint> TMYGPGraphic::GetValuesAt(float x, float y) {
  return pages::ValuesAt(ComparisonChartOfView(), BarChartOfView(), x, y);
}

platform::TPointF TMYGPGraphic::DataToScreen(TDataPoint point) const {
  return pages::ScreenPoint(ComparisonChartOfView(), BarChartOfView(), point);
}

void TMYGPGraphic::FormatValue(double value, std::string& text) const {
  pages::FormatViewValue(CurrentView, value, {1, 10, 11}, {9}, text);
}

TSeriesBarChart* TMYGPGraphic::BarChartOfView() { return CurrentView == 1 ? &AllocationChart : nullptr; }

const TSeriesBarChart* TMYGPGraphic::BarChartOfView() const { return CurrentView == 1 ? &AllocationChart : nullptr; }

TSeriesComparisonChart* TMYGPGraphic::ComparisonChartOfView() {
  return pages::PerformanceChartAt(CurrentView, 9, WealthChart, DrawdownChart, RollingChart);
}

const TSeriesComparisonChart* TMYGPGraphic::ComparisonChartOfView() const {
  return pages::PerformanceChartAt(CurrentView, 9, WealthChart, DrawdownChart, RollingChart);
}
