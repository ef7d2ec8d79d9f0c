#include "session/WindowLayout.h"

#include <algorithm>

#include "common/Globals.h"

namespace session {

namespace {

TRectGeometry Rect(float x, float y, float width, float height) { return {x, y, width, height, true}; }

// The least gap between the date row, the intra-month title and the list selectors.
constexpr float kRowGap = 2.0f;

// Stacks the tabs from Y 0 with the gap, each after the previous visible one;
// returns the height of n visible tabs (0 when none).
float StackTabs(TRectGeometry* tabs, std::size_t count, float gap) {
  int visible = 0;
  const TRectGeometry* previous = nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (i == 0) tabs[0].Y = 0.0f;
    if (!tabs[i].Visible) continue;
    if (i > 0) tabs[i].Y = previous ? previous->Y + previous->Height + gap : 0.0f;
    previous = &tabs[i];
    ++visible;
  }
  return visible > 0 ? visible * tabs[0].Height + (visible - 1) * gap : 0.0f;
}

}  // namespace

TWindowGeometry DefaultWindowGeometry() {
  TWindowGeometry g;
  constexpr float t = 36.0f;
  g.Logo = Rect(1730, 18, 180, 56);
  g.ConnectButtonSupport = Rect(1420, 26, 160, 40);
  g.SystemToolbarSupport = Rect(1600, 26, 120, 40);
  g.SetParametersButtonSupport = Rect(479, 82, 40, 40);
  g.ProgressSupport = Rect(640, 330, 640, 420);
  g.ParameterSelectionFormContainer = Rect(0, 0, 1920, 1080);
  g.MainTabsheetSupport = Rect(100, 24, 474, t);
  for (std::size_t i = 0; i < g.MainTabsheets.size(); ++i) g.MainTabsheets[i] = Rect(162.0f * i, 0, 150, t);
  // The date buttons stand under the first two main tabs and their group ends
  // with them; the parameters button stands under the third.
  g.DatesSelectionSupport = Rect(100, 84, 312, t);
  g.StartDateButton = Rect(0, 0, 150, t);
  g.EndDateButton = Rect(162, 0, 150, t);
  g.VLTabsheetSupport = Rect(0, 432, 250, 4 * t + 72);
  for (std::size_t i = 0; i < g.VLTabsheets.size(); ++i) g.VLTabsheets[i] = Rect(0, 60.0f * i, 250, t);
  g.HATabsheetSupport = Rect(1620, 84, 200, 7 * t + 72);
  for (std::size_t i = 0; i < g.HATabsheets.size(); ++i) g.HATabsheets[i] = Rect(0, 48.0f * i, 200, t);
  g.VRTabsheetSupport = Rect(1620, 462, 200, 4 * t + 36);
  for (std::size_t i = 0; i < g.VRTabsheets.size(); ++i) g.VRTabsheets[i] = Rect(0, 48.0f * i, 200, t);
  g.HBTabsheetSupport = Rect(1620, 510, 200, 2 * t + 12);
  for (std::size_t i = 0; i < g.HBTabsheets.size(); ++i) g.HBTabsheets[i] = Rect(0, 48.0f * i, 200, t);
  g.ThemeSelectionSupport = Rect(374, 1044, 9 * 150 + 8 * 12, t);
  for (std::size_t i = 0; i < g.MainTitles.size(); ++i) g.MainTitles[i] = Rect(250, 87 + 26.0f * i, 1101, 30);
  g.IntraMonthTitleSupport = Rect(381, 113, 160, 20);
  g.COListSelectionSupport = Rect(227, 126, 220, 30);
  g.QVListSelectionSupport_1 = g.COListSelectionSupport;
  g.QVListSelectionSupport_2 = g.COListSelectionSupport;
  g.SLListSelectionSupport_1 = g.COListSelectionSupport;
  g.SLListSelectionSupport_2 = Rect(389, 126, 220, 30);
  g.GeneralInformationAndGraphicSupport = Rect(250, 216, 1370, 744);
  return g;
}

