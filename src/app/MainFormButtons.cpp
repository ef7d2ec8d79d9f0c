// The main window: its buttons (image buttons, date buttons and the message
// panel's text buttons) with their hover looks, the dialogs they open and
// the workspace start.

#include "app/Glyphs.h"
#include "app/MainForm.h"
#include "app/MainFormInternals.h"
#include "common/Globals.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/LoginForm.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/ParameterSelectionForm.h"
#include "dialogs/PwdRequestForm.h"
#include "dialogs/QuestionForm.h"
#include "dialogs/RequestForm.h"
#include "session/DateButtons.h"

namespace app {

using namespace mainform;
using session::TTrackBar;
using session::TWindowGroup;

// ---------------------------------------------------------------- buttons

bool TMainForm::SignInAndDownload() {
  if (Worker_.Busy()) return false;
  // What waits for the workspace is said before the dialog: on a first start
  // the workspace comes only after the download, and a damaged sign-in
  // store's warning concerns the values the dialog shows.
  ShowWarnings();
  if (ShowLoginForm(LoginForm)) {
    View.WorkDataReady = LoginForm->LoginOk;
    if (LoginForm->LoginOk) {
      SignedInThisSession = true;
      // Remembered values that could not be written: the download goes on, the warning waits for the workspace.
      if (!LoginForm->SignInWarning.empty()) Warnings.push_back(LoginForm->SignInWarning);
      InitWorkspace();
      if (View.WorkDataReady) return StartDataSynchronization(true);
    }
    return false;
  }
  ShowRequestReplies();
  return false;
}

void TMainForm::ShowRequestReplies() {
  for (TRequestForm* form :
       {static_cast<TRequestForm*>(PwdRequestForm), static_cast<TRequestForm*>(NewUserRequestForm)}) {
    if (form->RequestReply.empty()) continue;
    SetScreenMode(4);
    for (TWindowGroup group : {TWindowGroup::ServerStorageImage, TWindowGroup::FailureConnectionImage,
                               TWindowGroup::FailureDownloadingOrSavingImage, TWindowGroup::SuccessImage}) {
      Screen.SetVisible(group, false);
    }
    Screen.SetVisible(TWindowGroup::MailSentImage, true);
    Screen.SetVisible(TWindowGroup::GoBackToWorkspaceButton, true);
    Screen.MessageColour = claTextColor;
    Screen.MessageContent = form->RequestReply;
    form->RequestReply.clear();
    ApplyScreen();
  }
}

void TMainForm::OnButtonClick(TControl* sender) {
  const QString name = sender != nullptr ? sender->objectName() : QString();
  // The button takes its normal look first (a dialog it opens covers it, so no leave arrives).
  if (name != "MaximizeOrRestoreButton") OnButtonLeave(sender);
  if (name != "MinimizeButton" && name != "MaximizeOrRestoreButton" &&
      !Screen.IsVisible(TWindowGroup::FailureDownloadingOrSavingImage)) {
    Screen.MessageContent.clear();
    ApplyScreen();
  }
  if (name == "ConnectButton") {
    SignInAndDownload();
  } else if (name == "SetParametersButton") {
    if (ParametersDialogAvailable && !Worker_.Busy()) {
      ParameterSelectionForm->SelectParameterGroup(View.SelectedMainTab);
      SetScreenMode(1);
    }
  } else if (name == "CloseButton") {
    if (ShowQuestionForm(QuestionForm, "Do you really want to quit application ?", "Quit", "Cancel")) close();
  }
  RestoreMaximizedOnDeactivate = name == "MinimizeButton" && isMaximized();
  if (name == "MinimizeButton") showMinimized();
  if (name == "MaximizeOrRestoreButton") SetMaximised(!isMaximized());
  if (name == "MinimizeButton" || name == "MaximizeOrRestoreButton") OnFormResize();
  TControl* maximize = Find("MaximizeOrRestoreButton");
  maximize->setProperty("glyph", static_cast<int>(isMaximized() ? TGlyph::Restore : TGlyph::Maximize));
  maximize->update();
  if (!Screen.IsVisible(TWindowGroup::ParameterSelectionFormContainer) && View.WorkDataReady && View.WorkspaceShown &&
      !Worker_.Busy()) {
    SetScreenMode(3);
  }
}

void TMainForm::OnClassicButtonClick(TControl* sender) {
  if (sender == nullptr || Worker_.Busy()) return;
  const QString name = sender->objectName();
  if (name == "StartDateButtonTitle") {
    const session::TDateButtonRange range =
        session::StartDateChoice(MonthlyDates, usMyExternUserSettings.InceptionDate, usMyExternUserSettings.EndDate);
    if (!ShowDateSelectionForm(DateSelectionForm, range.Current, range.Minimum, range.Maximum, true)) return;
    const session::TStartDateResult result = session::ApplyStartDate(MonthlyDates, DateSelectionForm->ChosenDate);
    if (!result.Accepted) return;
    usMyExternUserSettings.InceptionDate = result.InceptionDate;
    Find("StartDateButtonTitle")->SetText(result.Title);
    StartSettingsSave(result.SaveSelector);
  } else if (name == "EndDateButtonTitle") {
    const session::TDateButtonRange range =
        session::EndDateChoice(MonthlyDates, usMyExternUserSettings.InceptionDate, usMyExternUserSettings.EndDate);
    if (!ShowDateSelectionForm(DateSelectionForm, range.Current, range.Minimum, range.Maximum, false)) return;
    const session::TEndDateResult result =
        session::ApplyEndDate(MonthlyDates, DateSelectionForm->ChosenDate, DateSelectionForm->IntraMonth,
                              session::FirstCountryIntraMonthEnd(), LatestDailyDate, usMyExternUserSettings.EndDate);
    if (!result.Accepted) return;
    // Without a daily row the intra-month choice was taken as a plain one; the models run so too.
    DateSelectionForm->IntraMonth = result.IntraMonthVisible;
    usMyExternUserSettings.EndDate = result.EndDate;
    Find("EndDateButtonTitle")->SetText(result.EndTitle);
    Find("IntraMonthTitle")->SetText(result.IntraMonthTitle);
    Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport, result.IntraMonthVisible);
    TControl* endButton = Find("EndDateButton");
    endButton->StrokeColour = result.EndColour;
    Find("EndDateButtonTitle")->FontColour = result.EndColour;
    endButton->update();
    ApplyScreen();
    StartSettingsSave(result.SaveSelector);
  } else if (name == "ParameterButtonTitle") {
    // "Resume": before any workspace view was chosen it recalculates, afterwards it opens the parameters.
    if (View.SelectedMainTab == session::kNoMainTab || !ParametersDialogAvailable)
      StartCalculation();
    else
      OnButtonClick(Find("SetParametersButton"));
  } else if (name == "DownloadDataButtonTitle") {
    OnButtonClick(Find("ConnectButton"));
  } else if (name == "GoBackToWorkspaceButtonTitle") {
    OnButtonClick(nullptr);
  }
}

