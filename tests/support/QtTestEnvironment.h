#pragma once
// The one application object of a Qt test program, offscreen unless the
// environment chooses a platform. Register it once per program:
//   AddGlobalTestEnvironment(new qttest::TQtEnvironment)

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace qttest {

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App_ = std::make_unique<QApplication>(Argc_, Argv_);
  }
  void TearDown() override { App_.reset(); }

 private:
  int Argc_ = 1;
  char Name_[8] = "qt-test";
  char* Argv_[2] = {Name_, nullptr};
  std::unique_ptr<QApplication> App_;
};

}  // namespace qttest
