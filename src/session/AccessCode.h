#pragma once
// The access code typed on the main window: three keys pressed while Ctrl is
// held, compared with the stored code once three have been typed.

#include <string>

namespace session {

inline constexpr int kControlKey = 17;  // the Ctrl key itself
inline const std::string kAccessCode = "QXW";

class TAccessKeyBuffer {
 public:
  std::string sTypedLetters;

  // A key press on the main window. Ignored while the progress panel is
  // visible. With Ctrl, a key other than Ctrl appends the low byte of its
  // code; without Ctrl the buffer empties. At three letters the upper-cased
  // buffer is compared with the code and emptied. True: start the transfer
  // (code matched, user admitted and workspace ready).
  bool OnKeyDown(int key, bool ctrl, bool panelVisible, bool userAdmitted, bool workspaceReady);

  // Releasing Ctrl empties the buffer.
  void OnKeyUp(int key);
};

}  // namespace session
