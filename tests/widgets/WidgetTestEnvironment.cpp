// The one Qt GUI application of the widget test program (fonts need it);
// offscreen unless the environment chooses a platform.
#include <gtest/gtest.h>

#if __has_include(<QGuiApplication>)

#include <QGuiApplication>
#include <memory>

namespace {

class TWidgetQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App_ = std::make_unique<QGuiApplication>(Argc_, Argv_);
  }
  void TearDown() override { App_.reset(); }

 private:
  int Argc_ = 1;
  char Name_[16] = "test_widgets";
  char* Argv_[2] = {Name_, nullptr};
  std::unique_ptr<QGuiApplication> App_;
};

[[maybe_unused]] ::testing::Environment* const kWidgetQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TWidgetQtEnvironment);

}  // namespace

#endif
