#include "dialogs/QuestionForm.h"

#include <QVariantAnimation>
#include <algorithm>

#include "dialogs/DialogWidgets.h"

using namespace dialogs;

namespace {
constexpr int kBoxWidth = 561;
constexpr int kTextHeight = 50;  // the text's place above the buttons: two lines
constexpr int kTextMargin = 12;  // left and right of a wrapped text, and above and below it
}  // namespace

TSlidingBox::TSlidingBox(QWidget* parent, const QString& name, int panelHeight)
    : TModalForm(parent, name, kBoxWidth, panelHeight),
      Animation_(new QVariantAnimation(this)),
      PanelHeight_(panelHeight) {
  Value = new TWrappedText(MainSupport(), QStringLiteral("Value"), 16, kTextColor);
  Value->setGeometry(0, 0, kBoxWidth, kTextHeight);
  connect(Animation_, &QVariantAnimation::valueChanged, this,
          [this](const QVariant& y) {
            MainSupport()->move(MainSupport()->x(), y.toInt());
            update();  // the frame drawn around the panel moves with it
          });
}

void TSlidingBox::SetText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  Value->setText(shown);
  // A text longer than its place grows the panel by what it lacks, the
  // buttons moving down with it, so no line is cut:
  //   grow = max(0, wrapped height + 2 x margin - 50).
  const int width = kBoxWidth - 2 * kTextMargin;
  const int grow = std::max(0, Value->HeightFor(width) + 2 * kTextMargin - kTextHeight);
  Value->setGeometry(grow > 0 ? kTextMargin : 0, 0, grow > 0 ? width : kBoxWidth, kTextHeight + grow);
  MainSupport()->resize(kBoxWidth, PanelHeight_ + grow);
  for (const auto& [button, y] : ButtonRows_) button->move(button->x(), y + grow);
  PlacePanel();
}

bool TSlidingBox::Animating() const { return Animation_->state() == QAbstractAnimation::Running; }

void TSlidingBox::FinishAnimations() {
  if (!Animating()) return;
  Animation_->setCurrentTime(Animation_->duration());  // emits the stop value and ends
  Animation_->stop();
}

void TSlidingBox::PlacePanel() {
  // Horizontally centred; vertically the slide decides while it runs.
  const int stopY = (height() - MainSupport()->height()) / 2;
  const int y = Animating() ? MainSupport()->y() : (isVisible() ? stopY : 0);
  MainSupport()->move((width() - MainSupport()->width()) / 2, y);
  if (Animating()) Animation_->setEndValue(stopY);
}

void TSlidingBox::OnFormShow() {
  // The panel starts at the top edge on every showing.
  Animation_->stop();
  MainSupport()->move((width() - MainSupport()->width()) / 2, 0);
  const int stopY = (height() - MainSupport()->height()) / 2;
  if (DurationMs_ <= 0) {
    MainSupport()->move(MainSupport()->x(), stopY);
    return;
  }
  Animation_->setDuration(DurationMs_);
  Animation_->setStartValue(0);
  Animation_->setEndValue(stopY);
  Animation_->start();
}

void TSlidingBox::OnFormClose() {
  Animation_->stop();
  MainSupport()->move(MainSupport()->x(), 0);
}

TDialogButton* TSlidingBox::AddButton(const QString& name, const QString& caption, int x, int y, int result) {
  auto* button = new TDialogButton(MainSupport(), name, caption, x, y, 175, 50, 18, true);
  ButtonRows_.emplace_back(button, y);
  SetButtonEnabled(button, true);
  ConnectHoverLook(button);
  connect(button, &TDialogButton::Clicked, this, [this, button, result] {
    if (ButtonLooksDisabled(button)) return;
    button->SetLook(kButtonFill, kTextColor, kTextColor, 1.0);
    SetModalResult(result);
  });
  return button;
}

TQuestionForm::TQuestionForm(QWidget* parent) : TSlidingBox(parent, QStringLiteral("QuestionForm"), 137) {
  NoButton = AddButton(QStringLiteral("NoButton"), QStringLiteral("No"), 100, 69, 7);
  YesButton = AddButton(QStringLiteral("YesButton"), QStringLiteral("Yes"), 285, 69, 6);
}

TMessageForm::TMessageForm(QWidget* parent) : TSlidingBox(parent, QStringLiteral("MessageForm"), 118) {
  ExitButton = AddButton(QStringLiteral("ExitButton"), QStringLiteral("Return"), 193, 59, 1);
}

bool ShowQuestionForm(TQuestionForm* form, const std::string& question, const std::string& yes, const std::string& no) {
  form->SetText(question);
  form->YesButton->Title()->setText(QString::fromStdString(yes));
  form->NoButton->Title()->setText(QString::fromStdString(no));
  return form->ShowModal() == 6;
}

void ShowMessageForm(TMessageForm* form, const std::string& text) {
  form->SetText(text);
  form->ShowModal();
}
