#include "app/ChartArea.h"

#include <QGestureEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPanGesture>
#include <QWheelEvent>
#include <type_traits>

#include "common/Globals.h"
#include "platform/qt/QtCanvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/SeriesComparisonChart.h"

namespace app {

namespace {

using session::TTrackBar;

constexpr platform::TAlphaColor kBoxStroke = 0xFFC5D2DD;
constexpr platform::TAlphaColor kTextColour = 0xFF4C4C4E;
constexpr platform::TAlphaColor kShiftIndicatorColour = 0xFF708CD5;
constexpr int kShiftIndicatorSize = 12;
// The pages give the top left of the square beside a heat map's title for the
// shift indicator; it is centred in it.
constexpr float kShiftSlotInset =
    (TRegionSeriesChart::kTitleControlSize - static_cast<float>(kShiftIndicatorSize)) * 0.5f;

// Offsets of the supports from their widget's anchor.
constexpr float kTableSupportOffset = -40.0f;
constexpr float kChartSupportOffset = -60.0f;

// Stand-in geometry of a track bar until the window hands its own.
constexpr session::TTrackBarGeometry kDefaultGeometry{0.0, 300.0, 0.0, 40.0};

TTrackBarSupportPlacement Placed(TTrackBar bar, float anchor, float offset) {
  return {bar, true, anchor + offset, true};
}

// The heat-map support, then the history support (X only in views 2 and 3).
std::vector<TTrackBarSupportPlacement> RankingPlacements(const TRankingGraphic& page, TTrackBar heatMapBar) {
  std::vector<TTrackBarSupportPlacement> out{Placed(heatMapBar, page.BulletList.TrackBarAnchorX, kChartSupportOffset)};
  TTrackBarSupportPlacement history{TTrackBar::History, false, 0.0f, true};
  if (page.CurrentView == 3) {
    history.SetX = true;
    history.X = page.RankingChart.TrackBarAnchorX + kChartSupportOffset;
  } else if (page.CurrentView == 2) {
    history.SetX = true;
    history.X = page.SelectionChart.TrackBarAnchorX + kChartSupportOffset;
  }
  out.push_back(history);
  return out;
}

template <typename TGlobalPage>
std::vector<TTrackBarSupportPlacement> PortfolioPlacements(const TGlobalPage& page) {
  if (page.CurrentView == 3) return {Placed(TTrackBar::Zone, page.RankingTable.TrackBarAnchorX, kTableSupportOffset)};
  if (page.CurrentView == 4) return {Placed(TTrackBar::FX, page.HedgingTable.TrackBarAnchorX, kChartSupportOffset)};
  return {};
}

// Compares the widget's own flag: a row of a hidden box is not visible
// either, yet must keep what it is told.
void SetVisible(QWidget* widget, bool visible) {
  if (widget->isHidden() == visible) widget->setVisible(visible);
}

void SetText(TControl* control, const std::string& text) {
  if (control->Text != text) control->SetText(text);
}

TControl* MakeText(QWidget* parent, const char* name, const char* text, float fontSize, platform::TAlphaColor colour,
                   platform::TTextAlign align, QRect rect) {
  auto* label = new TControl(parent, name);
  label->Text = text;
  label->FontSize = fontSize;
  label->FontColour = colour;
  label->TextAlign = align;
  label->setGeometry(rect);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

std::vector<TTrackBarSupportPlacement> TrackBarSupportPlacements(TModelPages& pages, TPageKind kind) {
  switch (kind) {
    case TPageKind::MYGP: {
      const TMYGPGraphic& page = pages.MYGPGraphic;
      if (page.CurrentView == 4)
        return {Placed(TTrackBar::Zone, page.RankingTable.TrackBarAnchorX, kTableSupportOffset)};
      if (page.CurrentView == 6)
        return {Placed(TTrackBar::Zone, page.SecondRankingTable.TrackBarAnchorX, kTableSupportOffset)};
      if (page.CurrentView == 7) return {Placed(TTrackBar::FX, page.HedgingTable.TrackBarAnchorX, kChartSupportOffset)};
      return {};
    }
    case TPageKind::EQGP:
      return PortfolioPlacements(pages.EQGPGraphic);
    case TPageKind::FIGP:
      return PortfolioPlacements(pages.FIGPGraphic);
    case TPageKind::EQSL:
      return RankingPlacements(pages.EQSLGraphic, TTrackBar::EQHeatMap);
    case TPageKind::FISL:
      return RankingPlacements(pages.FISLGraphic, TTrackBar::FIHeatMap);
    case TPageKind::FICY:
      return RankingPlacements(pages.FICYGraphic, TTrackBar::CYHeatMap);
    case TPageKind::EQQV:
      return {Placed(TTrackBar::History, pages.EQQVGraphic.GroupHistoryChart.TrackBarAnchorX, kChartSupportOffset)};
    case TPageKind::EQBL:
      return {Placed(TTrackBar::History, pages.EQBLGraphic.GroupHistoryChart.TrackBarAnchorX, kChartSupportOffset)};
    case TPageKind::FIGF:
    case TPageKind::None:
      break;
  }
  return {};
}

TChartArea::TChartArea(session::TViewState& view, TModelPages& pages, QWidget* parent)
    : QWidget(parent), View_(view), Pages_(pages) {
  setObjectName("MainPaintBox");
  // The drawing covers the whole area on the window's background colour:
  // nothing beneath is painted first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setAttribute(Qt::WA_AcceptTouchEvents);
  grabGesture(Qt::PanGesture);
  grabGesture(Qt::SwipeGesture);
  // The window's creation handler gives the date row the text colour.
  Indicators.Rows[0].FontColour = kTextColour;
  WheelRunTimer.setSingleShot(true);
  WheelRunTimer.setInterval(kWheelRunQuietMs);
  connect(&WheelRunTimer, &QTimer::timeout, this, [this] { EndWheelRun(); });
  BuildControls();
}

void TChartArea::BuildControls() {
  ShiftIndicator = new TControl(this, "ShiftIndicator");
  ShiftIndicator->resize(kShiftIndicatorSize, kShiftIndicatorSize);
  // A small triangle pointing to the newer data.
  ShiftIndicator->Painter = [](platform::Canvas& canvas, float w, float h) {
    canvas.Fill.Kind = platform::TBrushKind::Solid;
    canvas.Fill.Color = kShiftIndicatorColour;
    canvas.FillPolygon({{w * 0.2f, 0.0f}, {w, h * 0.5f}, {w * 0.2f, h}}, 1.0f);
  };

  ZoneBox = new TControl(this, "GraphicSelectedZoneInfosSupport", TControl::TShape::Rectangle);
  ZoneBox->setGeometry(0, 0, 340, 112);
  ZoneBox->FillColour = claApplicationBkgColor;
  ZoneBox->StrokeColour = kBoxStroke;
  ZoneBox->StrokeThickness = 1.0f;
  ZoneBox->Radius = 4.0f;
  using platform::TTextAlign;
  ZoneTexts[0] =
      MakeText(ZoneBox, "SelectedZoneInfos_1", "XXXXX", 13.0f, kTextColour, TTextAlign::Leading, QRect(10, 6, 150, 22));
  ZoneTexts[1] = MakeText(ZoneBox, "SelectedZoneInfos_2", "XXXXX", 13.0f, kTextColour, TTextAlign::Leading,
                          QRect(175, 6, 155, 22));
  const std::array<const char*, 3> rowNames{"SelectedZoneInfos_3", "SelectedZoneInfos_4", "SelectedZoneInfos_5"};
  const std::array<const char*, 3> rowLabels{"Return (p.a.)", "Volatility (p.a.)", "Max. drawdown"};
  const std::array<platform::TAlphaColor, 3> colours{claReferenceGraphicColor_1, claReferenceGraphicColor_2,
                                                     claReferenceGraphicColor_3};
  for (int row = 0; row < 3; ++row) {
    const int y = 32 + row * 25;
    MakeText(ZoneBox, rowNames[static_cast<std::size_t>(row)], rowLabels[static_cast<std::size_t>(row)], 12.0f,
             kTextColour, TTextAlign::Leading, QRect(10, y, 125, 22));
    for (int series = 0; series < 3; ++series) {
      const std::string name = std::string(rowNames[static_cast<std::size_t>(row)]) + static_cast<char>('a' + series);
      ZoneTexts[static_cast<std::size_t>(2 + row * 3 + series)] =
          MakeText(ZoneBox, name.c_str(), "XXXXX", 12.0f, colours[static_cast<std::size_t>(series)],
                   TTextAlign::Trailing, QRect(135 + series * 65, y, 62, 22));
    }
  }

  ValueBox = new TControl(this, "DatasetValueIndicatorSupport");
  // The callout box: a rounded body with the callout at its bottom, its right
  // edge -CalloutOffset from the box's right edge.
  ValueBox->Painter = [this](platform::Canvas& canvas, float w, float h) {
    const float length = Indicators.CalloutLength;
    const float right = w + Indicators.CalloutOffset;
    const float bodyBottom = h - length - 1.0f;
    canvas.Fill.Kind = platform::TBrushKind::Solid;
    canvas.Fill.Color = claApplicationBkgColor;
    canvas.Stroke.Kind = platform::TBrushKind::Solid;
    canvas.Stroke.Color = kBoxStroke;
    canvas.Stroke.Thickness = 2.0f;
    const platform::TRectF body{1.0f, 1.0f, w - 1.0f, bodyBottom};
    canvas.FillRect(body, 4.0f, 4.0f, 1.0f);
    canvas.DrawRect(body, 4.0f, 4.0f, 1.0f);
    const std::vector<platform::TPointF> callout{{right - Indicators.CalloutWidth, bodyBottom - 1.0f},
                                                 {right - Indicators.CalloutWidth * 0.5f, h - 1.0f},
                                                 {right, bodyBottom - 1.0f}};
    canvas.FillPolygon(callout, 1.0f);
    canvas.DrawLine(callout[0], callout[1], 1.0f);
    canvas.DrawLine(callout[1], callout[2], 1.0f);
  };
  for (std::size_t i = 0; i < ValueRows.size(); ++i) {
    const std::string name = "DatasetValueIndicator_" + std::to_string(i);
    ValueRows[i] = MakeText(ValueBox, name.c_str(), "XXXXX", 14.0f, Indicators.Rows[i].FontColour, TTextAlign::Trailing,
                            QRect(3, 23 * static_cast<int>(i), 72, 24));
  }
  for (std::size_t i = 0; i < ValueMarkers.size(); ++i) {
    const std::string name = "ValuePositionIndicator_" + std::to_string(i + 1);
    ValueMarkers[i] = new TControl(this, name.c_str(), TControl::TShape::Circle);
    ValueMarkers[i]->FillColour = 0xFFFFFFFF;
    ValueMarkers[i]->StrokeThickness = 2.0f;
    ValueMarkers[i]->StrokeColour = colours[i];
  }
  for (QWidget* control : std::initializer_list<QWidget*>{ShiftIndicator, ZoneBox, ValueBox, ValueMarkers[0],
                                                          ValueMarkers[1], ValueMarkers[2]}) {
    control->setAttribute(Qt::WA_TransparentForMouseEvents);
    control->hide();
  }
  ApplyIndicators({}, View_.PaintPhase);
}

TPageKind TChartArea::SelectedPage() const {
  return PageForTab(View_.SelectedMainTab, View_.GlobalSubIndex, View_.EquitySubIndex, View_.BondSubIndex);
}

bool TChartArea::PageHasFeature(std::uint32_t feature) {
  bool has = false;
  Pages_.WithPage(SelectedPage(), [&](auto& page) { has = page.ViewHasFeature(feature); });
  return has;
}

session::TTrackBarGeometries TChartArea::Geometries() const {
  if (TrackBarGeometries) return TrackBarGeometries();
  session::TTrackBarGeometries geometries;
  geometries.fill(kDefaultGeometry);
  return geometries;
}

void TChartArea::RequestRepaint(std::int32_t phase) {
  if (phase < 0 || phase > 2) return;  // a phase without work asks for nothing
  const std::int32_t pending = View_.PaintPhase;
  if (!RepaintPending_ || pending < 0 || pending > 2)
    View_.PaintPhase = phase;
  else if (pending != phase)
    View_.PaintPhase = 2;  // layout and draw asked for apart, or a draw after a full pass was asked for
  RepaintPending_ = true;
  update();
}

void TChartArea::HideValueIndicators() {
  if (Indicators.ValueIndicatorsShown) UpdateIndicators(session::kHideValues, 0.0f, 0.0f);
}

// ---- painting

void TChartArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  CacheValid_ = false;
}

void TChartArea::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (Cache_.size() != pixels) {
    Cache_ = QImage(pixels, QImage::Format_RGB32);
    Cache_.setDevicePixelRatio(ratio);
    Cache_.fill(QColor::fromRgba(claApplicationBkgColor));
    CacheValid_ = false;
  }
  std::int32_t phase = View_.PaintPhase;
  // An expose nobody asked for shows the cached drawing; a cache that lost
  // it (new size) is laid out and drawn again.
  if (!RepaintPending_ && CacheValid_) phase = -1;
  if (!CacheValid_ && phase == 1) phase = 2;
  RepaintPending_ = false;

