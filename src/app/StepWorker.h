#pragma once
// The worker thread of the update process. Blocking work (local database,
// data server, models) runs here, one job at a time; everything a job shows
// reaches the window by queued signals, and its end by a queued signal too.
// While a job runs only it touches the shared globals, the client and the
// local database.

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>

#include "session/UpdateStep.h"

namespace app {

// Reporter living on the worker: each call becomes a queued signal to the window.
class TQueuedReporter : public QObject, public session::TStepReporter {
  Q_OBJECT
 public:
  using QObject::QObject;
  void SetText(const std::string& text) override { emit PercentText(QString::fromStdString(text)); }
  void ShowLook(const session::TStepLook& look) override { emit LookShown(look); }
  void SetIndicator(int number, bool lit) override { emit IndicatorSet(number, lit); }

 signals:
  void PercentText(const QString& text);
  void LookShown(const session::TStepLook& look);
  void IndicatorSet(int number, bool lit);
};

class TStepWorker : public QObject {
  Q_OBJECT
 public:
  explicit TStepWorker(QObject* parent = nullptr);
  ~TStepWorker() override;

  // Runs job on the worker thread; Finished is emitted on the window's
  // thread once it has returned. A job is refused (false) while another runs.
  bool Post(std::function<void()> job);
  bool Busy() const { return Busy_; }
  // Runs the remaining job to its end and stops the thread.
  void Stop();
  // The reporter steps report through (its signals are queued to the window).
  TQueuedReporter& Reporter() { return Reporter_; }

 signals:
  void Finished();

 private:
  QThread Thread_;
  QObject* Context_ = nullptr;  // lives on the worker thread
  TQueuedReporter Reporter_;
  bool Busy_ = false;  // GUI thread only
};

}  // namespace app

Q_DECLARE_METATYPE(session::TStepLook)
