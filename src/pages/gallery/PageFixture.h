#pragma once
// The pages as the window shows them after a calculation on the sample data:
// the generator's data set run through the nine models, the pages refreshed,
// and every view a user can reach, each with the tab choices that select it.
// Shared by the page gallery, the page benchmark and the integration test.

#include <cstdint>
#include <string>
#include <vector>

#include "pages/ModelPages.h"
#include "session/WindowLayout.h"

namespace pagefixture {

inline constexpr int kScreenWidth = 1920;
inline constexpr int kScreenHeight = 1080;

// Where the window places its chart area at width x height, and the width of
// its first horizontal tab (the pages' tab width).
struct TChartArea {
  float Left = 0.0f;
  float Top = 0.0f;
  float Width = 0.0f;
  float Height = 0.0f;
  float TabWidth = 0.0f;
  float Aspect = 1.0f;  // window width div height
};
TChartArea ChartArea(int width = kScreenWidth, int height = kScreenHeight);

// One reachable view: the page, the view the choices select, the choices in
// the order the page's SelectView takes them, and the EQQV item group.
struct TPageView {
  TPageKind Kind = TPageKind::None;
  std::int32_t View = 0;
  std::vector<std::int32_t> Choices;
  std::int32_t Group = 0;
  std::string Name;  // e.g. "EQQV_v01_g3"
};

// Window globals of a 1920 x 1080 screen (ratios 1.0, the window's colours,
// "." as decimal separator).
void SetWindowGlobals();

// Loads the sample work data into the globals, runs the nine models and
// refreshes the pages (after Init) as the window does at the workspace.
// False with a message when a model fails.
bool LoadSampleRun(TModelPages& pages, std::string& message);

// Every reachable view of the nine pages, page by page; EQQV's grid and group
// history views once per item group 0..7.
const std::vector<TPageView>& ReachableViews();

// Selects the view the way the window does: the EQQV group first (its group
// rows reloaded without a new layout; not with loadGroup false, so that a
// page without data stays empty), then SelectView with the choices.
void SelectPageView(TModelPages& pages, const TPageView& view, bool loadGroup = true);

// The page's current view.
std::int32_t CurrentView(TModelPages& pages, TPageKind kind);

const char* PageName(TPageKind kind);

}  // namespace pagefixture
