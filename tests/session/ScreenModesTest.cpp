#include <gtest/gtest.h>

#include "session/ScreenModes.h"

namespace session {
namespace {

using G = TWindowGroup;

TEST(ScreenModesTest, CreatedWindowShowsOnlyTheEmptyPanel) {
  TWindowScreen screen = TWindowScreen::Created();
  for (std::size_t i = 0; i < kWindowGroupCount; ++i)
    EXPECT_EQ(screen.Visible[i], static_cast<G>(i) == G::ProgressSupport) << GroupName(static_cast<G>(i));
  EXPECT_EQ(screen.ProgressIndicatorValue + screen.MessageContent, "0 %");
  EXPECT_EQ(screen.TextButtonEnabled, (std::array<bool, 3>{true, true, true}));
  SetClassicButtonHighlight(screen, kResumeButton, false);
  EXPECT_EQ(screen.TextButtonEnabled, (std::array<bool, 3>{true, true, false}));
  EXPECT_EQ(screen.TextButtonColour, (std::array<TAlphaColor, 3>{0xFF4C4C4E, 0xFF4C4C4E, 0xFFB6C8D6}));
}

// The groups' visibility per mode 0..6 ('-' untouched; mode 7 touches none),
// from every group shown and from every group hidden.
TEST(ScreenModesTest, ModeTableRows) {
  const std::pair<G, const char*> rows[] = {
      {G::Logo, "0011111"},
      {G::ProgressSupport, "-0-011-"},
      {G::ParameterSelectionFormContainer, "010000-"},
      {G::ConnectButtonSupport, "0001001"},
      {G::SetParametersButtonSupport, "0001000"},
      {G::SystemToolbarSupport, "00-1111"},
      {G::DatesSelectionSupport, "00-100-"},
      {G::VRTabsheetSupport, "00--00-"},
      {G::HBTabsheetSupport, "000-00-"},
      {G::VZoneTrackBarMainSupport, "000-00-"},
      {G::GeneralInformationAndGraphicSupport, "000100-"},
      {G::MainTitle_3, "000100-"},
      {G::IndicatorSupport, "0------"},
      {G::ParameterButton, "-----0-"},
      {G::DownloadDataButton, "-----0-"},
      {G::GoBackToWorkspaceButton, "-----0-"},
      {G::SpinnerImage, "-------"},
  };
  for (bool start : {true, false}) {
    for (int mode = 0; mode <= 7; ++mode) {
      TWindowScreen screen;
      screen.Visible.fill(start);
      SetScreenMode(screen, mode, false);
      for (const auto& [group, modes] : rows) {
        const char cell = mode <= 6 ? modes[mode] : '-';
        EXPECT_EQ(screen.IsVisible(group), cell == '-' ? start : cell == '1') << GroupName(group) << " " << mode;
      }
    }
  }
}

TEST(ScreenModesTest, WorkspaceArrangesTabsBeforeTheChartShows) {
  TWindowScreen screen = TWindowScreen::Created();
  int calls = 0;
  SetScreenMode(screen, 3, true, [&] {
    ++calls;
    EXPECT_TRUE(screen.IsVisible(G::ThemeSelectionSupport));
    EXPECT_FALSE(screen.IsVisible(G::GeneralInformationAndGraphicSupport));
    screen.SetVisible(G::VLTabsheetSupport, true);
  });
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(screen.IsVisible(G::VLTabsheetSupport));  // the arrangement's choice stays
  EXPECT_TRUE(screen.IsVisible(G::IntraMonthTitleSupport));
  SetScreenMode(screen, 3, false);
  EXPECT_FALSE(screen.IsVisible(G::IntraMonthTitleSupport));
  SetScreenMode(screen, 5, true);  // no date group, no intra-month title
  EXPECT_FALSE(screen.IsVisible(G::IntraMonthTitleSupport));
}

TEST(ScreenModesTest, ProgressMessages) {
  for (bool failed : {true, false}) {
    TWindowScreen screen;
    screen.Visible.fill(true);
    screen.SpinnerAnimation = true;
    ShowProgressMessage(screen, 3, "Connection failed", failed);
    EXPECT_EQ(screen.MessageColour, failed ? 0xFFCC121Cu : 0xFF4C4C4Eu);
    EXPECT_EQ(screen.IsVisible(G::FailureDownloadingOrSavingImage), failed);
    for (G g : {G::SpinnerImage, G::ProgressIndicatorValue, G::ServerStorageImage, G::IndicatorSupport})
      EXPECT_FALSE(screen.IsVisible(g)) << GroupName(g);
    EXPECT_FALSE(screen.SpinnerAnimation);

    const TWindowScreen before = screen;
    ShowProgressMessage(screen, 2, "ignored", true);
    EXPECT_EQ(screen.Visible, before.Visible);
    EXPECT_EQ(screen.MessageContent, "Connection failed");
  }
}

TEST(ScreenModesTest, StepLookShowsOneImage) {
  TWindowScreen screen = TWindowScreen::Created();
  ApplyStepLook(screen, {true, "Updating asset list, please wait", TStepImage::ServerStorage, true});
  EXPECT_TRUE(screen.IsVisible(G::ServerStorageImage) && screen.SpinnerAnimation);
  ApplyStepLook(screen, {false, "", TStepImage::LocalStorage, false});
  EXPECT_TRUE(screen.IsVisible(G::LocalStorageImage));
  for (G g : {G::ServerStorageImage, G::SpinnerImage, G::InnerCircle, G::ProgressIndicatorValue})
    EXPECT_FALSE(screen.IsVisible(g)) << GroupName(g);
  EXPECT_EQ(screen.MessageContent, "Updating asset list, please wait");
}

}  // namespace
}  // namespace session
