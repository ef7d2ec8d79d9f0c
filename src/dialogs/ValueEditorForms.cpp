#include "dialogs/ValueEditorForms.h"

#include <QEvent>
#include <QHideEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <vector>

#include "dialogs/DialogWidgets.h"
#include "session/ValueEditors.h"

using namespace dialogs;

namespace {
constexpr QRgb kPageFill = 0xFFFDFDFD;
constexpr QRgb kGuideFill = 0xFFC5D2DD;
constexpr QRgb kCursorFill = 0xFF708CD5;
constexpr int kInfoTitleSize = 24;  // 18 pt
constexpr int kTextSize = 16;
constexpr int kRowHeight = 48;  // every text row of the pages is 48 px high, its text centred
constexpr int kArrowSize = 24;
constexpr int kArrowGap = 34;  // from a down arrow's X to its up arrow's
constexpr int kTrustLabelHeight = 22;

QString Text(const std::string& text) { return QString::fromStdString(text); }

void FillPage(QWidget* page, const QString& name) {
  page->setObjectName(name);
  page->setAutoFillBackground(true);
  QPalette palette = page->palette();
  palette.setColor(QPalette::Window, QColor::fromRgba(kPageFill));
  page->setPalette(palette);
  page->resize(880, 780);
}

QLabel* InfoTitle(QWidget* page, const QString& name, const QString& text, int x, int y, int size = kTextSize) {
  return MakeLabel(page, name, text, x, y, 860 - x, kRowHeight, size);
}

QLabel* RowTitle(QWidget* page, const QString& name, const QString& text, int y) {
  return MakeLabel(page, name, text, 40, y, 170, kRowHeight, kTextSize);
}

// The panel of a trust bar: its presses, moves and releases go to the page,
// X in the panel's coordinates (the guide starts at the panel's X 0).
class TTrackBarPanel : public QWidget {
 public:
  TTrackBarPanel(QWidget* parent, const QString& name, int x, int y) : QWidget(parent) {
    setObjectName(name);
    setGeometry(x, y, 307, 50);
  }
  std::function<void(bool leftButton, double x)> OnPress;
  std::function<void(bool leftButton, double x)> OnMove;
  std::function<void()> OnRelease;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    event->accept();
    if (OnPress) OnPress(event->button() == Qt::LeftButton, event->position().x());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    event->accept();
    if (OnMove) OnMove((event->buttons() & Qt::LeftButton) != 0, event->position().x());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    event->accept();
    if (OnRelease) OnRelease();
  }
};
}  // namespace

// The arrow rows of a page and their hold: an arrow press starts a hold in
// the session editors, its release ends it with the page's release step.
// A hold also ends, without that step, when the window deactivates or an
// arrow loses its mouse grab.
class THoldRows : public QObject {
 public:
  THoldRows(QWidget* page, session::TValueEditorSet& editors, std::function<void(std::int32_t)> release)
      : QObject(page), Page_(page), Editors_(editors), Release_(std::move(release)) {}

  struct TRow {
    QLabel* Title = nullptr;
    QLabel* Value = nullptr;
    QLabel* Percent = nullptr;
    TPictureButton* Down = nullptr;
    TPictureButton* Up = nullptr;
    void SetVisible(bool visible) const {
      for (QWidget* w : std::initializer_list<QWidget*>{Title, Value, Percent, Down, Up}) w->setVisible(visible);
    }
  };