void TMainForm::OnParameterAction(const session::TDialogAction& action) {
  switch (action.Kind) {
    case session::TDialogActionKind::None:
      break;
    case session::TDialogActionKind::ShowWorkspace:
      SetScreenMode(3);
      RequestChartRepaint(2);
      break;
    case session::TDialogActionKind::ShowFailurePanel:
      // The panel as the failed calculation left it: its red text and "Resume".
      SetScreenMode(4);
      ShowProgressMessage(3, action.FailureText, true);
      ShowFailureDisplay();
      Screen.SetVisible(TWindowGroup::ParameterButton, true);
      ApplyScreen();
      break;
    case session::TDialogActionKind::StartCalculation:
      StartCalculation();
      break;
    case session::TDialogActionKind::StartSettingsSave:
      StartSettingsSave(action.Selector);
      break;
  }
}

void TMainForm::InitWorkspace() {
  session::InitWorkspaceState(View);
  for (const char* prefix : {"MainTabsheet_", "VLTabsheet_", "VRTabsheet_", "HATabsheet_", "HBTabsheet_"}) {
    for (int i = 1; i <= 7; ++i) {
      TControl* tab = Find((std::string(prefix) + std::to_string(i)).c_str());
      if (tab == nullptr) continue;
      tab->SetColours(kTabColour, kTabColour);
      TitleOf(tab)->SetFontColour(kWhite);
    }
  }
  for (const char* name : {"StartDateButton", "EndDateButton"}) {
    TControl* button = Find(name);
    button->SetColours(kButtonFill, kListTitleColour);
    TitleOf(button)->SetFontColour(kListTitleColour);
  }
  Find("QVListSelectionTitle_1")->SetText(View.QVListTitle1);
  Find("QVListSelectionTitle_2")->SetText(View.QVListTitle2);
  Find("SLListSelectionTitle_1")->SetText(View.SLListTitle1);
  Find("SLListSelectionTitle_2")->SetText(View.SLListTitle2);
  Find("COListSelectionTitle")->SetText(View.COListTitle);
  Find("IntraMonthTitle")->SetFontColour(claRegionColors[5]);
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i) PlaceTrackBarCursor(static_cast<TTrackBar>(i), 0.0);
  // Every model back on its default tabs, painted; the default theme of each main tab highlighted.
  const session::TTabColours colours = session::SetTabsheetColours(View, true);
  auto paintAll = [this](TTabGroup group, const auto& paints) {
    for (std::size_t i = 0; i < paints.size(); ++i) {
      TControl* tab = Find(TabName({group, static_cast<std::int32_t>(i)}).c_str());
      tab->SetColours(paints[i].Fill, paints[i].Fill);
      if (paints[i].FontColor) TitleOf(tab)->SetFontColour(*paints[i].FontColor);
    }
  };
  paintAll(TTabGroup::VL, colours.VL);
  paintAll(TTabGroup::HA, colours.HA);
  paintAll(TTabGroup::VR, colours.VR);
  paintAll(TTabGroup::HB, colours.HB);
  for (int theme = 0; theme < 9; ++theme) PaintTab({TTabGroup::Theme, theme}, theme == 0 || theme == 1 || theme == 5);
  session::FinishInitWorkspace(View);
}

