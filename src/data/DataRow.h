#pragma once
// One row of a server data table ("DATA" or "DATA_BIS"), and the rows of a
// whole table reply held compactly.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/Records.h"

struct TDataRow {
  std::string CountryName;
  std::string AssetId;
  TDataPoint Point;

  friend bool operator==(const TDataRow&, const TDataRow&) = default;
};

// Rows of a series table in the order received, each distinct name kept
// once: a row takes 24 bytes (two name numbers and its point) instead of the
// 80 of a TDataRow, and its names need no allocation. A table download
// holds some 320,000 rows with about 60 distinct names.
class TDataRowSet {
 public:
  struct TRow {
    std::uint32_t Country = 0;  // number of the country name (Name())
    std::uint32_t Asset = 0;    // number of the asset identifier
    TDataPoint Point;
  };

  TDataRowSet() = default;
  explicit TDataRowSet(const std::vector<TDataRow>& rows);

  std::size_t size() const { return Rows_.size(); }
  bool empty() const { return Rows_.empty(); }
  void clear();
  void reserve(std::size_t rows) { Rows_.reserve(rows); }

  void Append(std::string_view country, std::string_view asset, const TDataPoint& point);
  const std::vector<TRow>& Rows() const { return Rows_; }
  // The distinct names (countries and assets) by number, as received.
  const std::vector<std::string>& Names() const { return Names_; }
  const std::string& Name(std::uint32_t number) const { return Names_[number]; }
  // Row i with its names written out.
  TDataRow operator[](std::size_t i) const;
  std::vector<TDataRow> ToRows() const;

  friend bool operator==(const TDataRowSet& a, const TDataRowSet& b) { return a.ToRows() == b.ToRows(); }

 private:
  // Number of name, adding it when new. Consecutive rows repeat the same few
  // names, so a small table of recent names answers most look-ups.
  std::uint32_t NameNumber(std::string_view name);

  struct TNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::vector<std::string> Names_;
  std::unordered_map<std::string, std::uint32_t, TNameHash, std::equal_to<>> Numbers_;
  static constexpr std::size_t kRecentNames = 64;
  std::uint32_t Recent_[kRecentNames] = {};
  bool RecentSet_[kRecentNames] = {};
  std::vector<TRow> Rows_;
};
