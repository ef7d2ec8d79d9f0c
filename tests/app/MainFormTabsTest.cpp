// The workspace's tabs, list arrows, track bars and hover looks on the
// window, after one start on the sample data: every view of the view table
// is reached by clicks on the visible tabs and the CO arrows.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QLineF>
#include <QPolygonF>
#include <QRegularExpression>
#include <algorithm>
#include <memory>
#include <set>

#include "AppTestSupport.h"
#include "common/Globals.h"
#include "dialogs/CurrencySelectionForm.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/DialogWidgets.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/ParameterSelectionForm.h"
#include "dialogs/PwdRequestForm.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "platform/qt/QtCanvas.h"
#include "server/ServerTestSupport.h"
#include "session/TrackBarContent.h"
#include "session/WindowTexts.h"

namespace {

using session::TTrackBar;
using session::TWindowGroup;

constexpr platform::TAlphaColor kNormal = 0xFFC5D2DD;
constexpr platform::TAlphaColor kMainChosen = 0xFF21366B;
constexpr platform::TAlphaColor kVLChosen = 0xFF3454A5;
constexpr platform::TAlphaColor kButtonChosen = 0xFF708CD5;

// Theme tab of (main tab, sub-index).
int ThemeTab(int main, int sub) {
  static const int kEquity[] = {1, 4, 2, 3};
  static const int kBond[] = {5, 7, 8, 6};
  return main == 1 ? kEquity[sub] : kBond[sub];
}

class MainFormTabsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Workspace = std::make_unique<apptest::TSampleWorkspace>();
    WindowPointer = std::make_unique<qttest::TWindowPointer>(Workspace->Form.get());
  }
  static void TearDownTestSuite() {
    WindowPointer.reset();
    Workspace.reset();
  }
  void SetUp() override { ASSERT_TRUE(Workspace->Ready) << Workspace->Form->Screen.MessageContent; }

  static app::TMainForm& F() { return *Workspace->Form; }
  static TModelPages& Pages() { return *F().Pages(); }
  static app::TControl* Control(const std::string& name) { return F().Find(name.c_str()); }
  static bool Shown(TWindowGroup group) { return F().Group(group)->isVisibleTo(Workspace->Form.get()); }
  static bool Shown(const std::string& name) { return Control(name)->isVisibleTo(Workspace->Form.get()); }

  static qttest::TWindowPointer& Pointer() { return *WindowPointer; }
  // Clicks a control at its face, where the window must find it.
  static void Click(const std::string& name, int afterMs = -1) {
    app::TControl* control = Control(name);
    ASSERT_NE(control, nullptr) << name;
    ASSERT_TRUE(Pointer().ClickOn(control, afterMs));
  }

  static std::int32_t& COIndex(int main, int sub) {
    session::TViewState& v = F().View;
    if (main == 0) return v.GlobalCOIndex;
    if (main == 1) return sub == 0 ? v.EQGPCOIndex : v.EquityCOIndex;
    return v.FIGPCOIndex;
  }

  static std::int32_t PageView() {
    std::int32_t view = -100;
    const session::TViewState& v = F().View;
    Pages().WithPage(PageForTab(v.SelectedMainTab, v.GlobalSubIndex, v.EquitySubIndex, v.BondSubIndex),
                     [&view](const auto& page) { view = page.CurrentView; });
    return view;
  }

  // Main tab, theme, left, top, CO position, right and bottom tab of a view, by clicks.
  static void Reach(const session::TViewTableEntry& e) {
    ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_" + std::to_string(e.MainTab + 1)));
    if (e.MainTab != 0) {
      ASSERT_NO_FATAL_FAILURE(Click("ThemeSelectionTabsheet_" + std::to_string(ThemeTab(e.MainTab, e.SubIndex))));
    }
    const std::string vl = "VLTabsheet_" + std::to_string(e.VLIndex + 1);
    if (e.VLIndex >= 0 && (Shown(TWindowGroup::VLTabsheetSupport) || !Selected(vl))) {
      ASSERT_NO_FATAL_FAILURE(Click(vl));
    }
    if (e.HAIndex >= 0) {
      ASSERT_NO_FATAL_FAILURE(Click("HATabsheet_" + std::to_string(e.HAIndex + 1)));
    }
    for (int presses = 0; e.ListIndex >= 0 && COIndex(e.MainTab, e.SubIndex) != e.ListIndex; ++presses) {
      ASSERT_LT(presses, 4) << "the CO list never reaches " << e.ListIndex;
      ASSERT_NO_FATAL_FAILURE(Click("COListSelectionUpControl"));
    }
    if (e.VRIndex >= 0) {
      ASSERT_NO_FATAL_FAILURE(Click("VRTabsheet_" + std::to_string(e.VRIndex + 1)));
    }
    if (e.HBIndex >= 0) {
      ASSERT_NO_FATAL_FAILURE(Click("HBTabsheet_" + std::to_string(e.HBIndex + 1)));
    }
  }

  static bool Selected(const std::string& tab) { return Control(tab)->FillColour != kNormal; }
  static app::TControl* Title(const std::string& tab) {
    return static_cast<app::TControl*>(Control(tab)->children().front());
  }

  // The window point at height y of a track bar's panel, in its middle.
  static QPoint OnBar(TTrackBar bar, double y) {
    const QWidget* panel = F().TrackBarPanel(bar);
    return Pointer().PointOf(panel, QPointF(panel->width() / 2.0, y));
  }

  static std::unique_ptr<apptest::TSampleWorkspace> Workspace;
  static std::unique_ptr<qttest::TWindowPointer> WindowPointer;
};

std::unique_ptr<apptest::TSampleWorkspace> MainFormTabsTest::Workspace;
std::unique_ptr<qttest::TWindowPointer> MainFormTabsTest::WindowPointer;

// Page views the track bars and the chart pass name: the zone and FX views of
// the allocation pages, the heat map and history views of the ranking pages.
struct TKnownPageView {
  int Main, Sub, ViewId;
  std::set<std::int32_t> PageViews;
  TWindowGroup TrackBar;
};
const TKnownPageView kKnownViews[] = {{0, 0, 12, {4}, TWindowGroup::VZoneTrackBarMainSupport},
                                      {0, 0, 14, {6}, TWindowGroup::VZoneTrackBarMainSupport},
                                      {0, 0, 15, {7}, TWindowGroup::VFXTrackBarMainSupport},
                                      {1, 0, 12, {3}, TWindowGroup::VZoneTrackBarMainSupport},
                                      {1, 0, 15, {4}, TWindowGroup::VFXTrackBarMainSupport},
                                      {2, 0, 14, {3}, TWindowGroup::VZoneTrackBarMainSupport},
                                      {2, 0, 15, {4}, TWindowGroup::VFXTrackBarMainSupport},
                                      {1, 1, 2, {2, 3}, TWindowGroup::Count},
                                      {1, 1, 3, {2, 3}, TWindowGroup::Count},
                                      {1, 2, 2, {1}, TWindowGroup::VHistoryTrackBarMainSupport},
                                      {1, 3, 2, {1}, TWindowGroup::VHistoryTrackBarMainSupport}};

