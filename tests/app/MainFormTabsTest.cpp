// The workspace's tabs, list arrows, track bars and hover looks on the
// window, after one start on the sample data: every view of the view table
// is reached by clicks on the visible tabs and the CO arrows.

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QMouseEvent>
#include <memory>
#include <set>

#include "AppTestSupport.h"
#include "common/Globals.h"
#include "server/ServerTestSupport.h"
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
  static void SetUpTestSuite() { Workspace = std::make_unique<apptest::TSampleWorkspace>(); }
  static void TearDownTestSuite() { Workspace.reset(); }
  void SetUp() override { ASSERT_TRUE(Workspace->Ready) << Workspace->Form->Screen.MessageContent; }

  static app::TMainForm& F() { return *Workspace->Form; }
  static TModelPages& Pages() { return *F().Pages(); }
  static app::TControl* Control(const std::string& name) { return F().Find(name.c_str()); }
  static bool Shown(TWindowGroup group) { return F().Group(group)->isVisibleTo(Workspace->Form.get()); }
  static bool Shown(const std::string& name) { return Control(name)->isVisibleTo(Workspace->Form.get()); }

  // Clicks a control that must be on screen.
  static void Click(const std::string& name) {
    app::TControl* control = Control(name);
    ASSERT_NE(control, nullptr) << name;
    ASSERT_TRUE(control->isVisibleTo(Workspace->Form.get())) << name << " is hidden";
    QTest::mouseClick(control, Qt::LeftButton);
  }
  static void Press(const std::string& name) {
    app::TControl* control = Control(name);
    ASSERT_TRUE(control->isVisibleTo(Workspace->Form.get())) << name << " is hidden";
    QTest::mousePress(control, Qt::LeftButton);
    QTest::mouseRelease(control, Qt::LeftButton);
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
      ASSERT_NO_FATAL_FAILURE(Press("COListSelectionUpControl"));
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

  // One mouse event on a track-bar panel at height y with the given buttons held.
  static void PanelEvent(TTrackBar bar, QEvent::Type type, double y, Qt::MouseButtons buttons) {
    QWidget* panel = F().TrackBarPanel(bar);
    const QPointF at(panel->width() / 2.0, y);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, panel->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(panel, &event);
  }

  static std::unique_ptr<apptest::TSampleWorkspace> Workspace;
};

