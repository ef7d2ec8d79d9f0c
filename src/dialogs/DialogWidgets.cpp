#include "dialogs/DialogWidgets.h"

#include <algorithm>

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTextLayout>

#include "platform/qt/QtCanvas.h"

namespace dialogs {

QThreadPool& ServerWorkPool() {
  static QThreadPool pool;
  return pool;
}

QFont DialogFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies(
      QStringList{QStringLiteral("Yu Gothic UI"), QString::fromLatin1(platform::QtCanvas::kFallbackFamily)});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

void SetTextColor(QLabel* label, QRgb color) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgba(color));
  palette.setColor(QPalette::Text, QColor::fromRgba(color));
  label->setPalette(palette);
}

QRgb TextColorOf(const QLabel* label) { return label->palette().color(QPalette::WindowText).rgba(); }

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h, int size,
                  bool bold, QRgb color, Qt::Alignment align) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(DialogFont(size, bold));
  label->setAlignment(align);
  SetTextColor(label, color);
  if (w <= 0) w = label->sizeHint().width() + 4;
  if (h <= 0) h = label->sizeHint().height();
  label->setGeometry(x, y, w, h);
  label->setProperty("DesignSize", size);
  FitText(label, text);
  return label;
}

void FitText(QLabel* label, const QString& text) {
  const int size = label->property("DesignSize").isValid() ? label->property("DesignSize").toInt() : 16;
  const bool bold = label->font().bold();
  int fitted = size;
  while (fitted > 10 && QFontMetrics(DialogFont(fitted, bold)).horizontalAdvance(text) > label->width() - 2) --fitted;
  label->setFont(DialogFont(fitted, bold));
  label->setText(text);
}

// --- TWrappedText -----------------------------------------------------------

TWrappedText::TWrappedText(QWidget* parent, const QString& name, int size, QRgb color) : QLabel(parent) {
  setObjectName(name);
  setFont(DialogFont(size));
  setAlignment(Qt::AlignCenter);
  setWordWrap(true);
  SetTextColor(this, color);
}

QStringList TWrappedText::Lines(int width) const {
  QTextLayout layout(text(), font());
  layout.setTextOption(platform::QtCanvas::WrappingOption(alignment()));
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines << text().mid(line.textStart(), line.textLength());
  }
  layout.endLayout();
  return lines;
}

int TWrappedText::HeightFor(int width) const {
  return static_cast<int>(Lines(width).size()) * fontMetrics().lineSpacing();
}

void TWrappedText::paintEvent(QPaintEvent*) {
  // As a word-wrapped label draws, but with the wrapping above.
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(contentsRect(), text(), platform::QtCanvas::WrappingOption(alignment()));
}

void FitStatusText(TWrappedText* label, const QString& text, int bottom) {
  if (!label->property("DesignHeight").isValid()) label->setProperty("DesignHeight", label->height());
  const int designHeight = label->property("DesignHeight").toInt();
  label->resize(label->width(), designHeight);
  FitText(label, text);
  if (QFontMetrics(label->font()).horizontalAdvance(text) <= label->width() - 2) return;
  for (const int size : {12, 10}) {
    label->setFont(DialogFont(size));
    const int height = std::max(designHeight, label->HeightFor(label->width()));
    if (label->y() + height <= bottom || size == 10) {
      label->resize(label->width(), height);
      return;
    }
  }
}

// --- TDialogButton ---------------------------------------------------------

TDialogButton::TDialogButton(QWidget* parent, const QString& name, const QString& caption, int x, int y, int w, int h,
                             int fontSize, bool bold, qreal radius)
    : QWidget(parent), Radius_(radius) {
  setObjectName(name);
  setGeometry(x, y, w, h);
  setCursor(Qt::PointingHandCursor);
  Title_ = new QLabel(caption, this);
  Title_->setObjectName(name + QStringLiteral("Title"));
  Title_->setFont(DialogFont(fontSize, bold));
  Title_->setAlignment(Qt::AlignCenter);
  Title_->setGeometry(5, 5, w - 10, h - 10);
  // The caption is part of the button: presses and hovering reach the rectangle.
  Title_->setAttribute(Qt::WA_TransparentForMouseEvents);
  SetLook(kButtonFill, kTextColor, kTextColor, 1.0);
}

