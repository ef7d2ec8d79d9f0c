#include "ModelTestSupport.h"

#include <utility>

#include "common/Globals.h"

namespace modeltest {

ScopedUserSettings::ScopedUserSettings(TUserSettings settings)
    : saved_(std::exchange(usMyExternUserSettings, std::move(settings))) {}
ScopedUserSettings::~ScopedUserSettings() { usMyExternUserSettings = std::move(saved_); }

}  // namespace modeltest
