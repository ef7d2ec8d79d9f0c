// The main window: construction of its controls, its layout and the window
// itself (close, activation, dragging the frameless window).

#include "app/MainForm.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "app/Glyphs.h"
#include "app/MainFormInternals.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "dialogs/CurrencySelectionForm.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/LoginForm.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/ParameterSelectionForm.h"
#include "dialogs/PwdRequestForm.h"
#include "dialogs/QuestionForm.h"
#include "platform/CurlTransport.h"
#include "session/WindowTexts.h"

namespace app {

namespace {

using namespace mainform;
using session::TTrackBar;
using session::TWindowGroup;
using Shape = TControl::TShape;

constexpr platform::TAlphaColor kGlyphColour = 0xFF4C4C4E;
constexpr platform::TAlphaColor kActiveGlyphColour = 0xFF708CD5;

void Place(QWidget* widget, const session::TRectGeometry& rect) {
  widget->setGeometry(static_cast<int>(rect.X), static_cast<int>(rect.Y), static_cast<int>(rect.Width),
                      static_cast<int>(rect.Height));
}

session::TScreenRect ToScreenRect(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }
QRect ToQRect(const session::TScreenRect& rect) { return {rect.X, rect.Y, rect.Width, rect.Height}; }

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent), Pages_(std::make_unique<TModelPages>()) {
  Pages_->Init();
  setObjectName("MainForm");
  setWindowTitle("Quorvane");
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setMinimumSize(session::kMinimumWidth, session::kMinimumHeight);
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor::fromRgba(0xFFFDFDFD));
  setPalette(background);
  setFocusPolicy(Qt::StrongFocus);

  Geometry = session::DefaultWindowGeometry();
  BaseTabTitleFontSize = Geometry.BaseTabTitleFontSize;
  BaseMainTitleFontSize = Geometry.BaseMainTitleFontSize;
  fScreenWidthRatio = 1.0f;
  fScreenHeightRatio = 1.0f;
  claApplicationBkgColor = 0xFFFDFDFD;
  claReferenceGraphicColor_1 = 0xFF293556;
  claReferenceGraphicColor_2 = 0xFF4A8DB7;
  claReferenceGraphicColor_3 = 0xFFE4E4E4;

  BuildControls();
  // Every control is made: Find reads the index from now on (the first of a name, as a search finds it).
  for (TControl* control : findChildren<TControl*>()) {
    if (!Controls_.contains(control->objectName())) Controls_.insert(control->objectName(), control);
  }

  // The dialogs, in the order the program creates them.
  NewUserRequestForm = new TNewUserRequestForm(this);
  PwdRequestForm = new TPwdRequestForm(this);
  LoginForm = new TLoginForm(this, NewUserRequestForm, PwdRequestForm);
  MessageForm = new TMessageForm(this);
  QuestionForm = new TQuestionForm(this);
  DateSelectionForm = new TDateSelectionForm(this);
  CurrencySelectionForm = new TCurrencySelectionForm(this);
  ParameterSelectionForm = new TParameterSelectionForm(
      this, usMyExternUserSettings, vcMyExternCountryList,
      [this](const std::string& question, const std::string& first, const std::string& second) {
        return ShowQuestionForm(QuestionForm, question, first, second);
      },
      [this](std::string& code) {
        if (!ShowCurrencySelectionForm(CurrencySelectionForm, false)) return false;
        code = CurrencySelectionForm->SelectedCurrency == "LOCAL" ? "Local" : CurrencySelectionForm->SelectedCurrency;
        return true;
      });
  ParameterSelectionForm->hide();
  ParameterSelectionForm->OnAction = [this](const session::TDialogAction& action) { OnParameterAction(action); };
  ParameterSelectionForm->CalculationFailure = [this] { return CalculationFailure_; };

  Screen = session::TWindowScreen::Created();
  ShowProgressMessage(0, "", false);
  SetScreenMode(0);

  MainTimer.setInterval(50);
  ProgressCounterTimer.setInterval(100);
  connect(&MainTimer, &QTimer::timeout, this, [this] { OnFormTimer(&MainTimer); });
  connect(&ProgressCounterTimer, &QTimer::timeout, this, [this] { OnFormTimer(&ProgressCounterTimer); });
  SpinnerTimer_.setInterval(40);
  connect(&SpinnerTimer_, &QTimer::timeout, this, [this] {
    // One turn in 1.5 s.
    SpinnerAngle_ = std::fmod(SpinnerAngle_ + 360.0f * 40.0f / 1500.0f, 360.0f);
    Group(TWindowGroup::SpinnerImage)->update();
  });

