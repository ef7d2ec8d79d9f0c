#include "session/ScreenModes.h"

#include <initializer_list>
#include <iterator>

namespace session {

namespace {

using G = TWindowGroup;

constexpr const char* kGroupNames[] = {"Logo",
                                       "ProgressSupport",
                                       "ParameterSelectionFormContainer",
                                       "ConnectButtonSupport",
                                       "SetParametersButtonSupport",
                                       "SystemToolbarSupport",
                                       "MainTabsheetSupport",
                                       "DatesSelectionSupport",
                                       "ThemeSelectionSupport",
                                       "VLTabsheetSupport",
                                       "VRTabsheetSupport",
                                       "HATabsheetSupport",
                                       "HBTabsheetSupport",
                                       "COListSelectionSupport",
                                       "QVListSelectionSupport_1",
                                       "QVListSelectionSupport_2",
                                       "SLListSelectionSupport_1",
                                       "SLListSelectionSupport_2",
                                       "VFIHeatMapTrackBarMainSupport",
                                       "VEQHeatMapTrackBarMainSupport",
                                       "VCYHeatMapTrackBarMainSupport",
                                       "VHistoryTrackBarMainSupport",
                                       "VZoneTrackBarMainSupport",
                                       "VFXTrackBarMainSupport",
                                       "GeneralInformationAndGraphicSupport",
                                       "MainTitle_1",
                                       "MainTitle_2",
                                       "MainTitle_3",
                                       "MainTitle_4",
                                       "IndicatorSupport",
                                       "SpinnerImage",
                                       "InnerCircle",
                                       "ProgressIndicatorValue",
                                       "LocalStorageImage",
                                       "ServerStorageImage",
                                       "DisabledServerStorageImage",
                                       "ServerStateImage",
                                       "SuccessImage",
                                       "FailureDownloadingOrSavingImage",
                                       "FailureConnectionImage",
                                       "MailSentImage",
                                       "ServerMessageImage",
                                       "GoBackToWorkspaceButton",
                                       "DownloadDataButton",
                                       "ParameterButton",
                                       "IntraMonthTitleSupport",
                                       "DatasetValueIndicatorSupport",
                                       "GraphicSelectedZoneInfosSupport",
                                       "ValuePositionIndicator_1",
                                       "ValuePositionIndicator_2",
                                       "ValuePositionIndicator_3"};
static_assert(std::size(kGroupNames) == kWindowGroupCount);

// One row of the screen table: per mode 0..6 '1' shown, '0' hidden, ' ' untouched.
struct TModeRow {
  std::initializer_list<G> Groups;
  const char* Modes;
};

// Rows before the tab arrangement of mode 3.
const TModeRow kRowsBeforeArrange[] = {
    {{G::Logo}, "0011111"},
    {{G::ProgressSupport}, " 0 011 "},
    {{G::ParameterSelectionFormContainer}, "010000 "},
    {{G::ConnectButtonSupport}, "0001001"},
    {{G::SetParametersButtonSupport}, "0001000"},
    {{G::SystemToolbarSupport}, "00 1111"},
    {{G::MainTabsheetSupport}, "000100 "},
    {{G::DatesSelectionSupport}, "00 100 "},
    {{G::ThemeSelectionSupport}, "00 100 "},
};

// Rows after it; in mode 3 the tab, list and track-bar groups are the arrangement's.
const TModeRow kRowsAfterArrange[] = {
    {{G::VLTabsheetSupport, G::VRTabsheetSupport, G::HATabsheetSupport}, "00  00 "},
    {{G::HBTabsheetSupport, G::COListSelectionSupport, G::QVListSelectionSupport_1, G::QVListSelectionSupport_2,
      G::SLListSelectionSupport_1, G::SLListSelectionSupport_2, G::VFIHeatMapTrackBarMainSupport,
      G::VEQHeatMapTrackBarMainSupport, G::VCYHeatMapTrackBarMainSupport, G::VHistoryTrackBarMainSupport,
      G::VZoneTrackBarMainSupport, G::VFXTrackBarMainSupport},
     "000 00 "},
    {{G::GeneralInformationAndGraphicSupport}, "000100 "},
    {{G::MainTitle_1}, "000100 "},
};

const TModeRow kRowsAfterTitles[] = {
    {{G::IndicatorSupport}, "0      "},
    {{G::ServerStorageImage, G::FailureConnectionImage, G::FailureDownloadingOrSavingImage, G::SuccessImage,
      G::MailSentImage, G::GoBackToWorkspaceButton, G::DownloadDataButton, G::ParameterButton},
     "     0 "},
};

template <std::size_t N>
void ApplyRows(TWindowScreen& screen, const TModeRow (&rows)[N], int mode) {
  for (const TModeRow& row : rows) {
    const char cell = row.Modes[mode];
    if (cell == ' ') continue;
    for (G g : row.Groups) screen.SetVisible(g, cell == '1');
  }
}

void SetSpinner(TWindowScreen& screen, bool visible) {
  screen.SetVisible(G::SpinnerImage, visible);
  screen.SpinnerAnimation = visible;
  screen.SetVisible(G::InnerCircle, visible);
  screen.SetVisible(G::ProgressIndicatorValue, visible);
}

void Hide(TWindowScreen& screen, std::initializer_list<G> groups) {
  for (G g : groups) screen.SetVisible(g, false);
}

}  // namespace

const char* GroupName(TWindowGroup group) {
  const auto i = static_cast<std::size_t>(group);
  return i < kWindowGroupCount ? kGroupNames[i] : "";
}

TWindowScreen TWindowScreen::Created() {
  TWindowScreen screen;
  screen.Visible.fill(true);  // the resource shows its controls
  screen.Indicators.fill(kIndicatorPendingColour);
  ShowProgressMessage(screen, 0, "", false);
  SetScreenMode(screen, 0, false);
  Hide(screen, {G::DatasetValueIndicatorSupport, G::GraphicSelectedZoneInfosSupport, G::ValuePositionIndicator_1,
                G::ValuePositionIndicator_2, G::ValuePositionIndicator_3, G::FailureConnectionImage,
                G::FailureDownloadingOrSavingImage, G::MailSentImage, G::ServerMessageImage,
                G::DisabledServerStorageImage, G::SuccessImage, G::ServerStateImage, G::ServerStorageImage,
                G::LocalStorageImage, G::GoBackToWorkspaceButton, G::DownloadDataButton, G::ParameterButton});
  screen.ThemeTabVisible.fill(true);
  for (int button = 0; button < 3; ++button) SetClassicButtonHighlight(screen, button, true);
  return screen;
}

void SetScreenMode(TWindowScreen& screen, int mode, bool intraMonth, const std::function<void()>& arrangeTabsheets) {
  if (mode >= 0 && mode <= 6) {
    ApplyRows(screen, kRowsBeforeArrange, mode);
    if (mode == 3 && arrangeTabsheets) arrangeTabsheets();
    ApplyRows(screen, kRowsAfterArrange, mode);
    if (mode != 6) {  // the other titles follow the first
      const bool first = screen.IsVisible(G::MainTitle_1);
      for (G g : {G::MainTitle_2, G::MainTitle_3, G::MainTitle_4}) screen.SetVisible(g, first);
    }
    ApplyRows(screen, kRowsAfterTitles, mode);
  }
  screen.SetVisible(G::IntraMonthTitleSupport, screen.IsVisible(G::DatesSelectionSupport) && intraMonth);
}

void ShowProgressMessage(TWindowScreen& screen, int mode, const std::string& text, bool failed) {
  switch (mode) {
    case 0:
      Hide(screen, {G::ServerStateImage, G::ServerStorageImage, G::LocalStorageImage});
      SetSpinner(screen, false);
      Hide(screen, {G::FailureConnectionImage, G::FailureDownloadingOrSavingImage, G::SuccessImage});
      screen.ProgressIndicatorValue = "0 %";
      screen.MessageContent.clear();
      break;
    case 1:
      Hide(screen, {G::FailureDownloadingOrSavingImage, G::SuccessImage});
      screen.MessageColour = claTextColor;
      screen.MessageContent = text;
      break;
    case 3:
      Hide(screen,
           {G::IndicatorSupport, G::ServerStateImage, G::ServerStorageImage, G::LocalStorageImage, G::SuccessImage});
      SetSpinner(screen, false);
      screen.SetVisible(G::FailureDownloadingOrSavingImage, failed);
      screen.MessageColour = failed ? claErrorColor : claTextColor;
      screen.MessageContent = text;
      break;
    default:
      break;
  }
}

void ApplyStepLook(TWindowScreen& screen, const TStepLook& look) {
  SetSpinner(screen, false);
  Hide(screen, {G::ServerStateImage, G::ServerStorageImage, G::LocalStorageImage});
  switch (look.Image) {
    case TStepImage::LocalStorage:
      screen.SetVisible(G::LocalStorageImage, true);
      break;
    case TStepImage::ServerStorage:
      screen.SetVisible(G::ServerStorageImage, true);
      break;
    case TStepImage::ServerState:
      screen.SetVisible(G::ServerStateImage, true);
      break;
    case TStepImage::None:
      break;
  }
  if (look.Spinner) SetSpinner(screen, true);
  if (look.ChangeText) screen.MessageContent = look.Text;
}

void SetClassicButtonHighlight(TWindowScreen& screen, int button, bool enabled) {
  if (button < 0 || button > 2) return;
  const auto i = static_cast<std::size_t>(button);
  screen.TextButtonEnabled[i] = enabled;
  screen.TextButtonColour[i] = enabled ? kEnabledButtonColour : kDisabledButtonColour;
}

}  // namespace session