TEST_F(MainFormTabsTest, EveryViewIsReachedByClicksWithItsTitlesGroupsAndColours) {
  const std::vector<session::TViewTableEntry> table = F().View.ViewTable;
  ASSERT_EQ(table.size(), 113u);
  const char* kVLTitles[] = {"Heat Map", "History", "Portfolio", "Country"};
  const char* kHATitles[] = {"Allocation", "Performance", "NAV", "Drawdown", "1Y Rolling", "Information"};
  for (const session::TViewTableEntry& e : table) {
    SCOPED_TRACE(testing::Message() << "view " << e.ViewId << " of model (" << e.MainTab << ", " << e.SubIndex
                                    << ") VL " << e.VLIndex << " HA " << e.HAIndex << " VR " << e.VRIndex << " HB "
                                    << e.HBIndex << " CO " << e.ListIndex);
    ASSERT_NO_FATAL_FAILURE(Reach(e));
    const session::TViewState& v = F().View;
    EXPECT_EQ(v.CurrentViewId, e.ViewId);
    const std::int32_t pageView = PageView();
    EXPECT_GE(pageView, 0);
    for (const TKnownPageView& known : kKnownViews) {
      if (known.Main != e.MainTab || known.Sub != e.SubIndex || known.ViewId != e.ViewId) continue;
      EXPECT_TRUE(known.PageViews.count(pageView)) << "page view " << pageView;
      if (known.TrackBar != TWindowGroup::Count) {
        EXPECT_TRUE(Shown(known.TrackBar));
      }
    }

    // The chart area draws the view: content, no "No Data".
    F().ChartArea()->repaint();
    EXPECT_FALSE(F().ChartArea()->NoDataShown());
    EXPECT_EQ(v.PaintPhase, 1);
    apptest::SaveShot(F(), ("view-" + std::to_string(e.MainTab) + std::to_string(e.SubIndex) + "-" +
                            std::to_string(e.ViewId) + "-" + std::to_string(pageView))
                               .c_str());

    // The four main titles are those of the page's view.
    const session::TMainTitles titles = session::UpdateMainTitles(v, pageView);
    EXPECT_FALSE(titles.Title1.empty());
    EXPECT_EQ(F().Group(TWindowGroup::MainTitle_1)->Text, titles.Title1);
    EXPECT_EQ(F().Group(TWindowGroup::MainTitle_2)->Text, titles.Title2);
    EXPECT_EQ(F().Group(TWindowGroup::MainTitle_3)->Text, titles.Title3);
    EXPECT_EQ(F().Group(TWindowGroup::MainTitle_4)->Text, titles.Title4);

    // Groups: top, right and bottom tabs and the CO selector exactly when the view takes them.
    EXPECT_EQ(Shown(TWindowGroup::HATabsheetSupport), e.HAIndex >= 0);
    EXPECT_EQ(Shown(TWindowGroup::HBTabsheetSupport), e.HBIndex >= 0);
    EXPECT_EQ(Shown(TWindowGroup::COListSelectionSupport), e.ListIndex >= 0);
    if (e.VRIndex >= 0) {
      EXPECT_TRUE(Shown("VRTabsheet_1") && Shown("VRTabsheet_2"));
    }
    EXPECT_FALSE(Shown("HATabsheet_7"));
    EXPECT_FALSE(Shown(TWindowGroup::SLListSelectionSupport_1));
    for (int theme = 1; theme <= 8; ++theme)
      EXPECT_EQ(Shown("ThemeSelectionTabsheet_" + std::to_string(theme)), (theme <= 4 ? 1 : 2) == e.MainTab);

    // Titles of the tabs.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Title("VLTabsheet_" + std::to_string(i + 1))->Text, kVLTitles[i]);
    if (e.HAIndex >= 0) {
      const bool country = e.VLIndex == 3;
      for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Title("HATabsheet_" + std::to_string(i + 1))->Text, country && i == 0 ? "Signal" : kHATitles[i]);
    }
    if (e.VRIndex >= 0) {
      EXPECT_EQ(Title("VRTabsheet_1")->Text, "Summarized");
      EXPECT_EQ(Title("VRTabsheet_2")->Text, "Detailed");
    }
    if (e.HBIndex >= 0) {
      const bool portfolio = e.VLIndex == 2;
      EXPECT_EQ(Title("HBTabsheet_1")->Text, portfolio ? "Current" : "Summarized");
      EXPECT_EQ(Title("HBTabsheet_2")->Text, portfolio ? "Past" : "Detailed");
    }
    if (e.ListIndex >= 0 && e.MainTab == 0) {
      EXPECT_EQ(Control("COListSelectionTitle")->Text, session::sGlobalCOListTitles[e.ListIndex]);
    }

    // Colours: the chosen tabs in their group's highlight, the other main and left tabs normal.
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Control("MainTabsheet_" + std::to_string(i + 1))->FillColour, i == e.MainTab ? kMainChosen : kNormal);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Control("VLTabsheet_" + std::to_string(i + 1))->FillColour, i == e.VLIndex ? kVLChosen : kNormal);
    if (e.HAIndex >= 0) {
      for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Control("HATabsheet_" + std::to_string(i + 1))->FillColour, i == e.HAIndex ? kButtonChosen : kNormal);
    }
    if (e.VRIndex >= 0) {
      EXPECT_EQ(Control("VRTabsheet_" + std::to_string(e.VRIndex + 1))->StrokeColour, kButtonChosen);
    }
    if (e.HBIndex >= 0) {
      EXPECT_EQ(Control("HBTabsheet_" + std::to_string(e.HBIndex + 1))->FillColour, kButtonChosen);
    }
    if (e.MainTab != 0) {
      EXPECT_EQ(Control("ThemeSelectionTabsheet_" + std::to_string(ThemeTab(e.MainTab, e.SubIndex)))->FillColour,
                kVLChosen);
    }
    if (HasFailure()) break;  // one view's report is enough
  }
}

