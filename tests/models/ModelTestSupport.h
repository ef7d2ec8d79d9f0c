#pragma once
// Shared helpers of the model tests: a progress receiver that records what
// the models show, and the country-list builders of the portfolio tests.

#include <string>
#include <vector>

#include "platform/ProgressSink.h"
#include "portfolio/TestCountries.h"

namespace modeltest {

// Records every text and counts the pumps between them.
class RecordingProgress : public platform::ProgressSink {
 public:
  void SetText(const std::string& text) override { Texts.push_back(text); }
  void ProcessMessages() override { ++Pumps; }
  std::vector<std::string> Texts;
  int Pumps = 0;
};

// Installs settings as usMyExternUserSettings for the lifetime of the object.
class ScopedUserSettings {
 public:
  explicit ScopedUserSettings(TUserSettings settings);
  ~ScopedUserSettings();
  ScopedUserSettings(const ScopedUserSettings&) = delete;
  ScopedUserSettings& operator=(const ScopedUserSettings&) = delete;

 private:
  TUserSettings saved_;
};

}  // namespace modeltest
