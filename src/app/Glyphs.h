#pragma once
// The window's pictures (step images, image buttons, spinner), drawn with
// lines and shapes through platform::Canvas so that they scale with their
// control and need no image files.

#include "platform/Canvas.h"

namespace app {

enum class TGlyph {
  LocalStorage,       // database cylinder
  ServerStorage,      // server with a downward arrow
  DisabledServer,     // server crossed out
  ServerState,        // server with signal arcs
  Success,            // check mark in a circle
  Failure,            // exclamation mark in a red circle
  FailureConnection,  // broken link
  MailSent,           // envelope
  ServerMessage,      // speech bubble
  Connect,            // person with an arrow (sign-in and download)
  Parameters,         // sliders
  Minimize,
  Maximize,
  Restore,
  Close,
};

// Draws the glyph centred in a width x height box in colour.
void PaintGlyph(TGlyph glyph, platform::Canvas& canvas, float width, float height, platform::TAlphaColor colour);
// The spinner: a 270-degree arc of the ring, turned by angle degrees.
void PaintSpinner(platform::Canvas& canvas, float width, float height, float angle, platform::TAlphaColor colour);

}  // namespace app
