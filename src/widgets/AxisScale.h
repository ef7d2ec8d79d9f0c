#pragma once
// Date ticks and value grid of the two time charts (comparison chart and
// bar chart): month-end or equal-step date ticks, the power-of-ten value
// grid, the power-of-two brackets of the logarithmic scale and the texts
// of the grid lines.

#include <cstdint>
#include <string>
#include <vector>

namespace axis {

// Date part of a scale. LastDate is the (possibly moved) end of the axis.
struct TDateScale {
  double FirstTick = 0.0;
  double TickStep = 0.0;
  std::int32_t Intervals = 0;
  double LastDate = 0.0;
};

// Value grid: lines at Start + i x Step; Steps is the largest m with
// Start + m x Step below the highest value (-1 when none is).
struct TValueGrid {
  double Start = 0.0;
  double Step = 0.0;
  std::int32_t Steps = -1;
};

// Powers of two (in hundredths of the value) that bracket the values.
struct TLogBounds {
  double Lower = 1.0;
  double Upper = 4.0;
  // Number of powers from Lower to Upper, both included.
  std::int32_t Count() const;
};

// The tick after `previous` on the month-end walk: the month end of
// previous + step - 3 days, and at least the month end after previous (a
// step under four days would otherwise stall on the same month end).
double NextMonthEndTick(double previous, double step);

// Month-end form: step = (last - first) / 12; for n = 5 .. 15 walk
// d0 = month end of first, dk = NextMonthEndTick(d(k-1)) up to n steps,
// stopping at the first dk on or after last. Intervals = the step that
// reached last (so no tick lies after the axis end), or 15 when none did;
// LastDate = the last tick of the walk.
TDateScale MonthEndScale(double first, double last);
// The tick dates of a month-end scale: d0 .. d(Intervals).
std::vector<double> MonthEndTicks(const TDateScale& scale);

// Equal-step form: Intervals = points, step = (last - first) / points.
TDateScale EqualStepScale(double first, double last, std::int32_t points);

// Mid-month of the date's month: start of month + 14 days.
double MidMonth(double date);
// The mid-month of the month after `mid`: mid-month of mid + 40 days
// (40 days after a mid-month always land in the next month).
double NextMidMonth(double mid);

// Value grid over [lowest, highest] (computed on values shifted by +200):
// step exponent e from span = (hi - lo) / 5 and start exponent s from lo,
// step = 10^e x multiplier, start = the highest grid value not above lo
// (anchored at 10^s, or at 0 when step > lo), multiplier x5 while more than
// ten steps, x0.5 while five or fewer (at most 50 rounds). A range that is
// empty or not finite gives Steps = -1 and Step = 0.
TValueGrid ComputeValueGrid(double lowest, double highest);

// Log bounds: for p = 1, 2, 4 .. 1e10: 100 x highest > p -> upper = 2p,
// = p -> upper = p; 100 x lowest >= p -> lower = p. Lower is at least 1
// and Upper at least 4 x Lower (two bands at least).
TLogBounds ComputeLogBounds(double lowest, double highest);

// Position (0..1) of v in [a, b]; 0 when the range is empty.
double RangeFraction(double v, double a, double b);

// Decimals that write every multiple of step exactly: the fewest d in 0..6
// with |step| x 10^d within 1e-6 of a whole number (6 when none is).
std::int32_t StepDecimals(double step);

// Text of a grid line's value v on a grid of the given step (both in the
// unit shown): v rounded to StepDecimals(step) decimals, trailing zeros
// after the point dropped, "-0" written as "0". Step 1.25: "0", "-1.25",
// "-2.5", "-3.75", "-5"; step 5: "0", "5", "10".
std::string GridValueText(double v, double step);

// Label of a percent grid line at the fraction v on a grid of step (a
// fraction too): GridValueText(100 v, 100 step) followed by "%".
std::string PercentGridLabel(double v, double step);

}  // namespace axis