std::unique_ptr<apptest::TSampleWorkspace> MainFormTabsTest::Workspace;

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
  ASSERT_NO_FATAL_FAILURE(Press("COListSelectionDownControl"));
  EXPECT_EQ(F().View.GlobalCOIndex, 3);
  EXPECT_EQ(Control("COListSelectionTitle")->Text, "FX Hedging");
  EXPECT_EQ(F().View.CurrentViewId, 15);
  EXPECT_TRUE(Shown(TWindowGroup::VFXTrackBarMainSupport));
  EXPECT_FALSE(Shown(TWindowGroup::HBTabsheetSupport));
  apptest::SaveShot(F(), "tabs-global-fx-hedging");
  ASSERT_NO_FATAL_FAILURE(Press("COListSelectionUpControl"));
  EXPECT_EQ(F().View.GlobalCOIndex, 0);
  EXPECT_EQ(Control("COListSelectionTitle")->Text, "All");

  // EQQV History: the group list from 0 back to 7 and up again to 0.
  ASSERT_NO_FATAL_FAILURE(Reach({2, 1, 2, 1, -1, -1, -1, -1}));
  ASSERT_TRUE(Shown(TWindowGroup::QVListSelectionSupport_2));
  const std::int32_t start = F().View.QVList2Index;
  for (std::int32_t i = start; i < 7; ++i) ASSERT_NO_FATAL_FAILURE(Press("QVListSelectionUpControl_2"));
  ASSERT_EQ(F().View.QVList2Index, 7);
  EXPECT_EQ(Control("QVListSelectionTitle_2")->Text, session::ShownText(session::sQVList2Titles[7]));
  ASSERT_NO_FATAL_FAILURE(Press("QVListSelectionUpControl_2"));
  EXPECT_EQ(F().View.QVList2Index, 0);
  EXPECT_EQ(Control("QVListSelectionTitle_2")->Text, "Equity Risk");
  ASSERT_NO_FATAL_FAILURE(Press("QVListSelectionDownControl_2"));
  EXPECT_EQ(F().View.QVList2Index, 7);

  // EQSL History "Detailed": the rank list wraps between 1 and the rows of the history.
  ASSERT_NO_FATAL_FAILURE(Reach({3, 1, 1, 1, -1, -1, 1, -1}));
  ASSERT_TRUE(Shown(TWindowGroup::SLListSelectionSupport_2));
  const auto rows = static_cast<std::int32_t>(cMyExternEQSLGraphicData.RankingRows.size());
  ASSERT_GT(rows, 1);
  while (F().View.EQSLRank != 1) ASSERT_NO_FATAL_FAILURE(Press("SLListSelectionDownControl_2"));
  ASSERT_NO_FATAL_FAILURE(Press("SLListSelectionDownControl_2"));
  EXPECT_EQ(F().View.EQSLRank, rows);
  EXPECT_EQ(Control("SLListSelectionTitle_2")->Text, "Rank " + std::to_string(rows));
  ASSERT_NO_FATAL_FAILURE(Press("SLListSelectionUpControl_2"));
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
  for (int guard = 0; zone.Position > 0 && guard <= d; ++guard) {
    PanelEvent(TTrackBar::Zone, QEvent::MouseButtonPress, 0.0, Qt::LeftButton);
    PanelEvent(TTrackBar::Zone, QEvent::MouseButtonRelease, 0.0, Qt::NoButton);
  }
  ASSERT_EQ(zone.Position, 0);
  app::TControl* cursor = F().Find("VZoneTrackBarCursor");
  auto cursorAt = [&](std::int32_t position) { return static_cast<int>(std::lround(position * r / d)); };

  struct TStep {
    double Y;
    std::int32_t Position;  // after the press
  };
  // Below the cursor: one down; on the cursor: nothing; above it: one up; beyond the guide: nothing.
  const TStep steps[] = {{guide - 2, 1}, {guide - 2, 2}, {cursorAt(2) + 2.0, 2}, {1.0, 1}, {guide + 5, 1}};
  for (const TStep& step : steps) {
    PanelEvent(TTrackBar::Zone, QEvent::MouseButtonPress, step.Y, Qt::LeftButton);
    // A move without the hold changes nothing.
    PanelEvent(TTrackBar::Zone, QEvent::MouseMove, guide - 1, Qt::LeftButton);
    PanelEvent(TTrackBar::Zone, QEvent::MouseButtonRelease, step.Y, Qt::NoButton);
    EXPECT_EQ(zone.Position, step.Position) << "press at " << step.Y;
    EXPECT_EQ(zone.CommittedPosition, step.Position);
    EXPECT_EQ(cursor->y(), cursorAt(step.Position));
    EXPECT_EQ(Pages().MYGPGraphic.RankingTable.ScrollPosition(), step.Position);
    EXPECT_FALSE(zone.Pressed);
  }

  // Held: from the sixth main-timer tick on, the cursor follows the pointer, centred and snapped.
  PanelEvent(TTrackBar::Zone, QEvent::MouseButtonPress, guide - 2, Qt::LeftButton);
  ASSERT_EQ(zone.Position, 2);
  for (int tick = 1; tick <= 5; ++tick) {
    F().OnFormTimer(&F().MainTimer);
    EXPECT_FALSE(zone.Held) << "tick " << tick;
  }
  F().OnFormTimer(&F().MainTimer);
  ASSERT_TRUE(zone.Held);
  PanelEvent(TTrackBar::Zone, QEvent::MouseMove, guide - 1, Qt::LeftButton);
  EXPECT_EQ(zone.Position, d);  // clamped at the last page
  EXPECT_EQ(cursor->y(), cursorAt(d));
  const double middle = cursorHeight / 2 + (d / 2 + 0.5) * r / d;  // inside item d / 2
  PanelEvent(TTrackBar::Zone, QEvent::MouseMove, middle, Qt::LeftButton);
  EXPECT_EQ(zone.Position, d / 2);
  EXPECT_EQ(cursor->y(), cursorAt(d / 2));
  EXPECT_EQ(Pages().MYGPGraphic.SecondRankingTable.ScrollPosition(), d / 2);
  apptest::SaveShot(F(), "tabs-zone-track-bar");
  PanelEvent(TTrackBar::Zone, QEvent::MouseButtonRelease, middle, Qt::NoButton);
  EXPECT_FALSE(zone.Held);
  PanelEvent(TTrackBar::Zone, QEvent::MouseMove, guide - 1, Qt::LeftButton);
  EXPECT_EQ(zone.Position, d / 2);

  // A bar of another view moves nothing here but is pressed itself.
  PanelEvent(TTrackBar::History, QEvent::MouseButtonPress, 1.0, Qt::LeftButton);
  EXPECT_TRUE(F().View.HistoryTrack.Pressed);
  EXPECT_EQ(zone.Position, d / 2 - 1);  // the bar of the selected view steps toward the pointer
  PanelEvent(TTrackBar::History, QEvent::MouseButtonRelease, 1.0, Qt::NoButton);
  EXPECT_FALSE(F().View.HistoryTrack.Pressed);
}

