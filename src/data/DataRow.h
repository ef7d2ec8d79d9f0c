#pragma once
// One row of a server data table ("DATA" or "DATA_BIS").

#include <string>
#include <vector>

#include "common/Records.h"

struct TDataRow {
  std::string CountryName;
  std::string AssetId;
  TDataPoint Point;

  friend bool operator==(const TDataRow&, const TDataRow&) = default;
};