  bool completed = true;
  if (phase >= 0 && phase <= 2) completed = PaintPass(phase);
  if (completed) {
    UpdateShiftIndicator();
    View_.PaintPhase = 1;
  }
  QPainter painter(this);
  painter.drawImage(QPointF(0.0, 0.0), ShownImage());
}

bool TChartArea::PaintPass(std::int32_t phase) {
  const TPageKind kind = SelectedPage();
  const bool laysOut = phase == 0 || phase == 2;
  const bool draws = phase == 1 || phase == 2;
  if (draws) {
    Cache_.fill(QColor::fromRgba(claApplicationBkgColor));
    NoDataShown_ = false;
  }
  const QSize window = WindowSize ? WindowSize() : this->window()->size();
  // Integer quotient: 1 below twice as wide as high, 2 from twice as wide.
  const float scale = window.height() > 0 ? static_cast<float>(window.width() / window.height()) : 1.0f;
  // One scene covers the layout, the zone band, the page and "No Data". A
  // page that throws ends the scene; the exception must not leave the paint
  // event (Qt aborts), so the chart shows "No Data" instead.
  bool laidOut = false;
  bool failed = false;
  try {
    platform::QtCanvas canvas(&Cache_);
    if (canvas.BeginScene()) {
      try {
        if (laysOut) laidOut = LayOutPage(canvas, kind, scale);
        if (draws) DrawSelectedGraphic(canvas, kind);
      } catch (...) {
        canvas.EndScene();
        throw;
      }
      canvas.EndScene();
    }
  } catch (...) {
    failed = true;
  }
  // The supports are placed once the page is laid out.
  if (laidOut && PlaceTrackBarSupports) PlaceTrackBarSupports(TrackBarSupportPlacements(Pages_, kind));
  if (failed) {
    ShowNoDataAfterFailure();
    return false;
  }
  if (draws) CacheValid_ = true;
  return true;
}

bool TChartArea::LayOutPage(platform::Canvas& canvas, TPageKind kind, float scale) {
  if (kind == TPageKind::None) return false;
  if (BeforePageCall) BeforePageCall("Layout");
  Pages_.Layout(kind, canvas, static_cast<float>(width()), static_cast<float>(height()), scale, TabWidth);
  return true;
}

void TChartArea::DrawSelectedGraphic(platform::Canvas& canvas, TPageKind kind) {
  const float w = static_cast<float>(width());
  if (session::ZoneBandShown(Zone) && kind != TPageKind::None) {
    // The band first, under the page's drawing.
    TSeriesComparisonChart chart;
    Pages_.WithPage(kind, [&](auto& page) { page.GetViewData(chart); });
    chart.DrawPeriod(canvas, Zone.ZoneStartDate, Zone.ZoneEndDate, claButtonColorSet[0]);
  }
  if (kind == TPageKind::None) return;
  const std::int32_t rank = kind == TPageKind::EQSL   ? View_.EQSLRank
                            : kind == TPageKind::FISL ? View_.FISLRank
                                                      : View_.FICYRank;
  if (BeforePageCall) BeforePageCall("Draw");
  ++PageDraws_;
  if (!Pages_.Draw(kind, canvas, w, rank) && PageReportsNoData(kind)) {
    DrawNoDataText(canvas, "No Data", w, static_cast<float>(height()));
    NoDataShown_ = true;
  }
}

void TChartArea::ShowNoDataAfterFailure() {
  Cache_.fill(QColor::fromRgba(claApplicationBkgColor));
  platform::QtCanvas canvas(&Cache_);
  if (canvas.BeginScene()) {
    DrawNoDataText(canvas, "No Data", static_cast<float>(width()), static_cast<float>(height()));
    canvas.EndScene();
  }
  NoDataShown_ = true;
  CacheValid_ = true;
}

void TChartArea::UpdateShiftIndicator() {
  bool visible = false;
  platform::TPointF at;
  Pages_.WithPage(SelectedPage(), [&](auto& page) {
    visible = page.HasNextItem();
    if (visible) at = page.GetCurrentItem();
  });
  if (visible) ShiftIndicator->move(qRound(at.X + kShiftSlotInset), qRound(at.Y + kShiftSlotInset));
  SetVisible(ShiftIndicator, visible);
}

// Highlights the element under the pointer on the page's drawing itself
// (only the EQSL, EQQV, EQBL and FISL pages highlight). The page draws the
// element the pointer enters in its hover look and the one it leaves in its
// normal look, and nothing while the pointer stays on one element: so the
// highlight stays until the pointer leaves the element or the page is drawn
// again, and a move draws nothing but that change.
void TChartArea::Highlight(float x, float y) {
  const TPageKind kind = SelectedPage();
  if (kind != TPageKind::EQSL && kind != TPageKind::EQQV && kind != TPageKind::EQBL && kind != TPageKind::FISL) return;
  if (!CacheValid_ || NoDataShown_) return;
  try {
    platform::QtCanvas canvas(&Cache_);
    if (canvas.BeginScene()) {
      try {
        Pages_.WithPage(kind, [&](auto& page) {
          if constexpr (requires { page.HighlightAt(canvas, x, y, 0.0f, 0.0f); }) {
            if (BeforePageCall) BeforePageCall("HighlightAt");
            page.HighlightAt(canvas, x, y, 0.0f, 0.0f);
          }
        });
      } catch (...) {
        canvas.EndScene();
        throw;
      }
      canvas.EndScene();
    }
  } catch (...) {
    ShowNoDataAfterFailure();
  }
  update();
}

// ---- session results to controls

void TChartArea::ApplyShift(const session::TShiftOutcome& outcome) {
  if (outcome.Moved != TTrackBar::None) emit TrackBarCursorMoved(outcome.Moved, outcome.CursorTop);
  if (outcome.RepaintPhase != session::kNoRepaint) RequestRepaint(outcome.RepaintPhase);
}

void TChartArea::ApplyZone(const session::TZoneUpdate& update, std::int32_t phaseBefore) {
  if (update.Applied) {
    const session::TZoneInfoTexts& t = Zone.Texts;
    SetText(ZoneTexts[0], t.FirstMonth);
    SetText(ZoneTexts[1], t.LastMonth);
    for (std::size_t i = 0; i < 3; ++i) {
      SetText(ZoneTexts[2 + i], t.Returns[i]);
      SetText(ZoneTexts[5 + i], t.Volatilities[i]);
      SetText(ZoneTexts[8 + i], t.Drawdowns[i]);
    }
    ZoneBox->move(qRound(Zone.BoxX), qRound(Zone.BoxY));
    SetVisible(ZoneBox, Zone.BoxVisible);
    if (Zone.BoxVisible) ZoneBox->raise();
  }
  if (update.Repaint) {
    View_.PaintPhase = phaseBefore;  // the request below coalesces with a pending one
    RequestRepaint(1);
  }
}

void TChartArea::ApplyIndicators(const session::TIndicatorUpdate& update, std::int32_t phaseBefore) {
  const session::TValueIndicators& ind = Indicators;
  ValueBox->setGeometry(qRound(ind.BoxX), qRound(ind.BoxY), qRound(ind.BoxWidth), qRound(ind.BoxHeight));
  for (std::size_t i = 0; i < ValueRows.size(); ++i) {
    const session::TIndicatorRow& row = ind.Rows[i];
    TControl* control = ValueRows[i];
    control->FontColour = row.FontColour;
    SetText(control, row.Text);
    control->setGeometry(qRound(row.X), qRound(row.Y), qRound(row.Width), qRound(row.Height));
    SetVisible(control, row.Visible);
  }
  for (std::size_t i = 0; i < ValueMarkers.size(); ++i) {
    const session::TIndicatorMarker& marker = ind.Markers[i];
    ValueMarkers[i]->setGeometry(qRound(marker.X), qRound(marker.Y), qRound(marker.Width), qRound(marker.Height));
    SetVisible(ValueMarkers[i], marker.Visible);
    if (marker.Visible) ValueMarkers[i]->raise();
  }
  SetVisible(ValueBox, ind.BoxVisible);
  if (ind.BoxVisible) ValueBox->raise();
  if (update.Repaint) {
    View_.PaintPhase = phaseBefore;
    RequestRepaint(1);
  }
}

void TChartArea::UpdateIndicators(std::int32_t request, float x, float y) {
  const std::int32_t before = View_.PaintPhase;
  const session::TIndicatorUpdate update = session::UpdateValueIndicators(Indicators, View_, Pages_, request, x, y);
  ApplyIndicators(update, before);
}

// ---- pointer

namespace {

// Where a mouse event is and which buttons are held after it.
struct TPointer {
  float X;
  float Y;
  bool Left;
  bool Right;
};

// A mouse event made from a touch (Qt turns a touch the chart does not take into mouse events).
bool IsTouch(const QMouseEvent* event) {
  return event->device() != nullptr && event->device()->type() == QInputDevice::DeviceType::TouchScreen;
}

TPointer PointerOf(const QMouseEvent* event) {
  return {static_cast<float>(event->position().x()), static_cast<float>(event->position().y()),
          event->buttons().testFlag(Qt::LeftButton), event->buttons().testFlag(Qt::RightButton)};
}

}  // namespace

void TChartArea::ZonePointer(float x, float y, bool press) {
  const std::int32_t before = View_.PaintPhase;
  const bool inSpan = session::GetSelectedViewRange(View_, Pages_, x, y);
  ApplyZone(
      press ? session::ZonePress(Zone, View_, Pages_, x, inSpan) : session::ZoneDrag(Zone, View_, Pages_, x, inSpan),
      before);
}

void TChartArea::mousePressEvent(QMouseEvent* event) {
  if (InputBlocked()) return;
  PressAt_ = event->position();
  const auto [x, y, left, right] = PointerOf(event);
  if (left && Indicators.ValueIndicatorsShown) UpdateIndicators(session::kHideValues, x, y);
  session::PressChart(Shift, View_, Pages_, x, y, left, right);
  if (left) ZonePointer(x, y, true);
  if (right && Indicators.ValueIndicatorsShown) UpdateIndicators(session::kHideValues, x, y);
  event->accept();
}

void TChartArea::mouseMoveEvent(QMouseEvent* event) {
  if (InputBlocked()) return;
  const auto [x, y, left, right] = PointerOf(event);
  if (left && Indicators.ValueIndicatorsShown) UpdateIndicators(session::kHideValues, x, y);
  ApplyShift(session::MoveOverChart(Shift, View_, Pages_, x, y, left, Geometries()));
  if (left) ZonePointer(x, y, false);
  if (left || right) {
    UpdateIndicators(session::kHideValues, x, y);
    return;
  }
  if (SelectedPage() != TPageKind::None && PageHasFeature(0)) {
    const bool inRange = session::GetSelectedViewRange(View_, Pages_, x, y);
    UpdateIndicators(inRange ? session::kShowValues : session::kHideValues, x, y);
  }
  Highlight(x, y);
}

void TChartArea::mouseReleaseEvent(QMouseEvent* event) {
  if (InputBlocked()) return;
  const float x = static_cast<float>(event->position().x());
  const float y = static_cast<float>(event->position().y());
  session::EndChartShift(Shift);
  const std::int32_t before = View_.PaintPhase;
  ApplyZone(session::ZoneRelease(Zone, View_, Pages_, x), before);
  if (Indicators.ValueIndicatorsShown) UpdateIndicators(session::kHideValues, x, y);
  const bool left = event->button() == Qt::LeftButton;
  // A touch that ends where it began is a tap.
  if (left && IsTouch(event) && (event->position() - PressAt_).manhattanLength() < kTapDistance) Tap();
  // A click: the left button released over the chart.
  if (left && rect().contains(event->position().toPoint())) ChartClick();
  event->accept();
}

// A tap shows the value indicators at the tapped point (the last pointer
// position, where the touch pressed) inside the view's span, else hides them.
void TChartArea::Tap() {
  const float x = Shift.LastPointerX;
  const float y = Shift.LastPointerY;
  UpdateIndicators(session::GetSelectedViewRange(View_, Pages_, x, y) ? session::kShowValues : session::kHideValues, x,
                   y);
}

// The second press of a double click: a press like any other, then the
// double click's own reset of every track bar and cursor.
void TChartArea::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  if (InputBlocked() || event->button() != Qt::LeftButton) return;
  Shift.LastPointerX = static_cast<float>(event->position().x());
  Shift.LastPointerY = static_cast<float>(event->position().y());
  const session::TDoubleClickOutcome outcome =
      session::ResetTrackBarsOnDoubleClick(View_, Pages_, Shift.LastPointerX, Shift.LastPointerY);
  if (outcome.Reset) emit TrackBarsReset();
  if (outcome.RepaintPhase != session::kNoRepaint) RequestRepaint(outcome.RepaintPhase);
}

