#pragma once
// Checks of a rendered picture, for the galleries: is anything drawn on it.

#include <QImage>

namespace platform {

// Counts the pixels that differ from background into inked; true when those
// pixels hold at least two colours.
bool HasTwoColours(const QImage& image, QRgb background, int& inked);

}  // namespace platform
