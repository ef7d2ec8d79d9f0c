#pragma once
// Screens of Qt's offscreen platform, as a desktop would have them: when no
// platform is chosen or it is "offscreen", writes the screens to a JSON file
// and names it in QT_QPA_PLATFORM ("offscreen:configfile=FILE"), so that
// windows opened afterwards see those screens (the first one primary).
// Call before the application object is made; other platforms are left alone.

#include <QByteArray>
#include <QRect>
#include <QtGlobal>
#include <fstream>
#include <string>
#include <vector>

namespace platform {

inline void UseOffscreenScreens(const std::vector<QRect>& screens, const std::string& file) {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && platform != "offscreen") return;
  std::ofstream out(file);
  out << "{\"screens\": [";
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const QRect& s = screens[i];
    out << (i > 0 ? ", " : "") << "{\"name\": \"screen" << i << "\", \"x\": " << s.x() << ", \"y\": " << s.y()
        << ", \"width\": " << s.width() << ", \"height\": " << s.height()
        << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}";
  }
  out << "]}\n";
  out.close();
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + file.c_str());
}

}  // namespace platform