void TChartArea::leaveEvent(QEvent* event) {
  if (InputBlocked()) {
    QWidget::leaveEvent(event);
    return;
  }
  session::EndChartShift(Shift);
  const std::int32_t before = View_.PaintPhase;
  ApplyZone(session::ZoneLeave(Zone, View_, Pages_), before);
  if (Indicators.ValueIndicatorsShown) UpdateIndicators(session::kHideValues, 0.0f, 0.0f);
  QWidget::leaveEvent(event);
}

// A click on an element of the EQQV or EQBL page whose hint is a country
// name selects that country on both pages: its list position is Rank - 1,
// and only a position inside the EQQV per-country data is taken.
void TChartArea::ChartClick() {
  if (View_.SelectedMainTab != 1 || (View_.EquitySubIndex != 2 && View_.EquitySubIndex != 3)) return;
  const TEQBLGraphic& page =
      View_.EquitySubIndex == 2 ? static_cast<const TEQBLGraphic&>(Pages_.EQQVGraphic) : Pages_.EQBLGraphic;
  const std::string hint = page.GetHintAt(Shift.LastPointerX, Shift.LastPointerY);
  if (hint.empty()) return;
  std::int32_t index = -1;
  for (const TCountry& country : vcMyExternCountryList) {
    if (country.Name == hint) {
      index = country.Rank - 1;
      break;
    }
  }
  const auto& countries = cMyExternEQQVGraphicData.CountryData;
  if (index < 0 || static_cast<std::size_t>(index) >= countries.size()) return;
  View_.CountryListIndex = index;
  Pages_.EQQVGraphic.SelectItem(index, true);
  Pages_.EQBLGraphic.SelectItem(index, true);
  View_.QVListTitle1 = countries[static_cast<std::size_t>(index)].Name;
  emit TitlesChanged();
  emit CountryChosen();
}