TEST_F(MainFormTabsTest, MainTabCarriesTheViewOverToTheOtherModelWhenItHasIt) {
  // "Monetary" left on its heat map; Bond on "Bond Ranking"; then Equity "Ranking" History "Detailed".
  ASSERT_NO_FATAL_FAILURE(Reach({0, 2, 3, 0, -1, -1, -1, -1}));
  ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_3"));
  ASSERT_NO_FATAL_FAILURE(Click("ThemeSelectionTabsheet_7"));
  ASSERT_NO_FATAL_FAILURE(Click("VLTabsheet_1"));
  ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_2"));
  ASSERT_NO_FATAL_FAILURE(Click("ThemeSelectionTabsheet_4"));
  ASSERT_NO_FATAL_FAILURE(Click("VLTabsheet_2"));
  ASSERT_NO_FATAL_FAILURE(Click("HBTabsheet_2"));
  ASSERT_EQ(F().View.CurrentViewId, 3);

  // Bond opens the same kind of view on its ranking model.
  ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_3"));
  EXPECT_EQ(F().View.BondSubIndex, 1);
  EXPECT_EQ(F().View.CurrentViewId, 3);
  EXPECT_EQ(Pages().FISLGraphic.CurrentView, Pages().EQSLGraphic.CurrentView);
  EXPECT_EQ(Control("VLTabsheet_2")->FillColour, kVLChosen);
  EXPECT_EQ(Control("HBTabsheet_2")->FillColour, kButtonChosen);
  EXPECT_EQ(Control("MainTabsheet_3")->FillColour, kMainChosen);
  EXPECT_EQ(Control("MainTabsheet_2")->FillColour, kNormal);
  EXPECT_TRUE(Shown(TWindowGroup::HBTabsheetSupport));
  EXPECT_FALSE(F().Group(TWindowGroup::MainTitle_1)->Text.empty());
  apptest::SaveShot(F(), "tabs-bond-ranking-history");

  // "Monetary" has no such view: it opens on the tabs it had last (its heat map).
  ASSERT_NO_FATAL_FAILURE(Click("ThemeSelectionTabsheet_6"));
  EXPECT_EQ(F().View.BondSubIndex, 3);
  EXPECT_EQ(F().View.CurrentViewId, 0);
  EXPECT_EQ(Control("VLTabsheet_1")->FillColour, kVLChosen);
  EXPECT_EQ(Control("ThemeSelectionTabsheet_7")->FillColour, kNormal);
  EXPECT_EQ(Control("IntraMonthTitle")->FontColour, 0xFFF46075u);
}

TEST_F(MainFormTabsTest, ListArrowsWrapAround) {
  // MYGP Allocation: down from "All" gives "FX Hedging".
  ASSERT_NO_FATAL_FAILURE(Reach({5, 0, 0, 2, 0, -1, 0, 0}));
  ASSERT_EQ(F().View.GlobalCOIndex, 0);
  ASSERT_NO_FATAL_FAILURE(Click("COListSelectionDownControl"));
  EXPECT_EQ(F().View.GlobalCOIndex, 3);
  EXPECT_EQ(Control("COListSelectionTitle")->Text, "FX Hedging");
  EXPECT_EQ(F().View.CurrentViewId, 15);
  EXPECT_TRUE(Shown(TWindowGroup::VFXTrackBarMainSupport));
  EXPECT_FALSE(Shown(TWindowGroup::HBTabsheetSupport));
  apptest::SaveShot(F(), "tabs-global-fx-hedging");
  ASSERT_NO_FATAL_FAILURE(Click("COListSelectionUpControl"));
  EXPECT_EQ(F().View.GlobalCOIndex, 0);
  EXPECT_EQ(Control("COListSelectionTitle")->Text, "All");

  // EQQV History: the group list from 0 back to 7 and up again to 0. Quick
  // clicks (120 and 150 ms apart, paired by the system into double clicks)
  // step once each.
  ASSERT_NO_FATAL_FAILURE(Reach({2, 1, 2, 1, -1, -1, -1, -1}));
  ASSERT_TRUE(Shown(TWindowGroup::QVListSelectionSupport_2));
  while (F().View.QVList2Index != 0) ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionUpControl_2"));
  ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionUpControl_2"));
  ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionUpControl_2", 120));
  EXPECT_EQ(F().View.QVList2Index, 2);
  for (int i = 0; i < 4; ++i) ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionUpControl_2", i == 0 ? -1 : 150));
  EXPECT_EQ(F().View.QVList2Index, 6);
  ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionUpControl_2"));
  ASSERT_EQ(F().View.QVList2Index, 7);
  EXPECT_EQ(Control("QVListSelectionTitle_2")->Text, session::ShownText(session::sQVList2Titles[7]));
  ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionUpControl_2"));
  EXPECT_EQ(F().View.QVList2Index, 0);
  EXPECT_EQ(Control("QVListSelectionTitle_2")->Text, "Equity Risk");
  ASSERT_NO_FATAL_FAILURE(Click("QVListSelectionDownControl_2"));
  EXPECT_EQ(F().View.QVList2Index, 7);

  // EQSL History "Detailed": the rank list wraps between 1 and the rows of the history.
  ASSERT_NO_FATAL_FAILURE(Reach({3, 1, 1, 1, -1, -1, 1, -1}));
  ASSERT_TRUE(Shown(TWindowGroup::SLListSelectionSupport_2));
  const auto rows = static_cast<std::int32_t>(cMyExternEQSLGraphicData.RankingRows.size());
  ASSERT_GT(rows, 1);
  while (F().View.EQSLRank != 1) ASSERT_NO_FATAL_FAILURE(Click("SLListSelectionDownControl_2"));
  ASSERT_NO_FATAL_FAILURE(Click("SLListSelectionDownControl_2"));
  EXPECT_EQ(F().View.EQSLRank, rows);
  EXPECT_EQ(Control("SLListSelectionTitle_2")->Text, "Rank " + std::to_string(rows));
  ASSERT_NO_FATAL_FAILURE(Click("SLListSelectionUpControl_2"));
  EXPECT_EQ(F().View.EQSLRank, 1);
  EXPECT_EQ(Control("SLListSelectionTitle_2")->Text, "Rank 1");
  EXPECT_EQ(F().View.CurrentViewId, 3);
}

