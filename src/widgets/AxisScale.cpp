#include "widgets/AxisScale.h"

#include <algorithm>
#include <cmath>

#include "common/DateHelpers.h"
#include "platform/Format.h"

namespace axis {

namespace {

constexpr int kMaxMonthEndIntervals = 15;
constexpr double kValueShift = 200.0;
constexpr double kGridTolerance = 1e-9;  // of a step

// Power-of-ten exponent of a positive figure: 0 for 1 < v < 11, else the
// smallest e >= 1 with trunc(v / 10^e) <= 10; for v <= 1: -1 when
// trunc(10 v) > 0, else -j for the smallest j in 2..10 with trunc(10^j v) > 0
// (-10 when none).
int PowerExponent(double v) {
  if (v > 1.0) {
    if (std::trunc(v) < 11.0) return 0;
    for (int e = 1; e < 308; ++e)
      if (std::trunc(v / std::pow(10.0, e)) <= 10.0) return e;
    return 308;
  }
  if (std::trunc(10.0 * v) > 0.0) return -1;
  for (int j = 2; j <= 10; ++j)
    if (std::trunc(std::pow(10.0, j) * v) > 0.0) return -j;
  return -10;
}

// Highest value of the grid anchor + k x step not above lo (a grid value
// above lo by less than 1e-9 of a step counts as not above).
double GridFloor(double lo, double anchor, double step) {
  return anchor + std::floor((lo - anchor) / step + kGridTolerance) * step;
}

}  // namespace

std::int32_t TLogBounds::Count() const {
  std::int32_t n = 0;
  for (double p = Lower; p <= Upper; p *= 2.0) ++n;
  return n;
}

double NextMonthEndTick(double previous, double step) {
  const double walked = GetEndOfMonth(previous + step - 3.0);
  const double next = GetEndOfMonth(GetEndOfMonth(previous) + 1.0);
  return std::max(walked, next);
}

TDateScale MonthEndScale(double first, double last) {
  TDateScale scale;
  scale.FirstTick = first;
  scale.LastDate = last;
  if (!(last > first)) return scale;
  scale.TickStep = (last - first) / 12.0;
  // Longer walks repeat the shorter ones' ticks, so one walk of at most 15
  // steps gives the result of retrying with n = 5 .. 15.
  double tick = GetEndOfMonth(first);
  std::int32_t k = 0;
  while (k < kMaxMonthEndIntervals) {
    tick = NextMonthEndTick(tick, scale.TickStep);
    ++k;
    if (tick >= last) break;
  }
  scale.Intervals = k;
  scale.LastDate = tick;
  return scale;
}

std::vector<double> MonthEndTicks(const TDateScale& scale) {
  std::vector<double> ticks;
  if (scale.Intervals < 0) return ticks;
  double tick = GetEndOfMonth(scale.FirstTick);
  ticks.push_back(tick);
  for (std::int32_t k = 1; k <= scale.Intervals; ++k) {
    tick = NextMonthEndTick(tick, scale.TickStep);
    ticks.push_back(tick);
  }
  return ticks;
}

TDateScale EqualStepScale(double first, double last, std::int32_t points) {
  TDateScale scale;
  scale.FirstTick = first;
  scale.LastDate = last;
  scale.Intervals = points;
  scale.TickStep = points > 0 ? (last - first) / points : 0.0;
  return scale;
}

double MidMonth(double date) { return GetStartOfMonth(date) + 14.0; }

double NextMidMonth(double mid) { return MidMonth(mid + 40.0); }

TValueGrid ComputeValueGrid(double lowest, double highest) {
  TValueGrid grid;
  if (!std::isfinite(lowest) || !std::isfinite(highest) || !(lowest < highest)) return grid;
  const double lo = lowest + kValueShift;
  const double hi = highest + kValueShift;
  const double span = (hi - lo) / 5.0;
  const double stepBase = std::pow(10.0, PowerExponent(span));
  const double anchor = std::pow(10.0, PowerExponent(lo));
  double multiplier = 1.0;
  double start = 0.0;
  double step = stepBase;
  for (int round = 0; round < 50; ++round) {
    step = stepBase * multiplier;
    // A step above lo anchors the grid at 0 (start 0 for 0 <= lo < step; a
    // negative lo, values under -200, still gets a start below it).
    start = GridFloor(lo, step > lo ? 0.0 : anchor, step);
    if (hi > start + 10.0 * step)
      multiplier *= 5.0;
    else if (start + 5.0 * step >= hi)
      multiplier *= 0.5;
    else
      break;
  }
  grid.Step = step;
  grid.Start = start - kValueShift;
  // Largest m with start + m x step < hi (within the grid tolerance).
  grid.Steps = hi <= start ? -1 : static_cast<std::int32_t>(std::ceil((hi - start) / step - kGridTolerance)) - 1;
  return grid;
}

TLogBounds ComputeLogBounds(double lowest, double highest) {
  TLogBounds bounds{1.0, 1.0};
  for (double p = 1.0; p <= 1e10; p *= 2.0) {
    if (100.0 * highest > p) bounds.Upper = 2.0 * p;
    if (100.0 * highest == p) bounds.Upper = p;
    if (100.0 * lowest >= p) bounds.Lower = p;
  }
  bounds.Upper = std::max(bounds.Upper, 4.0 * bounds.Lower);
  return bounds;
}

double RangeFraction(double v, double a, double b) { return b > a ? (v - a) / (b - a) : 0.0; }

std::int32_t StepDecimals(double step) {
  constexpr std::int32_t kMostDecimals = 6;
  double scaled = std::fabs(step);
  for (std::int32_t d = 0; d < kMostDecimals; ++d, scaled *= 10.0)
    if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled)) return d;
  return kMostDecimals;
}

std::string GridValueText(double v, double step) {
  const std::int32_t decimals = StepDecimals(step);
  std::string text = platform::FloatToStrF(v, platform::ffFixed, 15, decimals);
  if (decimals > 0 && text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string PercentGridLabel(double v, double step) { return GridValueText(100.0 * v, 100.0 * step) + "%"; }

}  // namespace axis