  TQueuedReporter& reporter = Worker_.Reporter();
  connect(
      &reporter, &TQueuedReporter::PercentText, this,
      [this](const QString& text) {
        Screen.ProgressIndicatorValue = text.toStdString();
        Group(TWindowGroup::ProgressIndicatorValue)->SetText(Screen.ProgressIndicatorValue);
      },
      Qt::QueuedConnection);
  connect(
      &reporter, &TQueuedReporter::LookShown, this,
      [this](const session::TStepLook& look) {
        session::ApplyStepLook(Screen, look);
        ApplyScreen();
      },
      Qt::QueuedConnection);
  connect(
      &reporter, &TQueuedReporter::IndicatorSet, this,
      [this](int number, bool lit) {
        if (number < 1 || number > 10) return;
        Screen.Indicators[static_cast<std::size_t>(number - 1)] =
            lit ? session::kIndicatorDoneColour : session::kIndicatorPendingColour;
        ApplyScreen();
      },
      Qt::QueuedConnection);
  connect(&Worker_, &TStepWorker::Finished, this, &TMainForm::OnWorkerFinished);
  Context.Reporter = &reporter;
  Context.Registry = &Registry_;
  TransportFactory_ = [] { return std::make_unique<platform::CurlTransport>(); };
  QScreen* start = QGuiApplication::screenAt(QCursor::pos());
  PlaceOnScreen(start != nullptr ? start : QGuiApplication::primaryScreen());
}

TMainForm::~TMainForm() {
  // The worker finishes its job before the objects it uses go.
  Worker_.Stop();
  ptrMyExternQVDBClient = nullptr;
  ptrMyExternLocalQuorvaneDB = nullptr;
}

// ---------------------------------------------------------------- controls

TControl* TMainForm::AddControl(QWidget* parent, const char* name, Shape shape) {
  return new TControl(parent, name, shape);
}

TControl* TMainForm::AddGroup(TWindowGroup group, QWidget* parent, Shape shape) {
  TControl* control = AddControl(parent, session::GroupName(group), shape);
  Groups_[static_cast<std::size_t>(group)] = control;
  return control;
}

TControl* TMainForm::AddTab(QWidget* parent, const std::string& name, const std::string& title) {
  TControl* tab = AddControl(parent, name.c_str(), Shape::Rectangle);
  tab->SetColours(kTabColour, kTabColour);
  tab->StrokeThickness = 1.0f;
  const std::string titleName = [&] {
    std::string text = name;
    const std::size_t at = text.find("Tabsheet");
    return text.insert(at + 8, "Title");
  }();
  TControl* text = AddControl(tab, titleName.c_str());
  text->Text = title;
  text->FontColour = kWhite;
  text->setAttribute(Qt::WA_TransparentForMouseEvents);
  if (name.rfind("ThemeSelectionTabsheet_", 0) == 0) {
    connect(tab, &TControl::Clicked, this, [this](TControl* sender) { OnThemesSelectionTabsheetClick(sender); });
  } else {
    connect(tab, &TControl::Clicked, this, [this](TControl* sender) { OnTabsheetClick(sender); });
  }
  connect(tab, &TControl::Entered, this, [this](TControl* sender) { OnTabsheetMouseEnter(sender); });
  connect(tab, &TControl::Left, this, [this](TControl* sender) { OnTabsheetMouseLeave(sender); });
  return tab;
}

TControl* TMainForm::AddTextButton(QWidget* parent, const char* name, const char* titleName, const char* title) {
  TControl* button = AddControl(parent, name, Shape::Rectangle);
  button->FillColour = kButtonFill;
  button->StrokeThickness = 1.0f;
  TControl* text = AddControl(button, titleName);
  text->Text = title;
  text->FontSize = 14.0f;
  connect(text, &TControl::Clicked, this, [this](TControl* sender) { OnClassicButtonClick(sender); });
  connect(text, &TControl::Entered, this, [this](TControl* sender) { OnClassicButtonMouseEnter(sender); });
  connect(text, &TControl::Left, this, [this](TControl* sender) { OnClassicButtonMouseLeave(sender); });
  return button;
}

// By name: from the index once the window is built, a search of its children before.
TControl* TMainForm::Find(const char* name) const {
  if (Controls_.isEmpty()) return findChild<TControl*>(name);
  return Controls_.value(QLatin1String(name), nullptr);
}

