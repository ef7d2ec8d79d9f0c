#pragma once
// Receiver of progress texts for long operations; keeps the window alive by
// letting the caller pump its event loop between chunks of work.

#include <string>

namespace platform {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Replaces the shown progress text (for example "42%").
  virtual void SetText(const std::string& text) = 0;
  // Lets the user interface handle pending events; nothing by default.
  virtual void ProcessMessages() {}
};

}  // namespace platform
