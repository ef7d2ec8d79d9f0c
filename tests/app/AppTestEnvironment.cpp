// The one application object of this test program. On the offscreen
// platform it has three screens side by side, as a desktop would: the
// reference 1920 x 1080 (primary, where every window opens), the smallest
// 1728 x 972 and a large 2560 x 1440 (AppTestSupport.h, kTestScreens).

#include <fstream>
#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "data/TempDir.h"
#include "support/QtTestEnvironment.h"

namespace {

class TAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
      const std::string file = Folder_ / "screens.json";
      std::ofstream out(file);
      out << "{\"screens\": [";
      for (std::size_t i = 0; i < apptest::kTestScreens.size(); ++i) {
        const QRect& s = apptest::kTestScreens[i];
        out << (i > 0 ? ", " : "") << "{\"name\": \"screen" << i << "\", \"x\": " << s.x() << ", \"y\": " << s.y()
            << ", \"width\": " << s.width() << ", \"height\": " << s.height()
            << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}";
      }
      out << "]}\n";
      out.close();
      qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + file.c_str());
    }
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
