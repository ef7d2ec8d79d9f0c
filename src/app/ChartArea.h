#pragma once
// The chart area of the main window (MainPaintBox): paints the page of the
// selected tab and carries the pointer, wheel and pan gestures over the chart
// to the session's decisions (view shift, zone selection, value indicators,
// double-click reset, country click). It owns the controls laid over the
// chart: the shift indicator, the zone box and the value indicator box with
// its markers; all of them let the pointer through.
//
// The page's drawing is kept in an opaque image on the window's background
// colour: a repaint that nobody requested (an expose, a moved indicator)
// shows the image again without drawing the page. Hover highlights are drawn
// into that image; they last until the pointer leaves their element or the
// page is drawn again. The page is laid out and drawn on a thread of Qt's
// global pool while the window's thread waits (RunOnFillThread).

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/Control.h"
#include "pages/ModelPages.h"
#include "session/ChartShift.h"
#include "session/TrackBars.h"
#include "session/ValueIndicators.h"
#include "session/ViewState.h"
#include "session/ZoneSelection.h"

class QGestureEvent;

namespace app {

// Where a track-bar support goes after the page's layout. X is relative to
// the chart area (the widget's anchor + -40 or -60); the window adds the
// chart area's X. SetY: the support's Y becomes the top of the second
// vertical tab.
struct TTrackBarSupportPlacement {
  session::TTrackBar Bar = session::TTrackBar::None;
  bool SetX = false;
  float X = 0.0f;
  bool SetY = false;
};

// The placements for a page and its current view after Layout, in the order
// they are applied (empty without a page, and for FIGF).
std::vector<TTrackBarSupportPlacement> TrackBarSupportPlacements(TModelPages& pages, TPageKind kind);

class TChartArea : public QWidget {
  Q_OBJECT
 public:
  // Gesture identifiers of the chart: the interactive pan (touch pan and
  // runs of wheel or touchpad scrolls).
  static constexpr int kPanGesture = 260;
  // A wheel run ends after this quiet time.
  static constexpr int kWheelRunQuietMs = 150;
  // A touch released within this distance (Manhattan, px) of its press is a tap.
  static constexpr qreal kTapDistance = 10.0;

  TChartArea(session::TViewState& view, TModelPages& pages, QWidget* parent = nullptr);

  // ---- state the chart area keeps for the window
  session::TChartShiftState Shift;
  session::TZoneSelection Zone;
  session::TValueIndicators Indicators;

  // ---- set by the window
  // Width of HATabsheet_1, handed to the pages' Layout.
  float TabWidth = 0.0f;
  // The window's size (Scale = width div height); default: this widget's window.
  std::function<QSize()> WindowSize;
  // Guide and cursor of the six track bars (window order); default: a fixed
  // stand-in so that list shifts still travel before the window gives its own.
  std::function<session::TTrackBarGeometries()> TrackBarGeometries;
  // Called after every layout of a page with the supports to move.
  std::function<void(const std::vector<TTrackBarSupportPlacement>&)> PlaceTrackBarSupports;
  // While it returns true (an update step runs and may write the records
  // the pages read), pointer, wheel and gesture input changes nothing.
  std::function<bool()> PagesBusy;

  // Asks for a paint pass with phase 0 (lay out), 1 (draw) or 2 (both).
  // Requests before the pass coalesce: 0 and 1 together give 2, and a
  // pending phase is never lowered.
  void RequestRepaint(std::int32_t phase);
  // Hides the value indicators (the window calls it when the view changes).
  void HideValueIndicators();

  // ---- controls laid over the chart (children, named as in the window)
  TControl* ShiftIndicator = nullptr;
  TControl* ZoneBox = nullptr;  // GraphicSelectedZoneInfosSupport
  // SelectedZoneInfos_1, _2, _3a, _3b, _3c, _4a, _4b, _4c, _5a, _5b, _5c.
  std::array<TControl*, 11> ZoneTexts{};
  TControl* ValueBox = nullptr;             // DatasetValueIndicatorSupport
  std::array<TControl*, 4> ValueRows{};     // DatasetValueIndicator_0..3
  std::array<TControl*, 3> ValueMarkers{};  // ValuePositionIndicator_1..3
  // Ends a run of wheel scrolls (gesture end) after kWheelRunQuietMs.
  QTimer WheelRunTimer;

  // ---- read by tests
  int PageDrawCount() const { return PageDraws_; }
  // The last drawing of the chart showed "No Data".
  bool NoDataShown() const { return NoDataShown_; }
  bool WheelRunActive() const { return WheelRun_; }
  // The image the chart area shows: the page's drawing with its highlight.
  const QImage& ShownImage() const { return Cache_; }
  // Called before each call of a page's Layout, Draw and HighlightAt with
  // the call's name (tests throw from it).
  std::function<void(const char* call)> BeforePageCall;

 signals:
  // The list titles changed (a country chosen by a click): rewrite the titles.
  void TitlesChanged();
  // A list bar scrolled: its cursor goes to cursorTop (window order bar).
  void TrackBarCursorMoved(session::TTrackBar bar, double cursorTop);
  // Every track bar is back at position 0: each cursor goes to the top.
  void TrackBarsReset();
  // A chart click chose a country on EQQV/EQBL: the window clicks its fourth
  // vertical tab, then its first horizontal tab.
  void CountryChosen();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool InputBlocked() const { return PagesBusy && PagesBusy(); }
  TPageKind SelectedPage() const;
  bool PageHasFeature(std::uint32_t feature);
  session::TTrackBarGeometries Geometries() const;

  // The paint pass into the cache: lay out and/or draw by phase; false
  // when a page call failed (the cache then shows "No Data").
  bool PaintPass(std::int32_t phase);
  // The selected page laid out over the chart's size; false without a page.
  bool LayOutPage(platform::Canvas& canvas, TPageKind kind, float scale);
  void DrawSelectedGraphic(platform::Canvas& canvas, TPageKind kind);
  // The cache emptied and "No Data" written in it (a page that failed).
  void ShowNoDataAfterFailure();
  void UpdateShiftIndicator();
  void Highlight(float x, float y);

  // Session results carried to the controls and the repaint.
  void ApplyShift(const session::TShiftOutcome& outcome);
  void ApplyZone(const session::TZoneUpdate& update, std::int32_t phaseBefore);
  // A left-button press starts the zone and a drag extends it, inside the view's time span.
  void ZonePointer(float x, float y, bool press);
  void ApplyIndicators(const session::TIndicatorUpdate& update, std::int32_t phaseBefore);
  void UpdateIndicators(std::int32_t request, float x, float y);

  void ChartClick();
  void Tap();
  // One event of the pan gesture at (x, y): phase 0 begin, 1 move, 3 end.
  void PanGesture(std::int32_t phase, float x, float y);
  void EndWheelRun();
  bool HandleGesture(QGestureEvent* event);

  void BuildControls();

  session::TViewState& View_;
  TModelPages& Pages_;
  QImage Cache_;
  bool CacheValid_ = false;
  bool RepaintPending_ = false;
  bool NoDataShown_ = false;
  int PageDraws_ = 0;
  // Wheel run: where it began and how far it scrolled.
  bool WheelRun_ = false;
  QPointF WheelStart_;
  QPointF WheelOffset_;
  QPointF PanStart_;
  QPointF PressAt_;  // where the last press was
};

}  // namespace app
