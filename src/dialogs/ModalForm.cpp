#include "dialogs/ModalForm.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "dialogs/DialogWidgets.h"

namespace dialogs {

namespace {
// Backdrop: the window background 0xFFFDFDFD darkened to 55 %, opaque
// (no compositor blends a translucent layer).
constexpr QRgb kBackdropColor = 0xFF8B8B8B;
constexpr QRgb kPanelFrameColor = 0xFFB6C8D6;
}  // namespace

TModalForm::TModalForm(QWidget* parent, const QString& name, int panelWidth, int panelHeight) : QWidget(parent) {
  setObjectName(name);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  MainSupport_ = new QWidget(this);
  MainSupport_->setObjectName(QStringLiteral("MainSupport"));
  MainSupport_->resize(panelWidth, panelHeight);
  MainSupport_->setAutoFillBackground(true);
  QPalette palette = MainSupport_->palette();
  palette.setColor(QPalette::Window, QColor::fromRgba(kButtonFill));
  MainSupport_->setPalette(palette);
  if (parent) parent->installEventFilter(this);
  hide();
}

TModalForm::~TModalForm() {
  if (Loop_) Loop_->quit();
}

TPictureButton* TModalForm::AddCloseButton(int x, int y) {
  CloseButton_ = new TPictureButton(MainSupport_, QStringLiteral("CloseButton"), TPicture::Close, x, y, 24);
  connect(CloseButton_, &TPictureButton::Clicked, this, [this] {
    CloseButton_->SetActive(false);
    CloseRequested();
  });
  return CloseButton_;
}

void TModalForm::FollowParent() {
  if (parentWidget()) setGeometry(parentWidget()->rect());
  PlacePanel();
}

void TModalForm::PlacePanel() {
  MainSupport_->move((width() - MainSupport_->width()) / 2, (height() - MainSupport_->height()) / 2);
}

int TModalForm::ShowModal() {
  if (Loop_) return 0;  // already showing
  ModalResult = 0;
  FollowParent();
  OnFormShow();
  show();
  raise();
  TakeFocus();
  QEventLoop loop;
  Loop_ = &loop;
  if (ModalResult == 0) loop.exec();
  Loop_ = nullptr;
  hide();
  OnFormClose();
  return ModalResult;
}

void TModalForm::TakeFocus() {
  // The keyboard focus may already be inside (OnFormShow focuses an entry).
  // Otherwise the child that had it when the form last showed, if it still
  // takes it, else the form. The form's own record of that child outlives
  // its hiding, so it alone does not tell that the focus is here.
  QWidget* focus = QApplication::focusWidget();
  if (focus == this || isAncestorOf(focus)) return;
  QWidget* last = focusWidget();
  if (last != nullptr && last != this && isAncestorOf(last) && last->isVisible() && last->isEnabled() &&
      last->focusPolicy() != Qt::NoFocus) {
    last->setFocus(Qt::OtherFocusReason);
  } else {
    setFocus(Qt::OtherFocusReason);
  }
}

void TModalForm::SetModalResult(int result) {
  ModalResult = result;
  if (Loop_ && result != 0) Loop_->quit();
}

void TModalForm::CloseRequested() { SetModalResult(2); }

void TModalForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgba(kBackdropColor));
  painter.setPen(QColor::fromRgba(kPanelFrameColor));
  painter.drawRect(MainSupport_->geometry().adjusted(-1, -1, 0, 0));
}

void TModalForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (CloseButton_) CloseButton_->SetActive(false);
    CloseRequested();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TModalForm::mousePressEvent(QMouseEvent* event) {
  if (!MainSupport_->geometry().contains(event->position().toPoint())) {
    if (CloseButton_) CloseButton_->SetActive(false);
    CloseRequested();
  }
  event->accept();
}

bool TModalForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) FollowParent();
  return QWidget::eventFilter(watched, event);
}

}  // namespace dialogs
