#pragma once
// Where the main window stands on its screen: the geometry it opens at and
// the geometry that maximise and restore give it. The window sets these
// itself after asking the window system for the state, because a display
// without a window manager answers a state request without moving the window.

namespace session {

// A rectangle of the virtual desktop in device-independent pixels.
struct TScreenRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TScreenRect&) const = default;
};

// The opening geometry on a screen whose available area (the screen less the
// panels) is `available`, per axis: size = min(available, 1920 x 1080), at
// least 1728 x 972; position = available origin + (available - size) / 2,
// at least the origin. So a screen smaller than the reference is filled and
// a larger one shows 1920 x 1080 centred.
TScreenRect ChooseWindowGeometry(const TScreenRect& available);

// The geometry that restore returns to, remembered when the window is maximised.
struct TWindowPlacement {
  TScreenRect Normal;
};

// The geometry the window must have after the maximise-or-restore request.
// maximise true: the current geometry is remembered and the result is the
// available area of the window's screen (at least 1728 x 972 at its origin).
// maximise false: the remembered geometry; when none was remembered, the
// opening geometry on that screen.
TScreenRect WindowStateGeometry(TWindowPlacement& placement, bool maximise, const TScreenRect& current,
                                const TScreenRect& available);

}  // namespace session
