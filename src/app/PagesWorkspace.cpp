#include "app/PagesWorkspace.h"

#include "session/PageRefresh.h"

namespace app {

TPagesWorkspace::TPagesWorkspace() : Pages_(std::make_unique<TModelPages>()) { Pages_->Init(); }

void TPagesWorkspace::RefreshModelGraphics(session::TViewState& view) { session::RefreshModelGraphics(view, *Pages_); }

void TPagesWorkspace::ShowSelectedView(session::TViewState&) {}

void TPagesWorkspace::PaintChart(const session::TViewState& view, platform::Canvas& canvas, float width, float height,
                                 float tabWidth) {
  const TPageKind kind = PageForTab(view.SelectedMainTab, view.GlobalSubIndex, view.EquitySubIndex, view.BondSubIndex);
  if (kind == TPageKind::None) return;
  // Window width div height, as a float: 1 below twice as wide as high.
  const float aspect = height > 0.0f ? static_cast<float>(static_cast<int>(width) / static_cast<int>(height)) : 1.0f;
  Pages_->Layout(kind, canvas, width, height, aspect, tabWidth);
  const std::int32_t rank = kind == TPageKind::EQSL   ? view.EQSLRank
                            : kind == TPageKind::FISL ? view.FISLRank
                                                      : view.FICYRank;
  if (!Pages_->Draw(kind, canvas, width, rank) && PageReportsNoData(kind))
    DrawNoDataText(canvas, "No Data", width, height);
}

}  // namespace app