// ---- gestures

void TChartArea::PanGesture(std::int32_t phase, float x, float y) {
  if (SelectedPage() == TPageKind::None) {
    Shift.ViewShiftActive = false;
    return;
  }
  bool indicators = PageHasFeature(2);
  if (PageHasFeature(1)) {
    if (session::LocateInSelectedView(View_, Pages_, x, y))
      ApplyShift(session::ShiftSelectedView(Shift, View_, Pages_, phase, x, y, Geometries()));
    else
      Shift.ViewShiftActive = false;
  } else {
    Shift.ViewShiftActive = false;
  }
  if (!indicators) return;
  const bool located = session::LocateInSelectedView(View_, Pages_, x, y);
  UpdateIndicators(located ? session::kShowValues : session::kHideValues, x, y);
}

// A run of wheel or touchpad scrolls is one pan: it begins where the pointer
// stands and moves by the scrolled distance (a wheel notch is one shift step).
void TChartArea::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (InputBlocked()) return;
  QPointF delta = event->pixelDelta();
  if (delta.isNull())
    delta = QPointF(event->angleDelta().x() / 120.0 * session::kShiftStepX,
                    event->angleDelta().y() / 120.0 * session::kShiftStepY);
  if (!WheelRun_) {
    WheelRun_ = true;
    WheelStart_ = event->position();
    WheelOffset_ = QPointF();
    PanGesture(0, static_cast<float>(WheelStart_.x()), static_cast<float>(WheelStart_.y()));
  }
  WheelOffset_ += delta;
  const QPointF at = WheelStart_ + WheelOffset_;
  PanGesture(1, static_cast<float>(at.x()), static_cast<float>(at.y()));
  WheelRunTimer.start();
}

