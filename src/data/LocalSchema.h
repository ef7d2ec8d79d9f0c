#pragma once
// The creation statements of the two local files, in the order they run,
// each with the text left in LastMessage when it fails. The files' objects
// of these names are checked against them before a file is taken.

#include <span>

namespace localdb {

struct TSchemaStatement {
  const char* Sql;
  const char* FailureText;
};

// The market-data file: its six tables and the two series indexes.
std::span<const TSchemaStatement> MarketDataSchema();
// The settings file: its nine tables.
std::span<const TSchemaStatement> SettingsSchema();

// The series indexes of DATA and DATA_BIS, as created by MarketDataSchema(),
// and the columns each holds (VALUE too, so that a series is read from its
// index alone).
inline constexpr const char* kDataIndexSql =
    "CREATE INDEX IF NOT EXISTS DATA_SERIES_INDEX ON DATA(COUNTRYNAME,ASSETID,DATE,VALUE)";
inline constexpr const char* kDataBisIndexSql =
    "CREATE INDEX IF NOT EXISTS DATA_BIS_SERIES_INDEX ON DATA_BIS(COUNTRYNAME,ASSETID,DATE,VALUE)";
inline constexpr const char* kSeriesIndexes[] = {kDataIndexSql, kDataBisIndexSql};
inline constexpr const char* kSeriesIndexColumns[] = {"COUNTRYNAME", "ASSETID", "DATE", "VALUE"};

}  // namespace localdb
