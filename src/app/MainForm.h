#pragma once
// The main window: a frameless window built in code. It runs the update
// process (each step on the worker thread, the step machine on its own
// thread), shows the progress and message panel, the workspace frame and
// the dialogs, and carries the window's buttons, keys and layout. Its
// decisions live in the session layer (step machine, screen modes, layout,
// view state, date buttons, access code); this class applies them.

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Control.h"
#include "app/StepWorker.h"
#include "app/Workspace.h"
#include "data/RegistrySettings.h"
#include "session/AccessCode.h"
#include "session/ScreenModes.h"
#include "session/StepMachine.h"
#include "session/ViewState.h"
#include "session/WindowLayout.h"

namespace platform {
class HttpTransport;
}
class TQVDBClient;
class TLocalQuorvaneDB;
class TLoginForm;
class TMessageForm;
class TNewUserRequestForm;
class TPwdRequestForm;
class TQuestionForm;
class TDateSelectionForm;

namespace app {

class TMainForm : public QWidget {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // ---- state (read by tests)
  bool StartupDone = false;
  bool RestoreMaximizedOnDeactivate = false;
  bool SignedInThisSession = false;  // the model-state transfer needs a sign-in of this session
  session::TViewState View;
  session::TWindowScreen Screen;
  session::TWindowGeometry Geometry;
  session::TAccessKeyBuffer AccessKeys;
  session::TUpdateStep Step;  // the step started last
  std::int32_t CurrentStepKind = 0;
  session::TStepContext Context;
  std::string LastErrorText;
  std::vector<double> MonthlyDates;
  std::int32_t DataUpToDate = 1;
  double DailyDataStartDate = 0.0;
  double LatestDailyDate = 0.0;
  std::string TransferError;
  float BaseTabTitleFontSize = 14.0f;
  float BaseMainTitleFontSize = 20.0f;
  // The first tick starts the update process (off in benchmarks that start steps themselves).
  bool StartOnFirstTick = true;
  // The parameters button shows in the workspace once the parameter dialog is part of the window.
  bool ParametersDialogAvailable = false;
  // The client's message of a failed daily synchronisation, shown once the workspace is up.
  std::string SyncWarning;

  // ---- dialogs (children of the window)
  TLoginForm* LoginForm = nullptr;
  TMessageForm* MessageForm = nullptr;
  TNewUserRequestForm* NewUserRequestForm = nullptr;
  TPwdRequestForm* PwdRequestForm = nullptr;
  TQuestionForm* QuestionForm = nullptr;
  TDateSelectionForm* DateSelectionForm = nullptr;

  QTimer MainTimer;
  QTimer ProgressCounterTimer;

  // ---- controls
  TControl* Group(session::TWindowGroup group) const { return Groups_[static_cast<std::size_t>(group)]; }
  TControl* Find(const char* name) const;

  // ---- operations
  void OnFormTimer(QTimer* sender);
  // The launchers; false when a step is still running or its file cannot be opened.
  bool StartStep(std::int32_t kind, std::int32_t saveSelector = 0);
  bool StartDataStorageCheck() { return StartStep(0); }
  bool StartDataSynchronization(bool full) { return StartStep(full ? 4 : 5); }
  bool StartSettingsSave(std::int32_t selector) { return StartStep(8, selector); }
  bool StartCalculation() { return StartStep(9); }
  bool StepRunning() const { return Worker_.Busy(); }

  void ShowProgressMessage(int mode, const std::string& text, bool failed);
  void SetScreenMode(int mode);
  // The window's image buttons (null sender: back to the workspace).
  void OnButtonClick(TControl* sender);
  // The date buttons and the panel's text buttons.
  void OnClassicButtonClick(TControl* sender);
  void InitWorkspace();
  // Starts the model-state transfer (the access code was typed).
  void TransferModelStates();

  // The result pages (TPagesWorkspace unless replaced).
  void SetWorkspace(std::unique_ptr<TWorkspace> workspace);
  TWorkspace& Workspace() const { return *Workspace_; }
  // Test hooks: the pause before each progress change, and the transport of the client.
  void SetStepPause(int milliseconds) { Context.PauseMs = milliseconds; }
  void SetTransportFactory(std::function<std::unique_ptr<platform::HttpTransport>()> factory);

  TQVDBClient* Client() const { return Client_.get(); }
  TLocalQuorvaneDB* Database() const { return Database_.get(); }

 signals:
  // Emitted when a step's file is open and its launcher's screen shows.
  void StepStarted(int kind);
  // Emitted after the step machine handled the end of a step.
  void StepHandled(int kind);
  void TransferEnded();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void BuildControls();
  TControl* AddGroup(session::TWindowGroup group, QWidget* parent, TControl::TShape shape = TControl::TShape::None);
  TControl* AddControl(QWidget* parent, const char* name, TControl::TShape shape = TControl::TShape::None);
  TControl* AddTab(QWidget* parent, const std::string& name, const std::string& title);
  TControl* AddTextButton(QWidget* parent, const char* name, const char* titleName, const char* title);
  void OnFormResize();
  void ApplyGeometry();
  void ApplyScreen();
  void PlacePanelButtons();
  void OnStepStarted();
  void OnWorkerFinished();
  void OnThreadTerminate();
  void OnTransferFinished();
  void ShowFailureDisplay();
  void ShowWorkspace();
  void ShowSelectedView();
  bool SignInAndDownload();
  void ShowRequestReplies();
  void SetDateTitles();
  void SetMainTitlesVisible(bool visible);

  std::array<TControl*, session::kWindowGroupCount> Groups_{};
  TStepWorker Worker_;
  std::function<std::unique_ptr<platform::HttpTransport>()> TransportFactory_;
  std::unique_ptr<platform::HttpTransport> Transport_;
  std::unique_ptr<TQVDBClient> Client_;
  std::unique_ptr<TLocalQuorvaneDB> Database_;
  TRegistrySettings Registry_;
  std::unique_ptr<TWorkspace> Workspace_;
  QTimer SpinnerTimer_;  // turns the spinner while it shows
  float SpinnerAngle_ = 0.0f;
  std::string ConnectFailure_;  // the step's file could not be opened
  bool TransferRunning_ = false;
  bool CloseRequested_ = false;
  bool Dragging_ = false;
  QPoint DragOffset_;
};

}  // namespace app
