// The one application object of this test program.

#include "support/QtTestEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new qttest::TQtEnvironment);

}  // namespace
