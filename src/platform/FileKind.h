#pragma once
// What a message calls a file that stands where an ordinary file belongs.

#include <string>

namespace platform {

// "a folder", "a named pipe", "a socket", "a device" (or "a special file")
// for the file type bits of a stat mode (links followed); empty for an
// ordinary file.
std::string SpecialFileKind(unsigned mode);

}  // namespace platform