void TMainForm::BuildControls() {
  auto logo = AddGroup(TWindowGroup::Logo, this);
  logo->Text = "QUORVANE";
  logo->FontSize = 24.0f;
  logo->FontStyle = platform::fsBold;
  logo->FontColour = 0xFF293556;
  connect(logo, &TControl::Clicked, this, [this](TControl* sender) { OnButtonClick(sender); });

  // Image buttons: the "glyph" property is the picture, "active" its hover look.
  auto imageButton = [this](QWidget* parent, const char* name, TGlyph glyph) {
    TControl* button = AddControl(parent, name);
    button->setProperty("glyph", static_cast<int>(glyph));
    button->setProperty("active", false);
    button->Painter = [button](platform::Canvas& canvas, float w, float h) {
      PaintGlyph(static_cast<TGlyph>(button->property("glyph").toInt()), canvas, w, h,
                 button->property("active").toBool() ? kActiveGlyphColour : kGlyphColour);
    };
    connect(button, &TControl::Entered, this, [this](TControl* sender) { OnButtonEnter(sender); });
    connect(button, &TControl::Left, this, [this](TControl* sender) { OnButtonLeave(sender); });
    connect(button, &TControl::Clicked, this, [this](TControl* sender) { OnButtonClick(sender); });
    return button;
  };
  auto connectSupport = AddGroup(TWindowGroup::ConnectButtonSupport, this);
  imageButton(connectSupport, "ConnectButton", TGlyph::Connect);
  auto parametersSupport = AddGroup(TWindowGroup::SetParametersButtonSupport, this);
  imageButton(parametersSupport, "SetParametersButton", TGlyph::Parameters);
  auto toolbar = AddGroup(TWindowGroup::SystemToolbarSupport, this);
  imageButton(toolbar, "MinimizeButton", TGlyph::Minimize);
  imageButton(toolbar, "MaximizeOrRestoreButton", TGlyph::Maximize);
  imageButton(toolbar, "CloseButton", TGlyph::Close);

  auto mainTabs = AddGroup(TWindowGroup::MainTabsheetSupport, this);
  const char* mainTitles[] = {"Global", "Equity", "Bond"};
  for (int i = 0; i < 3; ++i) AddTab(mainTabs, "MainTabsheet_" + std::to_string(i + 1), mainTitles[i]);

  auto dates = AddGroup(TWindowGroup::DatesSelectionSupport, this);
  for (const char* name : {"StartDateButton", "EndDateButton"}) {
    TControl* button = AddControl(dates, name, Shape::Rectangle);
    button->SetColours(kButtonFill, kListTitleColour);
    button->StrokeThickness = 1.0f;
    TControl* title = AddControl(button, (std::string(name) + "Title").c_str());
    title->FontColour = kListTitleColour;
    connect(title, &TControl::Clicked, this, [this](TControl* sender) { OnClassicButtonClick(sender); });
    connect(title, &TControl::Entered, this, [this](TControl* sender) { OnClassicButtonMouseEnter(sender); });
    connect(title, &TControl::Left, this, [this](TControl* sender) { OnClassicButtonMouseLeave(sender); });
  }
  auto intraMonth = AddGroup(TWindowGroup::IntraMonthTitleSupport, this);
  TControl* intraMonthTitle = AddControl(intraMonth, "IntraMonthTitle");
  intraMonthTitle->FontColour = claRegionColors[5];
  intraMonthTitle->FontSize = 13.0f;

  auto themes = AddGroup(TWindowGroup::ThemeSelectionSupport, this);
  for (const auto& [number, title] : kThemeTabs) {
    AddTab(themes, "ThemeSelectionTabsheet_" + std::to_string(number), title);
  }

  auto tabGroup = [this](TWindowGroup group, const char* prefix, int count) {
    TControl* support = AddGroup(group, this);
    for (int i = 1; i <= count; ++i) AddTab(support, std::string(prefix) + std::to_string(i), "X");
  };
  tabGroup(TWindowGroup::VLTabsheetSupport, "VLTabsheet_", 4);
  tabGroup(TWindowGroup::HATabsheetSupport, "HATabsheet_", 7);
  tabGroup(TWindowGroup::VRTabsheetSupport, "VRTabsheet_", 4);
  tabGroup(TWindowGroup::HBTabsheetSupport, "HBTabsheet_", 2);

  const std::pair<TWindowGroup, const char*> lists[] = {{TWindowGroup::COListSelectionSupport, "COListSelection"},
                                                        {TWindowGroup::QVListSelectionSupport_1, "QVListSelection_1"},
                                                        {TWindowGroup::QVListSelectionSupport_2, "QVListSelection_2"},
                                                        {TWindowGroup::SLListSelectionSupport_1, "SLListSelection_1"},
                                                        {TWindowGroup::SLListSelectionSupport_2, "SLListSelection_2"}};
  for (const auto& [group, prefix] : lists) {
    TControl* support = AddGroup(group, this);
    std::string base(prefix);
    const std::size_t cut = base.find('_');
    const std::string stem = cut == std::string::npos ? base : base.substr(0, cut);
    const std::string suffix = cut == std::string::npos ? "" : base.substr(cut);
    TControl* title = AddControl(support, (stem + "Title" + suffix).c_str());
    title->FontColour = kListTitleColour;
    for (const bool up : {true, false}) {
      TControl* arrow = AddControl(support, (stem + (up ? "UpControl" : "DownControl") + suffix).c_str());
      arrow->setProperty("active", false);
      // A chevron pointing up or down; the active look while hovered.
      arrow->Painter = [arrow, up](platform::Canvas& canvas, float w, float h) {
        const float cx = w / 2.0f, cy = h / 2.0f, half = std::min(w, h) * 0.22f;
        const float tip = up ? cy - half / 2.0f : cy + half / 2.0f;
        const float foot = up ? cy + half / 2.0f : cy - half / 2.0f;
        canvas.Stroke = {platform::TBrushKind::Solid,
                         arrow->property("active").toBool() ? kActiveGlyphColour : kListTitleColour, 2.0f};
        canvas.DrawLine({cx - half, foot}, {cx, tip}, 1.0f);
        canvas.DrawLine({cx, tip}, {cx + half, foot}, 1.0f);
      };
      connect(arrow, &TControl::PointerPressed, this, [this, up](TControl* sender, Qt::MouseButtons, QPointF) {
        up ? OnUpControlMouseDown(sender) : OnDownControlMouseDown(sender);
      });
      connect(arrow, &TControl::Entered, this, [this](TControl* sender) { OnArrowMouseEnter(sender); });
      connect(arrow, &TControl::Left, this, [this](TControl* sender) { OnArrowMouseLeave(sender); });
    }
  }
  // The chart area before the track bars: a child made later lies above, and
  // the bars stand over the chart, beside the widget they scroll.
  auto chart = AddGroup(TWindowGroup::GeneralInformationAndGraphicSupport, this);
  BuildChartArea(chart);
  const std::pair<TWindowGroup, const char*> tracks[] = {
      {TWindowGroup::VFIHeatMapTrackBarMainSupport, "VFIHeatMapTrackBar"},
      {TWindowGroup::VEQHeatMapTrackBarMainSupport, "VEQHeatMapTrackBar"},
      {TWindowGroup::VCYHeatMapTrackBarMainSupport, "VCYHeatMapTrackBar"},
      {TWindowGroup::VHistoryTrackBarMainSupport, "VHistoryTrackBar"},
      {TWindowGroup::VZoneTrackBarMainSupport, "VZoneTrackBar"},
      {TWindowGroup::VFXTrackBarMainSupport, "VFXTrackBar"}};
  for (const auto& [group, prefix] : tracks) {
    TControl* support = AddControl(AddGroup(group, this), (std::string(prefix) + "Support").c_str());
    // The panel takes the pointer; guide and cursor let it through.
    TControl* guide = AddControl(support, (std::string(prefix) + "Guide").c_str(), Shape::Rectangle);
    guide->SetColours(kTabColour, kTabColour);
    guide->Radius = 4.0f;
    TControl* cursor = AddControl(support, (std::string(prefix) + "Cursor").c_str(), Shape::Rectangle);
    cursor->SetColours(0xFF708CD5, 0xFF708CD5);
    cursor->Radius = 4.0f;
    for (TControl* part : {guide, cursor}) part->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(support, &TControl::PointerPressed, this, [this](TControl* sender, Qt::MouseButtons buttons, QPointF at) {
      OnTrackBarMouseDown(sender, buttons, at.y());
    });
    connect(support, &TControl::PointerMoved, this, [this](TControl* sender, Qt::MouseButtons buttons, QPointF at) {
      OnTrackBarMouseMove(sender, buttons, at.y());
    });
    connect(support, &TControl::PointerReleased, this,
            [this](TControl* sender, Qt::MouseButtons, QPointF) { OnTrackBarMouseUp(sender); });
  }

  for (TWindowGroup group :
       {TWindowGroup::MainTitle_1, TWindowGroup::MainTitle_2, TWindowGroup::MainTitle_3, TWindowGroup::MainTitle_4}) {
    TControl* title = AddGroup(group, this);
    title->FontColour = claReferenceGraphicColor_1;
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  AddGroup(TWindowGroup::ParameterSelectionFormContainer, this);

  // The progress and message panel.
  TControl* panel = AddGroup(TWindowGroup::ProgressSupport, this, Shape::Rectangle);
  panel->FillColour = 0xFFFDFDFD;
  panel->StrokeColour = kTabColour;
  panel->StrokeThickness = 1.0f;
  panel->Radius = 8.0f;
  panel->resize(static_cast<int>(kPanelWidth), 420);
  auto label = [this, panel](const char* name, const char* text, float size, int y, int h) {
    TControl* control = AddControl(panel, name);
    control->Text = text;
    control->FontSize = size;
    control->setGeometry(0, y, static_cast<int>(kPanelWidth), h);
    control->setAttribute(Qt::WA_TransparentForMouseEvents);
    return control;
  };
  label("ApplicationNameTitle", "Quorvane", 26.0f, 16, 40)->FontStyle = platform::fsBold;
  label("CompanyNameTitle", "Vosker", 12.0f, 56, 20);
  label("VersionTitle", session::VersionTitleText().c_str(), 11.0f, 76, 18);
  const QRect imageRect(static_cast<int>(kPanelWidth) / 2 - 32, 104, 64, 64);
  const std::pair<TWindowGroup, TGlyph> images[] = {{TWindowGroup::LocalStorageImage, TGlyph::LocalStorage},
                                                    {TWindowGroup::ServerStorageImage, TGlyph::ServerStorage},
                                                    {TWindowGroup::DisabledServerStorageImage, TGlyph::DisabledServer},
                                                    {TWindowGroup::ServerStateImage, TGlyph::ServerState},
                                                    {TWindowGroup::SuccessImage, TGlyph::Success},
                                                    {TWindowGroup::FailureDownloadingOrSavingImage, TGlyph::Failure},
                                                    {TWindowGroup::FailureConnectionImage, TGlyph::FailureConnection},
                                                    {TWindowGroup::MailSentImage, TGlyph::MailSent},
                                                    {TWindowGroup::ServerMessageImage, TGlyph::ServerMessage}};
  for (const auto& [group, glyph] : images) {
    TControl* image = AddGroup(group, panel);
    const platform::TAlphaColor colour =
        glyph == TGlyph::Failure || glyph == TGlyph::FailureConnection ? claErrorColor : 0xFF708CD5;
    image->Painter = [glyph = glyph, colour](platform::Canvas& canvas, float w, float h) {
      PaintGlyph(glyph, canvas, w, h, colour);
    };
    image->setGeometry(imageRect);
  }
  // The disabled-server image sits beside the step images: it stays while later steps run.
  Group(TWindowGroup::DisabledServerStorageImage)->move(imageRect.x() + 96, imageRect.y());
  TControl* spinner = AddGroup(TWindowGroup::SpinnerImage, panel);
  spinner->setGeometry(imageRect);
  spinner->Painter = [this](platform::Canvas& canvas, float w, float h) {
    PaintSpinner(canvas, w, h, SpinnerAngle_, 0xFF708CD5);
  };
  TControl* inner = AddGroup(TWindowGroup::InnerCircle, panel, Shape::Circle);
  inner->FillColour = 0xFFFDFDFD;
  inner->setGeometry(imageRect.adjusted(10, 10, -10, -10));
  TControl* percent = AddGroup(TWindowGroup::ProgressIndicatorValue, panel);
  percent->FontSize = 12.0f;
  percent->setGeometry(imageRect.adjusted(10, 10, -10, -10));
  TControl* indicators = AddGroup(TWindowGroup::IndicatorSupport, panel);
  indicators->setGeometry(static_cast<int>(kPanelWidth) / 2 - 134, 186, 268, 16);
  for (int i = 0; i < 10; ++i) {
    TControl* lamp = AddControl(indicators, ("Indicator_" + std::to_string(i + 1)).c_str(), Shape::Circle);
    lamp->StrokeColour = 0xFF4C4C4E;
    lamp->StrokeThickness = 1.0f;
    lamp->setGeometry(i * 28, 0, 16, 16);
  }
  TControl* message = AddControl(panel, "MessageContent");
  message->FontSize = 16.0f;
  message->WordWrap = true;
  message->setGeometry(32, 214, static_cast<int>(kPanelWidth) - 64, 112);
  message->setAttribute(Qt::WA_TransparentForMouseEvents);
  Groups_[static_cast<std::size_t>(TWindowGroup::GoBackToWorkspaceButton)] =
      AddTextButton(panel, "GoBackToWorkspaceButton", "GoBackToWorkspaceButtonTitle", "Go Back To Workspace");
  Groups_[static_cast<std::size_t>(TWindowGroup::DownloadDataButton)] =
      AddTextButton(panel, "DownloadDataButton", "DownloadDataButtonTitle", "Download Data");
  Groups_[static_cast<std::size_t>(TWindowGroup::ParameterButton)] =
      AddTextButton(panel, "ParameterButton", "ParameterButtonTitle", "Resume");
  Group(TWindowGroup::GoBackToWorkspaceButton)->resize(220, 40);
  Group(TWindowGroup::DownloadDataButton)->resize(180, 40);
  Group(TWindowGroup::ParameterButton)->resize(140, 40);
  for (std::size_t i = 0; i < Groups_.size(); ++i) {
    if (Groups_[i] == nullptr) Groups_[i] = AddControl(this, session::GroupName(static_cast<TWindowGroup>(i)));
  }
}

// ---------------------------------------------------------------- layout

void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  OnFormResize();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  OnFormResize();
}

