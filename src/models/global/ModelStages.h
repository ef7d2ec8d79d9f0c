#pragma once
// The entry of a model that checks its record first: the run frame, then its
// stages one counter step each, then the closing step ("100%").

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/Records.h"
#include "models/equity/ModelFrame.h"
#include "platform/ProgressSink.h"
#include "portfolio/ModelError.h"

namespace models {

// A missing record fails at the frame's first counter value with
// "<code>: no result record"; otherwise RunModelFrame (the list cut into the
// record), then each stage after one counter step, in order, and a
// last step. A failing stage throws; `step` then holds the stage reached.
template <class Record, class... Stages>
void RunModelStages(Record* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                    std::uint32_t frequency, bool intraMonth, const TModelFrameValues& frame,
                    platform::ProgressSink& progress, std::uint32_t& step, const Stages&... stages) {
  TStageCounter counter(progress, step);
  if (result == nullptr) {
    counter.Start(frame.CounterStart);
    throw EModelError(std::string(frame.Code) + ": no result record");
  }
  RunModelFrame(*result, countries, settings, frequency, intraMonth, frame, counter);
  ((counter.Next(), stages()), ...);
  counter.Next();
}

}  // namespace models
