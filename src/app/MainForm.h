#pragma once
// The main window: a frameless window built in code. It runs the update
// process (each step on the worker thread, the step machine on its own
// thread), shows the progress and message panel, the workspace frame and
// the dialogs, and carries the window's buttons, keys and layout. Its
// decisions live in the session layer (step machine, screen modes, layout,
// view state, date buttons, access code); this class applies them.

#include <QHash>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ChartArea.h"
#include "app/Control.h"
#include "app/StepWorker.h"
#include "data/RegistrySettings.h"
#include "session/AccessCode.h"
#include "session/ListStepping.h"
#include "session/ParameterDialog.h"
#include "session/ScreenModes.h"
#include "session/StepMachine.h"
#include "session/TabSelection.h"
#include "session/TrackBars.h"
#include "session/ViewState.h"
#include "session/WindowLayout.h"
#include "session/WindowPlacement.h"

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
class TCurrencySelectionForm;
class TParameterSelectionForm;
class QScreen;

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
  double LatestDailyDate = 0.0;
  std::string TransferError;
  float BaseTabTitleFontSize = 14.0f;
  float BaseMainTitleFontSize = 20.0f;
  // The first tick starts the update process (off in benchmarks that start steps themselves).
  bool StartOnFirstTick = true;
  // The parameters button shows in the workspace once the parameter dialog is part of the window.
  bool ParametersDialogAvailable = false;
  // Warnings of the steps and the sign-in (no daily synchronisation, a
  // read-only file, settings taken into their ranges, a damaged sign-in
  // store, sign-in values not stored), each shown in a message box once the
  // workspace is up, or before the sign-in dialog when that opens first.
  std::vector<std::string> Warnings;

  // ---- dialogs (children of the window)
  TLoginForm* LoginForm = nullptr;
  TMessageForm* MessageForm = nullptr;
  TNewUserRequestForm* NewUserRequestForm = nullptr;
  TPwdRequestForm* PwdRequestForm = nullptr;
  TQuestionForm* QuestionForm = nullptr;
  TDateSelectionForm* DateSelectionForm = nullptr;
  TCurrencySelectionForm* CurrencySelectionForm = nullptr;
  // The parameter dialog; its layout moves into ParameterSelectionFormContainer at the first tick.
  TParameterSelectionForm* ParameterSelectionForm = nullptr;

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
  // Puts the window on the screen at the opening geometry for its available
  // area (the constructor does it on the screen under the pointer).
  void PlaceOnScreen(QScreen* target);
  // The window's image buttons (null sender: back to the workspace).
  void OnButtonClick(TControl* sender);
  // The date buttons and the panel's text buttons.
  void OnClassicButtonClick(TControl* sender);
  void InitWorkspace();
  // Starts the model-state transfer (the access code was typed).
  void TransferModelStates();
  // What a button of the parameter dialog asks for: the workspace, the
  // failure panel again, a calculation or a save.
  void OnParameterAction(const session::TDialogAction& action);
  // The text of the last failed calculation while its results are missing; empty otherwise.
  const std::string& CalculationFailure() const { return CalculationFailure_; }

  // Test hooks: the pause before each progress change, and the transport of the client.
  void SetStepPause(int milliseconds) { Context.PauseMs = milliseconds; }
  void SetTransportFactory(std::function<std::unique_ptr<platform::HttpTransport>()> factory);

  // The nine result pages, refreshed after each calculation, and the chart
  // area that shows the page of the selected tab.
  TModelPages* Pages() const { return Pages_.get(); }
  TChartArea* ChartArea() const { return ChartArea_; }

  // ---- workspace interaction (ignored while a step runs)
  // Tab clicks: main, VL, HA, VR and HB tabs, and the theme tabs.
  void OnTabsheetClick(TControl* sender);
  void OnThemesSelectionTabsheetClick(TControl* sender);
  // Hover on a tab: highlight; leave: normal colours unless it is the chosen tab of its group.
  void OnTabsheetMouseEnter(TControl* sender);
  void OnTabsheetMouseLeave(TControl* sender);
  // The list selectors' arrows (on press).
  void OnDownControlMouseDown(TControl* sender);
  void OnUpControlMouseDown(TControl* sender);
  // The six track-bar panels; y inside the panel.
  void OnTrackBarMouseDown(TControl* sender, Qt::MouseButtons buttons, double y);
  void OnTrackBarMouseMove(TControl* sender, Qt::MouseButtons buttons, double y);
  void OnTrackBarMouseUp(TControl* sender);
  // Hover looks: image buttons, the panel's text buttons and the date buttons, list arrows.
  void OnButtonEnter(TControl* sender);
  void OnButtonLeave(TControl* sender);
  void ImageButtonLook(TControl* sender, bool active);
  void OnClassicButtonMouseEnter(TControl* sender);
  void OnClassicButtonMouseLeave(TControl* sender);
  void ClassicButtonHover(TControl* sender, float thickness);
  void OnArrowMouseEnter(TControl* sender);
  void OnArrowMouseLeave(TControl* sender);
  // Titles, visibility and colours of the tab groups, lists and track bars for the selection.
  void ArrangeTabsheets();
  void UpdateMainTitles();
  // Asks for a repaint of the chart area. Requests made before the paint
  // coalesce: a pending layout or draw is never dropped (0 lay out, 1 draw, 2 both).
  void RequestChartRepaint(std::int32_t phase);
  // The guide and cursor of each track bar as the controls place them (window order).
  session::TTrackBarGeometries TrackBarGeometries() const;
  // The panel of a bar (the control that takes its pointer events).
  TControl* TrackBarPanel(session::TTrackBar bar) const;
  // Places a bar's outer support for the chart pass: X at the chart area's X
  // + chartX when given, Y at the top of the second left tab when setY.
  void MoveTrackBarSupport(session::TTrackBar bar, std::optional<float> chartX, bool setY);

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
  // The chart area and the window's side of its signals and hooks.
  void BuildChartArea(TControl* chart);
  TControl* AddGroup(session::TWindowGroup group, QWidget* parent, TControl::TShape shape = TControl::TShape::None);
  TControl* AddControl(QWidget* parent, const char* name, TControl::TShape shape = TControl::TShape::None);
  TControl* AddTab(QWidget* parent, const std::string& name, const std::string& title);
  TControl* AddTextButton(QWidget* parent, const char* name, const char* titleName, const char* title);
  void OnFormResize();
  void ApplyGeometry();
  // Asks for the maximised or normal state, then sets the geometry that
  // state has on the window's screen when the window system did not.
  void SetMaximised(bool maximise);
  void ApplyScreen();
  // SetScreenMode without applying the screen to the controls.
  void SetScreenState(int mode);
  void PlacePanelButtons();
  void OnStepStarted();
  void OnWorkerFinished();
  void OnThreadTerminate();
  void OnTransferFinished();
  void ShowFailureDisplay();
  void ShowWorkspace();
  // Shows each waiting warning in a message box, in order, and forgets it.
  void ShowWarnings();
  void ShowSelectedView();
  bool SignInAndDownload();
  void ShowRequestReplies();
  void SetDateTitles();
  void SetMainTitlesVisible(bool visible);
  void ApplyTabSelection(const session::TTabSelection& selection);
  void ApplyTabs(const session::TTabSelection::TTabs& tabs);
  void ApplyListStep(const session::TListStepResult& result);
  void ApplyTrackBarOutcome(const session::TTrackBarOutcome& outcome);
  void ApplyMainTitles(const session::TMainTitles& titles);
  void PaintTab(session::TTabRef tab, bool highlighted);
  bool TabIsChosen(session::TTabRef tab) const;
  void StepList(TControl* sender, session::TListArrow arrow);
  void PlaceTrackBarCursor(session::TTrackBar bar, double y);
  void PlaceTrackBars();
  void HideValueIndicators();
  bool WorkspaceIdle() const { return !Worker_.Busy(); }

  std::array<TControl*, session::kWindowGroupCount> Groups_{};
  // Every control by name, filled once the window is built (Find).
  QHash<QString, TControl*> Controls_;
  TStepWorker Worker_;
  std::function<std::unique_ptr<platform::HttpTransport>()> TransportFactory_;
  std::unique_ptr<platform::HttpTransport> Transport_;
  std::unique_ptr<TQVDBClient> Client_;
  std::unique_ptr<TLocalQuorvaneDB> Database_;
  TRegistrySettings Registry_;
  std::unique_ptr<TModelPages> Pages_;
  TChartArea* ChartArea_ = nullptr;
  QTimer SpinnerTimer_;  // turns the spinner while it shows
  float SpinnerAngle_ = 0.0f;
  std::string ConnectFailure_;  // the step's file could not be opened
  std::string CalculationFailure_;
  bool TransferRunning_ = false;
  bool CloseRequested_ = false;
  bool Dragging_ = false;
  // The tab groups that the next SetScreenMode(3) applies (a selection's own arrangement).
  const session::TTabSelection::TTabs* PendingTabs_ = nullptr;
  std::array<double, 6> TrackCursorY_{};      // each cursor's Y as placed (window order)
  std::array<bool, 6> TrackSupportPlaced_{};  // placed by the chart pass at least once
  QPoint DragOffset_;
  session::TWindowPlacement Placement_;
};

}  // namespace app