TEST_F(MainFormTabsTest, TrackBarStepsHoldsAndFollowsThePointer) {
  // MYGP "Equity" allocation, "Detailed": the zone bar scrolls the ranking tables.
  ASSERT_NO_FATAL_FAILURE(Reach({12, 0, 0, 2, 0, 1, -1, 1}));
  ASSERT_TRUE(Shown(TWindowGroup::VZoneTrackBarMainSupport));
  session::TrackBarState& zone = F().View.ZoneTrack;
  const double guide = F().Find("VZoneTrackBarGuide")->height();
  const double cursorHeight = F().Find("VZoneTrackBarCursor")->height();
  const double r = guide - cursorHeight;
  const std::int32_t d = zone.ItemCount - zone.PageSize;
  ASSERT_GE(d, 2);
  // Back to the top by presses above the cursor.
  for (int guard = 0; zone.Position > 0 && guard <= d; ++guard) Pointer().Click(OnBar(TTrackBar::Zone, 1.0));
  ASSERT_EQ(zone.Position, 0);
  app::TControl* cursor = F().Find("VZoneTrackBarCursor");
  auto cursorAt = [&](std::int32_t position) { return static_cast<int>(std::lround(position * r / d)); };

  struct TStep {
    double Y;
    std::int32_t Position;  // after the press
  };
  // Below the cursor: one down; on the cursor: nothing; above it: one up;
  // below the bar the chart takes the press: nothing.
  const TStep steps[] = {{guide - 2, 1}, {guide - 2, 2}, {cursorAt(2) + 2.0, 2}, {1.0, 1}, {guide + 5, 1}};
  for (const TStep& step : steps) {
    Pointer().Wait(qttest::TWindowPointer::ApartMs());
    Pointer().Press(OnBar(TTrackBar::Zone, step.Y));
    Pointer().Move(OnBar(TTrackBar::Zone, guide - 1));  // a move without the hold changes nothing
    Pointer().Release(OnBar(TTrackBar::Zone, guide - 1));
    EXPECT_EQ(zone.Position, step.Position) << "press at " << step.Y;
    EXPECT_EQ(zone.CommittedPosition, step.Position);
    EXPECT_EQ(cursor->y(), cursorAt(step.Position));
    EXPECT_EQ(Pages().MYGPGraphic.RankingTable.ScrollPosition(), step.Position);
    EXPECT_FALSE(zone.Pressed);
  }

  // Held: from the sixth main-timer tick on, the cursor follows the pointer,
  // centred and snapped, also below the bar (the bar keeps the pointer while pressed).
  Pointer().Wait(qttest::TWindowPointer::ApartMs());
  Pointer().Press(OnBar(TTrackBar::Zone, guide - 2));
  ASSERT_EQ(zone.Position, 2);
  for (int tick = 1; tick <= 5; ++tick) {
    F().OnFormTimer(&F().MainTimer);
    EXPECT_FALSE(zone.Held) << "tick " << tick;
  }
  F().OnFormTimer(&F().MainTimer);
  ASSERT_TRUE(zone.Held);
  Pointer().Move(OnBar(TTrackBar::Zone, guide + 40));
  EXPECT_EQ(zone.Position, d);  // clamped at the last page
  EXPECT_EQ(cursor->y(), cursorAt(d));
  const double middle = cursorHeight / 2 + (d / 2 + 0.5) * r / d;  // inside item d / 2
  Pointer().Move(OnBar(TTrackBar::Zone, middle));
  EXPECT_EQ(zone.Position, d / 2);
  EXPECT_EQ(cursor->y(), cursorAt(d / 2));
  EXPECT_EQ(Pages().MYGPGraphic.SecondRankingTable.ScrollPosition(), d / 2);
  apptest::SaveShot(F(), "tabs-zone-track-bar");
  Pointer().Release(OnBar(TTrackBar::Zone, middle));
  EXPECT_FALSE(zone.Held);
  EXPECT_FALSE(zone.Pressed);
  Pointer().Move(OnBar(TTrackBar::Zone, guide - 1));
  EXPECT_EQ(zone.Position, d / 2);
}

TEST_F(MainFormTabsTest, HoverLooksFollowTheirRules) {
  // MYGP Allocation: the CO arrows show; the pointer rests on each control, then on the window's background.
  ASSERT_NO_FATAL_FAILURE(Reach({5, 0, 0, 2, 0, -1, 0, 0}));
  const QPoint background(F().width() / 2, 8);
  ASSERT_EQ(Pointer().WidgetAt(background), Workspace->Form.get());
  for (const char* name : {"ConnectButton", "CloseButton", "MinimizeButton", "SetParametersButton",
                           "COListSelectionUpControl", "COListSelectionDownControl"}) {
    app::TControl* control = Control(name);
    ASSERT_TRUE(Pointer().HoverOn(control));
    EXPECT_TRUE(control->property("active").toBool()) << name;
    Pointer().Move(background);
    EXPECT_FALSE(control->property("active").toBool()) << name;
  }

  // Date rule: the title colour pair; the end date keeps the intra-month colour while its title shows.
  ASSERT_TRUE(Pointer().HoverOn(Control("StartDateButtonTitle")));
  EXPECT_EQ(Control("StartDateButton")->StrokeColour, 0xFF005890u);
  EXPECT_EQ(Control("StartDateButton")->StrokeThickness, 2.0f);
  Pointer().Move(background);
  EXPECT_EQ(Control("StartDateButton")->StrokeThickness, 1.0f);
  const bool intraMonth = F().Screen.IsVisible(TWindowGroup::IntraMonthTitleSupport);
  F().Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, true);
  ASSERT_TRUE(Pointer().HoverOn(Control("EndDateButtonTitle")));
  EXPECT_EQ(Control("EndDateButton")->StrokeColour, 0xFFF46075u);
  EXPECT_EQ(Control("EndDateButtonTitle")->FontColour, 0xFFF46075u);
  EXPECT_EQ(Control("EndDateButton")->StrokeThickness, 2.0f);
  F().Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, false);
  Pointer().Move(background);
  EXPECT_EQ(Control("EndDateButton")->StrokeColour, 0xFF005890u);
  EXPECT_EQ(Control("EndDateButton")->StrokeThickness, 1.0f);
  F().Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, intraMonth);

  // Tabs: hover highlights; leaving keeps the highlight only on the chosen tab.
  ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_1"));
  ASSERT_TRUE(Pointer().HoverOn(Control("MainTabsheet_2")));
  EXPECT_EQ(Control("MainTabsheet_2")->FillColour, kMainChosen);
  EXPECT_EQ(Control("MainTabsheet_1")->FillColour, kMainChosen);
  Pointer().Move(background);
  EXPECT_EQ(Control("MainTabsheet_2")->FillColour, kNormal);
  EXPECT_EQ(Control("MainTabsheet_1")->FillColour, kMainChosen);
}

