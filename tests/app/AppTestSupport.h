#pragma once
// Helpers of the window tests: a main window on an in-process data server
// with a private home folder, and an answerer that plays the user in the
// modal dialogs while the update process runs (it is driven by a zero-delay
// timer; nothing waits on the clock but for the steps' own ends). Every
// click reaches the window at a window point (support/WindowPointer.h).

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <array>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "data/TempDir.h"
#include "dialogs/DialogWidgets.h"
#include "dialogs/LoginForm.h"
#include "dialogs/QuestionForm.h"
#include "server/ServerTestSupport.h"
#include "support/WindowPointer.h"

namespace apptest {

// The screens of the offscreen platform (AppTestEnvironment.cpp), in the
// virtual desktop: the reference screen first (primary), then the smallest
// and a large one to its right.
inline const std::array<QRect, 3> kTestScreens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1728, 972),
                                               QRect(3648, 0, 2560, 1440)};

// How long a whole road (download, load, nine models) may take in a sanitizer build.
inline constexpr int kRoadTimeoutMs = 600000;

// Answers the questions, the sign-in and the message boxes while a modal loop runs.
class TAnswerer {
 public:
  explicit TAnswerer(app::TMainForm& form) : Form_(form) {
    Timer_.setInterval(0);
    QObject::connect(&Timer_, &QTimer::timeout, [this] { Poll(); });
    Timer_.start();
  }
  bool DownloadAnswer = true;  // "DOWNLOAD" or "CANCEL"
  std::string User = "demo@quorvane.test";
  std::string Password = "demo";
  int Questions = 0;
  int SignIns = 0;
  std::string LastQuestion;
  std::vector<std::string> Messages;  // the message boxes closed with "Return", in order
  std::size_t MessagesBeforeSignIn = 0;  // how many of them came before the last sign-in

 private:
  void Poll() {
    TQuestionForm* question = Form_.QuestionForm;
    // A showing without a result is unanswered (a question asked right after
    // another shows again before any poll sees it hidden).
    if (question->Showing() && question->ModalResult == 0) {
      ++Questions;
      LastQuestion = question->Value->text().toStdString();
      question->FinishAnimations();
      Click(DownloadAnswer ? question->YesButton : question->NoButton);
      return;
    }
    TMessageForm* message = Form_.MessageForm;
    if (message->Showing() && message->ModalResult == 0) {
      Messages.push_back(message->Value->text().toStdString());
      message->FinishAnimations();
      Click(message->ExitButton);
      return;
    }
    TLoginForm* login = Form_.LoginForm;
    if (login->Showing() && !login->Busy() && login->ModalResult == 0 && !SignedIn_) {
      SignedIn_ = true;
      ++SignIns;
      MessagesBeforeSignIn = Messages.size();
      login->UsernameEntryValue->setText(QString::fromStdString(User));
      login->PasswordEntryValue->setText(QString::fromStdString(Password));
      Click(login->SignInButton);
      return;
    }
    if (!login->Showing()) SignedIn_ = false;
  }
  void Click(QWidget* widget) { EXPECT_TRUE(qttest::TWindowPointer(&Form_).ClickOn(widget)); }

  app::TMainForm& Form_;
  QTimer Timer_;
  bool SignedIn_ = false;
};

// Runs action once the dialog shows (polled by a zero-delay timer).
inline void WhenShowing(dialogs::TModalForm* form, std::function<void()> action) {
  auto* poll = new QTimer(form);
  poll->setInterval(0);
  QObject::connect(poll, &QTimer::timeout, form, [form, poll, action = std::move(action)] {
    if (!form->Showing()) return;
    poll->stop();
    poll->deleteLater();
    action();
  });
  poll->start();
}

// Types letters while Ctrl is held down, then releases Ctrl (QTest's own
// key clicks press and release Ctrl around every key).
inline void TypeWithCtrl(QWidget* widget, const std::string& letters) {
  auto send = [widget](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent event(type, key, modifiers, text);
    QApplication::sendEvent(widget, &event);
  };
  send(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, {});
  for (char letter : letters) {
    const int key = Qt::Key_A + (std::toupper(static_cast<unsigned char>(letter)) - 'A');
    send(QEvent::KeyPress, key, Qt::ControlModifier, QString(QChar(letter)));
    send(QEvent::KeyRelease, key, Qt::ControlModifier, QString(QChar(letter)));
  }
  send(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, {});
}

// Writes the window to <QUORVANE_APP_PNG_DIR>/<name>.png when that variable is set (to look at it).
inline void SaveShot(QWidget& window, const char* name) {
  const QByteArray folder = qgetenv("QUORVANE_APP_PNG_DIR");
  if (!folder.isEmpty()) window.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

// Shows the window, runs the first tick at once and waits until the road
// ends in the workspace or a step failure.
inline bool RunToEnd(app::TMainForm& form) {
  form.SetStepPause(0);
  form.show();
  form.OnFormTimer(&form.MainTimer);
  return QTest::qWaitFor(
      [&form] {
        return !form.StepRunning() && (form.View.WorkspaceShown ||
                                       form.Screen.IsVisible(session::TWindowGroup::FailureDownloadingOrSavingImage));
      },
      kRoadTimeoutMs);
}

// A window on an in-process sample server with a private home, started up
// to the workspace (Ready), and the answerer that plays the user. Test
// suites that share one start hold one of these.
struct TSampleWorkspace {
  TSampleWorkspace()
      : Server(std::make_unique<qvtest::TRunningServer>()),
        Folder(Home.UseAsHome("home")),
        Host("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(Server->Server().Port())).c_str()),
        Form(std::make_unique<app::TMainForm>()),
        Answerer(std::make_unique<TAnswerer>(*Form)) {
    Ready = RunToEnd(*Form) && Form->View.WorkspaceShown;
  }
  ~TSampleWorkspace() {
    Answerer.reset();
    Form.reset();
  }
  std::unique_ptr<qvtest::TRunningServer> Server;
  TempDir Home;
  std::string Folder;
  ScopedEnv Host;
  std::unique_ptr<app::TMainForm> Form;
  std::unique_ptr<TAnswerer> Answerer;
  bool Ready = false;
};

}  // namespace apptest