  // Row of editor `editor`: Title_<row>a at (40, y), Value_<value> (65 wide at X 210, right-aligned),
  // Title_<row>b "%" right after it (reaching under the arrow's blank margin, so that it keeps its size),
  // ValueDownControl_<editor + 1> at (arrowX, y + 12) and its up arrow 34 px right.
  TRow& AddRow(std::int32_t editor, int row, int value, const QString& title, int y, int arrowX) {
    TRow r;
    r.Title = RowTitle(Page_, QStringLiteral("Title_%1a").arg(row), title, y);
    r.Value = MakeLabel(Page_, QStringLiteral("Value_%1").arg(value), QString(), 210, y, 65, kRowHeight, kTextSize,
                        false, kTextColor, Qt::AlignRight | Qt::AlignVCenter);
    r.Percent =
        MakeLabel(Page_, QStringLiteral("Title_%1b").arg(row), QStringLiteral("%"), 275, y, 18, kRowHeight, kTextSize);
    const QString arrow = QString::number(editor + 1);
    r.Down = new TPictureButton(Page_, QStringLiteral("ValueDownControl_") + arrow, TPicture::ArrowDown, arrowX,
                                y + (kRowHeight - kArrowSize) / 2, kArrowSize);
    r.Up = new TPictureButton(Page_, QStringLiteral("ValueUpControl_") + arrow, TPicture::ArrowUp, arrowX + kArrowGap,
                              y + (kRowHeight - kArrowSize) / 2, kArrowSize);
    for (TPictureButton* button : {r.Down, r.Up}) {
      const bool down = button == r.Down;
      button->installEventFilter(this);
      connect(button, &TPictureButton::Pressed, this, [this, editor, down] { Editors_.Press(editor, down); });
      connect(button, &TPictureButton::Released, this, [this, editor] {
        // A hold already ended (page hidden, mouse lost) takes no release step.
        if (Editors_.HeldEditor != editor) return;
        Release_(editor);
        ShowValues();
      });
    }
    Rows_.push_back(r);
    return Rows_.back();
  }

  // Every row's label shows its editor's text.
  void ShowValues() {
    for (std::size_t i = 0; i < Rows_.size() && i < Editors_.Editors.size(); ++i)
      Rows_[i].Value->setText(Text(Editors_.Editors[i].ValueLabel));
  }
  void ShowValue(std::int32_t editor) {
    if (editor >= 0 && static_cast<std::size_t>(editor) < Rows_.size())
      Rows_[static_cast<std::size_t>(editor)].Value->setText(
          Text(Editors_.Editors[static_cast<std::size_t>(editor)].ValueLabel));
  }
  const TRow& Row(std::size_t i) const { return Rows_[i]; }

  // Watches the page's top-level window (it may change when the page is re-parented).
  void WatchWindow() {
    QWidget* window = Page_->window();
    if (window == Window_) return;
    if (Window_) Window_->removeEventFilter(this);
    Window_ = window;
    if (window != Page_) window->installEventFilter(this);
  }

  // Called on deactivation and grab loss: the page ends its hold.
  std::function<void()> Cancel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool lost =
        (watched == Window_ && event->type() == QEvent::WindowDeactivate) || event->type() == QEvent::UngrabMouse;
    if (lost && Cancel) Cancel();
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* Page_;
  session::TValueEditorSet& Editors_;
  std::function<void(std::int32_t)> Release_;
  std::vector<TRow> Rows_;
  QPointer<QWidget> Window_;
};

// --- "Best Countries" --------------------------------------------------------

TUSForm_2::TUSForm_2(QWidget* parent, session::TConcentrationPage& page) : QWidget(parent), Page_(page) {
  FillPage(this, QStringLiteral("USForm_2"));
  MainTimer.setInterval(50);
  connect(&MainTimer, &QTimer::timeout, this, &TUSForm_2::OnFormTimer);
  InformationTitle_1 = InfoTitle(this, QStringLiteral("InformationTitle_1"), QString(), 20, 120, kInfoTitleSize);
  InformationTitle_2 = InfoTitle(this, QStringLiteral("InformationTitle_2"), QString(), 20, 168);
  InformationTitle_3 =
      InfoTitle(this, QStringLiteral("InformationTitle_3"),
                QStringLiteral("Set concentration level on the best-remunerating currencies"), 20, 264);
  Rows_ = new THoldRows(this, Page_, [this](std::int32_t editor) { Page_.Release(editor); });
  Rows_->Cancel = [this] { CancelPresses(); };
  Rows_->AddRow(0, 1, 1, QStringLiteral("Level"), 216, 285);
  Rows_->AddRow(1, 2, 2, QStringLiteral("Level"), 312, 285);
}

