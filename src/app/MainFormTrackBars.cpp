// The main window: the six track bars beside the chart (placement, cursors,
// press, drag and release).

#include <algorithm>
#include <cmath>

#include "app/MainForm.h"
#include "app/MainFormInternals.h"

namespace app {

namespace {

using namespace mainform;
using session::TTrackBar;

constexpr float kTrackBarWidth = 16.0f;
constexpr float kTrackBarHeight = 400.0f;  // at the reference height
constexpr float kTrackCursorHeight = 48.0f;

TTrackBar TrackBarOf(const TControl* panel) {
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i)
    if (panel->objectName() == QString(kTrackBarStems[i]) + "Support") return static_cast<TTrackBar>(i);
  return TTrackBar::None;
}

// The cursor's Y for a bar's position: Position x R / D with D = ItemCount -
// PageSize and R = guide height - cursor height; the top when nothing travels.
double CursorYFor(const session::TrackBarState& state, double guideHeight, double cursorHeight) {
  const double d = state.ItemCount - state.PageSize;
  const double r = guideHeight - cursorHeight;
  if (d <= 0.0 || r <= 0.0) return 0.0;
  return std::clamp(state.Position * r / d, 0.0, r);
}

}  // namespace

// ---------------------------------------------------------------- track bars

TControl* TMainForm::TrackBarPanel(TTrackBar bar) const {
  const auto i = static_cast<std::size_t>(bar);
  return i < kTrackBarStems.size() ? Find((std::string(kTrackBarStems[i]) + "Support").c_str()) : nullptr;
}

session::TTrackBarGeometries TMainForm::TrackBarGeometries() const {
  session::TTrackBarGeometries geometries;
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i) {
    const std::string stem = kTrackBarStems[i];
    const TControl* guide = Find((stem + "Guide").c_str());
    const TControl* cursor = Find((stem + "Cursor").c_str());
    geometries[i] = {static_cast<double>(guide->y()), static_cast<double>(guide->height()), TrackCursorY_[i],
                     static_cast<double>(cursor->height())};
  }
  return geometries;
}

void TMainForm::PlaceTrackBarCursor(TTrackBar bar, double y) {
  const auto i = static_cast<std::size_t>(bar);
  if (i >= kTrackBarStems.size()) return;
  TrackCursorY_[i] = y;
  TControl* cursor = Find((std::string(kTrackBarStems[i]) + "Cursor").c_str());
  cursor->move(cursor->x(), static_cast<int>(std::lround(y)));
}

// Sizes of the six bars (the chart pass moves them beside its widgets) and
// their cursors at the bars' positions.
void TMainForm::PlaceTrackBars() {
  const int width = static_cast<int>(kTrackBarWidth);
  const int height = static_cast<int>(kTrackBarHeight * fScreenHeightRatio);
  const int cursorHeight = static_cast<int>(kTrackCursorHeight * fScreenHeightRatio);
  std::array<session::TrackBarState*, 6> states = View.TrackBars();
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i) {
    const std::string stem = kTrackBarStems[i];
    TControl* support = Find((stem + "MainSupport").c_str());
    support->resize(width, height);
    // Until the chart pass places a bar beside its widget: at the chart's right edge.
    if (!TrackSupportPlaced_[i]) {
      const session::TRectGeometry& chart = Geometry.GeneralInformationAndGraphicSupport;
      support->move(static_cast<int>(chart.X + chart.Width - 60.0f),
                    static_cast<int>(Geometry.VLTabsheetSupport.Y + Geometry.VLTabsheets[1].Y));
    }
    Find((stem + "Support").c_str())->setGeometry(0, 0, width, height);
    Find((stem + "Guide").c_str())->setGeometry(width / 4, 0, width / 2, height);
    TControl* cursor = Find((stem + "Cursor").c_str());
    cursor->resize(width, cursorHeight);
    PlaceTrackBarCursor(static_cast<TTrackBar>(i), CursorYFor(*states[i], height, cursorHeight));
  }
}

void TMainForm::MoveTrackBarSupport(TTrackBar bar, std::optional<float> chartX, bool setY) {
  const auto i = static_cast<std::size_t>(bar);
  if (i >= kTrackBarStems.size()) return;
  TrackSupportPlaced_[i] = true;
  TControl* support = Find((std::string(kTrackBarStems[i]) + "MainSupport").c_str());
  const int x = chartX ? static_cast<int>(Geometry.GeneralInformationAndGraphicSupport.X + *chartX) : support->x();
  const int y = setY ? static_cast<int>(Geometry.VLTabsheetSupport.Y + Geometry.VLTabsheets[1].Y) : support->y();
  support->move(x, y);
}

void TMainForm::OnTrackBarMouseDown(TControl* sender, Qt::MouseButtons buttons, double y) {
  const TTrackBar bar = TrackBarOf(sender);
  if (bar == TTrackBar::None || !WorkspaceIdle()) return;
  HideValueIndicators();
  ApplyTrackBarOutcome(
      session::PressTrackBar(View, *Pages(), bar, (buttons & Qt::LeftButton) != 0, y, TrackBarGeometries()));
  ApplyScreen();
}

void TMainForm::OnTrackBarMouseMove(TControl* sender, Qt::MouseButtons buttons, double y) {
  const TTrackBar bar = TrackBarOf(sender);
  if (bar == TTrackBar::None || !WorkspaceIdle()) return;
  ApplyTrackBarOutcome(
      session::DragTrackBar(View, *Pages(), bar, (buttons & Qt::LeftButton) != 0, y, TrackBarGeometries()));
}

void TMainForm::OnTrackBarMouseUp(TControl* sender) {
  const TTrackBar bar = TrackBarOf(sender);
  if (bar != TTrackBar::None) session::ReleaseTrackBar(View, bar);
}

void TMainForm::ApplyTrackBarOutcome(const session::TTrackBarOutcome& outcome) {
  if (outcome.Moved != TTrackBar::None) PlaceTrackBarCursor(outcome.Moved, outcome.CursorTop);
  if (outcome.RepaintPhase != session::kNoRepaint && View.WorkspaceShown) RequestChartRepaint(outcome.RepaintPhase);
  if (outcome.UpdateTitles) UpdateMainTitles();
}

}  // namespace app