void PlaceMainAndVLTabsheets(TWindowGeometry& g) {
  auto& vl = g.VLTabsheets;
  for (TRectGeometry& tab : vl) tab.Width = g.MainTabsheetSupport.X + g.MainTabsheets[0].Width;
  vl[1].Y = vl[0].Y + vl[0].Height + 24;
  vl[2].Y = (vl[1].Visible ? vl[1].Y : vl[0].Y) + vl[1].Height + 24;
  vl[3].Y = vl[2].Y + vl[2].Height + 24;
  g.VLTabsheetSupport.Height = 4 * vl[0].Height + 72;
}

void PlaceHATabsheets(TWindowGeometry& g) {
  g.HATabsheetSupport.Height = StackTabs(g.HATabsheets.data(), g.HATabsheets.size(), 12.0f);
}

void PlaceVRAndHBTabsheets(TWindowGeometry& g) {
  g.VRTabsheetSupport.Height = StackTabs(g.VRTabsheets.data(), g.VRTabsheets.size(), 12.0f);
  auto& hb = g.HBTabsheets;
  hb[0].Y = 0.0f;
  hb[1].Y = hb[0].Y + hb[0].Height + 12;
  g.HBTabsheetSupport.Height = 2 * hb[0].Height + 12;
  const TRectGeometry& vl = g.VLTabsheetSupport;
  g.VRTabsheetSupport.Y = vl.Y + (vl.Height - g.VRTabsheetSupport.Height) / 2;
  g.HBTabsheetSupport.Y = vl.Y + (vl.Height - g.HBTabsheetSupport.Height) / 2;
}

