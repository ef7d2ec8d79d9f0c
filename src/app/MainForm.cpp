#include "app/MainForm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/Glyphs.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/TextHelpers.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "dialogs/CurrencySelectionForm.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/LoginForm.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/ParameterSelectionForm.h"
#include "dialogs/PwdRequestForm.h"
#include "dialogs/QuestionForm.h"
#include "dialogs/RequestForm.h"
#include "platform/CurlTransport.h"
#include "session/DateButtons.h"
#include "session/ModelStateTransfer.h"
#include "session/PageRefresh.h"
#include "session/ValueIndicators.h"
#include "session/WindowTexts.h"

namespace app {

namespace {

using session::TWindowGroup;
using Shape = TControl::TShape;

constexpr platform::TAlphaColor kTabColour = 0xFFC5D2DD;
constexpr platform::TAlphaColor kWhite = 0xFFFFFFFF;
constexpr platform::TAlphaColor kListTitleColour = 0xFF005890;
constexpr platform::TAlphaColor kButtonFill = 0xFFFDFDFD;
constexpr platform::TAlphaColor kGlyphColour = 0xFF4C4C4E;
constexpr platform::TAlphaColor kActiveGlyphColour = 0xFF708CD5;
constexpr float kPanelWidth = 640.0f;

// Theme tabs in row order with their titles (tab 0, the global model, has none).
constexpr std::array<std::pair<int, const char*>, 9> kThemeTabs{{{0, ""},
                                                                 {1, "All"},
                                                                 {4, "Ranking"},
                                                                 {2, "Macro"},
                                                                 {3, "Behavioral"},
                                                                 {5, "All"},
                                                                 {7, "Bond Ranking"},
                                                                 {8, "Cash Ranking"},
                                                                 {6, "Monetary"}}};

using session::TTabGroup;
using session::TTabRef;
using session::TTrackBar;

// The main tab and sub-index that theme tab n chooses.
constexpr std::array<std::pair<std::int32_t, std::int32_t>, 9> kThemeChoice{
    {{0, 0}, {1, 0}, {1, 2}, {1, 3}, {1, 1}, {2, 0}, {2, 3}, {2, 1}, {2, 2}}};

// The six track bars in window order (session::TTrackBar); each is
// <stem>MainSupport holding the panel <stem>Support with <stem>Guide and <stem>Cursor.
constexpr std::array<const char*, 6> kTrackBarStems{"VFIHeatMapTrackBar", "VEQHeatMapTrackBar", "VCYHeatMapTrackBar",
                                                    "VHistoryTrackBar",   "VZoneTrackBar",      "VFXTrackBar"};
constexpr float kTrackBarWidth = 16.0f;
constexpr float kTrackBarHeight = 400.0f;  // at the reference height
constexpr float kTrackCursorHeight = 48.0f;

// Tab names: "MainTabsheet_n" (main n - 1), "ThemeSelectionTabsheet_n"
// (theme n), "VLTabsheet_n" and likes (index n - 1).
constexpr std::array<std::pair<TTabGroup, const char*>, 6> kTabPrefixes{{{TTabGroup::Main, "MainTabsheet_"},
                                                                         {TTabGroup::Theme, "ThemeSelectionTabsheet_"},
                                                                         {TTabGroup::VL, "VLTabsheet_"},
                                                                         {TTabGroup::HA, "HATabsheet_"},
                                                                         {TTabGroup::VR, "VRTabsheet_"},
                                                                         {TTabGroup::HB, "HBTabsheet_"}}};

std::optional<TTabRef> TabOf(const QString& name) {
  for (const auto& [group, prefix] : kTabPrefixes) {
    if (!name.startsWith(prefix)) continue;
    bool ok = false;
    const int number = name.mid(static_cast<int>(std::strlen(prefix))).toInt(&ok);
    if (!ok) return std::nullopt;
    return TTabRef{group, group == TTabGroup::Theme ? number : number - 1};
  }
  return std::nullopt;
}

std::string TabName(TTabRef tab) {
  for (const auto& [group, prefix] : kTabPrefixes)
    if (group == tab.Group) return prefix + std::to_string(tab.Group == TTabGroup::Theme ? tab.Index : tab.Index + 1);
  return {};
}

TControl* TitleOf(TControl* tab) { return static_cast<TControl*>(tab->children().front()); }

TTrackBar TrackBarOf(const TControl* panel) {
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i)
    if (panel->objectName() == QString(kTrackBarStems[i]) + "Support") return static_cast<TTrackBar>(i);
  return TTrackBar::None;
}

// The cursor's Y for a bar's position: Position x R / D with D = ItemCount -
// PageSize and R = guide height - cursor height; the top when nothing travels.
double CursorYFor(const session::TrackBarState& state, double guideHeight, double cursorHeight) {
  const double d = state.ItemCount - state.PageSize;
  const double r = guideHeight - cursorHeight;
  if (d <= 0.0 || r <= 0.0) return 0.0;
  return std::clamp(state.Position * r / d, 0.0, r);
}

void Place(QWidget* widget, const session::TRectGeometry& rect) {
  widget->setGeometry(static_cast<int>(rect.X), static_cast<int>(rect.Y), static_cast<int>(rect.Width),
                      static_cast<int>(rect.Height));
}

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
  resize(session::kReferenceWidth, session::kReferenceHeight);
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

TControl* TMainForm::Find(const char* name) const { return findChild<TControl*>(name); }

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

