#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "common/Globals.h"
#include "session/WindowLayout.h"

namespace session {
namespace {

TEST(WindowLayoutTest, SizeRatiosAndFonts) {
  struct Case {
    int W, H;
    bool Service;
    int Width, Height;
    float Ratio;
  };
  const Case cases[] = {
      {1600, 900, true, 1728, 972, 0.9f}, {2560, 1440, true, 2560, 1440, 1.0f}, {1600, 900, false, 1728, 972, 1.0f}};
  for (const Case& c : cases) {
    TWindowGeometry g = DefaultWindowGeometry();
    for (int repeat = 0; repeat < 3; ++repeat) {  // repeated layouts start from the resource's sizes
      const TLayoutResult r = LayoutWindow(g, c.W, c.H, c.Service, false, true);
      EXPECT_EQ(r.Width * 10000 + r.Height, c.Width * 10000 + c.Height);
      EXPECT_FLOAT_EQ(r.WidthRatio, c.Ratio);
      EXPECT_FLOAT_EQ(fScreenHeightRatio, c.Ratio);
      EXPECT_FLOAT_EQ(g.TabTitleFontSize, 14.0f * c.Ratio);
      EXPECT_FLOAT_EQ(g.MainTitleFontSizes[0], 20.0f * c.Ratio);
      EXPECT_FLOAT_EQ(g.MainTitleFontSizes[3], 20.0f * c.Ratio - 2);
    }
  }
  fScreenWidthRatio = fScreenHeightRatio = 1.0f;
}

TEST(WindowLayoutTest, GroupsAroundTheLogoAndEdges) {
  TWindowGeometry g = DefaultWindowGeometry();
  const TLayoutResult first = LayoutWindow(g, 1920, 1080, true, true, false);
  EXPECT_TRUE(first.Repaint && first.EnableTimer);
  // c = 40 / 4: the logo 10 from the right edge; R = 1820, M = 100.
  EXPECT_FLOAT_EQ(g.Logo.X, 1730);
  EXPECT_FLOAT_EQ(g.MainTabsheetSupport.X, 100);
  EXPECT_FLOAT_EQ(g.HATabsheetSupport.X + g.HATabsheetSupport.Width, 1820);
  EXPECT_FLOAT_EQ(g.ConnectButtonSupport.X, 1600 - 160 - 20);
  const TRectGeometry& chart = g.GeneralInformationAndGraphicSupport;
  EXPECT_FLOAT_EQ(chart.Y, 4 * 36 + 72);
  EXPECT_FLOAT_EQ(chart.Width, 1620 - 250);
  EXPECT_FLOAT_EQ(chart.Height, 1080 - (6 * 36 + 120));
  EXPECT_FLOAT_EQ(g.MainTitles[2].X + g.MainTitles[2].Width / 2, chart.X + chart.Width / 2);
  // The parameters button stands under the third main tab, on the line of the date buttons.
  const TRectGeometry& parameters = g.SetParametersButtonSupport;
  EXPECT_FLOAT_EQ(parameters.X + parameters.Width / 2,
                  g.MainTabsheetSupport.X + g.MainTabsheets[2].X + g.MainTabsheets[2].Width / 2);
  EXPECT_FLOAT_EQ(parameters.Y + parameters.Height / 2, g.DatesSelectionSupport.Y + g.DatesSelectionSupport.Height / 2);
  const TLayoutResult later = LayoutWindow(g, 1920, 1080, true, false, true);
  EXPECT_FALSE(later.Repaint || later.EnableTimer);
}

// The groups of the top left that show together, in window coordinates: no
// two overlap at any allowed size (a group over a button takes its presses).
TEST(WindowLayoutTest, TopLeftGroupsNeverOverlap) {
  struct TSize {
    int W, H;
  };
  for (const TSize size : {TSize{1728, 972}, TSize{1920, 1080}, TSize{2560, 1440}}) {
    TWindowGeometry g = DefaultWindowGeometry();
    LayoutWindow(g, size.W, size.H, true, false, true);
    const TRectGeometry& dates = g.DatesSelectionSupport;
    const auto inDates = [&dates](TRectGeometry r) {
      r.X += dates.X;
      r.Y += dates.Y;
      return r;
    };
    // The CO, QV and first SL lists share one place; the rank list shows without them.
    const std::pair<const char*, TRectGeometry> groups[] = {{"main tabs", g.MainTabsheetSupport},
                                                            {"date row", dates},
                                                            {"parameters button", g.SetParametersButtonSupport},
                                                            {"intra-month title", g.IntraMonthTitleSupport},
                                                            {"list selector", g.COListSelectionSupport}};
    const std::pair<const char*, TRectGeometry> alone[] = {{"rank list", g.SLListSelectionSupport_2}};
    const auto overlap = [](const TRectGeometry& a, const TRectGeometry& b) {
      return a.X < b.X + b.Width && b.X < a.X + a.Width && a.Y < b.Y + b.Height && b.Y < a.Y + a.Height;
    };
    for (std::size_t i = 0; i < std::size(groups); ++i) {
      for (std::size_t j = i + 1; j < std::size(groups); ++j)
        EXPECT_FALSE(overlap(groups[i].second, groups[j].second))
            << groups[i].first << " / " << groups[j].first << " at " << size.W << " x " << size.H;
      if (std::string(groups[i].first) != "list selector") {
        EXPECT_FALSE(overlap(groups[i].second, alone[0].second)) << groups[i].first << " / rank list";
      }
    }
    // The date buttons lie inside their row; the intra-month title stands under the end date, just below it.
    for (const TRectGeometry& button : {g.StartDateButton, g.EndDateButton}) {
      EXPECT_GE(button.X, 0);
      EXPECT_LE(button.X + button.Width, dates.Width);
    }
    const TRectGeometry end = inDates(g.EndDateButton);
    EXPECT_FLOAT_EQ(g.IntraMonthTitleSupport.X + g.IntraMonthTitleSupport.Width / 2, end.X + end.Width / 2);
    EXPECT_FLOAT_EQ(g.IntraMonthTitleSupport.Y, end.Y + end.Height + 2);
    EXPECT_LT(g.COListSelectionSupport.Y + g.COListSelectionSupport.Height, g.GeneralInformationAndGraphicSupport.Y);
  }
}

TEST(WindowLayoutTest, TabGroupHeights) {
  TWindowGeometry g = DefaultWindowGeometry();
  const float t = g.HATabsheets[0].Height;
  for (std::size_t i = 3; i < g.HATabsheets.size(); ++i) g.HATabsheets[i].Visible = false;
  LayoutWindow(g, 1920, 1080, true, false, true);
  EXPECT_FLOAT_EQ(g.HATabsheetSupport.Height, 3 * t + 24);
  const TRectGeometry& vl = g.VLTabsheetSupport;
  EXPECT_FLOAT_EQ(vl.Height, 4 * t + 72);
  EXPECT_FLOAT_EQ(g.VRTabsheetSupport.Height, 4 * t + 36);
  EXPECT_FLOAT_EQ(g.VRTabsheetSupport.Y + g.VRTabsheetSupport.Height / 2, vl.Y + vl.Height / 2);
  EXPECT_FLOAT_EQ(g.HBTabsheetSupport.Y + g.HBTabsheetSupport.Height / 2, vl.Y + vl.Height / 2);

  const float secondY = g.VLTabsheets[1].Y;  // a hidden second left tab leaves its place to the third
  g.VLTabsheets[1].Visible = false;
  PlaceMainAndVLTabsheets(g);
  EXPECT_FLOAT_EQ(g.VLTabsheets[2].Y, secondY);

  g.VRTabsheets[1].Visible = false;  // a hidden right tab takes no room
  PlaceVRAndHBTabsheets(g);
  EXPECT_FLOAT_EQ(g.VRTabsheets[2].Y, t + 12);
  for (TRectGeometry& tab : g.VRTabsheets) tab.Visible = false;
  PlaceVRAndHBTabsheets(g);
  EXPECT_FLOAT_EQ(g.VRTabsheetSupport.Height, 0);
}

}  // namespace
}  // namespace session
