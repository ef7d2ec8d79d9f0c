#include "session/ValueIndicators.h"

#include <vector>

#include "platform/DateTime.h"
#include "widgets/SeriesBarChart.h"

namespace session {

namespace {

TPageKind SelectedPage(const TViewState& state) {
  return PageForTab(state.SelectedMainTab, state.GlobalSubIndex, state.EquitySubIndex, state.BondSubIndex);
}

void RequestRepaint(TViewState& state, TIndicatorUpdate& update) {
  if (!state.WorkspaceShown) return;
  state.PaintPhase = 1;
  update.Repaint = true;
}

// Centred on the point horizontally, 2 lower than centred vertically.
void PlaceMarker(TIndicatorMarker& marker, platform::TPointF point) {
  marker.X = point.X - marker.Width * 0.5f;
  marker.Y = point.Y - marker.Height * 0.5f + 2.0f;
}

void HideAll(TValueIndicators& indicators) {
  indicators.ValueIndicatorsShown = false;
  indicators.BoxVisible = false;
  for (std::size_t i = 1; i < indicators.Rows.size(); ++i) indicators.Rows[i].Visible = false;
  for (TIndicatorMarker& marker : indicators.Markers) marker.Visible = false;
}

// Fills rows, box and markers from a non-empty value list of the page.
template <typename TPage>
void ShowValues(TValueIndicators& ind, TPage& page, const std::vector<TDataPoint>& values, bool barView) {
  const std::size_t n = values.size();
  auto& rows = ind.Rows;
  rows[1].Visible = true;
  rows[1].FontColour = claReferenceGraphicColor_1;
  rows[2].FontColour = claReferenceGraphicColor_2;
  rows[3].FontColour = claReferenceGraphicColor_3;
  std::size_t rowCount = 0;
  if (barView) {
    rows[2].Visible = false;
    rows[3].Visible = false;
    rowCount = n;
  } else {
    rows[2].Visible = n > 1;
    rows[3].Visible = n > 2;
    rowCount = n + 1;
  }
  ind.BoxHeight = rows[1].Height * static_cast<float>(rowCount) + ind.CalloutLength;
  rows[0].Text = IndicatorDateText(values.front().Date);

  auto format = [&page](double value) {
    std::string text;
    page.FormatValue(value, text);
    return text;
  };
  if (barView) {
    // Pairs (date, sum below the segment) and (date, the segment's value).
    const TDataPoint base = n >= 2 ? values[0] : TDataPoint{values[0].Date, 0.0};
    const TDataPoint own = values[n >= 2 ? 1 : 0];
    rows[1].Text = format(own.Value);
    PlaceMarker(ind.Markers[0], page.DataToScreen({base.Date, base.Value + own.Value}));
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      const std::string text = format(values[i].Value);
      const platform::TPointF point = page.DataToScreen(values[i]);
      if (i >= 3) continue;
      rows[i + 1].Text = text;
      PlaceMarker(ind.Markers[i], point);
    }
  }
  const TIndicatorMarker& first = ind.Markers[0];
  ind.BoxX = first.X + first.Width * 0.5f - ind.BoxWidth - ind.CalloutOffset + ind.CalloutWidth * 0.5f;
  ind.BoxY = first.Y - ind.BoxHeight;
}

}  // namespace

TSeriesBarChart* HoverLabelChart(TModelPages& pages, TPageKind kind) {
  switch (kind) {
    case TPageKind::EQGP:
      return pages.EQGPGraphic.CurrentView == 0 ? &pages.EQGPGraphic.AllocationChart : nullptr;
    case TPageKind::EQSL:
      return pages.EQSLGraphic.CurrentView == 4 ? &pages.EQSLGraphic.AllocationChart : nullptr;
    case TPageKind::FISL:
      return pages.FISLGraphic.CurrentView == 4 ? &pages.FISLGraphic.AllocationChart : nullptr;
    case TPageKind::FICY:
      return pages.FICYGraphic.CurrentView == 4 ? &pages.FICYGraphic.AllocationChart : nullptr;
    case TPageKind::EQQV:
    case TPageKind::EQBL: {
      TEQBLGraphic& page = kind == TPageKind::EQQV ? pages.EQQVGraphic : pages.EQBLGraphic;
      if (page.CurrentView == 12) return &page.AllocationChart2;
      if (page.CurrentView == 14) return &page.AllocationChart3;
      return nullptr;
    }
    default:
      return nullptr;
  }
}

std::string IndicatorDateText(double date) {
  static const std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const platform::CivilDate civil = platform::DecodeDate(date);
  const std::size_t month = civil.Month >= 1 && civil.Month <= 12 ? static_cast<std::size_t>(civil.Month - 1) : 0;
  return std::string(kMonths[month]) + " " + std::to_string(civil.Year);
}

TIndicatorUpdate UpdateValueIndicators(TValueIndicators& indicators, TViewState& state, TModelPages& pages,
                                       std::int32_t request, float x, float y) {
  TIndicatorUpdate update;
  const TPageKind kind = SelectedPage(state);

  if (request == kHideValues) {
    // A label on the bars goes with a new drawing; with none shown there is nothing to draw again.
    TSeriesBarChart* chart = HoverLabelChart(pages, kind);
    if (chart != nullptr && (!chart->HoverLabel.empty() || !chart->PreviousHoverLabel.empty())) {
      chart->HoverLabel.clear();
      chart->PreviousHoverLabel.clear();
      RequestRepaint(state, update);
    }
    HideAll(indicators);
    return update;
  }
  if (request != kShowValues) return update;

  bool barView = false;
  std::vector<TDataPoint> values;
  pages.WithPage(kind, [&](auto& page) {
    values = page.GetValuesAt(x, y);
    if (const TSeriesBarChart* chart = HoverLabelChart(pages, kind))
      if (chart->HoverLabel != chart->PreviousHoverLabel) RequestRepaint(state, update);
    if (values.empty()) return;
    barView = page.ViewHasFeature(3);
    ShowValues(indicators, page, values, barView);
  });

  indicators.ValueIndicatorsShown = !values.empty();
  indicators.BoxVisible = indicators.ValueIndicatorsShown;
  const bool shown = indicators.ValueIndicatorsShown && indicators.BoxVisible;
  const bool chartView = kind != TPageKind::None && !barView;
  indicators.Markers[0].Visible = shown && indicators.Rows[1].Visible;
  indicators.Markers[1].Visible = shown && indicators.Rows[2].Visible && chartView;
  indicators.Markers[2].Visible = shown && indicators.Rows[3].Visible && chartView;
  return update;
}

}  // namespace session
