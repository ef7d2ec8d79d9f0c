#pragma once
// Common part of the new-user and password request dialogs: the "Submit"
// button, the message line, the reply and the send job run off the GUI thread.

#include <QFutureWatcher>
#include <functional>
#include <string>

#include "dialogs/ModalForm.h"

class QLabel;
class QLineEdit;

namespace dialogs {
class TDialogButton;
class TFrame;
}  // namespace dialogs

class TRequestForm : public dialogs::TModalForm {
  Q_OBJECT
 public:
  TRequestForm(QWidget* parent, const QString& name, int width, int height);
  ~TRequestForm() override;

  // The server's last reply, or the client's message when the request failed;
  // emptied by every "Submit" and every cancel; read and emptied by the main window.
  std::string RequestReply;

  dialogs::TDialogButton* SubmitButton = nullptr;
  QLabel* MessageTitle = nullptr;
  bool Busy() const { return Busy_; }

 signals:
  // Emitted by the finish handler after the reply was handled.
  void RequestFinished();

 protected:
  void OnFormClose() override;
  void CloseRequested() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // "Submit": fill 0xFFFDFDFD, frame and caption dark or disabled.
  void SetSubmitButtonState(bool enabled);
  void SetMessage(const QString& text, bool error);
  // A framed entry with its clear image (clearX from the frame's left).
  QLineEdit* AddEntry(dialogs::TFrame* frame, const QString& name, const QString& prompt, int x, int w, int clearX,
                      const QString& clearName);
  // Disables the entries, shows the wait text and runs send off the GUI thread.
  void StartRequest(std::function<std::string()> send);
  virtual void SendRequest() = 0;
  virtual void SetEntriesEnabled(bool enabled) = 0;
  virtual void OnEntryFocus(QLineEdit* edit, bool entered) = 0;
  virtual void OnEntryChangeTracking() = 0;

 private:
  void OnRequestThreadTerminate();
  QFutureWatcher<std::string> Watcher_;
  bool Busy_ = false;
};
