#include "dialogs/RequestForm.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QtConcurrent/QtConcurrentRun>

#include "dialogs/DialogWidgets.h"
#include "session/DialogRules.h"

using namespace dialogs;

TRequestForm::TRequestForm(QWidget* parent, const QString& name, int width, int height)
    : TModalForm(parent, name, width, height) {
  connect(&Watcher_, &QFutureWatcherBase::finished, this, &TRequestForm::OnRequestThreadTerminate);
}

TRequestForm::~TRequestForm() { Watcher_.waitForFinished(); }

void TRequestForm::SetSubmitButtonState(bool enabled) { SetButtonEnabled(SubmitButton, enabled); }

void TRequestForm::SetMessage(const QString& text, bool error) {
  SetTextColor(MessageTitle, error ? kErrorColor : kTextColor);
  FitText(MessageTitle, text);
}

QLineEdit* TRequestForm::AddEntry(TFrame* frame, const QString& name, const QString& prompt, int x, int w, int clearX,
                                  const QString& clearName) {
  auto* edit = new QLineEdit(frame);
  edit->setObjectName(name);
  edit->setPlaceholderText(prompt);
  edit->setFrame(false);
  edit->setFont(DialogFont(16));
  edit->setGeometry(x, 2, w, 36);
  edit->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: #4C4C4E; }"));
  edit->installEventFilter(this);
  connect(edit, &QLineEdit::textChanged, this, [this] { OnEntryChangeTracking(); });
  auto* clear = new TPictureButton(frame, clearName, TPicture::Clear, clearX, 12, 16);
  connect(clear, &TPictureButton::Clicked, this, [edit] { edit->clear(); });
  return edit;
}

bool TRequestForm::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (edit && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
    OnEntryFocus(edit, event->type() == QEvent::FocusIn);
  return TModalForm::eventFilter(watched, event);
}

void TRequestForm::OnFormClose() { SetMessage(QString(), false); }

void TRequestForm::CloseRequested() {
  if (Busy_) return;  // the finish handler needs the dialog
  RequestReply.clear();
  TModalForm::CloseRequested();
}

void TRequestForm::StartRequest(std::function<std::string()> send) {
  Busy_ = true;
  // Focus leaves the entries first: disabling a focused entry would pass the
  // focus on to the next one, and entering a new-user entry empties it.
  setFocus();
  SetSubmitButtonState(false);
  SetEntriesEnabled(false);
  SetMessage(QStringLiteral("Processing Your Request, Please Wait..."), false);
  Watcher_.setFuture(QtConcurrent::run(&dialogs::ServerWorkPool(), std::move(send)));
}

void TRequestForm::OnRequestThreadTerminate() {
  RequestReply = Watcher_.result();
  Busy_ = false;
  SetSubmitButtonState(true);
  SetEntriesEnabled(true);
  if (!RequestReply.empty()) {
    if (session::ReplyAccepted(RequestReply))
      SetModalResult(1);
    else
      SetMessage(QString::fromStdString(RequestReply), true);
  }
  emit RequestFinished();
}
