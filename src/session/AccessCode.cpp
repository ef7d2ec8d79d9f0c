#include "session/AccessCode.h"

#include <cctype>

namespace session {

bool TAccessKeyBuffer::OnKeyDown(int key, bool ctrl, bool panelVisible, bool userAdmitted, bool workspaceReady) {
  if (panelVisible) return false;
  if (!ctrl)
    sTypedLetters.clear();
  else if (key != kControlKey)
    sTypedLetters += static_cast<char>(static_cast<unsigned>(key) & 0xFFu);
  if (sTypedLetters.size() < 3) return false;

  std::string upper = sTypedLetters;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  sTypedLetters.clear();
  return upper == kAccessCode && userAdmitted && workspaceReady;
}

void TAccessKeyBuffer::OnKeyUp(int key) {
  if (key == kControlKey) sTypedLetters.clear();
}

}  // namespace session
