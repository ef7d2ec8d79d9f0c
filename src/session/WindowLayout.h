#pragma once
// The main window's layout as a function of its size: minimum size, screen
// ratios, fonts and the placement of every control group. The groups are
// placed relative to the logo at the top right, the window's edges or each
// other; the window applies the resulting geometry to its controls.

#include <array>

namespace session {

// Position inside the parent, size and visibility of one control.
struct TRectGeometry {
  float X = 0.0f;
  float Y = 0.0f;
  float Width = 0.0f;
  float Height = 0.0f;
  bool Visible = true;
};

// The reference screen and the smallest window.
inline constexpr int kReferenceWidth = 1920;
inline constexpr int kReferenceHeight = 1080;
inline constexpr int kMinimumWidth = 1728;
inline constexpr int kMinimumHeight = 972;

struct TWindowGeometry {
  TRectGeometry Logo, ConnectButtonSupport, SystemToolbarSupport, SetParametersButtonSupport;
  TRectGeometry ProgressSupport, ParameterSelectionFormContainer;
  TRectGeometry MainTabsheetSupport;
  std::array<TRectGeometry, 3> MainTabsheets;  // MainTabsheet_1 .. _3, inside MainTabsheetSupport
  TRectGeometry DatesSelectionSupport, StartDateButton, EndDateButton;
  TRectGeometry VLTabsheetSupport;
  std::array<TRectGeometry, 4> VLTabsheets;  // VLTabsheet_1 .. _4
  TRectGeometry HATabsheetSupport;
  std::array<TRectGeometry, 7> HATabsheets;  // HATabsheet_1 .. _7
  TRectGeometry VRTabsheetSupport;
  std::array<TRectGeometry, 4> VRTabsheets;  // VRTabsheet_1 .. _4
  TRectGeometry HBTabsheetSupport;
  std::array<TRectGeometry, 2> HBTabsheets;  // HBTabsheet_1, _2
  TRectGeometry ThemeSelectionSupport;
  std::array<TRectGeometry, 4> MainTitles;  // MainTitle_1 .. _4
  TRectGeometry IntraMonthTitleSupport;
  TRectGeometry COListSelectionSupport, QVListSelectionSupport_1, QVListSelectionSupport_2;
  TRectGeometry SLListSelectionSupport_1, SLListSelectionSupport_2;
  TRectGeometry GeneralInformationAndGraphicSupport;

  // Fonts: every tab title (VL, VR, HA, theme, HB) shares one size.
  float TabTitleFontSize = 14.0f;
  float DateButtonTitleFontSize = 14.0f;
  std::array<float, 4> MainTitleFontSizes{20.0f, 18.0f, 18.0f, 18.0f};
  // The resource's sizes, from which every layout scales.
  float BaseTabTitleFontSize = 14.0f;
  float BaseMainTitleFontSize = 20.0f;
};

// The window resource, designed for 1920 x 1080:
//   tabs (main, VL, HA, VR, HB) 150 x 36 (HA, VR and HB 200 wide), theme row
//   of nine tabs 1446 x 36 (9 x 150 + 8 gaps of 12), main tab row 474 x 36,
//   date buttons 150 x 36 under the first two main tabs, in a 312 x 36 row
//   at Y 84 (main tabs at Y 24), logo 180 x 56, connect button 160 x 40,
//   toolbar 120 x 40, parameters button 40 x 40, progress panel 640 x 420,
//   main titles 30 high, list selectors 220 x 30, intra-month title 160 x 20,
//   left group 250 wide, tab title font 14, main title font 20.
TWindowGeometry DefaultWindowGeometry();

struct TLayoutResult {
  int Width = 0;  // the window's size after the minimum is applied
  int Height = 0;
  float WidthRatio = 1.0f;
  float HeightRatio = 1.0f;
  bool Repaint = false;      // the workspace shows results: repaint with PaintPhase 2
  bool EnableTimer = false;  // start-up not done yet: switch the main timer on
};

// The full layout for a window of w x h: at least 1728 x 972; ratios
// width/1920 and height/1080 capped at 1.0 when the screen service is
// offered, else 1.0 (also written to fScreenWidthRatio and
// fScreenHeightRatio); tab and date fonts base x width ratio, main title
// font base (x width ratio below 1.0), the other titles 2 smaller; then
// every group placed. The date row, the intra-month title under it and the
// list selectors under that are stacked with gaps of 2: none covers another.
TLayoutResult LayoutWindow(TWindowGeometry& g, int w, int h, bool screenServiceOffered, bool workspaceReady,
                           bool startupDone);

// The inner layout of the tab groups (also run when the visible tabs change).
// Left tabs: width to the right end of the first main tab, gap 24, a hidden
// second tab leaves its place to the third; group 4 x t + 72 high.
void PlaceMainAndVLTabsheets(TWindowGeometry& g);
// Top tabs stacked with gap 12 after the previous visible tab; group n x t + (n - 1) x 12 high.
void PlaceHATabsheets(TWindowGeometry& g);
// Right and bottom tabs likewise, both groups centred on the left group.
void PlaceVRAndHBTabsheets(TWindowGeometry& g);

}  // namespace session