// The value indicators follow the pointer over a NAV chart of the window and
// hide when another tab is chosen.
TEST_F(MainFormTabsTest, ValueIndicatorsHideOnATabChange) {
  ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_2"));
  ASSERT_NO_FATAL_FAILURE(Click("ThemeSelectionTabsheet_3"));  // Behavioral: the EQBL page
  ASSERT_NO_FATAL_FAILURE(Click("VLTabsheet_3"));
  ASSERT_NO_FATAL_FAILURE(Click("HATabsheet_3"));  // NAV
  app::TChartArea* area = F().ChartArea();
  area->repaint();
  ASSERT_TRUE(Pages().EQBLGraphic.ViewHasFeature(0));
  const TViewArea range = Pages().EQBLGraphic.GetViewRange();
  const QPointF at(range.Left + range.Width * 0.5f, (range.SpanTop + range.SpanBottom) * 0.5f);
  Pointer().Move(Pointer().PointOf(area, at));
  ASSERT_TRUE(area->ValueBox->isVisible());
  EXPECT_TRUE(area->ValueMarkers[0]->isVisible());

  ASSERT_NO_FATAL_FAILURE(Click("HATabsheet_4"));  // Drawdown
  EXPECT_FALSE(area->ValueBox->isVisible());
  EXPECT_FALSE(area->ValueMarkers[0]->isVisible());
  EXPECT_FALSE(area->Indicators.ValueIndicatorsShown);
}

