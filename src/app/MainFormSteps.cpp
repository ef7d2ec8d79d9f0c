// The main window: the update steps (launch, step machine, workspace after
// a calculation), the screens and the message panel, keys and the
// model-state transfer.

#include <QKeyEvent>

#include "app/MainForm.h"
#include "app/MainFormInternals.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/TextHelpers.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/LoginForm.h"
#include "dialogs/ParameterSelectionForm.h"
#include "dialogs/QuestionForm.h"
#include "session/ModelStateTransfer.h"
#include "session/PageRefresh.h"
#include "session/ValueIndicators.h"
#include "session/WindowTexts.h"

namespace app {

using namespace mainform;
using session::TWindowGroup;

// ---------------------------------------------------------------- screen

void TMainForm::ApplyScreen() {
  for (std::size_t i = 0; i < session::kWindowGroupCount; ++i) {
    // The chart area shows its boxes and markers itself; the screen only hides them.
    const auto group = static_cast<TWindowGroup>(i);
    const bool overChart =
        group == TWindowGroup::DatasetValueIndicatorSupport || group == TWindowGroup::GraphicSelectedZoneInfosSupport ||
        (group >= TWindowGroup::ValuePositionIndicator_1 && group <= TWindowGroup::ValuePositionIndicator_3);
    if (!overChart || !Screen.Visible[i]) Groups_[i]->setVisible(Screen.Visible[i]);
  }
  TControl* message = Find("MessageContent");
  message->FontColour = Screen.MessageColour;
  message->SetText(Screen.MessageContent);
  message->update();
  Group(TWindowGroup::ProgressIndicatorValue)->SetText(Screen.ProgressIndicatorValue);
  for (int i = 0; i < 10; ++i) {
    TControl* lamp = Find(("Indicator_" + std::to_string(i + 1)).c_str());
    lamp->FillColour = Screen.Indicators[static_cast<std::size_t>(i)];
    lamp->update();
  }
  const TWindowGroup buttons[] = {TWindowGroup::DownloadDataButton, TWindowGroup::GoBackToWorkspaceButton,
                                  TWindowGroup::ParameterButton};
  for (std::size_t i = 0; i < 3; ++i) {
    TControl* button = Group(buttons[i]);
    button->StrokeColour = Screen.TextButtonColour[i];
    TControl* title = static_cast<TControl*>(button->children().front());
    title->FontColour = Screen.TextButtonColour[i];
    title->setEnabled(Screen.TextButtonEnabled[i]);
    button->update();
  }
  for (const auto& [number, title] : kThemeTabs) {
    Find(("ThemeSelectionTabsheet_" + std::to_string(number)).c_str())
        ->setVisible(Screen.ThemeTabVisible[static_cast<std::size_t>(number)]);
  }
  if (Screen.SpinnerAnimation && Screen.IsVisible(TWindowGroup::SpinnerImage)) {
    if (!SpinnerTimer_.isActive()) SpinnerTimer_.start();
  } else {
    SpinnerTimer_.stop();
  }
  PlacePanelButtons();
}

// The shown text buttons side by side, centred under the message.
void TMainForm::PlacePanelButtons() {
  std::vector<TControl*> shown;
  for (TWindowGroup group :
       {TWindowGroup::DownloadDataButton, TWindowGroup::ParameterButton, TWindowGroup::GoBackToWorkspaceButton}) {
    if (Screen.IsVisible(group)) shown.push_back(Group(group));
  }
  int total = 0;
  for (TControl* button : shown) total += button->width();
  total += 24 * static_cast<int>(shown.empty() ? 0 : shown.size() - 1);
  int x = (static_cast<int>(kPanelWidth) - total) / 2;
  for (TControl* button : shown) {
    button->move(x, 348);
    static_cast<TControl*>(button->children().front())->setGeometry(0, 0, button->width(), button->height());
    x += button->width() + 24;
  }
}

void TMainForm::ShowProgressMessage(int mode, const std::string& text, bool failed) {
  session::ShowProgressMessage(Screen, mode, text, failed);
  ApplyScreen();
}

void TMainForm::SetScreenMode(int mode) {
  SetScreenState(mode);
  ApplyScreen();
}

void TMainForm::SetScreenState(int mode) {
  const bool intraMonth = DateSelectionForm != nullptr && DateSelectionForm->IntraMonth;
  // Mode 3 arranges the tab groups: those of the selection being applied, else afresh.
  session::SetScreenMode(Screen, mode, intraMonth, [this] {
    if (PendingTabs_ != nullptr) {
      ApplyTabs(*PendingTabs_);
    } else if (TModelPages* pages = Pages()) {
      session::TTabSelection::TTabs tabs;
      tabs.Titles = session::SetTabsheetTitles(View);
      tabs.Arrangement = session::ArrangeTabsheets(View, session::RankingFacts(*pages));
      if (tabs.Arrangement.Applies) tabs.Colours = session::SetTabsheetColours(View, false);
      ApplyTabs(tabs);
    }
  });
  if (!ParametersDialogAvailable) Screen.SetVisible(TWindowGroup::SetParametersButtonSupport, false);
}

void TMainForm::SetMainTitlesVisible(bool visible) {
  for (TWindowGroup group :
       {TWindowGroup::MainTitle_1, TWindowGroup::MainTitle_2, TWindowGroup::MainTitle_3, TWindowGroup::MainTitle_4}) {
    Screen.SetVisible(group, visible);
  }
}

// ---------------------------------------------------------------- timer and steps

void TMainForm::SetTransportFactory(std::function<std::unique_ptr<platform::HttpTransport>()> factory) {
  TransportFactory_ = std::move(factory);
}

void TMainForm::OnFormTimer(QTimer* sender) {
  if (sender != &MainTimer) return;
  if (StartupDone) {
    session::TickTrackBarHolds(View);
    return;
  }
  StartupDone = true;
  Transport_ = TransportFactory_();
  Client_ = std::make_unique<TQVDBClient>(*Transport_, GetMacAddress());
  Database_ = std::make_unique<TLocalQuorvaneDB>();
  ptrMyExternQVDBClient = Client_.get();
  ptrMyExternLocalQuorvaneDB = Database_.get();
  Context.Client = Client_.get();
  Context.Database = Database_.get();
  // The workspace start is done before step 0 shows anything: the step's
  // first look arrives through the event queue.
  if (StartOnFirstTick) StartDataStorageCheck();
  // From now on the parameter dialog is part of the window (screen mode 1 shows it).
  QWidget* container = Group(TWindowGroup::ParameterSelectionFormContainer);
  ParameterSelectionForm->setParent(container);
  ParameterSelectionForm->setGeometry(container->rect());
  ParameterSelectionForm->show();
  ParametersDialogAvailable = true;
  InitWorkspace();
}

bool TMainForm::StartStep(std::int32_t kind, std::int32_t saveSelector) {
  // One step at a time (and none during the transfer).
  if (Worker_.Busy() || !Database_) return false;
  const session::TLauncher& launcher = session::LauncherOf(kind);
  Step = session::TUpdateStep{};
  Step.Kind = kind;
  Step.SaveSelector = saveSelector;
  if (kind != 2) CurrentStepKind = kind;
  Context.IntraMonth = DateSelectionForm->IntraMonth;
  Context.SignIn = LoginForm->SignIn;
  ConnectFailure_.clear();
  const std::int32_t file = launcher.DatabaseKind;
  Worker_.Post([this, file] {
    if (file >= 0) {
      if (Database_->IsConnected()) Database_->Disconnect();
      Database_->DatabaseKind = file;
      Database_->Connect();
      if (!Database_->LastMessage.empty()) {
        ConnectFailure_ = Database_->LastMessage;
        return;
      }
    }
    QMetaObject::invokeMethod(
        this, [this] { OnStepStarted(); }, Qt::QueuedConnection);
    session::ExecuteStep(Step, Context);
    // The step machine's first act: the database is closed.
    if (Database_->IsConnected()) Database_->Disconnect();
  });
  return true;
}

// The launcher's screen changes, once the step's file is open.
void TMainForm::OnStepStarted() {
  const session::TLauncher& launcher = session::LauncherOf(Step.Kind);
  if (launcher.ProgressScreen) {
    SetScreenMode(5);
    if (Step.Kind == 4 || Step.Kind == 5) Screen.SetVisible(TWindowGroup::DisabledServerStorageImage, false);
    SetMainTitlesVisible(false);
    View.WorkspaceShown = false;
    if (Step.Kind == 6) View.WorkDataReady = true;
    if (Step.Kind == 9) {
      Screen.Indicators.fill(session::kIndicatorPendingColour);
      Screen.SetVisible(TWindowGroup::IndicatorSupport, true);
    }
    ProgressCounterTimer.start();
  }
  ShowProgressMessage(1, launcher.Text, false);
  emit StepStarted(Step.Kind);
}

void TMainForm::OnWorkerFinished() {
  if (TransferRunning_) {
    OnTransferFinished();
  } else if (!ConnectFailure_.empty()) {
    // The step's file could not be opened: the failure shows red, with the
    // toolbar to close the window, and nothing runs.
    ShowProgressMessage(3, ConnectFailure_, true);
    Screen.SetVisible(TWindowGroup::SystemToolbarSupport, true);
    ApplyScreen();
    if (Step.Kind == 8 && Screen.IsVisible(TWindowGroup::ParameterSelectionFormContainer)) {
      // A save from the parameter dialog: nothing was stored, so the settings
      // in use go back to the dialog's saved copy; the edits stay on the
      // pages and the text shows over the dialog.
      usMyExternUserSettings = ParameterSelectionForm->Dialog.SavedUserSettings;
      ShowMessageForm(MessageForm, ConnectFailure_);
    }
    emit StepHandled(-1);
  } else {
    OnThreadTerminate();
  }
  if (CloseRequested_ && !Worker_.Busy()) close();
}

void TMainForm::ShowFailureDisplay() {
  Screen.SetVisible(TWindowGroup::Logo, true);
  Screen.SetVisible(TWindowGroup::ConnectButtonSupport, true);
  Screen.SetVisible(TWindowGroup::SetParametersButtonSupport, false);
  Screen.SetVisible(TWindowGroup::SystemToolbarSupport, true);
  Screen.SetVisible(TWindowGroup::IntraMonthTitleSupport,
                    Screen.IsVisible(TWindowGroup::DatesSelectionSupport) && DateSelectionForm->IntraMonth);
  View.WorkspaceShown = false;
}

void TMainForm::OnThreadTerminate() {
  ProgressCounterTimer.stop();
  const std::int32_t kind = Step.Kind;
  DataUpToDate = Context.DataUpToDate;
  if ((kind == 5 || kind == 6) && Step.ErrorText.empty()) LatestDailyDate = Context.LatestDailyDate;
  // A failed daily request or a read-only file: the start goes on with the local rows.
  if (const std::string warning = session::StepWarning(Step, Context.WarningText); !warning.empty())
    Warnings.push_back(warning);
  const session::TStepEnd end = session::DecideStepEnd(Step, DataUpToDate);
  if (CloseRequested_) {
    emit StepHandled(kind);
    return;  // the window closes; nothing more starts
  }
  switch (end.Action) {
    case session::TStepEndAction::Nothing:
      break;
    case session::TStepEndAction::ShowFailure:
      if (end.StoreLastError) LastErrorText = end.Text;
      if (end.ShowParameterButton) CalculationFailure_ = end.Text;
      ShowProgressMessage(3, end.Text, true);
      if (end.FailureDisplay) ShowFailureDisplay();
      if (end.ShowDownloadButton) Screen.SetVisible(TWindowGroup::DownloadDataButton, true);
      if (end.ShowParameterButton) Screen.SetVisible(TWindowGroup::ParameterButton, true);
      if (end.ShowSystemButtons) Screen.SetVisible(TWindowGroup::SystemToolbarSupport, true);
      ApplyScreen();
      break;
    case session::TStepEndAction::StartStep:
      if (end.ShowDisabledServer) Screen.SetVisible(TWindowGroup::DisabledServerStorageImage, true);
      if (end.BuildMonthlyDates) {
        MonthlyDates = BuildMonthlyDateGrid(GetEquityIndexDateBound(vcMyExternCountryList, false, false),
                                            GetEquityIndexDateBound(vcMyExternCountryList, true, true), 0);
      }
      if (end.SetDateTitles) {
        SetDateTitles();
        DateSelectionForm->IntraMonth = false;
      }
      ApplyScreen();
      StartStep(end.NextKind);
      break;
    case session::TStepEndAction::AskDownload: {
      Screen.SetVisible(TWindowGroup::ProgressSupport, false);
      Screen.SetVisible(TWindowGroup::SpinnerImage, false);
      Screen.SpinnerAnimation = false;
      Screen.SetVisible(TWindowGroup::InnerCircle, false);
      Screen.SetVisible(TWindowGroup::ProgressIndicatorValue, false);
      ApplyScreen();
      emit StepHandled(kind);
      // A declined question, and a cancelled or failed sign-in, go on with the local data.
      if (!ShowQuestionForm(QuestionForm, "Do you want to download new available data", "DOWNLOAD", "CANCEL") ||
          !SignInAndDownload()) {
        StartStep(6);
      }
      return;
    }
    case session::TStepEndAction::ShowWorkspace:
      ShowWorkspace();
      break;
  }
  emit StepHandled(kind);
}

void TMainForm::SetDateTitles() {
  Find("StartDateButtonTitle")->SetText(session::DateTitle(usMyExternUserSettings.InceptionDate));
  Find("EndDateButtonTitle")->SetText(session::DateTitle(usMyExternUserSettings.EndDate));
}

void TMainForm::ShowWorkspace() {
  CalculationFailure_.clear();
  ShowProgressMessage(3, "", false);
  View.WorkspaceShown = true;
  const std::int32_t noted = View.SelectedMainTab;
  session::RefreshModelGraphics(View, *Pages_);
  PlaceTrackBars();  // the refresh put the bars back to their first position
  if (noted == session::kNoMainTab && Pages() != nullptr) {
    // No main tab chosen yet: the first one, as its click.
    ApplyTabSelection(session::OnTabsheetClick(View, *Pages(), {TTabGroup::Main, 0}));
  } else {
    if (noted == session::kNoMainTab) View.SelectedMainTab = 0;
    session::SelectCurrentModelRecord(View);
    ShowSelectedView();
  }
  ShowWarnings();
}

void TMainForm::ShowWarnings() {
  const std::vector<std::string> warnings = std::move(Warnings);
  Warnings.clear();
  for (const std::string& warning : warnings) ShowMessageForm(MessageForm, warning);
}

void TMainForm::ShowSelectedView() { ApplyTabSelection(session::ShowSelectedView(View, *Pages_)); }

// ---------------------------------------------------------------- keys and transfer

void TMainForm::keyPressEvent(QKeyEvent* event) {
  const int key = event->key() == Qt::Key_Control ? session::kControlKey : event->key();
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  const bool panelVisible = Screen.IsVisible(TWindowGroup::ProgressSupport);
  if (AccessKeys.OnKeyDown(key, ctrl, panelVisible, View.WorkDataReady && SignedInThisSession,
                           View.WorkspaceShown && !Worker_.Busy())) {
    TransferModelStates();
  }
  QWidget::keyPressEvent(event);
}

void TMainForm::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Control) AccessKeys.OnKeyUp(session::kControlKey);
  QWidget::keyReleaseEvent(event);
}

