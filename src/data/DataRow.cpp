#include "data/DataRow.h"

#include <algorithm>
#include <iterator>

TDataRowSet::TDataRowSet(const std::vector<TDataRow>& rows) {
  Rows_.reserve(rows.size());
  for (const TDataRow& row : rows) Append(row.CountryName, row.AssetId, row.Point);
}

void TDataRowSet::clear() {
  Names_.clear();
  Numbers_.clear();
  std::fill(std::begin(RecentSet_), std::end(RecentSet_), false);
  Rows_.clear();
}

std::uint32_t TDataRowSet::NameNumber(std::string_view name) {
  // Slot of the recent-name table: length and three characters.
  const std::size_t n = name.size();
  const std::size_t slot =
      n == 0 ? 0
             : (n * 31 + static_cast<unsigned char>(name[0]) * 7 + static_cast<unsigned char>(name[n / 2]) * 13 +
                static_cast<unsigned char>(name[n - 1])) %
                   kRecentNames;
  if (RecentSet_[slot] && Names_[Recent_[slot]] == name) return Recent_[slot];
  auto found = Numbers_.find(name);
  if (found == Numbers_.end()) {
    const auto number = static_cast<std::uint32_t>(Names_.size());
    Names_.emplace_back(name);
    found = Numbers_.emplace(Names_.back(), number).first;
  }
  Recent_[slot] = found->second;
  RecentSet_[slot] = true;
  return found->second;
}

void TDataRowSet::Append(std::string_view country, std::string_view asset, const TDataPoint& point) {
  const std::uint32_t c = NameNumber(country);
  Rows_.push_back(TRow{c, NameNumber(asset), point});
}

TDataRow TDataRowSet::operator[](std::size_t i) const {
  const TRow& row = Rows_[i];
  return TDataRow{Names_[row.Country], Names_[row.Asset], row.Point};
}

std::vector<TDataRow> TDataRowSet::ToRows() const {
  std::vector<TDataRow> rows;
  rows.reserve(Rows_.size());
  for (std::size_t i = 0; i < Rows_.size(); ++i) rows.push_back((*this)[i]);
  return rows;
}