void TChartArea::EndWheelRun() {
  if (!WheelRun_) return;
  WheelRun_ = false;
  const QPointF at = WheelStart_ + WheelOffset_;
  PanGesture(3, static_cast<float>(at.x()), static_cast<float>(at.y()));
}

bool TChartArea::HandleGesture(QGestureEvent* event) {
  // A left or right swipe goes through the pan's handler at its hot spot,
  // once when it ends: it shifts nothing by itself, it refreshes the
  // indicators where it ended.
  if (auto* swipe = static_cast<QSwipeGesture*>(event->gesture(Qt::SwipeGesture))) {
    const bool sideways = swipe->horizontalDirection() != QSwipeGesture::NoDirection;
    if (!InputBlocked() && sideways && swipe->state() == Qt::GestureFinished) {
      const QPointF at = swipe->hasHotSpot() ? mapFromGlobal(swipe->hotSpot())
                                             : QPointF(static_cast<double>(Shift.LastPointerX), Shift.LastPointerY);
      PanGesture(0, static_cast<float>(at.x()), static_cast<float>(at.y()));
      PanGesture(3, static_cast<float>(at.x()), static_cast<float>(at.y()));
    }
    event->accept(swipe);
    if (event->gesture(Qt::PanGesture) == nullptr) return true;
  }
  auto* pan = static_cast<QPanGesture*>(event->gesture(Qt::PanGesture));
  if (pan == nullptr) return false;
  if (InputBlocked()) {
    event->accept(pan);
    return true;
  }
  if (pan->state() == Qt::GestureStarted)
    PanStart_ = pan->hasHotSpot() ? mapFromGlobal(pan->hotSpot())
                                  : QPointF(static_cast<double>(Shift.LastPointerX), Shift.LastPointerY);
  const QPointF at = PanStart_ + pan->offset();
  const std::int32_t phase = pan->state() == Qt::GestureStarted ? 0 : pan->state() == Qt::GestureUpdated ? 1 : 3;
  PanGesture(phase, static_cast<float>(at.x()), static_cast<float>(at.y()));
  event->accept(pan);
  return true;
}

bool TChartArea::event(QEvent* event) {
  if (event->type() == QEvent::Gesture && HandleGesture(static_cast<QGestureEvent*>(event))) return true;
  return QWidget::event(event);
}

}  // namespace app
