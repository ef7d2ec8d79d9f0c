#pragma once
// Visibility of the main window's control groups for each screen, the
// progress and message panel and the text buttons' looks, as plain data
// that the window applies to its controls.

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "common/Globals.h"
#include "session/UpdateStep.h"

namespace session {

// Every control whose visibility the screen operations switch; the names
// are the controls' object names (GroupName).
enum class TWindowGroup {
  Logo,
  ProgressSupport,
  ParameterSelectionFormContainer,
  ConnectButtonSupport,
  SetParametersButtonSupport,
  SystemToolbarSupport,
  MainTabsheetSupport,
  DatesSelectionSupport,
  ThemeSelectionSupport,
  VLTabsheetSupport,
  VRTabsheetSupport,
  HATabsheetSupport,
  HBTabsheetSupport,
  COListSelectionSupport,
  QVListSelectionSupport_1,
  QVListSelectionSupport_2,
  SLListSelectionSupport_1,
  SLListSelectionSupport_2,
  VFIHeatMapTrackBarMainSupport,
  VEQHeatMapTrackBarMainSupport,
  VCYHeatMapTrackBarMainSupport,
  VHistoryTrackBarMainSupport,
  VZoneTrackBarMainSupport,
  VFXTrackBarMainSupport,
  GeneralInformationAndGraphicSupport,
  MainTitle_1,
  MainTitle_2,
  MainTitle_3,
  MainTitle_4,
  IndicatorSupport,
  SpinnerImage,
  InnerCircle,
  ProgressIndicatorValue,
  LocalStorageImage,
  ServerStorageImage,
  DisabledServerStorageImage,
  ServerStateImage,
  SuccessImage,
  FailureDownloadingOrSavingImage,
  FailureConnectionImage,
  MailSentImage,
  ServerMessageImage,
  GoBackToWorkspaceButton,
  DownloadDataButton,
  ParameterButton,
  IntraMonthTitleSupport,
  DatasetValueIndicatorSupport,
  GraphicSelectedZoneInfosSupport,
  ValuePositionIndicator_1,
  ValuePositionIndicator_2,
  ValuePositionIndicator_3,
  Count
};

inline constexpr std::size_t kWindowGroupCount = static_cast<std::size_t>(TWindowGroup::Count);

// The control's object name ("" for Count).
const char* GroupName(TWindowGroup group);

// The three text buttons of the panel.
enum TTextButton { kDownloadDataButton = 0, kGoBackToWorkspaceButton = 1, kResumeButton = 2 };

inline constexpr TAlphaColor kEnabledButtonColour = 0xFF4C4C4E;
inline constexpr TAlphaColor kDisabledButtonColour = 0xFFB6C8D6;
inline constexpr TAlphaColor kIndicatorPendingColour = 0xFFFDFDFD;
inline constexpr TAlphaColor kIndicatorDoneColour = 0xFF4C4C4E;

struct TWindowScreen {
  std::array<bool, kWindowGroupCount> Visible{};
  bool SpinnerAnimation = false;  // runs only while SpinnerImage shows
  std::string MessageContent;
  TAlphaColor MessageColour = claTextColor;
  std::string ProgressIndicatorValue = "0 %";
  std::array<TAlphaColor, 10> Indicators{};  // fills of Indicator_1 .. _10
  // Download Data, Go Back To Workspace, Resume (TTextButton order).
  std::array<bool, 3> TextButtonEnabled{};
  std::array<TAlphaColor, 3> TextButtonColour{};  // frame and title colour
  std::array<bool, 9> ThemeTabVisible{};          // ThemeSelectionTabsheet_0 .. _8 with their titles

  bool IsVisible(TWindowGroup g) const { return Visible[static_cast<std::size_t>(g)]; }
  void SetVisible(TWindowGroup g, bool visible) { Visible[static_cast<std::size_t>(g)] = visible; }

  // The screen after the window's creation: the empty progress panel of
  // screen 0, every other group and image hidden, the text buttons enabled,
  // the ten indicators light and the nine theme tabs visible.
  static TWindowScreen Created();
};

// Screens: 0 none, 1 parameters, 2 view change, 3 workspace, 4 message,
// 5 progress, 6 spare; other values change only the intra-month title,
// which every call ends with (shown when the date group shows and
// intraMonth is set). Mode 3 calls arrangeTabsheets after the theme group
// is shown and before the chart area is. The progress screen hides the
// panel's three text buttons: a step they started is running.
void SetScreenMode(TWindowScreen& screen, int mode, bool intraMonth,
                   const std::function<void()>& arrangeTabsheets = {});

// The panel text: mode 0 clears it, 1 shows a progress text, 3 a result
// (red with the failure image when failed); other modes change nothing.
void ShowProgressMessage(TWindowScreen& screen, int mode, const std::string& text, bool failed);

// A step's progress change: spinner and the three step images hidden, then
// the look's image, spinner and text shown.
void ApplyStepLook(TWindowScreen& screen, const TStepLook& look);

// Enabled or disabled look of a text button (TTextButton); other numbers change nothing.
void SetClassicButtonHighlight(TWindowScreen& screen, int button, bool enabled);

}  // namespace session