void TDialogButton::SetLook(QRgb fill, QRgb stroke, QRgb caption, qreal strokeWidth) {
  Fill_ = fill;
  Stroke_ = stroke;
  StrokeWidth_ = strokeWidth;
  SetTextColor(Title_, caption);
  update();
}

void TDialogButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal inset = StrokeWidth_ / 2.0;
  const QRectF rect = QRectF(this->rect()).adjusted(inset, inset, -inset, -inset);
  painter.setBrush(QColor::fromRgba(Fill_));
  painter.setPen(QPen(QColor::fromRgba(Stroke_), StrokeWidth_));
  painter.drawRoundedRect(rect, Radius_, Radius_);
}

void TDialogButton::mousePressEvent(QMouseEvent* event) {
  Pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void TDialogButton::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = Pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  Pressed_ = false;
  event->accept();
  if (click) emit Clicked();
}

void TDialogButton::enterEvent(QEnterEvent*) { emit Entered(); }
void TDialogButton::leaveEvent(QEvent*) { emit Left(); }

void SetButtonEnabled(TDialogButton* button, bool enabled) {
  // Only the look changes: the handlers take the disabled frame colour as the sign.
  const QRgb color = enabled ? kTextColor : kDisabledColor;
  button->SetLook(kButtonFill, color, color, 1.0);
}

bool ButtonLooksDisabled(const TDialogButton* button) { return button->Stroke() == kDisabledColor; }

void ConnectHoverLook(TDialogButton* button, QRgb stroke) {
  QObject::connect(button, &TDialogButton::Entered, button, [button, stroke] {
    if (!ButtonLooksDisabled(button)) button->SetLook(kButtonFill, stroke, stroke, 2.0);
  });
  QObject::connect(button, &TDialogButton::Left, button, [button, stroke] {
    if (!ButtonLooksDisabled(button)) button->SetLook(kButtonFill, stroke, stroke, 1.0);
  });
}

// --- TFrame ----------------------------------------------------------------

TFrame::TFrame(QWidget* parent, const QString& name, int x, int y, int w, int h, QRgb fill, QRgb stroke, qreal width,
               qreal radius)
    : QWidget(parent), Fill_(fill), Stroke_(stroke), Width_(width), Radius_(radius) {
  setObjectName(name);
  setGeometry(x, y, w, h);
}

void TFrame::SetFill(QRgb fill) {
  Fill_ = fill;
  update();
}

void TFrame::SetStroke(QRgb stroke) {
  Stroke_ = stroke;
  update();
}

void TFrame::SetCallout(int width, int length) {
  CalloutWidth_ = width;
  CalloutLength_ = length;
  update();
}

void TFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (CalloutLength_ > 0) {
    // A box with a pointer on its right side; the pointer takes CalloutLength_ of the width.
    const qreal right = width() - CalloutLength_;
    const qreal mid = height() / 2.0;
    QPainterPath path;
    path.addRect(QRectF(0, 0, right, height()));
    QPolygonF pointer;
    pointer << QPointF(right, mid - CalloutWidth_ / 2.0) << QPointF(width(), mid)
            << QPointF(right, mid + CalloutWidth_ / 2.0);
    path.addPolygon(pointer);
    path.setFillRule(Qt::WindingFill);
    painter.fillPath(path.simplified(), QColor::fromRgba(Fill_));
    return;
  }
  const qreal inset = Width_ / 2.0;
  painter.setBrush(QColor::fromRgba(Fill_));
  if (Width_ > 0.0)
    painter.setPen(QPen(QColor::fromRgba(Stroke_), Width_));
  else
    painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), Radius_, Radius_);
}

void TFrame::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();
    emit Clicked();
  } else {
    QWidget::mousePressEvent(event);
  }
}

// --- TPictureButton --------------------------------------------------------

