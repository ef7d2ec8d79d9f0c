#pragma once
// What the main window asks of the result pages: refresh them after a
// calculation, show the selected view, paint the chart area. Until the pages
// exist the window uses TBlankWorkspace, which keeps the chart area empty;
// TPagesWorkspace shows the result pages.

#include "platform/Canvas.h"
#include "session/ViewState.h"

namespace app {

class TWorkspace {
 public:
  virtual ~TWorkspace() = default;
  // After every successful calculation, on the window's thread, while no step runs.
  virtual void RefreshModelGraphics(session::TViewState& view) = 0;
  // The selection changed: tell the selected page its view.
  virtual void ShowSelectedView(session::TViewState& view) = 0;
  // Paints the chart area (width x height) of the selected view; tabWidth is
  // the width of the first horizontal tab.
  virtual void PaintChart(const session::TViewState& view, platform::Canvas& canvas, float width, float height,
                          float tabWidth) = 0;
};

class TBlankWorkspace : public TWorkspace {
 public:
  void RefreshModelGraphics(session::TViewState&) override {}
  void ShowSelectedView(session::TViewState&) override {}
  void PaintChart(const session::TViewState&, platform::Canvas&, float, float, float) override {}
};

}  // namespace app