void TUSForm_2::Refresh() {
  const bool bond = Page_.PageKind == 1;
  FitText(InformationTitle_1,
          bond ? QStringLiteral(
                     "10Y fixed-rate bond  and currency portfolio concentration on the best-remunerating countries")
               : QStringLiteral("Equity Portfolio concentration on the best-remunerating countries"));
  FitText(InformationTitle_2, bond ? QStringLiteral("Set concentration level of the best-remunerating countries")
                                   : QStringLiteral("Set concentration level on the best-remunerating countries"));
  InformationTitle_3->setVisible(Page_.SecondRowVisible());
  Rows_->Row(1).SetVisible(Page_.SecondRowVisible());
  Rows_->ShowValues();
  Rows_->WatchWindow();
  if (!MainTimer.isActive()) MainTimer.start();
}

void TUSForm_2::OnFormTimer() { Rows_->ShowValue(Page_.Tick()); }

// A hold ended without its release stored nothing: the editors show the stored levels again.
void TUSForm_2::CancelPresses() {
  if (Page_.HeldEditor == session::kNoEditor) return;
  Page_.CancelHold();
  Page_.ShowPage(Page_.PageKind);
  Rows_->ShowValues();
}

void TUSForm_2::hideEvent(QHideEvent* event) {
  CancelPresses();
  QWidget::hideEvent(event);
}

// --- "Gold & Currencies" -----------------------------------------------------

TUSForm_3::TUSForm_3(QWidget* parent, session::TGoldPage& page) : QWidget(parent), Page_(page) {
  FillPage(this, QStringLiteral("USForm_3"));
  MainTimer.setInterval(50);
  connect(&MainTimer, &QTimer::timeout, this, &TUSForm_3::OnFormTimer);
  InfoTitle(this, QStringLiteral("InformationTitle_1"), QStringLiteral("Gold and best currencies"), 20, 120,
            kInfoTitleSize);
  InfoTitle(this, QStringLiteral("InformationTitle_2"),
            QStringLiteral("Set your maximum exposure in gold, and foreign currencies"), 20, 168);
  InfoTitle(this, QStringLiteral("InformationTitle_21"),
            QStringLiteral("Maximum allocation within the bond part of the portfolio:"), 20, 216);
  InfoTitle(this, QStringLiteral("InformationTitle_22"),
            QStringLiteral("Maximum currency risk of the global portfolio:"), 20, 312);
  InfoTitle(this, QStringLiteral("InformationTitle_3"),
            QStringLiteral("Use or not countries' inflation-linked bonds when they exist"), 20, 408);
  Rows_ = new THoldRows(this, Page_, [this](std::int32_t editor) { Page_.Release(editor); });
  Rows_->Cancel = [this] { CancelPresses(); };
  Rows_->AddRow(0, 1, 1, QStringLiteral("Gold exposure"), 264, 285);
  Rows_->AddRow(1, 2, 2, QStringLiteral("FX risk"), 360, 285);
  RowTitle(this, QStringLiteral("Title_3a"), QStringLiteral("TIPS"), 456);
  auto* frame = new TFrame(this, QStringLiteral("CheckBoxFrame_1"), 285, 456 + (kRowHeight - 24) / 2, 24, 24,
                           kEntryFill, kTextColor, 2.0, 1.0);
  frame->setCursor(Qt::PointingHandCursor);
  CheckBox_1 = new TFrame(frame, QStringLiteral("CheckBox_1"), 4, 4, 16, 16, kTextColor, kTextColor, 0.0);
  CheckBox_1->setAttribute(Qt::WA_TransparentForMouseEvents);
  connect(frame, &TFrame::Clicked, this, [this] {
    Page_.CheckBoxClick();
    CheckBox_1->setVisible(Page_.TipsChecked);
  });
}

void TUSForm_3::Refresh() {
  CheckBox_1->setVisible(Page_.TipsChecked);
  Rows_->ShowValues();
  Rows_->WatchWindow();
  if (!MainTimer.isActive()) MainTimer.start();
}