void TMainForm::OnFormResize() {
  const session::TLayoutResult result =
      session::LayoutWindow(Geometry, width(), height(), true, View.WorkspaceShown, StartupDone);
  if (result.Width != width() || result.Height != height()) resize(result.Width, result.Height);
  ApplyGeometry();
  if (result.Repaint) RequestChartRepaint(2);
  if (result.EnableTimer && !MainTimer.isActive()) MainTimer.start();
}

void TMainForm::BuildChartArea(TControl* chart) {
  ChartArea_ = new TChartArea(View, *Pages_, chart);
  // The controls over the chart are the window's groups: the screen modes hide them.
  Groups_[static_cast<std::size_t>(TWindowGroup::DatasetValueIndicatorSupport)] = ChartArea_->ValueBox;
  Groups_[static_cast<std::size_t>(TWindowGroup::GraphicSelectedZoneInfosSupport)] = ChartArea_->ZoneBox;
  for (std::size_t i = 0; i < 3; ++i)
    Groups_[static_cast<std::size_t>(TWindowGroup::ValuePositionIndicator_1) + i] = ChartArea_->ValueMarkers[i];
  ChartArea_->TrackBarGeometries = [this] { return TrackBarGeometries(); };
  ChartArea_->PagesBusy = [this] { return !WorkspaceIdle(); };
  ChartArea_->PlaceTrackBarSupports = [this](const std::vector<TTrackBarSupportPlacement>& placements) {
    for (const TTrackBarSupportPlacement& p : placements)
      MoveTrackBarSupport(p.Bar, p.SetX ? std::optional<float>(p.X) : std::nullopt, p.SetY);
  };
  connect(ChartArea_, &TChartArea::TrackBarCursorMoved, this,
          [this](TTrackBar bar, double cursorTop) { PlaceTrackBarCursor(bar, cursorTop); });
  connect(ChartArea_, &TChartArea::TrackBarsReset, this, [this] {
    for (std::size_t i = 0; i < kTrackBarStems.size(); ++i) PlaceTrackBarCursor(static_cast<TTrackBar>(i), 0.0);
  });
  connect(ChartArea_, &TChartArea::TitlesChanged, this,
          [this] { Find("QVListSelectionTitle_1")->SetText(session::ShownText(View.QVListTitle1)); });
  // A country chosen on the chart shows that country's first view.
  connect(ChartArea_, &TChartArea::CountryChosen, this, [this] {
    ApplyTabSelection(session::OnTabsheetClick(View, *Pages_, {TTabGroup::VL, 3}));
    ApplyTabSelection(session::OnTabsheetClick(View, *Pages_, {TTabGroup::HA, 0}));
  });
}

