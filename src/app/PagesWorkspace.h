#pragma once
// The workspace of the result pages: the nine pages refreshed after each
// calculation and the page of the selected tab painted in the chart area.

#include <memory>

#include "app/Workspace.h"
#include "pages/ModelPages.h"

namespace app {

class TPagesWorkspace : public TWorkspace {
 public:
  TPagesWorkspace();

  void RefreshModelGraphics(session::TViewState& view) override;
  void ShowSelectedView(session::TViewState& view) override;
  void PaintChart(const session::TViewState& view, platform::Canvas& canvas, float width, float height,
                  float tabWidth) override;

  // The pages hold their widgets by value: kept on the heap.
  TModelPages& Pages() { return *Pages_; }

 private:
  std::unique_ptr<TModelPages> Pages_;
};

}  // namespace app
