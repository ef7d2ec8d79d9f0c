#pragma once
// A modal dialog drawn as an opaque dimmed panel over its parent window: the
// form covers the parent's whole rect (following its resizes), paints the
// dimmed backdrop and holds the content panel MainSupport, centred. The
// Escape key, the close image and a press outside the content panel close
// it with modal result 2 (through CloseRequested, which a form may refine).

#include <QPointer>
#include <QWidget>

class QEventLoop;

namespace dialogs {

class TPictureButton;

class TModalForm : public QWidget {
  Q_OBJECT
 public:
  // The panel has the given size; the form is hidden until ShowModal.
  TModalForm(QWidget* parent, const QString& name, int panelWidth, int panelHeight);
  ~TModalForm() override;

  // Shows the form, runs a nested event loop until ModalResult is set and
  // returns it; the form is hidden again afterwards.
  int ShowModal();
  // Ends the showing with result (any non-zero value).
  void SetModalResult(int result);
  int ModalResult = 0;
  bool Showing() const { return Loop_ != nullptr; }

  QWidget* MainSupport() const { return MainSupport_; }
  // The close image at (x, y) in the panel, 24 x 24; null until added.
  TPictureButton* CloseButton() const { return CloseButton_; }

 protected:
  TPictureButton* AddCloseButton(int x, int y);
  // Escape, close image, press outside the panel: modal result 2.
  virtual void CloseRequested();
  // Places the panel (centred); called on every resize.
  virtual void PlacePanel();
  // Before the form shows and after it closed.
  virtual void OnFormShow() {}
  virtual void OnFormClose() {}

  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FollowParent();
  // Gives the form the keyboard focus as it shows, so Escape closes it at once.
  void TakeFocus();

  QWidget* MainSupport_;
  TPictureButton* CloseButton_ = nullptr;
  QEventLoop* Loop_ = nullptr;
};

}  // namespace dialogs