void TMainForm::ApplyGeometry() {
  const session::TWindowGeometry& g = Geometry;
  Place(Group(TWindowGroup::Logo), g.Logo);
  Place(Group(TWindowGroup::ConnectButtonSupport), g.ConnectButtonSupport);
  Find("ConnectButton")
      ->setGeometry(0, 0, static_cast<int>(g.ConnectButtonSupport.Width),
                    static_cast<int>(g.ConnectButtonSupport.Height));
  Place(Group(TWindowGroup::SetParametersButtonSupport), g.SetParametersButtonSupport);
  Find("SetParametersButton")
      ->setGeometry(0, 0, static_cast<int>(g.SetParametersButtonSupport.Width),
                    static_cast<int>(g.SetParametersButtonSupport.Height));
  Place(Group(TWindowGroup::SystemToolbarSupport), g.SystemToolbarSupport);
  const int tool = static_cast<int>(g.SystemToolbarSupport.Width / 3.0f);
  int x = 0;
  for (const char* name : {"MinimizeButton", "MaximizeOrRestoreButton", "CloseButton"}) {
    Find(name)->setGeometry(x, 0, tool, static_cast<int>(g.SystemToolbarSupport.Height));
    x += tool;
  }
  Place(Group(TWindowGroup::ProgressSupport), g.ProgressSupport);
  Place(Group(TWindowGroup::ParameterSelectionFormContainer), g.ParameterSelectionFormContainer);
  if (ParameterSelectionForm != nullptr && ParametersDialogAvailable)
    ParameterSelectionForm->setGeometry(Group(TWindowGroup::ParameterSelectionFormContainer)->rect());

  auto placeTabs = [this](TWindowGroup group, const session::TRectGeometry& support, const char* prefix,
                          const auto& tabs, int first, float font) {
    Place(Group(group), support);
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      TControl* tab = Find((std::string(prefix) + std::to_string(static_cast<int>(i) + first)).c_str());
      Place(tab, tabs[i]);
      auto* title = static_cast<TControl*>(tab->children().front());
      title->setGeometry(0, 0, tab->width(), tab->height());
      title->FontSize = font;
    }
  };
  placeTabs(TWindowGroup::MainTabsheetSupport, g.MainTabsheetSupport, "MainTabsheet_", g.MainTabsheets, 1,
            g.TabTitleFontSize);
  placeTabs(TWindowGroup::VLTabsheetSupport, g.VLTabsheetSupport, "VLTabsheet_", g.VLTabsheets, 1, g.TabTitleFontSize);
  placeTabs(TWindowGroup::HATabsheetSupport, g.HATabsheetSupport, "HATabsheet_", g.HATabsheets, 1, g.TabTitleFontSize);
  placeTabs(TWindowGroup::VRTabsheetSupport, g.VRTabsheetSupport, "VRTabsheet_", g.VRTabsheets, 1, g.TabTitleFontSize);
  placeTabs(TWindowGroup::HBTabsheetSupport, g.HBTabsheetSupport, "HBTabsheet_", g.HBTabsheets, 1, g.TabTitleFontSize);

  Place(Group(TWindowGroup::DatesSelectionSupport), g.DatesSelectionSupport);
  const std::pair<const char*, const session::TRectGeometry*> dateButtons[] = {{"StartDateButton", &g.StartDateButton},
                                                                               {"EndDateButton", &g.EndDateButton}};
  for (const auto& [name, rect] : dateButtons) {
    TControl* button = Find(name);
    Place(button, *rect);
    auto* title = static_cast<TControl*>(button->children().front());
    title->setGeometry(0, 0, button->width(), button->height());
    title->FontSize = g.DateButtonTitleFontSize;
  }
  Place(Group(TWindowGroup::IntraMonthTitleSupport), g.IntraMonthTitleSupport);
  Find("IntraMonthTitle")
      ->setGeometry(0, 0, static_cast<int>(g.IntraMonthTitleSupport.Width),
                    static_cast<int>(g.IntraMonthTitleSupport.Height));

  // Theme row: the visible tabs side by side with gaps of 12, right-aligned in the row.
  TControl* themes = Group(TWindowGroup::ThemeSelectionSupport);
  Place(themes, g.ThemeSelectionSupport);
  const int themeWidth = static_cast<int>((g.ThemeSelectionSupport.Width - 8 * 12.0f) / 9.0f);
  x = 0;
  for (const auto& [number, title] : kThemeTabs) {
    TControl* tab = Find(("ThemeSelectionTabsheet_" + std::to_string(number)).c_str());
    tab->setGeometry(x, 0, themeWidth, static_cast<int>(g.ThemeSelectionSupport.Height));
    auto* text = static_cast<TControl*>(tab->children().front());
    text->setGeometry(0, 0, tab->width(), tab->height());
    text->FontSize = g.TabTitleFontSize;
    x += themeWidth + 12;
  }

  const std::pair<TWindowGroup, const session::TRectGeometry*> lists[] = {
      {TWindowGroup::COListSelectionSupport, &g.COListSelectionSupport},
      {TWindowGroup::QVListSelectionSupport_1, &g.QVListSelectionSupport_1},
      {TWindowGroup::QVListSelectionSupport_2, &g.QVListSelectionSupport_2},
      {TWindowGroup::SLListSelectionSupport_1, &g.SLListSelectionSupport_1},
      {TWindowGroup::SLListSelectionSupport_2, &g.SLListSelectionSupport_2}};
  for (const auto& [group, rect] : lists) {
    Place(Group(group), *rect);
    const QObjectList& parts = Group(group)->children();
    const int w = static_cast<int>(rect->Width), h = static_cast<int>(rect->Height);
    static_cast<QWidget*>(parts[0])->setGeometry(h, 0, w - 2 * h, h);  // title between the arrows
    static_cast<QWidget*>(parts[1])->setGeometry(w - h, 0, h, h);
    static_cast<QWidget*>(parts[2])->setGeometry(0, 0, h, h);
  }
  TControl* chart = Group(TWindowGroup::GeneralInformationAndGraphicSupport);
  Place(chart, g.GeneralInformationAndGraphicSupport);
  ChartArea_->setGeometry(0, 0, chart->width(), chart->height());
  ChartArea_->TabWidth = g.HATabsheets[0].Width;
  PlaceTrackBars();
  const TWindowGroup titles[] = {TWindowGroup::MainTitle_1, TWindowGroup::MainTitle_2, TWindowGroup::MainTitle_3,
                                 TWindowGroup::MainTitle_4};
  for (std::size_t i = 0; i < 4; ++i) {
    Place(Group(titles[i]), g.MainTitles[i]);
    Group(titles[i])->FontSize = g.MainTitleFontSizes[i];
  }
}

