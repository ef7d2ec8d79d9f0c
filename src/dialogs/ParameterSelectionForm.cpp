#include "dialogs/ParameterSelectionForm.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <utility>

#include "dialogs/AllocationForm.h"
#include "dialogs/DialogWidgets.h"

using namespace dialogs;

namespace {

constexpr int kColumnWidth = 300;
constexpr int kTabHeight = 48;
constexpr int kFirstTabY = 216;
constexpr int kTitleMargin = 47;

// The undo picture of "Undo": an arrow bending back to the left, white.
class TUndoImage : public QWidget {
 public:
  TUndoImage(QWidget* parent, int x, int y) : QWidget(parent) {
    setObjectName(QStringLiteral("UndoImage"));
    setGeometry(x, y, 32, 32);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgba(kWhiteColor), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal s = width();
    QPainterPath path;
    path.moveTo(s * 0.25, s * 0.4);
    path.lineTo(s * 0.6, s * 0.4);
    path.cubicTo(s * 0.9, s * 0.4, s * 0.9, s * 0.8, s * 0.6, s * 0.8);
    path.lineTo(s * 0.35, s * 0.8);
    painter.drawPath(path);
    painter.drawPolyline(
        QPolygonF({QPointF(s * 0.4, s * 0.25), QPointF(s * 0.25, s * 0.4), QPointF(s * 0.4, s * 0.55)}));
  }
};

// A rectangle of the left column: title left-aligned at the column's margin, white.
TDialogButton* ColumnButton(QWidget* parent, const QString& name, const QString& titleName, const QString& text,
                            int y) {
  auto* button = new TDialogButton(parent, name, text, 0, y, kColumnWidth, kTabHeight, 16, false);
  button->Title()->setObjectName(titleName);
  button->Title()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  button->Title()->setGeometry(kTitleMargin, 0, kColumnWidth - kTitleMargin - 5, kTabHeight);
  button->SetLook(kTabColor, kTabColor, kWhiteColor, 0.0);
  return button;
}

// "&&" stands for one "&" on screen.
QString ScreenText(const char* text) {
  return QString::fromUtf8(text).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

}  // namespace

TParameterSelectionForm::TParameterSelectionForm(QWidget* parent, TUserSettings& settings,
                                                 const std::vector<TCountry>& countryList,
                                                 session::TDialogQuestion question, TCurrencyChoice chooseCurrency)
    : QWidget(parent), Dialog(settings, countryList, std::move(question)) {
  setObjectName(QStringLiteral("MainLayout"));
  auto* column = new QWidget(this);
  column->setObjectName(QStringLiteral("TabsheetSupport"));
  column->setAutoFillBackground(true);
  QPalette palette = column->palette();
  palette.setColor(QPalette::Window, QColor::fromRgba(kTabColor));
  column->setPalette(palette);
  column->setGeometry(0, 0, kColumnWidth, 1080);

  Title_1 = MakeLabel(column, QStringLiteral("Title_1"), QStringLiteral("Parameters"), kTitleMargin, 120,
                      kColumnWidth - kTitleMargin - 5, 40, 24, false, kWhiteColor);

  // The three groups' tabs share one place: Tabsheet_1 (Global), Tabsheet_2-3 (Equity), Tabsheet_4-7 (Bond).
  const auto& tabs = session::ParameterTabs();
  for (std::int32_t t = 0; t < session::kParameterTabCount; ++t) {
    const session::TParameterTab& tab = tabs[static_cast<std::size_t>(t)];
    TDialogButton* button =
        ColumnButton(column, QString::fromLatin1(tab.Name), QStringLiteral("TabsheetTitle_%1").arg(t + 1),
                     ScreenText(tab.Text), kFirstTabY + tab.TabIndex * kTabHeight);
    connect(button, &TDialogButton::Clicked, this, [this, t] { OnTabsheetClick(t); });
    connect(button, &TDialogButton::Entered, this, [this, t] {
      Dialog.OnTabsheetMouseEnter(t);
      PaintTabs();
    });
    connect(button, &TDialogButton::Left, this, [this, t] {
      Dialog.OnTabsheetMouseLeave(t);
      PaintTabs();
    });
    Tabsheets[static_cast<std::size_t>(t)] = button;
  }

  UndoButton =
      ColumnButton(column, QStringLiteral("Button_1"), QStringLiteral("ButtonTitle_1"), QStringLiteral("Undo"), 24);
  new TUndoImage(UndoButton, 5, 8);
  // ClassicButtonSupport stands four tab heights below the Equity group's last tab.
  auto* support = new QWidget(column);
  support->setObjectName(QStringLiteral("ClassicButtonSupport"));
  support->setGeometry(0, kFirstTabY + kTabHeight + 4 * kTabHeight, kColumnWidth, 108);
  ApplyButton = ColumnButton(support, QStringLiteral("Button_2"), QStringLiteral("ButtonTitle_2"),
                             QStringLiteral("Apply Changes"), 0);
  ApplySaveButton = ColumnButton(support, QStringLiteral("Button_3"), QStringLiteral("ButtonTitle_3"),
                                 ScreenText("Apply && Save Changes"), 47);
  for (TDialogButton* button : {UndoButton, ApplyButton, ApplySaveButton}) {
    connect(button, &TDialogButton::Clicked, this, [this, button] { OnClassicButtonClick(button); });
    connect(button, &TDialogButton::Entered, this,
            [button] { button->SetLook(kActiveColor, kActiveColor, kWhiteColor, 0.0); });
    connect(button, &TDialogButton::Left, this, [button] { button->SetLook(kTabColor, kTabColor, kWhiteColor, 0.0); });
  }

  USFormContainer = new QWidget(this);
  USFormContainer->setObjectName(QStringLiteral("USFormContainer"));
  USForm_1 = new TUSForm_1(USFormContainer, Dialog.AllocationPage);
  USForm_2 = new TUSForm_2(USFormContainer, Dialog.ConcentrationPage);
  USForm_3 = new TUSForm_3(USFormContainer, Dialog.GoldPage);
  USForm_4 = new TUSForm_4(USFormContainer, Dialog.PortfolioPage, std::move(chooseCurrency));
  for (QWidget* page : std::initializer_list<QWidget*>{USForm_1, USForm_2, USForm_3, USForm_4}) page->hide();
  PaintTabs();
}

QWidget* TParameterSelectionForm::ShownPage() const {
  switch (Dialog.ShownPage) {
    case session::TSettingsPage::Allocation:
      return USForm_1;
    case session::TSettingsPage::Concentration:
      return USForm_2;
    case session::TSettingsPage::Gold:
      return USForm_3;
    case session::TSettingsPage::Portfolio:
      return USForm_4;
    case session::TSettingsPage::None:
      break;
  }
  return nullptr;
}

void TParameterSelectionForm::SelectParameterGroup(std::int32_t group) {
  Dialog.SelectParameterGroup(group);
  ShowState();
}

void TParameterSelectionForm::OnTabsheetClick(std::int32_t tab) {
  const QWidget* before = ShownPage();
  const bool changed = Dialog.OnTabsheetClick(tab);
  // A refused change keeps the page; an accepted question may have rescaled it.
  if (changed || ShownPage() != before)
    ShowState();
  else
    RefreshShownPage();
}

void TParameterSelectionForm::OnClassicButtonClick(TDialogButton* sender) {
  session::TDialogAction action;
  if (sender == UndoButton) {
    action = Dialog.Undo(CalculationFailure ? CalculationFailure() : std::string());
  } else if (sender == ApplyButton) {
    action = Dialog.ApplyChanges();
  } else if (sender == ApplySaveButton) {
    action = Dialog.ApplyAndSaveChanges();
  }
  RefreshShownPage();  // "Yes" to the allocation question rescales the shown page
  if (action.Kind != session::TDialogActionKind::None && OnAction) OnAction(action);
}

void TParameterSelectionForm::ShowState() {
  Title_1->setText(QString::fromStdString(Dialog.Title));
  FitText(Title_1, Title_1->text());
  PaintTabs();
  QWidget* shown = ShownPage();
  for (QWidget* page : std::initializer_list<QWidget*>{USForm_1, USForm_2, USForm_3, USForm_4})
    if (page != shown) page->hide();
  if (shown == nullptr) return;
  shown->setGeometry(USFormContainer->rect());
  shown->show();
  RefreshShownPage();
}

void TParameterSelectionForm::RefreshShownPage() {
  if (USForm_1->isVisibleTo(this)) USForm_1->Refresh();
  if (USForm_2->isVisibleTo(this)) USForm_2->Refresh();
  if (USForm_3->isVisibleTo(this)) USForm_3->Refresh();
  if (USForm_4->isVisibleTo(this)) USForm_4->Refresh();
}

void TParameterSelectionForm::PaintTabs() {
  for (std::size_t t = 0; t < Tabsheets.size(); ++t) {
    Tabsheets[t]->setVisible(Dialog.TabVisible[t]);
    Tabsheets[t]->SetLook(Dialog.TabFill[t], Dialog.TabFill[t], kWhiteColor, 0.0);
  }
}

void TParameterSelectionForm::resizeEvent(QResizeEvent*) {
  if (auto* column = findChild<QWidget*>(QStringLiteral("TabsheetSupport"), Qt::FindDirectChildrenOnly))
    column->setGeometry(0, 0, kColumnWidth, height());
  USFormContainer->setGeometry(kColumnWidth, 0, std::max(0, width() - kColumnWidth), height());
  if (QWidget* shown = ShownPage()) shown->setGeometry(USFormContainer->rect());
}

void TParameterSelectionForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgba(kButtonFill));
}