  auto chart = AddGroup(TWindowGroup::GeneralInformationAndGraphicSupport, this);
  BuildChartArea(chart);

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
  ApplyScreen();
}

void TMainForm::SetMainTitlesVisible(bool visible) {
  for (TWindowGroup group :
       {TWindowGroup::MainTitle_1, TWindowGroup::MainTitle_2, TWindowGroup::MainTitle_3, TWindowGroup::MainTitle_4}) {
    Screen.SetVisible(group, visible);
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
  if (kind == 5 && Step.ErrorText.empty()) {
    DailyDataStartDate = Context.DailyDataStartDate;
    LatestDailyDate = Context.LatestDailyDate;
  }
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
  const std::vector<std::string> warnings = std::move(Warnings);
  Warnings.clear();
  for (const std::string& warning : warnings) ShowMessageForm(MessageForm, warning);
}

void TMainForm::ShowSelectedView() { ApplyTabSelection(session::ShowSelectedView(View, *Pages_)); }

// ---------------------------------------------------------------- buttons

bool TMainForm::SignInAndDownload() {
  if (Worker_.Busy()) return false;
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
  if (name == "MaximizeOrRestoreButton") isMaximized() ? showNormal() : showMaximized();
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
      static_cast<TControl*>(tab->children().front())->FontColour = kWhite;
    }
  }
  for (const char* name : {"StartDateButton", "EndDateButton"}) {
    TControl* button = Find(name);
    button->SetColours(kButtonFill, kListTitleColour);
    static_cast<TControl*>(button->children().front())->FontColour = kListTitleColour;
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

// ---------------------------------------------------------------- window

void TMainForm::closeEvent(QCloseEvent* event) {
  if (Worker_.Busy()) {
    // A running step or transfer is stopped (its transfer cut, its writes
    // rolled back); the window closes once the worker is done.
    CloseRequested_ = true;
    Context.AbortRequested = true;
    if (Transport_) Transport_->Abort();
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

// ---------------------------------------------------------------- tabs

void TMainForm::PaintTab(TTabRef tab, bool highlighted) {
  TControl* control = Find(TabName(tab).c_str());
  if (control == nullptr) return;
  const session::TTabGroupColours colours = session::TabGroupColours(tab.Group);
  const platform::TAlphaColor fill = highlighted ? colours.HighlightFill : colours.NormalFill;
  control->SetColours(fill, fill);
  TitleOf(control)->SetFontColour(colours.FontColor);
}

// The chosen tab of its group: the main tab, the theme of its main tab, and
// the selected entries on the path of the current model's record.
bool TMainForm::TabIsChosen(TTabRef tab) const {
  const std::size_t i = static_cast<std::size_t>(tab.Index);
  switch (tab.Group) {
    case TTabGroup::Main:
      return View.SelectedMainTab == tab.Index;
    case TTabGroup::Theme: {
      if (i >= kThemeChoice.size()) return false;
      const auto [main, sub] = kThemeChoice[i];
      const std::int32_t chosen = main == 0 ? View.GlobalSubIndex : main == 1 ? View.EquitySubIndex : View.BondSubIndex;
      return chosen == sub;
    }
    default:
      break;
  }
  if (View.CurrentModelRecord < 0 || View.CurrentModelRecord >= static_cast<std::int32_t>(View.ModelRecords.size()))
    return false;
  const session::TModelRecord& record = View.ModelRecords[static_cast<std::size_t>(View.CurrentModelRecord)];
  for (std::size_t v = 0; v < record.VLTabs.size(); ++v) {
    const session::TVLTabEntry& vl = record.VLTabs[v];
    if (!vl.Selected) continue;
    if (tab.Group == TTabGroup::VL && v == i) return true;
    if (tab.Group == TTabGroup::HB && i < vl.HBTabs.size() && vl.HBTabs[i].Selected) return true;
    for (std::size_t h = 0; h < vl.HATabs.size(); ++h) {
      const session::THATabEntry& ha = vl.HATabs[h];
      if (!ha.Selected) continue;
      if (tab.Group == TTabGroup::HA && h == i) return true;
      if (tab.Group == TTabGroup::VR && i < ha.VRTabs.size() && ha.VRTabs[i].Selected) return true;
    }
  }
  return false;
}

void TMainForm::OnTabsheetMouseEnter(TControl* sender) {
  if (const std::optional<TTabRef> tab = TabOf(sender->objectName())) PaintTab(*tab, true);
}

void TMainForm::OnTabsheetMouseLeave(TControl* sender) {
  const std::optional<TTabRef> tab = TabOf(sender->objectName());
  if (tab && !TabIsChosen(*tab)) PaintTab(*tab, false);
}

void TMainForm::OnTabsheetClick(TControl* sender) {
  const std::optional<TTabRef> tab = TabOf(sender->objectName());
  if (!tab || !WorkspaceIdle()) return;
  if (tab->Group == TTabGroup::Theme) return OnThemesSelectionTabsheetClick(sender);
  ApplyTabSelection(session::OnTabsheetClick(View, *Pages(), *tab));
}

void TMainForm::OnThemesSelectionTabsheetClick(TControl* sender) {
  const std::optional<TTabRef> tab = TabOf(sender->objectName());
  if (!tab || tab->Group != TTabGroup::Theme || !WorkspaceIdle()) return;
  ApplyTabSelection(session::OnThemesSelectionTabsheetClick(View, *Pages(), tab->Index));
}

// In the order the selection lists it: paints, theme tabs, the view shown
// (indicators hidden, repaint, screens 2 and 3 with the arrangement, titles),
// or the arrangement alone; last the intra-month title's colour.
void TMainForm::ApplyTabSelection(const session::TTabSelection& selection) {
  if (!selection.Handled) return;
  for (const session::TTabHighlight& paint : selection.Paints) PaintTab(paint.Tab, paint.Highlighted);
  if (selection.ThemeTabVisible) Screen.ThemeTabVisible = *selection.ThemeTabVisible;
  if (selection.ViewShown) {
    if (selection.HideValueIndicators) HideValueIndicators();
    if (selection.Repaint) RequestChartRepaint(2);
    SetScreenMode(2);
    PendingTabs_ = selection.Tabs ? &*selection.Tabs : nullptr;
    SetScreenMode(3);
    PendingTabs_ = nullptr;
    ApplyMainTitles(selection.Titles);
    Find("SLListSelectionTitle_2")->SetText(session::ShownText(View.SLListTitle2));
  } else if (selection.Tabs) {
    ApplyTabs(*selection.Tabs);
  }
  if (selection.IntraMonthTitleFontColor) Find("IntraMonthTitle")->SetFontColour(*selection.IntraMonthTitleFontColor);
  ApplyScreen();
}

// Titles, then visibility and placement, then colours. Visibility of the
// groups goes into Screen; the caller applies it.
void TMainForm::ApplyTabs(const session::TTabSelection::TTabs& tabs) {
  auto writeTitles = [this](TTabGroup group, const auto& titles) {
    for (std::size_t i = 0; i < titles.size(); ++i) {
      if (!titles[i]) continue;
      TitleOf(Find(TabName({group, static_cast<std::int32_t>(i)}).c_str()))->SetText(session::ShownText(*titles[i]));
    }
  };
  writeTitles(TTabGroup::VL, tabs.Titles.VL);
  writeTitles(TTabGroup::HA, tabs.Titles.HA);
  writeTitles(TTabGroup::VR, tabs.Titles.VR);
  writeTitles(TTabGroup::HB, tabs.Titles.HB);
  const session::TTabArrangement& a = tabs.Arrangement;
  if (!a.Applies) return;

  auto showTabs = [this](TTabGroup group, const auto& visible, auto& rects) {
    for (std::size_t i = 0; i < visible.size(); ++i) {
      rects[i].Visible = visible[i];
      Find(TabName({group, static_cast<std::int32_t>(i)}).c_str())->setVisible(visible[i]);
    }
  };
  showTabs(TTabGroup::VL, a.VLTabsheet, Geometry.VLTabsheets);
  session::PlaceMainAndVLTabsheets(Geometry);
  if (a.HATabsheet) {
    showTabs(TTabGroup::HA, *a.HATabsheet, Geometry.HATabsheets);
    if (a.PlaceHATabsheets) session::PlaceHATabsheets(Geometry);
  }
  if (a.VRTabsheet) {
    showTabs(TTabGroup::VR, *a.VRTabsheet, Geometry.VRTabsheets);
    session::PlaceVRAndHBTabsheets(Geometry);
  }
  const std::pair<TWindowGroup, bool> groups[] = {
      {TWindowGroup::VLTabsheetSupport, a.VLTabsheetSupport},
      {TWindowGroup::HATabsheetSupport, a.HATabsheetSupport},
      {TWindowGroup::VRTabsheetSupport, a.VRTabsheetSupport},
      {TWindowGroup::HBTabsheetSupport, a.HBTabsheetSupport},
      {TWindowGroup::COListSelectionSupport, a.COListSelectionSupport},
      {TWindowGroup::QVListSelectionSupport_1, a.QVListSelectionSupport_1},
      {TWindowGroup::QVListSelectionSupport_2, a.QVListSelectionSupport_2},
      {TWindowGroup::SLListSelectionSupport_1, a.SLListSelectionSupport_1},
      {TWindowGroup::SLListSelectionSupport_2, a.SLListSelectionSupport_2},
      {TWindowGroup::VHistoryTrackBarMainSupport, a.VHistoryTrackBarMainSupport},
      {TWindowGroup::VFIHeatMapTrackBarMainSupport, a.VFIHeatMapTrackBarMainSupport},
      {TWindowGroup::VEQHeatMapTrackBarMainSupport, a.VEQHeatMapTrackBarMainSupport},
      {TWindowGroup::VCYHeatMapTrackBarMainSupport, a.VCYHeatMapTrackBarMainSupport},
      {TWindowGroup::VZoneTrackBarMainSupport, a.VZoneTrackBarMainSupport},
      {TWindowGroup::VFXTrackBarMainSupport, a.VFXTrackBarMainSupport}};
  for (const auto& [group, visible] : groups) Screen.SetVisible(group, visible);
  if (a.COListSelectionTitle) Find("COListSelectionTitle")->SetText(session::ShownText(*a.COListSelectionTitle));

  auto paintTabs = [this](TTabGroup group, const auto& paints) {
    for (std::size_t i = 0; i < paints.size(); ++i) {
      TControl* tab = Find(TabName({group, static_cast<std::int32_t>(i)}).c_str());
      tab->SetColours(paints[i].Fill, paints[i].Fill);
      if (paints[i].FontColor) TitleOf(tab)->SetFontColour(*paints[i].FontColor);
    }
  };
  paintTabs(TTabGroup::VL, tabs.Colours.VL);
  paintTabs(TTabGroup::VR, tabs.Colours.VR);
  paintTabs(TTabGroup::HA, tabs.Colours.HA);
  paintTabs(TTabGroup::HB, tabs.Colours.HB);
  ApplyGeometry();
}

void TMainForm::ArrangeTabsheets() {
  TModelPages* pages = Pages();
  if (pages == nullptr) return;
  session::TTabSelection::TTabs tabs;
  tabs.Titles = session::SetTabsheetTitles(View);
  tabs.Arrangement = session::ArrangeTabsheets(View, session::RankingFacts(*pages));
  if (tabs.Arrangement.Applies) tabs.Colours = session::SetTabsheetColours(View, false);
  ApplyTabs(tabs);
  ApplyScreen();
}

void TMainForm::ApplyMainTitles(const session::TMainTitles& titles) {
  const std::pair<TWindowGroup, const std::string*> texts[] = {{TWindowGroup::MainTitle_1, &titles.Title1},
                                                               {TWindowGroup::MainTitle_2, &titles.Title2},
                                                               {TWindowGroup::MainTitle_3, &titles.Title3},
                                                               {TWindowGroup::MainTitle_4, &titles.Title4}};
  for (const auto& [group, text] : texts) Group(group)->SetText(*text);
}

void TMainForm::UpdateMainTitles() {
  TModelPages* pages = Pages();
  if (pages == nullptr) return;
  std::int32_t view = -1;
  pages->WithPage(PageForTab(View.SelectedMainTab, View.GlobalSubIndex, View.EquitySubIndex, View.BondSubIndex),
                  [&view](const auto& page) { view = page.CurrentView; });
  ApplyMainTitles(session::UpdateMainTitles(View, view));
}

void TMainForm::RequestChartRepaint(std::int32_t phase) { ChartArea_->RequestRepaint(phase); }

void TMainForm::HideValueIndicators() { ChartArea_->HideValueIndicators(); }

// ---------------------------------------------------------------- list arrows

void TMainForm::OnDownControlMouseDown(TControl* sender) { StepList(sender, session::TListArrow::Down); }

void TMainForm::OnUpControlMouseDown(TControl* sender) { StepList(sender, session::TListArrow::Up); }

void TMainForm::StepList(TControl* sender, session::TListArrow arrow) {
  if (!WorkspaceIdle()) return;
  // "<list>ListSelectionUpControl[_n]": the list from the first two letters, the number from the suffix.
  const QString name = sender->objectName();
  session::TListSelector selector = session::TListSelector::CO;
  if (name.startsWith("QV")) selector = name.endsWith("_2") ? session::TListSelector::QV2 : session::TListSelector::QV1;
  if (name.startsWith("SL")) selector = name.endsWith("_2") ? session::TListSelector::SL2 : session::TListSelector::SL1;
  ApplyListStep(session::StepList(View, *Pages(), selector, arrow));
}

void TMainForm::ApplyListStep(const session::TListStepResult& result) {
  const std::pair<const char*, const std::optional<std::string>*> titles[] = {
      {"COListSelectionTitle", &result.COListSelectionTitle},
      {"QVListSelectionTitle_1", &result.QVListSelectionTitle_1},
      {"QVListSelectionTitle_2", &result.QVListSelectionTitle_2},
      {"SLListSelectionTitle_2", &result.SLListSelectionTitle_2}};
  for (const auto& [name, text] : titles)
    if (*text) Find(name)->SetText(session::ShownText(**text));
  if (result.ArrangeTabsheets) ArrangeTabsheets();
  if (result.ShowSelectedView) ShowSelectedView();
  if (result.Repaint && View.WorkspaceShown) RequestChartRepaint(View.PaintPhase);
  if (result.Titles) ApplyMainTitles(*result.Titles);
}

// ---------------------------------------------------------------- track bars

TControl* TMainForm::TrackBarPanel(TTrackBar bar) const {
  const auto i = static_cast<std::size_t>(bar);
  return i < kTrackBarStems.size() ? Find((std::string(kTrackBarStems[i]) + "Support").c_str()) : nullptr;
}

session::TTrackBarGeometries TMainForm::TrackBarGeometries() const {
  session::TTrackBarGeometries geometries;
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i) {
    const std::string stem = kTrackBarStems[i];
    const TControl* guide = Find((stem + "Guide").c_str());
    const TControl* cursor = Find((stem + "Cursor").c_str());
    geometries[i] = {static_cast<double>(guide->y()), static_cast<double>(guide->height()), TrackCursorY_[i],
                     static_cast<double>(cursor->height())};
  }
  return geometries;
}

void TMainForm::PlaceTrackBarCursor(TTrackBar bar, double y) {
  const auto i = static_cast<std::size_t>(bar);
  if (i >= kTrackBarStems.size()) return;
  TrackCursorY_[i] = y;
  TControl* cursor = Find((std::string(kTrackBarStems[i]) + "Cursor").c_str());
  cursor->move(cursor->x(), static_cast<int>(std::lround(y)));
}

// Sizes of the six bars (the chart pass moves them beside its widgets) and
// their cursors at the bars' positions.
void TMainForm::PlaceTrackBars() {
  const int width = static_cast<int>(kTrackBarWidth);
  const int height = static_cast<int>(kTrackBarHeight * fScreenHeightRatio);
  const int cursorHeight = static_cast<int>(kTrackCursorHeight * fScreenHeightRatio);
  std::array<session::TrackBarState*, 6> states = View.TrackBars();
  for (std::size_t i = 0; i < kTrackBarStems.size(); ++i) {
    const std::string stem = kTrackBarStems[i];
    TControl* support = Find((stem + "MainSupport").c_str());
    support->resize(width, height);
    // Until the chart pass places a bar beside its widget: at the chart's right edge.
    if (!TrackSupportPlaced_[i]) {
      const session::TRectGeometry& chart = Geometry.GeneralInformationAndGraphicSupport;
      support->move(static_cast<int>(chart.X + chart.Width - 60.0f),
                    static_cast<int>(Geometry.VLTabsheetSupport.Y + Geometry.VLTabsheets[1].Y));
    }
    Find((stem + "Support").c_str())->setGeometry(0, 0, width, height);
    Find((stem + "Guide").c_str())->setGeometry(width / 4, 0, width / 2, height);
    TControl* cursor = Find((stem + "Cursor").c_str());
    cursor->resize(width, cursorHeight);
    PlaceTrackBarCursor(static_cast<TTrackBar>(i), CursorYFor(*states[i], height, cursorHeight));
  }
}

void TMainForm::MoveTrackBarSupport(TTrackBar bar, std::optional<float> chartX, bool setY) {
  const auto i = static_cast<std::size_t>(bar);
  if (i >= kTrackBarStems.size()) return;
  TrackSupportPlaced_[i] = true;
  TControl* support = Find((std::string(kTrackBarStems[i]) + "MainSupport").c_str());
  const int x = chartX ? static_cast<int>(Geometry.GeneralInformationAndGraphicSupport.X + *chartX) : support->x();
  const int y = setY ? static_cast<int>(Geometry.VLTabsheetSupport.Y + Geometry.VLTabsheets[1].Y) : support->y();
  support->move(x, y);
}

void TMainForm::OnTrackBarMouseDown(TControl* sender, Qt::MouseButtons buttons, double y) {
  const TTrackBar bar = TrackBarOf(sender);
  if (bar == TTrackBar::None || !WorkspaceIdle()) return;
  HideValueIndicators();
  ApplyTrackBarOutcome(
      session::PressTrackBar(View, *Pages(), bar, (buttons & Qt::LeftButton) != 0, y, TrackBarGeometries()));
  ApplyScreen();
}

void TMainForm::OnTrackBarMouseMove(TControl* sender, Qt::MouseButtons buttons, double y) {
  const TTrackBar bar = TrackBarOf(sender);
  if (bar == TTrackBar::None || !WorkspaceIdle()) return;
  ApplyTrackBarOutcome(
      session::DragTrackBar(View, *Pages(), bar, (buttons & Qt::LeftButton) != 0, y, TrackBarGeometries()));
}

void TMainForm::OnTrackBarMouseUp(TControl* sender) {
  const TTrackBar bar = TrackBarOf(sender);
  if (bar != TTrackBar::None) session::ReleaseTrackBar(View, bar);
}

void TMainForm::ApplyTrackBarOutcome(const session::TTrackBarOutcome& outcome) {
  if (outcome.Moved != TTrackBar::None) PlaceTrackBarCursor(outcome.Moved, outcome.CursorTop);
  if (outcome.RepaintPhase != session::kNoRepaint && View.WorkspaceShown) RequestChartRepaint(outcome.RepaintPhase);
  if (outcome.UpdateTitles) UpdateMainTitles();
}

// ---------------------------------------------------------------- hover looks

void TMainForm::OnButtonEnter(TControl* sender) {
  const QString name = sender->objectName();
  for (const char* button : {"ConnectButton", "SetParametersButton", "CloseButton", "MinimizeButton"}) {
    if (name != button) continue;
    sender->setProperty("active", true);
    sender->update();
    return;
  }
  if (name == "MaximizeOrRestoreButton") {
    sender->setProperty("glyph", static_cast<int>(isMaximized() ? TGlyph::Restore : TGlyph::Maximize));
    sender->setProperty("active", true);
    sender->update();
  }
}

void TMainForm::OnButtonLeave(TControl* sender) {
  const QString name = sender->objectName();
  for (const char* button : {"ConnectButton", "SetParametersButton", "CloseButton", "MinimizeButton"}) {
    if (name != button) continue;
    sender->setProperty("active", false);
    sender->update();
    return;
  }
  if (name == "MaximizeOrRestoreButton") {
    sender->setProperty("glyph", static_cast<int>(isMaximized() ? TGlyph::Restore : TGlyph::Maximize));
    sender->setProperty("active", false);
    sender->update();
  }
}

namespace {

// The frame rule of the panel's text buttons: a disabled frame (0xFFB6C8D6)
// stays; else fill 0xFFFDFDFD, frame 0xFF4C4C4E of the given thickness.
void FrameRule(TControl* button, float thickness) {
  if (button->StrokeColour == session::kDisabledButtonColour) return;
  button->FillColour = 0xFFFDFDFD;
  button->StrokeColour = 0xFF4C4C4E;
  button->SetStrokeThickness(thickness);
}

// The date rule: fill, frame and title in the title colour pair; the end
// date in the sixth region colour while the intra-month title shows.
void DateRule(TControl* button, TControl* title, bool intraMonthEnd, float thickness) {
  const platform::TAlphaColor colour = intraMonthEnd ? claRegionColors[5] : claTitleColorPair[1];
  button->FillColour = claTitleColorPair[0];
  button->StrokeColour = colour;
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

void TMainForm::OnArrowMouseEnter(TControl* sender) {
  sender->setProperty("active", true);
  sender->update();
}

void TMainForm::OnArrowMouseLeave(TControl* sender) {
  sender->setProperty("active", false);
  sender->update();
}

}  // namespace app
