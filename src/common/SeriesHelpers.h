#pragma once
// Series helpers: slicing, joining, currency-converted and hedged returns,
// descending order of values and the extension of dated lists to the signal
// date grid.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "common/DateHelpers.h"
#include "common/Records.h"

// Points whose date d satisfies from <= d <= to, in order.
TSeries SliceSeries(const TSeries& series, double from, double to);

// Whether the dates of the points ascend: each a number not below the one before.
bool IsAscendingRun(TSeriesSpan points);

// The positions [first, last) of the points dated in [from, to] when they
// form one run: the dates ascend (no date is NaN) and from <= to. nullopt
// otherwise, where only a point-by-point scan finds them.
std::optional<std::pair<std::size_t, std::size_t>> AscendingRunInRange(const TSeries& series, double from, double to);

// The points of SliceSeries(series, from, to): in place when they form one
// run, else copied into `scratch` (which then holds them).
TSeriesSpan SliceSpan(const TSeries& series, double from, double to, TSeries& scratch);
// target := SliceSeries(series, from, to), in target's own storage; a target
// that already holds those points is not written.
void SliceSeriesInto(TSeries& target, const TSeries& series, double from, double to);
// SliceSeries on the series itself: series := SliceSeries(series, from, to).
void CutSeriesInPlace(TSeries& series, double from, double to);

// Period returns of A turned into another currency by the growth of the
// conversion factor B, over their common range:
// r_i = (1 + rA_i) * b_i / b_(i-1) - 1 with rA_i = a_i / a_(i-1) - 1, dated a_i.
// A previous value of 0.0 makes rA_i = 0.0 (in A) or the growth 1.0 (in B).
// Empty unless both cuts hold the same n >= 2 points.
TSeries ComputeConvertedReturns(const TSeries& a, const TSeries& b);

// Hedged returns over the window common to (A, B) and (A, C):
// r_i = (rA_i - rB_i - cost) * c_i / c_(i-1), dated a_i; a factor whose
// previous value is 0.0 is 0.0. Empty unless the three cuts hold the same n >= 2 points.
TSeries ComputeHedgedReturns(const TSeries& a, const TSeries& b, const TSeries& c, double cost);

// Indices of the values from the highest down; among equal values the later
// index comes first. Values below -1000000.0 or not numbers come last, in
// ascending index order.
std::vector<std::int32_t> GetDescendingOrder(const std::vector<double>& values);
// The same order written into `order`, starting from the order it holds: an
// order close to the result (such as that of the date before) takes few
// moves. A content that is no order of 0..n-1 is replaced first.
void SortDescendingOrder(const std::vector<double>& values, std::vector<std::int32_t>& order);
// Ranks, starting from the order of the date before, the values of the
// members at one date: `members` (ascending) holds the lines that take part,
// values[p] the value of members[p]; on return `order` holds the positions p
// from the highest value down (GetDescendingOrder) and `previous` the
// members in that order, for the next date. `place` is work space, one entry
// per line, -1 outside a call.
void RankMembers(const std::vector<double>& values, const std::vector<std::size_t>& members,
                 std::vector<std::int32_t>& order, std::vector<std::size_t>& previous,
                 std::vector<std::int32_t>& place);

// The points of A dated before B's first date, followed by all of B; A when B is empty.
TSeries PrependSeries(const TSeries& a, const TSeries& b);
// target := PrependSeries(a, b), in target's own storage (neither a nor b may be target).
void PrependSeriesInto(TSeries& target, const TSeries& a, const TSeries& b);

// Puts in front of records, from the latest to the earliest, one
// value-initialised record (only its Date set) for every date of the
// countries' signal date grid earlier than the first record's date. Nothing
// happens when records is empty. Works for series (value 0.0) and for any
// dated record with a Date member.
template <typename TDated>
void ExtendSeriesToSignalGrid(const std::vector<TCountry>& countries, std::vector<TDated>& records) {
  if (records.empty()) return;
  const TSeries grid = GetSignalDateGrid(countries);
  const double first = records.front().Date;
  std::vector<TDated> front;
  for (const TDataPoint& g : grid) {
    if (!(g.Date < first)) continue;
    TDated record{};
    record.Date = g.Date;
    front.push_back(std::move(record));
  }
  records.insert(records.begin(), std::make_move_iterator(front.begin()), std::make_move_iterator(front.end()));
}