// ---------------------------------------------------------------- hover looks

void TMainForm::OnButtonEnter(TControl* sender) { ImageButtonLook(sender, true); }

void TMainForm::OnButtonLeave(TControl* sender) { ImageButtonLook(sender, false); }

// The hover look (active) or the normal look of the five image buttons; the
// maximise button shows the restore picture while the window is maximised.
// Any other sender (the logo) keeps its look.
void TMainForm::ImageButtonLook(TControl* sender, bool active) {
  if (sender == nullptr) return;
  const QString name = sender->objectName();
  const bool maximize = name == "MaximizeOrRestoreButton";
  if (!maximize && name != "ConnectButton" && name != "SetParametersButton" && name != "CloseButton" &&
      name != "MinimizeButton")
    return;
  if (maximize) sender->setProperty("glyph", static_cast<int>(isMaximized() ? TGlyph::Restore : TGlyph::Maximize));
  sender->setProperty("active", active);
  sender->update();
}

namespace {

// The frame rule of the panel's text buttons: a disabled frame (0xFFB6C8D6)
// stays; else fill 0xFFFDFDFD, frame 0xFF4C4C4E of the given thickness.
void FrameRule(TControl* button, float thickness) {
  if (button->StrokeColour == session::kDisabledButtonColour) return;
  button->SetColours(0xFFFDFDFD, 0xFF4C4C4E);
  button->SetStrokeThickness(thickness);
}

// The date rule: fill, frame and title in the title colour pair; the end
// date in the sixth region colour while the intra-month title shows.
void DateRule(TControl* button, TControl* title, bool intraMonthEnd, float thickness) {
  const platform::TAlphaColor colour = intraMonthEnd ? claRegionColors[5] : claTitleColorPair[1];
  button->SetColours(claTitleColorPair[0], colour);
  button->SetStrokeThickness(thickness);
  title->SetFontColour(colour);
}

}  // namespace

void TMainForm::OnClassicButtonMouseEnter(TControl* sender) { ClassicButtonHover(sender, 2.0f); }

void TMainForm::OnClassicButtonMouseLeave(TControl* sender) { ClassicButtonHover(sender, 1.0f); }

// Frame and date rules of the text and date buttons: thickness 2 under the pointer, 1 after.
void TMainForm::ClassicButtonHover(TControl* sender, float thickness) {
  const QString name = sender->objectName();
  if (name == "GoBackToWorkspaceButtonTitle" || name == "DownloadDataButtonTitle" || name == "ParameterButtonTitle") {
    FrameRule(static_cast<TControl*>(sender->parentWidget()), thickness);
  } else if (name == "StartDateButtonTitle") {
    DateRule(Find("StartDateButton"), sender, false, thickness);
  } else if (name == "EndDateButtonTitle") {
    DateRule(Find("EndDateButton"), sender, Screen.IsVisible(TWindowGroup::IntraMonthTitleSupport), thickness);
  }
}

}  // namespace app
