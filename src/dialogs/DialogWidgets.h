#pragma once
// Building blocks of the dialogs: rectangles with a caption (buttons), entry
// frames, small drawn pictures and the dialog fonts and colours.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>

namespace dialogs {

// Colours of the dialogs (ARGB).
inline constexpr QRgb kTextColor = 0xFF4C4C4E;      // normal text and frame
inline constexpr QRgb kFocusColor = 0xFF9B9C9E;     // frame of the focused entry
inline constexpr QRgb kDisabledColor = 0xFFB6C8D6;  // disabled frame and caption
inline constexpr QRgb kErrorColor = 0xFFCC121C;     // error texts and frames
inline constexpr QRgb kButtonFill = 0xFFFDFDFD;     // button and form fill
inline constexpr QRgb kEntryFill = 0xFFE7E7E8;      // entry frames
inline constexpr QRgb kTitleRed = 0xFFCC455B;       // area titles
inline constexpr QRgb kLinkColor = 0xFF1E336C;      // the password link
inline constexpr QRgb kActiveColor = 0xFF708CD5;    // hovered arrows, chosen tabs and buttons
inline constexpr QRgb kTabColor = 0xFFC5D2DD;       // tabs and buttons in their normal look
inline constexpr QRgb kWhiteColor = 0xFFFFFFFF;     // titles on tabs and coloured buttons

// The threads that carry the dialogs' server work (sign-in, proxy test,
// requests). Not Qt's global pool: the raster engine hands large fills to
// that pool and waits for them, so a request that hangs there would hold up
// the window's painting.
QThreadPool& ServerWorkPool();

// "Yu Gothic UI" at a pixel size, falling back to "DejaVu Sans".
QFont DialogFont(int pixelSize, bool bold = false);

// A label at (x, y) with the dialog font; width 0 sizes it to its text.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h, int size,
                  bool bold = false, QRgb color = kTextColor, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
void SetTextColor(QLabel* label, QRgb color);
// Sets the text; the fallback family is wider than the design font, so a
// text that does not fit the label's width is set smaller (down to 10 px)
// rather than clipped.
void FitText(QLabel* label, const QString& text);
QRgb TextColorOf(const QLabel* label);

// A text centred in its label that wraps at word boundaries and breaks a
// word wider than the label anywhere (a path in a warning), so that every
// character shows; plain word wrap lets such a word run past both sides.
class TWrappedText : public QLabel {
 public:
  TWrappedText(QWidget* parent, const QString& name, int size, QRgb color);
  // The text's lines as wrapped into width, and the height they take at one
  // line spacing each (at least what they are drawn in).
  QStringList Lines(int width) const;
  int HeightFor(int width) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Sets a status text in its label (of the design height it had when first
// given a text): on one line as FitText sets it; a text that does not fit
// there even at 10 px (a failure naming a file) is wrapped at 12 px, or at
// 10 px where that does not reach below bottom (in the parent's
// coordinates), and the label grows down by the lines it takes.
void FitStatusText(TWrappedText* label, const QString& text, int bottom);

// A rectangle with its caption child (named <name>Title, 5 px margins). The
// look is set from outside; the click and hover signals carry no decision:
// the owner tests the look (a disabled frame colour means "not allowed").
class TDialogButton : public QWidget {
  Q_OBJECT
 public:
  TDialogButton(QWidget* parent, const QString& name, const QString& caption, int x, int y, int w, int h, int fontSize,
                bool bold = true, qreal radius = 0.0);
  void SetLook(QRgb fill, QRgb stroke, QRgb caption, qreal strokeWidth);
  QRgb Fill() const { return Fill_; }
  QRgb Stroke() const { return Stroke_; }
  qreal StrokeWidth() const { return StrokeWidth_; }
  QLabel* Title() const { return Title_; }
  QString Caption() const { return Title_->text(); }

 signals:
  void Clicked();
  void Entered();
  void Left();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QLabel* Title_;
  QRgb Fill_ = kButtonFill;
  QRgb Stroke_ = kTextColor;
  qreal StrokeWidth_ = 1.0;
  qreal Radius_ = 0.0;
  bool Pressed_ = false;
};

// The plain dialog button look: fill 0xFFFDFDFD, frame and caption
// 0xFF4C4C4E enabled or 0xFFB6C8D6 disabled, frame 1 px. The button keeps
// receiving clicks; its handler tests ButtonLooksDisabled.
void SetButtonEnabled(TDialogButton* button, bool enabled);
bool ButtonLooksDisabled(const TDialogButton* button);
// Hover look of an enabled button: frame 2 px on enter, 1 px on leave.
void ConnectHoverLook(TDialogButton* button, QRgb stroke = kTextColor);

// A filled rectangle with a frame (entry frames, check boxes, callouts).
class TFrame : public QWidget {
  Q_OBJECT
 public:
  TFrame(QWidget* parent, const QString& name, int x, int y, int w, int h, QRgb fill, QRgb stroke, qreal width,
         qreal radius = 0.0);
  void SetFill(QRgb fill);
  void SetStroke(QRgb stroke);
  QRgb Fill() const { return Fill_; }
  QRgb Stroke() const { return Stroke_; }
  // A callout pointing right (width and length in pixels); 0 for none.
  void SetCallout(int width, int length);

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QRgb Fill_;
  QRgb Stroke_;
  qreal Width_;
  qreal Radius_;
  int CalloutWidth_ = 0;
  int CalloutLength_ = 0;
};

// The small pictures of the dialogs, drawn in code.
// ArrowUp and ArrowDown are the chevrons of the step arrows, blue while hovered.
enum class TPicture { Close, Clear, User, Door, Check, Eye, Globe, ArrowUp, ArrowDown };

class TPictureButton : public QWidget {
  Q_OBJECT
 public:
  TPictureButton(QWidget* parent, const QString& name, TPicture picture, int x, int y, int size,
                 QRgb color = kTextColor);
  // The hover picture (the "Active" bitmap) or the normal one.
  void SetActive(bool active);
  bool Active() const { return Active_; }

 signals:
  void Clicked();
  void Pressed();
  void Released();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  TPicture Picture_;
  QRgb Color_;
  bool Active_ = false;
};

}  // namespace dialogs