TPictureButton::TPictureButton(QWidget* parent, const QString& name, TPicture picture, int x, int y, int size,
                               QRgb color)
    : QWidget(parent), Picture_(picture), Color_(color) {
  setObjectName(name);
  setGeometry(x, y, size, size);
  if (picture == TPicture::Close || picture == TPicture::Clear || picture == TPicture::Eye ||
      picture == TPicture::ArrowUp || picture == TPicture::ArrowDown)
    setCursor(Qt::PointingHandCursor);
}

void TPictureButton::SetActive(bool active) {
  Active_ = active;
  update();
}

void TPictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = width();
  QColor color = QColor::fromRgba(Color_);
  if ((Picture_ == TPicture::Close || Picture_ == TPicture::Clear || Picture_ == TPicture::Eye) && Active_)
    color = QColor::fromRgba(kErrorColor);
  if ((Picture_ == TPicture::ArrowUp || Picture_ == TPicture::ArrowDown) && Active_)
    color = QColor::fromRgba(kActiveColor);
  QPen pen(color, std::max<qreal>(1.5, s / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  switch (Picture_) {
    case TPicture::Close:
      painter.drawEllipse(QRectF(1, 1, s - 2, s - 2));
      painter.drawLine(QPointF(s * 0.32, s * 0.32), QPointF(s * 0.68, s * 0.68));
      painter.drawLine(QPointF(s * 0.68, s * 0.32), QPointF(s * 0.32, s * 0.68));
      break;
    case TPicture::Clear:
      painter.drawLine(QPointF(s * 0.2, s * 0.2), QPointF(s * 0.8, s * 0.8));
      painter.drawLine(QPointF(s * 0.8, s * 0.2), QPointF(s * 0.2, s * 0.8));
      break;
    case TPicture::User:
      painter.drawEllipse(QRectF(s * 0.32, s * 0.1, s * 0.36, s * 0.36));
      painter.drawArc(QRectF(s * 0.15, s * 0.55, s * 0.7, s * 0.7), 0, 180 * 16);
      break;
    case TPicture::Door:
      painter.drawRect(QRectF(s * 0.25, s * 0.1, s * 0.5, s * 0.8));
      painter.drawEllipse(QRectF(s * 0.58, s * 0.48, s * 0.08, s * 0.08));
      break;
    case TPicture::Check:
      painter.drawPolyline(
          QPolygonF({QPointF(s * 0.15, s * 0.55), QPointF(s * 0.4, s * 0.8), QPointF(s * 0.85, s * 0.25)}));
      break;
    case TPicture::Eye:
      painter.drawEllipse(QRectF(s * 0.1, s * 0.3, s * 0.8, s * 0.4));
      painter.setBrush(color);
      painter.drawEllipse(QRectF(s * 0.4, s * 0.4, s * 0.2, s * 0.2));
      break;
    case TPicture::Globe:
      painter.drawEllipse(QRectF(1, 1, s - 2, s - 2));
      painter.drawEllipse(QRectF(s * 0.3, 1, s * 0.4, s - 2));
      painter.drawLine(QPointF(1, s / 2), QPointF(s - 1, s / 2));
      break;
    case TPicture::ArrowUp:
    case TPicture::ArrowDown: {
      // A chevron pointing up or down, as the window's list arrows.
      const qreal tip = Picture_ == TPicture::ArrowUp ? s * 0.38 : s * 0.62;
      const qreal foot = Picture_ == TPicture::ArrowUp ? s * 0.58 : s * 0.42;
      painter.drawLine(QPointF(s * 0.3, foot), QPointF(s * 0.5, tip));
      painter.drawLine(QPointF(s * 0.5, tip), QPointF(s * 0.7, foot));
      break;
    }
  }
}

void TPictureButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  event->accept();
  emit Pressed();
}

void TPictureButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  event->accept();
  emit Released();
  if (rect().contains(event->position().toPoint())) emit Clicked();
}

void TPictureButton::enterEvent(QEnterEvent*) { SetActive(true); }
void TPictureButton::leaveEvent(QEvent*) { SetActive(false); }

}  // namespace dialogs