void TUSForm_3::OnFormTimer() { Rows_->ShowValue(Page_.Tick()); }

void TUSForm_3::CancelPresses() {
  if (Page_.HeldEditor == session::kNoEditor) return;
  Page_.CancelHold();
  Page_.ShowPage();
  Rows_->ShowValues();
}

void TUSForm_3::hideEvent(QHideEvent* event) {
  CancelPresses();
  QWidget::hideEvent(event);
}

// --- "Global Risk " ----------------------------------------------------------

namespace {
constexpr int kBarX = 225;
constexpr std::array<int, 3> kBarY = {503, 599, 695};
constexpr std::array<const char*, 3> kBarTitles = {"Macro-Economic", "Behavioral", "Monetary"};
}  // namespace

TUSForm_4::TUSForm_4(QWidget* parent, session::TPortfolioPage& page, TCurrencyChoice chooseCurrency)
    : QWidget(parent), Page_(page), ChooseCurrency_(std::move(chooseCurrency)) {
  FillPage(this, QStringLiteral("USForm_4"));
  MainTimer.setInterval(50);
  connect(&MainTimer, &QTimer::timeout, this, &TUSForm_4::OnFormTimer);
  InfoTitle(this, QStringLiteral("InformationTitle_1"), QStringLiteral("Global portfolio "), 20, 120, kInfoTitleSize);
  InfoTitle(this, QStringLiteral("InformationTitle_2"),
            QStringLiteral("Set your global portfolio currency and equity/bond maximum and minimum allocations"), 20,
            168);
  RowTitle(this, QStringLiteral("Title_1"), QStringLiteral("Portfolio currency"), 216);
  Value_1 = MakeLabel(this, QStringLiteral("Value_1"), QString(), 210, 216, 65, kRowHeight, kTextSize, false,
                      kTextColor, Qt::AlignRight | Qt::AlignVCenter);
  SelectButton_1 = new TDialogButton(this, QStringLiteral("SelectButton_1"), QStringLiteral("Select"), 285, 225, 70, 30,
                                     kTextSize, false);
  SelectButton_1->Title()->setObjectName(QStringLiteral("SelectButtonTitle_1"));
  SetButtonEnabled(SelectButton_1, true);
  ConnectHoverLook(SelectButton_1);
  connect(SelectButton_1, &TDialogButton::Clicked, this, &TUSForm_4::OnSelectClick);

  InfoTitle(this, QStringLiteral("InformationTitle_3"),
            QStringLiteral("Equity (vs. fixed income) allocation benchmark:"), 40, 264);
  Rows_ = new THoldRows(this, Page_, [this](std::int32_t editor) { Page_.Release(editor); });
  Rows_->Cancel = [this] { CancelPresses(); };
  Rows_->AddRow(0, 2, 2, QStringLiteral("Maximum Equity"), 312, 290);
  Rows_->AddRow(1, 3, 3, QStringLiteral("Minimum Equity"), 360, 290);

  InfoTitle(this, QStringLiteral("InformationTitle_4"), QStringLiteral("Set your models' trust levels"), 20, 408);
  MakeLabel(this, QStringLiteral("InformationTitle_5"), QStringLiteral("Desactived"), 155, 456, 141, 40, kTextSize,
            false, kTextColor, Qt::AlignCenter);
  MakeLabel(this, QStringLiteral("InformationTitle_6"), QStringLiteral("Mean"), 324, 456, 109, 40, kTextSize, false,
            kTextColor, Qt::AlignCenter);
  MakeLabel(this, QStringLiteral("InformationTitle_7"), QStringLiteral("Full Trust"), 475, 456, 113, 40, kTextSize,
            false, kTextColor, Qt::AlignCenter);

  const session::TTrustBarGeometry& g = Page_.BarGeometry;
  for (std::size_t i = 0; i < 3; ++i) {
    const int n = static_cast<int>(i) + 1;
    const auto bar = static_cast<std::int32_t>(i);
    RowTitle(this, QStringLiteral("Title_%1").arg(n + 3), QString::fromLatin1(kBarTitles[i]), kBarY[i] + 1);
    auto* panel = new TTrackBarPanel(this, QStringLiteral("TrackBarSupport_%1").arg(n), kBarX, kBarY[i]);
    auto* guide = new TFrame(panel, QStringLiteral("TrackBarGuide_%1").arg(n), static_cast<int>(g.GuideX), 17,
                             static_cast<int>(g.GuideWidth), 16, kGuideFill, kGuideFill, 0.0, 4.0);
    auto* cursor = new TFrame(panel, QStringLiteral("TrackBarCursor_%1").arg(n), 0, 17, static_cast<int>(g.CursorWidth),
                              16, kCursorFill, kCursorFill, 0.0, 4.0);
    for (QWidget* w : {static_cast<QWidget*>(guide), static_cast<QWidget*>(cursor)})
      w->setAttribute(Qt::WA_TransparentForMouseEvents);
    panel->OnPress = [this, bar, i](bool left, double x) {
      Page_.TrackBarPress(bar, left, x);
      ShowTrustBar(i);
    };
    panel->OnMove = [this, bar, i](bool left, double x) {
      Page_.TrackBarMove(bar, left, x);
      ShowTrustBar(i);
    };
    panel->OnRelease = [this, bar] { Page_.TrackBarRelease(bar); };
    panel->installEventFilter(Rows_);  // a lost grab ends the bar's press too
    TrackBarSupports_[i] = panel;
    TrackBarCursors_[i] = cursor;
    // Above the cursor: its bottom on the guide's top.
    TrustValues_[i] = MakeLabel(this, QStringLiteral("Value_%1").arg(n + 3), QStringLiteral("100%"), kBarX,
                                kBarY[i] + 17 - kTrustLabelHeight, static_cast<int>(g.LabelWidth), kTrustLabelHeight,
                                kTextSize, false, kTextColor, Qt::AlignCenter);
  }
}