// ---------------------------------------------------------------- window

void TMainForm::closeEvent(QCloseEvent* event) {
  if (Worker_.Busy()) {
    // A transfer or the calculation is stopped (the transfer cut, its writes
    // rolled back); a local step (a settings save) runs to its end. The
    // window closes once the worker is done, and no further step starts.
    CloseRequested_ = true;
    if (TransferRunning_ || session::LauncherOf(Step.Kind).AbortsOnClose) {
      Context.AbortRequested = true;
      if (Transport_) Transport_->Abort();
    }
    event->ignore();
    return;
  }
  Worker_.Stop();
  ptrMyExternQVDBClient = nullptr;
  ptrMyExternLocalQuorvaneDB = nullptr;
  Context.Client = nullptr;
  Context.Database = nullptr;
  Client_.reset();
  Database_.reset();
  Transport_.reset();
  event->accept();
}

void TMainForm::PlaceOnScreen(QScreen* target) {
  if (target == nullptr) {
    resize(session::kReferenceWidth, session::kReferenceHeight);
    return;
  }
  setScreen(target);
  setGeometry(ToQRect(session::ChooseWindowGeometry(ToScreenRect(target->availableGeometry()))));
}

void TMainForm::SetMaximised(bool maximise) {
  const QScreen* on = screen();
  const session::TScreenRect available = ToScreenRect(on != nullptr ? on->availableGeometry() : geometry());
  const QRect target = ToQRect(session::WindowStateGeometry(Placement_, maximise, ToScreenRect(geometry()), available));
  if (maximise)
    showMaximized();
  else
    showNormal();
  if (geometry() == target) return;
  // A display without a window manager keeps the window where it was: the
  // window takes the geometry itself. Setting a geometry drops the widget's
  // maximised flag, so the state is asked for again.
  setGeometry(target);
  if (maximise && !isMaximized()) setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && windowState() == Qt::WindowNoState &&
      RestoreMaximizedOnDeactivate) {
    OnButtonClick(Find("MaximizeOrRestoreButton"));
  }
}

void TMainForm::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // Pressing the background drags the frameless window.
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
  Dragging_ = true;
  DragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TMainForm::mouseMoveEvent(QMouseEvent* event) {
  if (Dragging_) move(event->globalPosition().toPoint() - DragOffset_);
  QWidget::mouseMoveEvent(event);
}

void TMainForm::mouseReleaseEvent(QMouseEvent* event) {
  Dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

}  // namespace app