TEST_F(MainFormTabsTest, HoverLooksFollowTheirRules) {
  auto enter = [](QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &event);
  };
  auto leave = [](QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
  };
  // Image buttons and arrows: the active look while hovered.
  for (const char* name : {"ConnectButton", "CloseButton", "MinimizeButton", "COListSelectionUpControl",
                           "QVListSelectionDownControl_1", "SLListSelectionUpControl_2"}) {
    app::TControl* control = Control(name);
    enter(control);
    EXPECT_TRUE(control->property("active").toBool()) << name;
    leave(control);
    EXPECT_FALSE(control->property("active").toBool()) << name;
  }
  // Frame rule: a disabled frame stays, an enabled one thickens to 2 and back to 1.
  app::TControl* download = Control("DownloadDataButton");
  download->SetColours(0xFFFDFDFD, session::kDisabledButtonColour);
  enter(Control("DownloadDataButtonTitle"));
  EXPECT_EQ(download->StrokeColour, session::kDisabledButtonColour);
  EXPECT_EQ(download->StrokeThickness, 1.0f);
  download->SetColours(0xFFEEEEEE, session::kEnabledButtonColour);
  enter(Control("DownloadDataButtonTitle"));
  EXPECT_EQ(download->property("strokeThickness").toDouble(), 2.0);
  EXPECT_EQ(download->property("fillColour").toUInt(), 0xFFFDFDFDu);
  leave(Control("DownloadDataButtonTitle"));
  EXPECT_EQ(download->StrokeThickness, 1.0f);

  // Date rule: the title colour pair; the end date keeps the intra-month colour while its title shows.
  enter(Control("StartDateButtonTitle"));
  EXPECT_EQ(Control("StartDateButton")->StrokeColour, 0xFF005890u);
  EXPECT_EQ(Control("StartDateButton")->StrokeThickness, 2.0f);
  leave(Control("StartDateButtonTitle"));
  EXPECT_EQ(Control("StartDateButton")->StrokeThickness, 1.0f);
  const bool intraMonth = F().Screen.IsVisible(TWindowGroup::IntraMonthTitleSupport);
  F().Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, true);
  enter(Control("EndDateButtonTitle"));
  EXPECT_EQ(Control("EndDateButton")->StrokeColour, 0xFFF46075u);
  EXPECT_EQ(Control("EndDateButtonTitle")->FontColour, 0xFFF46075u);
  EXPECT_EQ(Control("EndDateButton")->StrokeThickness, 2.0f);
  F().Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, false);
  leave(Control("EndDateButtonTitle"));
  EXPECT_EQ(Control("EndDateButton")->StrokeColour, 0xFF005890u);
  EXPECT_EQ(Control("EndDateButton")->StrokeThickness, 1.0f);
  F().Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, intraMonth);

  // Tabs: hover highlights; leaving keeps the highlight only on the chosen tab.
  ASSERT_NO_FATAL_FAILURE(Click("MainTabsheet_1"));
  enter(Control("MainTabsheet_2"));
  EXPECT_EQ(Control("MainTabsheet_2")->FillColour, kMainChosen);
  leave(Control("MainTabsheet_2"));
  EXPECT_EQ(Control("MainTabsheet_2")->FillColour, kNormal);
  leave(Control("MainTabsheet_1"));
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
  const QPoint at(qRound(range.Left + range.Width * 0.5f), qRound((range.SpanTop + range.SpanBottom) * 0.5f));
  QMouseEvent hover(QEvent::MouseMove, QPointF(at), area->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(area, &hover);
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
  PanelEvent(TTrackBar::Zone, QEvent::MouseButtonPress, Control("VZoneTrackBarGuide")->height() - 2.0, Qt::LeftButton);
  PanelEvent(TTrackBar::Zone, QEvent::MouseButtonRelease, 0.0, Qt::NoButton);
  const session::TViewState before = F().View;
  ASSERT_EQ(before.ZoneTrack.Position, std::min(start + 1, last));
  // The step's end reaches the window through its event queue: until then the step runs.
  ASSERT_TRUE(F().StartCalculation());
  ASSERT_TRUE(F().StepRunning());
  F().OnTabsheetClick(Control("MainTabsheet_2"));
  F().OnThemesSelectionTabsheetClick(Control("ThemeSelectionTabsheet_7"));
  F().OnTabsheetClick(Control("HATabsheet_2"));
  F().OnUpControlMouseDown(Control("COListSelectionUpControl"));
  F().OnTrackBarMouseDown(F().TrackBarPanel(TTrackBar::Zone), Qt::LeftButton, 1.0);
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

}  // namespace
