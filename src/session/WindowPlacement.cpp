#include "session/WindowPlacement.h"

#include <algorithm>

#include "session/WindowLayout.h"

namespace session {

namespace {

// One axis of the opening geometry: size min(available, reference), at least
// the minimum; start origin + (available - size) / 2, at least the origin.
void FitAxis(int origin, int available, int reference, int minimum, int& start, int& size) {
  size = std::max(std::min(available, reference), minimum);
  start = origin + std::max(0, (available - size) / 2);
}

}  // namespace

TScreenRect ChooseWindowGeometry(const TScreenRect& available) {
  TScreenRect rect;
  FitAxis(available.X, available.Width, kReferenceWidth, kMinimumWidth, rect.X, rect.Width);
  FitAxis(available.Y, available.Height, kReferenceHeight, kMinimumHeight, rect.Y, rect.Height);
  return rect;
}

TScreenRect WindowStateGeometry(TWindowPlacement& placement, bool maximise, const TScreenRect& current,
                                const TScreenRect& available) {
  if (maximise) {
    placement.Normal = current;
    return {available.X, available.Y, std::max(available.Width, kMinimumWidth),
            std::max(available.Height, kMinimumHeight)};
  }
  if (placement.Normal.Width <= 0 || placement.Normal.Height <= 0) return ChooseWindowGeometry(available);
  return placement.Normal;
}

}  // namespace session
