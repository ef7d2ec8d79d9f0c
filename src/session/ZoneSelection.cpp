#include "session/ZoneSelection.h"

#include "common/SeriesArithmetic.h"
#include "common/SeriesStatistics.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "session/WindowTexts.h"
#include "widgets/SeriesComparisonChart.h"

namespace session {

namespace {

TPageKind SelectedPage(const TViewState& state) {
  return PageForTab(state.SelectedMainTab, state.GlobalSubIndex, state.EquitySubIndex, state.BondSubIndex);
}

void ClearValueTexts(TZoneInfoTexts& texts) {
  for (std::size_t i = 0; i < 3; ++i) {
    texts.Returns[i].clear();
    texts.Volatilities[i].clear();
    texts.Drawdowns[i].clear();
  }
}

// Zone [earlier, later] of the start and the pointer dates, its month texts
// and the three statistics of each series over the chart's points in it.
void ExtendZone(TZoneSelection& zone, const TSeriesComparisonChart& chart, const std::vector<TDataPoint>& values) {
  const double start = zone.ZoneStartValues.front().Date;
  const double end = values.front().Date;
  zone.ZoneStartDate = end > start ? start : end;
  zone.ZoneEndDate = end > start ? end : start;
  zone.Texts.FirstMonth = ZoneMonthText(zone.ZoneStartDate);
  zone.Texts.LastMonth = ZoneMonthText(zone.ZoneEndDate);
  for (std::size_t i = 0; i < zone.ZoneStartValues.size(); ++i) {
    const TSeries points = chart.GetPointsInRange(static_cast<std::int32_t>(i), zone.ZoneStartDate, zone.ZoneEndDate);
    if (points.empty()) continue;
    const TSeries returns = ComputeReturns(points, 0.0);
    const double r = AnnualizedReturn(returns, 0);
    const double v = AnnualizedVolatility(returns, 0);
    const double m = MaxDrawdown(returns);
    if (i >= 3) continue;  // only three columns
    zone.Texts.Returns[i] = ZoneValueText(r);
    zone.Texts.Volatilities[i] = ZoneValueText(v);
    zone.Texts.Drawdowns[i] = ZoneValueText(m);
  }
  zone.ZoneExtended = true;
}

// The end of a drag by release or leave: whatever the view, the drag and
// its start are over.
TZoneUpdate FinishDrag(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x) {
  TZoneUpdate update;
  if (zone.ZoneSelected) update = UpdateSelectedZoneInfos(zone, state, pages, kZoneEnd, x, true);
  zone.ZoneSelected = false;
  zone.ZoneStartValues.clear();
  zone.ZoneExtended = false;
  zone.BoxVisible = false;
  update.Applied = true;
  return update;
}

}  // namespace

bool ZoneBandShown(const TZoneSelection& zone) { return zone.ZoneSelected && zone.ZoneExtended; }

bool IsZoneView(TPageKind kind, std::int32_t view) {
  switch (kind) {
    case TPageKind::MYGP:
      return view == 9;
    case TPageKind::EQGP:
    case TPageKind::FIGP:
      return view == 6;
    case TPageKind::EQSL:
    case TPageKind::FISL:
    case TPageKind::FICY:
    case TPageKind::FIGF:
      return view == 7;
    case TPageKind::EQQV:
    case TPageKind::EQBL:
      return view == 4 || view == 16;
    case TPageKind::None:
      break;
  }
  return false;
}

std::string ZoneMonthText(double date) {
  const platform::CivilDate civil = platform::DecodeDate(date);
  const std::size_t month = civil.Month >= 1 && civil.Month <= 12 ? static_cast<std::size_t>(civil.Month - 1) : 0;
  return sMonthNames[month] + " " + std::to_string(static_cast<unsigned short>(civil.Year));
}

std::string ZoneValueText(double value) {
  if (value == kNoFigure) return "n.c.";
  return platform::FloatToStrF(value * 100.0, platform::ffFixed, 8, 1) + " %";
}

TZoneUpdate UpdateSelectedZoneInfos(TZoneSelection& zone, TViewState& state, TModelPages& pages, std::int32_t mode,
                                    float x, bool final) {
  const TPageKind kind = SelectedPage(state);
  TSeriesComparisonChart chart;
  bool gated = false;
  pages.WithPage(kind, [&](auto& page) {
    if (!IsZoneView(kind, page.CurrentView))
      gated = true;
    else
      page.GetViewData(chart);
  });
  if (gated) return {};

  const std::vector<TDataPoint> values = chart.GetValuesAt(x);
  switch (mode) {
    case kZoneStart:
      ClearValueTexts(zone.Texts);
      zone.ZoneExtended = false;
      if (!values.empty()) {
        zone.ZoneStartValues = values;
        zone.BoxX = chart.PlotLeft + kZoneBoxOffset;
        zone.BoxY = chart.PlotTop + kZoneBoxOffset;
      }
      break;
    case kZoneExtend:
      if (zone.ZoneStartValues.empty()) break;
      zone.ZoneSelected = true;
      if (!values.empty() && values.size() == zone.ZoneStartValues.size()) ExtendZone(zone, chart, values);
      break;
    case kZoneEnd:
      zone.ZoneSelected = !final;
      if (final) {
        zone.ZoneStartValues.clear();
        zone.ZoneExtended = false;
      }
      break;
    default:
      break;
  }
  zone.BoxVisible = ZoneBandShown(zone);

  TZoneUpdate update;
  update.Applied = true;
  if (state.WorkspaceShown) {
    state.PaintPhase = 1;
    update.Repaint = true;
  }
  return update;
}

TZoneUpdate ZonePress(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x, bool insidePlotSpan) {
  if (zone.ZoneSelected || !insidePlotSpan) return {};
  return UpdateSelectedZoneInfos(zone, state, pages, kZoneStart, x, false);
}

TZoneUpdate ZoneDrag(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x, bool insidePlotSpan) {
  return UpdateSelectedZoneInfos(zone, state, pages, insidePlotSpan ? kZoneExtend : kZoneEnd, x, false);
}

TZoneUpdate ZoneRelease(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x) {
  return FinishDrag(zone, state, pages, x);
}

TZoneUpdate ZoneLeave(TZoneSelection& zone, TViewState& state, TModelPages& pages) {
  return FinishDrag(zone, state, pages, 0.0f);
}

}  // namespace session