TLayoutResult LayoutWindow(TWindowGeometry& g, int w, int h, bool screenServiceOffered, bool workspaceReady,
                           bool startupDone) {
  TLayoutResult result;
  // Minimum size, ratios and fonts.
  const int W = std::max(w, kMinimumWidth);
  const int H = std::max(h, kMinimumHeight);
  result.Width = W;
  result.Height = H;
  float widthRatio = 1.0f;
  float heightRatio = 1.0f;
  if (screenServiceOffered) {
    widthRatio = std::min(1.0f, static_cast<float>(static_cast<double>(W) / kReferenceWidth));
    heightRatio = std::min(1.0f, static_cast<float>(static_cast<double>(H) / kReferenceHeight));
  }
  fScreenWidthRatio = widthRatio;
  fScreenHeightRatio = heightRatio;
  result.WidthRatio = widthRatio;
  result.HeightRatio = heightRatio;
  g.TabTitleFontSize = g.BaseTabTitleFontSize * widthRatio;
  g.DateButtonTitleFontSize = g.BaseTabTitleFontSize * widthRatio;
  g.MainTitleFontSizes[0] = widthRatio < 1.0f ? g.BaseMainTitleFontSize * widthRatio : g.BaseMainTitleFontSize;
  for (std::size_t i = 1; i < g.MainTitleFontSizes.size(); ++i) g.MainTitleFontSizes[i] = g.MainTitleFontSizes[0] - 2;

  const float fw = static_cast<float>(W);
  const float fh = static_cast<float>(H);
  g.ProgressSupport.X = (fw - g.ProgressSupport.Width) / 2;
  g.ProgressSupport.Y = (fh - g.ProgressSupport.Height) / 2;

  // The logo at the top right, a quarter of the connect button's height from the edge.
  const float c = g.ConnectButtonSupport.Height / 4;
  g.Logo.X = fw - g.Logo.Width - c;
  g.Logo.Y = (g.Logo.Height - g.ConnectButtonSupport.Height) / 2 + c;
  const float R = g.Logo.X + g.Logo.Width / 2;       // right edge of the right-hand groups
  const float M = fw - g.Logo.X - g.Logo.Width / 2;  // left margin of the top groups

  g.ParameterSelectionFormContainer = {0, 0, fw, fh, g.ParameterSelectionFormContainer.Visible};
  g.MainTabsheetSupport.X = M;
  g.DatesSelectionSupport.X = M;
  // The date group holds only its two buttons: nothing of it lies over the parameters button.
  g.DatesSelectionSupport.Width = g.EndDateButton.X + g.EndDateButton.Width;

  PlaceMainAndVLTabsheets(g);
  g.VLTabsheetSupport.X = 0;
  g.VLTabsheetSupport.Y = (fh - g.VLTabsheetSupport.Height) / 2;

  PlaceHATabsheets(g);
  g.HATabsheetSupport.X = R - g.HATabsheetSupport.Width;
  g.HATabsheetSupport.Y = g.DatesSelectionSupport.Y;

  g.ThemeSelectionSupport.X = R - g.ThemeSelectionSupport.Width;
  g.ThemeSelectionSupport.Y = fh - g.ThemeSelectionSupport.Height;

  PlaceVRAndHBTabsheets(g);
  g.VRTabsheetSupport.X = R - g.VRTabsheetSupport.Width;
  g.HBTabsheetSupport.X = R - g.HBTabsheetSupport.Width;

  TRectGeometry& toolbar = g.SystemToolbarSupport;
  toolbar.X = g.Logo.X - toolbar.Width - c;
  toolbar.Y = g.Logo.Y + (g.Logo.Height - toolbar.Height) / 2;
  TRectGeometry& connect = g.ConnectButtonSupport;
  connect.X = toolbar.X - connect.Width - connect.Height / 2;
  connect.Y = g.Logo.Y + (g.Logo.Height - connect.Height) / 2;

  // Centred under the third main tab, on the line of the date buttons.
  const TRectGeometry& tab3 = g.MainTabsheets[2];
  TRectGeometry& parameters = g.SetParametersButtonSupport;
  parameters.X = g.MainTabsheetSupport.X + tab3.X + (tab3.Width - parameters.Width) / 2;
  parameters.Y = g.DatesSelectionSupport.Y + (g.DatesSelectionSupport.Height - parameters.Height) / 2;

  auto& titles = g.MainTitles;
  for (TRectGeometry& title : titles) title.Width = g.HATabsheetSupport.X - (parameters.X + parameters.Width);
  const float h1 = titles[0].Height;
  titles[0].Y = g.HATabsheetSupport.Y + g.HATabsheets[0].Y + (g.HATabsheets[0].Height - h1) / 2;
  for (std::size_t i = 1; i < titles.size(); ++i)
    titles[i].Y = titles[i - 1].Y + titles[i - 1].Height * 0.5f + h1 * 0.25f;

  // The intra-month title: centred under the end-date button on the line of
  // the second title, but never higher than 2 px below that button.
  const TRectGeometry& dates = g.DatesSelectionSupport;
  TRectGeometry& intraMonth = g.IntraMonthTitleSupport;
  intraMonth.X = dates.X + g.EndDateButton.X + (g.EndDateButton.Width - intraMonth.Width) / 2;
  const float belowDates = dates.Y + g.EndDateButton.Y + g.EndDateButton.Height + kRowGap;
  intraMonth.Y = std::max(titles[1].Y + (titles[1].Height - intraMonth.Height) / 2, belowDates);

  // List selectors on the line of the third title, below the intra-month
  // title; the first four centred under the main tab row, the rank list
  // under the third main tab.
  const TRectGeometry& mainTabs = g.MainTabsheetSupport;
  for (TRectGeometry* list : {&g.COListSelectionSupport, &g.QVListSelectionSupport_1, &g.QVListSelectionSupport_2,
                              &g.SLListSelectionSupport_1})
    list->X = mainTabs.X + (mainTabs.Width - list->Width) / 2;
  g.SLListSelectionSupport_2.X = mainTabs.X + tab3.X + (tab3.Width - g.SLListSelectionSupport_2.Width) / 2;
  for (TRectGeometry* list : {&g.COListSelectionSupport, &g.QVListSelectionSupport_1, &g.QVListSelectionSupport_2,
                              &g.SLListSelectionSupport_1, &g.SLListSelectionSupport_2})
    list->Y = std::max(titles[2].Y + (titles[2].Height - list->Height) / 2, intraMonth.Y + intraMonth.Height + kRowGap);

  // Chart area between the left and the top tab groups: Y 4t + 72, height H - (6t + 120).
  const float t = g.HATabsheets[0].Height;
  TRectGeometry& chart = g.GeneralInformationAndGraphicSupport;
  const float vlRight = g.VLTabsheetSupport.X + g.VLTabsheetSupport.Width;
  chart.X = vlRight;
  chart.Y = 4 * t + 72;
  chart.Width = g.HATabsheetSupport.X - vlRight;
  chart.Height = fh - (6 * t + 120);
  for (TRectGeometry& title : titles) title.X = chart.X + (chart.Width - titles[0].Width) / 2;

  result.Repaint = workspaceReady;
  result.EnableTimer = !startupDone;
  return result;
}

}  // namespace session
