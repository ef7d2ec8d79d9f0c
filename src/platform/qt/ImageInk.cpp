#include "platform/qt/ImageInk.h"

namespace platform {

bool HasTwoColours(const QImage& image, QRgb background, int& inked) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  inked = 0;
  QRgb first = 0;
  bool twoColours = false;
  for (int y = 0; y < argb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) {
      if (line[x] == background) continue;
      if (inked++ == 0) first = line[x];
      if (line[x] != first) twoColours = true;
    }
  }
  return twoColours;
}

}  // namespace platform