TEST_F(MainFormTabsTest, RepaintRequestsNeverLowerAPendingPhaseAndCtrlReleaseEmptiesTheLetters) {
  QWidget* paintBox = F().ChartArea();
  ASSERT_TRUE(paintBox->isVisibleTo(Workspace->Form.get()));
  paintBox->repaint();  // serves whatever was asked
  EXPECT_EQ(F().View.PaintPhase, 1);
  struct TCase {
    std::vector<std::int32_t> Requests;
    std::int32_t Phase;
  };
  const TCase cases[] = {{{1}, 1}, {{2, 1}, 2}, {{1, 2}, 2}, {{0}, 0}, {{0, 1}, 2}, {{1, 3}, 1}, {{3}, 1}};
  for (const TCase& c : cases) {
    for (std::int32_t phase : c.Requests) F().RequestChartRepaint(phase);
    EXPECT_EQ(F().View.PaintPhase, c.Phase);
    paintBox->repaint();
    EXPECT_EQ(F().View.PaintPhase, 1);
  }

  auto key = [](QEvent::Type type, int code, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(type, code, modifiers);
    QApplication::sendEvent(Workspace->Form.get(), &event);
  };
  key(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  key(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(F().AccessKeys.sTypedLetters.size(), 1u);
  key(QEvent::KeyRelease, Qt::Key_Shift, Qt::ControlModifier);
  EXPECT_EQ(F().AccessKeys.sTypedLetters.size(), 1u);
  key(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
  EXPECT_EQ(F().AccessKeys.sTypedLetters, "");
}

TEST_F(MainFormTabsTest, ClicksArrowsAndBarsChangeNothingWhileAStepRuns) {
  ASSERT_NO_FATAL_FAILURE(Reach({12, 0, 0, 2, 0, 1, -1, 1}));
  const std::int32_t start = F().View.ZoneTrack.Position;
  const std::int32_t last = F().View.ZoneTrack.ItemCount - F().View.ZoneTrack.PageSize;
  Pointer().Click(OnBar(TTrackBar::Zone, Control("VZoneTrackBarGuide")->height() - 2.0));
  const session::TViewState before = F().View;
  ASSERT_EQ(before.ZoneTrack.Position, std::min(start + 1, last));
  // The step's end reaches the window through its event queue: until then the step runs.
  ASSERT_TRUE(F().StartCalculation());
  ASSERT_TRUE(F().StepRunning());
  for (const char* name : {"MainTabsheet_2", "VLTabsheet_1", "HATabsheet_2", "COListSelectionUpControl"})
    ASSERT_NO_FATAL_FAILURE(Click(name));
  Pointer().Click(OnBar(TTrackBar::Zone, 1.0));
  // The connect button opens nothing now; a click still ends its hover look, the pointer resting on it.
  ASSERT_NO_FATAL_FAILURE(Click("ConnectButton"));
  EXPECT_FALSE(Control("ConnectButton")->property("active").toBool());
  EXPECT_FALSE(F().LoginForm->Showing());
  const session::TViewState& v = F().View;
  EXPECT_EQ(v.SelectedMainTab, before.SelectedMainTab);
  EXPECT_EQ(v.BondSubIndex, before.BondSubIndex);
  EXPECT_EQ(v.GlobalCOIndex, before.GlobalCOIndex);
  EXPECT_EQ(v.CurrentViewId, before.CurrentViewId);
  EXPECT_TRUE(v.ModelRecords[0].VLTabs[2].HATabs[0].Selected);
  EXPECT_EQ(v.ZoneTrack.Position, before.ZoneTrack.Position);
  EXPECT_FALSE(v.ZoneTrack.Pressed);
  // After the calculation the same view shows again, each cursor where its bar's position puts it.
  ASSERT_TRUE(QTest::qWaitFor([] { return !F().StepRunning() && F().View.WorkspaceShown; }, apptest::kRoadTimeoutMs));
  EXPECT_EQ(v.CurrentViewId, 12);
  const double r = Control("VZoneTrackBarGuide")->height() - Control("VZoneTrackBarCursor")->height();
  EXPECT_EQ(Control("VZoneTrackBarCursor")->y(),
            std::lround(v.ZoneTrack.Position * r / (v.ZoneTrack.ItemCount - v.ZoneTrack.PageSize)));
  EXPECT_TRUE(Shown(TWindowGroup::VZoneTrackBarMainSupport));
}

// After a recalculation each of the six track bars and what it scrolls agree:
// the heat-map and history bars are back at their first item with their
// content, the zone and FX bars keep their item and their tables show it;
// then a click in the trough above the FX thumb scrolls the table up one row.
TEST_F(MainFormTabsTest, AfterARecalculationEveryTrackBarAgreesWithItsContent) {
  struct TBar {
    TTrackBar Bar;
    const char* Stem;
    int Main, Sub;  // the model whose views hold the bar
  };
  const TBar bars[] = {
      {TTrackBar::FIHeatMap, "VFIHeatMapTrackBar", 2, 1}, {TTrackBar::EQHeatMap, "VEQHeatMapTrackBar", 1, 1},
      {TTrackBar::CYHeatMap, "VCYHeatMapTrackBar", 2, 2}, {TTrackBar::History, "VHistoryTrackBar", 1, 1},
      {TTrackBar::Zone, "VZoneTrackBar", 0, 0},           {TTrackBar::FX, "VFXTrackBar", 0, 0}};
  const auto reachBar = [](const TBar& b) {
    for (const session::TViewTableEntry& e : F().View.ViewTable) {
      if (e.MainTab != b.Main || e.SubIndex != b.Sub) continue;
      Reach(e);
      if (session::TrackBarOfSelectedView(F().View, Pages()).Bar == b.Bar) return true;
    }
    return false;
  };
  const auto cursorY = [](const TBar& b) {
    const session::TrackBarState& state = session::TrackBarRecord(F().View, b.Bar);
    const double r =
        Control(std::string(b.Stem) + "Guide")->height() - Control(std::string(b.Stem) + "Cursor")->height();
    const std::int32_t d = state.ItemCount - state.PageSize;
    return d > 0 ? static_cast<int>(std::lround(state.Position * r / d)) : 0;
  };
  // Every bar dragged to its last item.
  std::vector<std::int32_t> last;
  for (const TBar& b : bars) {
    SCOPED_TRACE(b.Stem);
    ASSERT_TRUE(reachBar(b));
    session::TrackBarState& state = session::TrackBarRecord(F().View, b.Bar);
    const double guide = Control(std::string(b.Stem) + "Guide")->height();
    Pointer().Wait(qttest::TWindowPointer::ApartMs());
    Pointer().Press(OnBar(b.Bar, guide - 2));
    for (int tick = 0; tick < 6; ++tick) F().OnFormTimer(&F().MainTimer);
    Pointer().Move(OnBar(b.Bar, guide + 40));
    Pointer().Release(OnBar(b.Bar, guide + 40));
    ASSERT_GT(state.Position, 0);
    ASSERT_EQ(state.Position, state.ItemCount - state.PageSize);
    last.push_back(state.Position);
  }

  ASSERT_TRUE(F().StartCalculation());
  ASSERT_TRUE(QTest::qWaitFor([] { return !F().StepRunning() && F().View.WorkspaceShown; }, apptest::kRoadTimeoutMs));
  for (std::size_t i = 0; i < std::size(bars); ++i) {
    const TBar& b = bars[i];
    SCOPED_TRACE(b.Stem);
    const std::int32_t position = session::TrackBarRecord(F().View, b.Bar).Position;
    const bool kept = b.Bar == TTrackBar::Zone || b.Bar == TTrackBar::FX;
    EXPECT_EQ(position, kept ? last[i] : 0);
    EXPECT_EQ(Control(std::string(b.Stem) + "Cursor")->y(), cursorY(b));
    for (const std::int32_t shown : sessiontest::Scrolled(Pages(), b.Bar)) EXPECT_EQ(shown, position);
  }

  const TBar& fx = bars[5];
  ASSERT_TRUE(reachBar(fx));
  const std::int32_t before = F().View.FXTrack.Position;
  ASSERT_GT(before, 0);
  ASSERT_GT(Control("VFXTrackBarCursor")->y(), 2);
  Pointer().Click(OnBar(TTrackBar::FX, 1.0));
  EXPECT_EQ(F().View.FXTrack.Position, before - 1);
  EXPECT_EQ(Control("VFXTrackBarCursor")->y(), cursorY(fx));
  for (const std::int32_t shown : sessiontest::Scrolled(Pages(), TTrackBar::FX)) EXPECT_EQ(shown, before - 1);
}

// Each date dialog takes the keyboard focus as it opens: Escape, arriving at
// the window as the system delivers a key, cancels it at once (also when it
// opens again) and nothing is saved or recalculated.
TEST_F(MainFormTabsTest, DateDialogsTakeTheFocusSoEscapeCancelsAtOnce) {
  TDateSelectionForm* dialog = F().DateSelectionForm;
  const double inception = usMyExternUserSettings.InceptionDate;
  const double end = usMyExternUserSettings.EndDate;
  for (const char* button : {"StartDateButtonTitle", "EndDateButtonTitle", "StartDateButtonTitle"}) {
    SCOPED_TRACE(button);
    bool shown = false;
    QWidget* focused = nullptr;
    bool escaped = false;
    apptest::WhenShowing(dialog, [&] {
      shown = true;
      focused = F().focusWidget();  // where the window hands its keys
      QTest::keyClick(F().windowHandle(), Qt::Key_Escape);
      escaped = !dialog->Showing() || dialog->ModalResult != 0;
      if (!escaped) dialog->SetModalResult(3);  // not cancelled by the key: end it all the same
    });
    ASSERT_NO_FATAL_FAILURE(Click(button));
    ASSERT_TRUE(shown);
    EXPECT_TRUE(focused == dialog || (focused != nullptr && dialog->isAncestorOf(focused)))
        << (focused != nullptr ? focused->objectName().toStdString() : "no focus");
    EXPECT_TRUE(escaped);
    EXPECT_EQ(dialog->ModalResult, 2);
    EXPECT_FALSE(dialog->Showing());
    EXPECT_FALSE(F().StepRunning());
    EXPECT_EQ(usMyExternUserSettings.InceptionDate, inception);
    EXPECT_EQ(usMyExternUserSettings.EndDate, end);
  }
}

// ---- where the window finds its controls

// A control that takes the pointer: the window's tabs, list arrows, image
// buttons, date buttons, track-bar panels and chart; the dialogs' buttons,
// pictures, editors, check boxes, links and trust bars.
bool TakesPointer(const QWidget* widget) {
  static const QRegularExpression kWindowControl(
      "^((Main|ThemeSelection|VL|HA|VR|HB)Tabsheet_\\d+|\\w+ListSelection(Up|Down)Control(_\\d)?|"
      "(Connect|SetParameters|Minimize|MaximizeOrRestore|Close)Button|(Start|End)DateButtonTitle|"
      "V\\w+TrackBarSupport|MainPaintBox)$");
  const QString name = widget->objectName();
  if (qobject_cast<const app::TControl*>(widget) != nullptr || name == "MainPaintBox")
    return kWindowControl.match(name).hasMatch();
  if (qobject_cast<const dialogs::TFrame*>(widget) != nullptr) return name.startsWith("CheckBoxFrame");
  return qobject_cast<const QLineEdit*>(widget) != nullptr ||
         qobject_cast<const dialogs::TDialogButton*>(widget) != nullptr ||
         qobject_cast<const dialogs::TPictureButton*>(widget) != nullptr || name.startsWith("TrackBarSupport_") ||
         (widget->testAttribute(Qt::WA_SetCursor) && widget->cursor().shape() == Qt::PointingHandCursor);
}

// Where a control must be found: its centre; a track-bar panel also at both ends.
std::vector<QPointF> Probes(const QWidget* control) {
  const QRectF r(control->rect());
  const QPointF c = r.center();
  if (control->objectName().endsWith("TrackBarSupport")) return {{c.x(), 1.0}, c, {c.x(), r.height() - 2.0}};
  if (control->objectName().startsWith("TrackBarSupport_")) return {{1.0, c.y()}, c, {r.width() - 2.0, c.y()}};
  return {c};
}

// Every shown control under root that takes the pointer is what the window
// finds at each of its probes. Returns how many were checked.
int ExpectEveryControlReached(const qttest::TWindowPointer& pointer, const QWidget& root, const std::string& where) {
  int checked = 0;
  for (const QWidget* widget : root.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(pointer.Window()) || !TakesPointer(widget)) continue;
    ++checked;
    for (const QPointF probe : Probes(widget))
      EXPECT_TRUE(pointer.Reaches(widget, pointer.PointOf(widget, probe))) << where;
  }
  return checked;
}

// At the smallest, the reference and a large window, for every view of the
// view table and every dialog (the parameter dialog on each of its pages):
// each control that takes the pointer is the widget the window finds at its
// face, as the system routes a press.
TEST_F(MainFormTabsTest, EveryControlIsWhereTheWindowFindsItAtEverySize) {
  app::TMainForm& form = F();
  // Whatever happens, the window goes back to its size and the answerer to its place.
  struct TRestore {
    ~TRestore() {
      F().resize(1920, 1080);
      if (!Workspace->Answerer) Workspace->Answerer = std::make_unique<apptest::TAnswerer>(F());
    }
  } restore;
  const std::vector<session::TViewTableEntry> table = form.View.ViewTable;
  for (const QSize size : {QSize(1728, 972), QSize(1920, 1080), QSize(2560, 1440)}) {
    form.resize(size);
    ASSERT_EQ(form.size(), size);
    const std::string at = std::to_string(size.width()) + " x " + std::to_string(size.height());
    for (const session::TViewTableEntry& e : table) {
      ASSERT_NO_FATAL_FAILURE(Reach(e));
      form.ChartArea()->repaint();  // the chart pass places the track bars beside the page's widgets
      const std::string where = "view " + std::to_string(e.ViewId) + " of model (" + std::to_string(e.MainTab) + ", " +
                                std::to_string(e.SubIndex) + ") at " + at;
      EXPECT_GE(ExpectEveryControlReached(Pointer(), form, where), 12) << where;
      if (HasFailure()) return;  // one view's report is enough
    }

    // The parameter dialog, on every page of its three groups.
    for (int mainTab = 0; mainTab < 3; ++mainTab) {
      ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_" + std::to_string(mainTab + 1)));
      ASSERT_NO_FATAL_FAILURE(Click("SetParametersButton"));
      TParameterSelectionForm& dialog = *form.ParameterSelectionForm;
      for (dialogs::TDialogButton* tab : dialog.Tabsheets) {
        if (!tab->isVisibleTo(&form)) continue;
        ASSERT_TRUE(Pointer().ClickOn(tab));
        const std::string where = "parameter page " + tab->objectName().toStdString() + " at " + at;
        EXPECT_GE(ExpectEveryControlReached(Pointer(), dialog, where), 5) << where;
      }
      ASSERT_TRUE(Pointer().ClickOn(dialog.UndoButton));
      if (HasFailure()) return;
    }

    // The modal dialogs over the window.
    const double today = platform::EncodeDate(2024, 6, 30);
    struct TDialog {
      dialogs::TModalForm* Form;
      std::function<void()> Show;
    };
    const TDialog modal[] = {
        {form.LoginForm, [&] { ShowLoginForm(form.LoginForm); }},
        {form.NewUserRequestForm, [&] { ShowNewUserRequestForm(form.NewUserRequestForm); }},
        {form.PwdRequestForm, [&] { ShowPwdRequestForm(form.PwdRequestForm); }},
        {form.QuestionForm,
         [&] { ShowQuestionForm(form.QuestionForm, "Do you really want to quit application ?", "Quit", "Cancel"); }},
        {form.MessageForm, [&] { ShowMessageForm(form.MessageForm, "Transfert has successfully "); }},
        {form.DateSelectionForm,
         [&] { ShowDateSelectionForm(form.DateSelectionForm, today, today - 3650.0, today, true); }},
        {form.CurrencySelectionForm, [&] { ShowCurrencySelectionForm(form.CurrencySelectionForm, true); }},
    };
    Workspace->Answerer.reset();  // nobody else answers while the dialogs show
    for (const TDialog& d : modal) {
      const std::string where = d.Form->objectName().toStdString() + " at " + at;
      int checked = 0;
      apptest::WhenShowing(d.Form, [&] {
        if (auto* sliding = dynamic_cast<TSlidingBox*>(d.Form)) sliding->FinishAnimations();
        checked = ExpectEveryControlReached(Pointer(), *d.Form, where);
        d.Form->SetModalResult(2);
      });
      d.Show();
      EXPECT_GE(checked, 1) << where;
    }
    Workspace->Answerer = std::make_unique<apptest::TAnswerer>(form);
    if (HasFailure()) return;
  }
}

// ---- texts whole and uncovered

// A recording canvas that measures text as the chart area's canvas does.
class TWindowTypeCanvas : public platform::RecordingCanvas {
 public:
  float TextWidth(const std::string& text) override { return Type().TextWidth(text); }
  float TextHeight(const std::string& text) override { return Type().TextHeight(text); }

 private:
  platform::QtCanvas& Type() {
    Type_.Font = Font;
    return Type_;
  }
  QImage Image_{1, 1, QImage::Format_ARGB32_Premultiplied};
  platform::QtCanvas Type_{&Image_};
};

// Where a text's glyphs land: its advance width placed by its alignment, one
// em high about the middle of its line (a line box adds leading), its four
// corners moved by the canvas matrix (a turned date label is a turned box).
QPolygonF Written(TWindowTypeCanvas& canvas, const platform::TCanvasOp& op) {
  const auto start = [](platform::TTextAlign align, float from, float to, float size) {
    if (align == platform::TTextAlign::Leading) return from;
    return align == platform::TTextAlign::Trailing ? to - size : (from + to - size) / 2.0f;
  };
  canvas.Font = op.Font;
  const float width = canvas.TextWidth(op.Text);
  const float line = canvas.TextHeight(op.Text);
  const float left = start(op.HorizontalAlign, op.Rect.Left, op.Rect.Right, width);
  const float top = start(op.VerticalAlign, op.Rect.Top, op.Rect.Bottom, line) + (line - op.Font.Size) / 2.0f;
  QPolygonF corners(QRectF(left, top, width, op.Font.Size));
  for (QPointF& corner : corners) {
    const platform::TPointF mapped = op.Matrix.Map({static_cast<float>(corner.x()), static_cast<float>(corner.y())});
    corner = {mapped.X, mapped.Y};
  }
  return corners;
}

bool Upright(const QPolygonF& p) { return p[0].y() == p[1].y() && p[1].x() == p[2].x(); }

// Two marks share a point: upright ones as rectangles (touching edges do
// not cross), a turned one by its turned box.
bool Crosses(const QPolygonF& a, const QPolygonF& b) {
  if (Upright(a) && Upright(b)) return a.boundingRect().intersects(b.boundingRect());
  return a.intersects(b);
}

// The thick strokes of a drawing (series lines and legend keys), each as
// the band it paints.
std::vector<QPolygonF> ThickStrokes(const platform::RecordingCanvas& canvas) {
  std::vector<QPolygonF> strokes;
  for (const platform::TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::DrawLine)) {
    const platform::TPointF a = op.Matrix.Map(op.Points[0]);
    const platform::TPointF b = op.Matrix.Map(op.Points[1]);
    const QLineF line(a.X, a.Y, b.X, b.Y);
    if (op.Stroke.Thickness < 3.0f || line.length() == 0.0) continue;
    const QPointF side = QPointF(-line.dy(), line.dx()) * (op.Stroke.Thickness / 2.0 / line.length());
    strokes.push_back(QPolygonF({line.p1() + side, line.p2() + side, line.p2() - side, line.p1() - side}));
  }
  return strokes;
}

// The window's controls shown over the chart area, in its coordinates.
std::vector<QRectF> ControlsOver(const QWidget& chart) {
  const QWidget* window = chart.window();
  const QRect area(chart.mapTo(window, QPoint(0, 0)), chart.size());
  std::vector<QRectF> over;
  for (const QWidget* control : window->findChildren<QWidget*>()) {
    if (control == &chart || control->isAncestorOf(&chart) || !control->isVisibleTo(window)) continue;
    const QRect face(control->mapTo(window, QPoint(0, 0)), control->size());
    if (face.intersects(area)) over.emplace_back(face.translated(-area.topLeft()));
  }
  return over;
}

// Every text of a drawing of the chart area is whole and uncovered: inside
// the area, inside the coloured box it is written on (white text), within
// its cell when centred in it (the column headers), clear of the other
// texts and of the controls over the chart. A turned date label counts by
// the box it turns into and is also clear of the series lines and the
// legend keys.
void ExpectTextsWhole(TWindowTypeCanvas& canvas, const QRectF& area, const std::vector<QRectF>& controls,
                      const std::string& where) {
  const std::vector<QPolygonF> strokes = ThickStrokes(canvas);
  std::vector<std::pair<QPolygonF, std::string>> written;
  platform::TRectF box;
  for (const platform::TCanvasOp& op : canvas.Ops) {
    if (op.Kind == platform::TCanvasOpKind::FillRect) box = op.Rect;
    if (op.Kind != platform::TCanvasOpKind::FillText || op.Text.empty()) continue;
    const QPolygonF text = Written(canvas, op);
    const QRectF bounds = text.boundingRect();
    const std::string what = "\"" + op.Text + "\" " + where;
    EXPECT_TRUE(area.contains(bounds)) << what << " leaves the chart area";
    EXPECT_TRUE(op.Fill.Color != kWidgetOnFillColour || (bounds.left() >= box.Left && bounds.right() <= box.Right))
        << what << " leaves its box";
    EXPECT_TRUE(op.HorizontalAlign != platform::TTextAlign::Center || bounds.width() <= op.Rect.Width() + 0.01f)
        << what << " is wider than its cell";
    for (const QRectF& control : controls) EXPECT_FALSE(Crosses(control, text)) << what << " lies under a control";
    for (const auto& [other, name] : written)
      EXPECT_FALSE(Crosses(other, text)) << what << " crosses \"" << name << '"';
    written.emplace_back(text, op.Text);
    if (Upright(text)) continue;
    const auto crossing = std::count_if(strokes.begin(), strokes.end(), [&](const QPolygonF& stroke) {
      return stroke.boundingRect().intersects(bounds) && stroke.intersects(text);
    });
    EXPECT_EQ(crossing, 0) << what << " lies under series lines or a legend key";
  }
}

// At the smallest, the reference and a large window, on every view of the
// view table (the table views with their column and group headers among
// them): the chart area's texts, measured in the window's type, are whole
// and uncovered.
TEST_F(MainFormTabsTest, EveryHeaderAndLabelWholeAndUncoveredAtEverySize) {
  struct TRestore {
    ~TRestore() { F().resize(1920, 1080); }
  } restore;
  for (const QSize size : {QSize(1728, 972), QSize(1920, 1080), QSize(2560, 1440)}) {
    F().resize(size);
    for (const session::TViewTableEntry& e : F().View.ViewTable) {
      ASSERT_NO_FATAL_FAILURE(Reach(e));
      app::TChartArea& chart = *F().ChartArea();
      chart.repaint();  // lays the page out in the window's type
      const session::TViewState& v = F().View;
      const TPageKind kind = PageForTab(v.SelectedMainTab, v.GlobalSubIndex, v.EquitySubIndex, v.BondSubIndex);
      TWindowTypeCanvas canvas;
      canvas.BeginScene();
      Pages().Draw(kind, canvas, static_cast<float>(chart.width()),
                   kind == TPageKind::EQSL ? v.EQSLRank : kind == TPageKind::FISL ? v.FISLRank : v.FICYRank);
      canvas.EndScene();
      ExpectTextsWhole(canvas, QRectF(chart.rect()), ControlsOver(chart),
                       "in view " + std::to_string(e.ViewId) + " of model (" + std::to_string(e.MainTab) + ", " +
                           std::to_string(e.SubIndex) + ") at " + std::to_string(size.width()) + " x " +
                           std::to_string(size.height()));
    }
  }
}

}  // namespace