void TUSForm_4::ShowTrustBar(std::size_t bar) {
  const session::TTrustBar& b = Page_.TrustBars[bar];
  const session::TTrustBarGeometry& g = Page_.BarGeometry;
  TrackBarCursors_[bar]->move(static_cast<int>(g.GuideX + b.CursorX + 0.5), 17);
  QLabel* label = TrustValues_[bar];
  label->move(static_cast<int>(b.LabelX(TrackBarSupports_[bar]->x(), g) + 0.5), label->y());
  label->setText(Text(b.ValueLabel));
}

void TUSForm_4::Refresh() {
  Value_1->setText(Text(Page_.PortfolioCcy));
  for (std::size_t i = 0; i < 3; ++i) ShowTrustBar(i);
  Rows_->ShowValues();
  Rows_->WatchWindow();
  if (!MainTimer.isActive()) MainTimer.start();
}

void TUSForm_4::OnFormTimer() { Rows_->ShowValue(Page_.OnTimer()); }

void TUSForm_4::OnSelectClick() {
  if (ButtonLooksDisabled(SelectButton_1)) return;
  SetButtonEnabled(SelectButton_1, true);  // the normal look, frame 1 px
  std::string code = Page_.PortfolioCcy;
  if (!ChooseCurrency_ || !ChooseCurrency_(code)) return;
  Page_.SetPortfolioCcy(code);
  Value_1->setText(Text(Page_.PortfolioCcy));
}

void TUSForm_4::CancelPresses() {
  for (std::int32_t bar = 0; bar < 3; ++bar) Page_.TrackBarRelease(bar);
  if (Page_.HeldEditor == session::kNoEditor) return;
  Page_.CancelHold();
  // The bars' levels are stored at every step, so showing the page again moves no cursor.
  Page_.ShowPage();
  Rows_->ShowValues();
  for (std::size_t i = 0; i < 3; ++i) ShowTrustBar(i);
}

void TUSForm_4::hideEvent(QHideEvent* event) {
  CancelPresses();
  QWidget::hideEvent(event);
}