void TMainForm::TransferModelStates() {
  if (Worker_.Busy() || !Client_) return;
  TransferError.clear();
  for (TWindowGroup group : {TWindowGroup::FailureConnectionImage, TWindowGroup::FailureDownloadingOrSavingImage,
                             TWindowGroup::MailSentImage, TWindowGroup::SuccessImage}) {
    Screen.SetVisible(group, false);
  }
  SetScreenMode(4);
  SetMainTitlesVisible(false);
  Screen.Indicators.fill(session::kIndicatorPendingColour);
  for (TWindowGroup group : {TWindowGroup::ProgressSupport, TWindowGroup::IndicatorSupport, TWindowGroup::SpinnerImage,
                             TWindowGroup::InnerCircle, TWindowGroup::ProgressIndicatorValue}) {
    Screen.SetVisible(group, true);
  }
  Screen.SpinnerAnimation = true;
  Screen.MessageColour = claTextColor;
  Screen.MessageContent = "Data transfert in progress, please wait";
  ApplyScreen();
  TransferRunning_ = true;
  Worker_.Post([this] {
    try {
      session::TransferModelStates(TransferError, Worker_.Reporter(), *Client_);
    } catch (const std::exception& error) {
      TransferError = error.what();
    }
  });
}

void TMainForm::OnTransferFinished() {
  TransferRunning_ = false;
  Screen.SetVisible(TWindowGroup::SpinnerImage, false);
  Screen.SpinnerAnimation = false;
  Screen.SetVisible(TWindowGroup::InnerCircle, false);
  Screen.SetVisible(TWindowGroup::ProgressIndicatorValue, false);
  const bool failed = !TransferError.empty();
  Screen.SetVisible(TWindowGroup::FailureDownloadingOrSavingImage, failed);
  Screen.SetVisible(TWindowGroup::SuccessImage, !failed);
  Screen.MessageColour = failed ? claErrorColor : claTextColor;
  Screen.MessageContent = failed ? TransferError : "Transfert has successfully ";
  Screen.SetVisible(TWindowGroup::GoBackToWorkspaceButton, true);
  ApplyScreen();
  emit TransferEnded();
}

}  // namespace app
