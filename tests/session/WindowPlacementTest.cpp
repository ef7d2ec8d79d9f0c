#include <gtest/gtest.h>

#include "session/WindowPlacement.h"

namespace session {
namespace {

::testing::AssertionResult SameRect(const TScreenRect& got, const TScreenRect& expected) {
  if (got == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.X << ", " << got.Y << ", " << got.Width << " x " << got.Height
                                       << "), expected (" << expected.X << ", " << expected.Y << ", " << expected.Width
                                       << " x " << expected.Height << ")";
}

// The opening geometry on screens smaller, equal to and larger than the
// reference, with panels (an available area that does not start at 0) and
// on a second screen right of the first.
TEST(WindowPlacementTest, OpeningGeometryFillsSmallScreensAndCentresOnLargeOnes) {
  struct Case {
    TScreenRect Available;
    TScreenRect Expected;
  };
  const Case cases[] = {
      {{0, 0, 1728, 972}, {0, 0, 1728, 972}},                // the smallest screen: filled
      {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},              // the reference: filled
      {{0, 0, 2560, 1440}, {320, 180, 1920, 1080}},          // larger: the reference size centred
      {{0, 28, 1800, 1000}, {0, 28, 1800, 1000}},            // a panel on top: the available area
      {{1920, 0, 2560, 1440}, {2240, 180, 1920, 1080}},      // a second screen
      {{0, 0, 2560, 1000}, {320, 0, 1920, 1000}},            // wide and low: each axis on its own
      {{0, 0, 1600, 900}, {0, 0, 1728, 972}},                // below the minimum: the minimum at the origin
      {{100, 50, 1700, 1200}, {100, 110, 1728, 1080}},       // narrow and high
  };
  for (const Case& c : cases) EXPECT_TRUE(SameRect(ChooseWindowGeometry(c.Available), c.Expected));
}

// Maximise fills the available area and remembers the geometry before it;
// restore returns that geometry (after a move too), or the opening geometry
// when nothing was remembered.
TEST(WindowPlacementTest, MaximiseFillsTheScreenAndRestoreReturnsTheEarlierGeometry) {
  const TScreenRect big{0, 0, 2560, 1440};
  TWindowPlacement placement;
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, false, {5, 5, 1800, 1000}, big), {320, 180, 1920, 1080}));

  const TScreenRect opened = ChooseWindowGeometry(big);
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, true, opened, big), big));
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, false, big, big), opened));

  const TScreenRect moved{100, 40, 1920, 1080};  // dragged before the next maximise
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, true, moved, big), big));
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, false, big, big), moved));

  // A screen smaller than the minimum: the window keeps its minimum size.
  const TScreenRect small{1920, 0, 1600, 900};
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, true, moved, small), {1920, 0, 1728, 972}));
  EXPECT_TRUE(SameRect(WindowStateGeometry(placement, false, {1920, 0, 1728, 972}, small), moved));
}

}  // namespace
}  // namespace session
