// The one application object of this test program. On the offscreen
// platform it has three screens side by side, as a desktop would: the
// reference 1920 x 1080 (primary, where every window opens), the smallest
// 1728 x 972 and a large 2560 x 1440 (AppTestSupport.h, kTestScreens).

#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "data/TempDir.h"
#include "platform/qt/OffscreenScreens.h"
#include "support/QtTestEnvironment.h"

namespace {

class TAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    platform::UseOffscreenScreens({apptest::kTestScreens.begin(), apptest::kTestScreens.end()},
                                Folder_ / "screens.json");
    Qt_.SetUp();
  }
  void TearDown() override { Qt_.TearDown(); }

 private:
  TempDir Folder_;
  qttest::TQtEnvironment Qt_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TAppEnvironment);

}  // namespace
