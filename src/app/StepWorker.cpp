#include "app/StepWorker.h"

#include <QMetaObject>

namespace app {

TStepWorker::TStepWorker(QObject* parent) : QObject(parent) {
  qRegisterMetaType<session::TStepLook>();
  Context_ = new QObject;
  Context_->moveToThread(&Thread_);
  connect(&Thread_, &QThread::finished, Context_, &QObject::deleteLater);
  Thread_.setObjectName("QuorvaneStepWorker");
  Thread_.start();
}

TStepWorker::~TStepWorker() { Stop(); }

bool TStepWorker::Post(std::function<void()> job) {
  if (Busy_ || !Thread_.isRunning()) return false;
  Busy_ = true;
  QMetaObject::invokeMethod(Context_, [this, job = std::move(job)] {
    job();
    // Queued back to the window's thread, after every signal the job emitted.
    QMetaObject::invokeMethod(
        this,
        [this] {
          Busy_ = false;
          emit Finished();
        },
        Qt::QueuedConnection);
  });
  return true;
}

void TStepWorker::Stop() {
  if (!Thread_.isRunning()) return;
  Thread_.quit();
  Thread_.wait();
}

}  // namespace app
