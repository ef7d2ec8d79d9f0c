// The settings file: the readers and writers of its nine tables (created
// from the schema of LocalSchema.h), and the save selectors.

#include <algorithm>
#include <functional>
#include <limits>
#include <string>

#include "common/CountryHelpers.h"
#include "common/DefaultSettings.h"
#include "data/LocalQuorvaneDB.h"
#include "data/LocalSchema.h"
#include "data/LocalSqlHelpers.h"
#include "data/QVDBCodec.h"

using localdb::StoredName;

namespace {

// Per-country table of an asset class and the columns that class owns
// besides COUNTRYNAME, REGIONNAME and COUNTRYRANK.
struct TByCountryTable {
  const char* Table;
  const char* ClassColumns;  // comma-separated, as in statements
  int ClassColumnCount;
};

const TByCountryTable kByCountryTables[] = {
    {"USER_EQBYCOUNTRY_SETTINGS", "WEIGHT,TRANSACTIONCOST,FXSWAPBORROWINGCOST", 3},
    {"USER_FIBYCOUNTRY_SETTINGS", "WEIGHT,TRANSACTIONCOST", 2},
    {"USER_CYBYCOUNTRY_SETTINGS", "WEIGHT", 1},
};

const char* const kCompetitionTables[] = {
    "USER_EQCOUNTRY_COMPETITION_SETTINGS",
    "USER_FICOUNTRY_COMPETITION_SETTINGS",
    "USER_CYCOUNTRY_COMPETITION_SETTINGS",
};

bool IsAssetClass(int assetClass) { return assetClass >= sacEquity && assetClass <= sacCurrency; }

// A stored setting as a number: a number as stored, a text that reads as one
// ("." or "," as separator), else (other text, no value) NaN, so that the
// caller sees it is no number instead of a 0.
double StoredNumber(const platform::SqliteStatement& query, int column) {
  if (query.IsNumber(column)) return query.ColumnDouble(column);
  double value = 0.0;
  if (!query.IsNull(column) && ParseReplyReal(query.ColumnText(column), value)) return value;
  return std::numeric_limits<double>::quiet_NaN();
}

const TByCountryTable& ByCountryTable(const platform::SqliteConnection& db, int assetClass) {
  if (!IsAssetClass(assetClass)) db.Fail("no settings table for asset class " + std::to_string(assetClass));
  return kByCountryTables[assetClass];
}

const char* CompetitionTable(const platform::SqliteConnection& db, int assetClass) {
  if (!IsAssetClass(assetClass)) db.Fail("no settings table for asset class " + std::to_string(assetClass));
  return kCompetitionTables[assetClass];
}

// The class's own values of a per-country row, in the order of ClassColumns.
std::array<double, 3> ClassValuesOf(const TCountrySettings& row, int assetClass) {
  switch (assetClass) {
    case sacEquity:
      return {row.EqWeight, row.EqTransactionCost, row.EqFxSwapBorrowingCost};
    case sacFixedIncome:
      return {row.FiWeight, row.FiTransactionCost, 0.0};
    default:
      return {row.CyWeight, 0.0, 0.0};
  }
}

void SetClassValues(TCountrySettings& row, int assetClass, const std::array<double, 3>& values) {
  switch (assetClass) {
    case sacEquity:
      row.EqWeight = values[0];
      row.EqTransactionCost = values[1];
      row.EqFxSwapBorrowingCost = values[2];
      break;
    case sacFixedIncome:
      row.FiWeight = values[0];
      row.FiTransactionCost = values[1];
      break;
    default:
      row.CyWeight = values[0];
      break;
  }
}

// Binds COUNTRYNAME, REGIONNAME, COUNTRYRANK and the class's values to ?1..?n.
int BindCountryRow(platform::SqliteStatement& statement, const TCountrySettings& row, const TByCountryTable& table,
                   int assetClass) {
  statement.BindText(1, StoredName(row.CountryName)).BindText(2, row.RegionName).BindInt(3, row.CountryRank);
  const auto values = ClassValuesOf(row, assetClass);
  for (int k = 0; k < table.ClassColumnCount; ++k) statement.BindDouble(4 + k, values[static_cast<std::size_t>(k)]);
  return 3 + table.ClassColumnCount;
}

std::string Placeholders(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += (i > 1 ? ",?" : "?") + std::to_string(i);
  return text;
}

// Stored rowid and COUNTRYNAME of a per-country table's rows.
struct TStoredRows {
  std::vector<std::int64_t> RowIds;
  std::vector<std::string> Names;
};

TStoredRows ReadStoredRows(platform::SqliteConnection& db, const TByCountryTable& table) {
  TStoredRows stored;
  auto query = db.Prepare(std::string("SELECT rowid,COUNTRYNAME FROM ") + table.Table);
  while (query.Step()) {
    stored.RowIds.push_back(query.ColumnInt64(0));
    stored.Names.push_back(query.ColumnText(1));
  }
  return stored;
}

// The per-country rows a load starts from for these countries: what the
// settings hold for a group that was never saved.
std::vector<TCountrySettings> DefaultRowsOf(const std::vector<TCountrySettings>& rows) {
  std::vector<TCountry> countries(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    countries[i].Name = rows[i].CountryName;
    countries[i].RegionName = rows[i].RegionName;
    countries[i].Rank = rows[i].CountryRank;
  }
  return BuildDefaultUserSettings(countries).CountrySettings;
}

// rows with the equity weight and transaction cost at their defaults: what
// a load takes for every country when the equity rows name other countries
// than the list. A save of the swap costs that has to write those rows anew
// thus changes no equity value in effect, neither to a value stored for a
// country the load passed over nor to one only applied in memory.
std::vector<TCountrySettings> WithDefaultEquityValues(const std::vector<TCountrySettings>& rows) {
  const std::vector<TCountrySettings> defaults = DefaultRowsOf(rows);
  std::vector<TCountrySettings> written = rows;
  for (std::size_t i = 0; i < written.size(); ++i) {
    written[i].EqWeight = defaults[i].EqWeight;
    written[i].EqTransactionCost = defaults[i].EqTransactionCost;
  }
  return written;
}

std::vector<std::string> NamesOf(const std::vector<TCountrySettings>& rows) {
  std::vector<std::string> names;
  names.reserve(rows.size());
  for (const TCountrySettings& row : rows) names.push_back(row.CountryName);
  return names;
}

// Replaces the table's only row (or appends it): ?1..?n bound by bind, in the order of columns.
void WriteOneRow(platform::SqliteConnection& db, const std::string& table, const std::vector<const char*>& columns,
                 const std::function<void(platform::SqliteStatement&)>& bind) {
  platform::SqliteTransaction transaction(db);
  std::int64_t rowId = 0;
  bool exists = false;
  {
    auto query = db.Prepare("SELECT rowid FROM " + table + " LIMIT 1");
    if (query.Step()) {
      exists = true;
      rowId = query.ColumnInt64(0);
    }
  }
  std::string sql;
  const int count = static_cast<int>(columns.size());
  if (exists) {
    sql = "UPDATE " + table + " SET ";
    for (int i = 0; i < count; ++i) sql += std::string(i > 0 ? "," : "") + columns[i] + "=?" + std::to_string(i + 1);
    sql += " WHERE rowid=?" + std::to_string(count + 1);
  } else {
    sql = "INSERT INTO " + table + " (";
    for (int i = 0; i < count; ++i) sql += std::string(i > 0 ? "," : "") + columns[i];
    sql += ") VALUES (" + Placeholders(count) + ")";
  }
  auto statement = db.Prepare(sql);
  bind(statement);
  if (exists) statement.BindInt(count + 1, rowId);
  statement.Execute();
  transaction.Commit();
}

}  // namespace

bool TLocalQuorvaneDB::CreateUserSettingsTables() { return RunSchema(localdb::SettingsSchema()); }

// --------------------------------------------------------------- start date

double TLocalQuorvaneDB::LoadUserDateSettings() {
  auto query = Open().Prepare("SELECT INCEPTIONDATE FROM USER_DATE_SETTINGS LIMIT 1");
  return query.Step() ? StoredNumber(query, 0) : kMissingDate;
}

bool TLocalQuorvaneDB::SaveUserDateSettings(double inceptionDate) {
  WriteOneRow(Open(), "USER_DATE_SETTINGS", {"INCEPTIONDATE"},
              [&](platform::SqliteStatement& statement) { statement.BindDouble(1, inceptionDate); });
  return true;
}

// ------------------------------------------------------------ global portfolio

TUserSettings TLocalQuorvaneDB::LoadUserGlobalPortfolioSettings(const TUserSettings& current) {
  auto query = Open().Prepare(
      "SELECT PORTFOLIOCCY,RISKFREEID,FXHEDGING,MAXEQVSFIALLOCATION,MINEQVSFIALLOCATION,QVTRUSTLEVEL,BLTRUSTLEVEL,"
      "SLTRUSTLEVEL FROM USER_GLOBALPORTFOLIO_SETTINGS LIMIT 1");
  TUserSettings values = current;
  if (query.Step()) {
    values.PortfolioCcy = query.ColumnText(0);
    values.RiskFreeId = query.ColumnText(1);
    values.FxHedging = query.ColumnInt(2) != 0;
    values.MaxEqVsFiAllocation = StoredNumber(query, 3);
    values.MinEqVsFiAllocation = StoredNumber(query, 4);
    values.QVTrustLevel = StoredNumber(query, 5);
    values.BLTrustLevel = StoredNumber(query, 6);
    values.SLTrustLevel = StoredNumber(query, 7);
  }
  return values;
}

bool TLocalQuorvaneDB::SaveUserGlobalPortfolioSettings(const TUserSettings& values) {
  WriteOneRow(Open(), "USER_GLOBALPORTFOLIO_SETTINGS",
              {"PORTFOLIOCCY", "RISKFREEID", "FXHEDGING", "MAXEQVSFIALLOCATION", "MINEQVSFIALLOCATION", "QVTRUSTLEVEL",
               "BLTRUSTLEVEL", "SLTRUSTLEVEL"},
              [&](platform::SqliteStatement& statement) {
                statement.BindText(1, values.PortfolioCcy)
                    .BindText(2, values.RiskFreeId)
                    .BindInt(3, values.FxHedging ? 1 : 0)
                    .BindDouble(4, values.MaxEqVsFiAllocation)
                    .BindDouble(5, values.MinEqVsFiAllocation)
                    .BindDouble(6, values.QVTrustLevel)
                    .BindDouble(7, values.BLTrustLevel)
                    .BindDouble(8, values.SLTrustLevel);
              });
  return true;
}

// --------------------------------------------------------------- by country

std::vector<TCountrySettings> TLocalQuorvaneDB::LoadUserCountrySettings(const std::vector<TCountrySettings>& defaults,
                                                                        int assetClass) {
  auto& db = Open();
  const TByCountryTable& table = ByCountryTable(db, assetClass);
  auto query = db.Prepare(std::string("SELECT COUNTRYNAME,REGIONNAME,COUNTRYRANK,") + table.ClassColumns + " FROM " +
                          table.Table + " ORDER BY COUNTRYRANK ASC");
  std::vector<TCountrySettings> stored;
  std::vector<std::string> storedNames;
  while (query.Step()) {
    TCountrySettings row;
    row.CountryName = ProperCaseCountryName(StoredName(query.ColumnText(0)));
    row.RegionName = query.ColumnText(1);
    row.CountryRank = query.ColumnInt(2);
    std::array<double, 3> values{0.0, 0.0, 0.0};
    for (int k = 0; k < table.ClassColumnCount; ++k) values[static_cast<std::size_t>(k)] = StoredNumber(query, 3 + k);
    SetClassValues(row, assetClass, values);
    storedNames.push_back(query.ColumnText(0));
    stored.push_back(std::move(row));
  }
  // Stored rows belong to the settings only when they are the same countries.
  const auto matches = localdb::MatchByName(storedNames, NamesOf(defaults));
  if (stored.empty() || !matches) return defaults;
  std::vector<TCountrySettings> result = defaults;
  for (std::size_t i = 0; i < result.size(); ++i) {
    const TCountrySettings& source = stored[(*matches)[i]];
    result[i].CountryName = source.CountryName;
    result[i].RegionName = source.RegionName;
    result[i].CountryRank = source.CountryRank;
    SetClassValues(result[i], assetClass, ClassValuesOf(source, assetClass));
  }
  return result;
}

void TLocalQuorvaneDB::ReplaceUserCountryRows(const std::vector<TCountrySettings>& rows, int assetClass) {
  auto& db = Open();
  const TByCountryTable& table = ByCountryTable(db, assetClass);
  db.Exec(std::string("DELETE FROM ") + table.Table);
  auto insert = db.Prepare(std::string("INSERT INTO ") + table.Table + " (COUNTRYNAME,REGIONNAME,COUNTRYRANK," +
                           table.ClassColumns + ") VALUES (" + Placeholders(3 + table.ClassColumnCount) + ")");
  for (const TCountrySettings& row : rows) {
    BindCountryRow(insert, row, table, assetClass);
    insert.Execute();
  }
}

bool TLocalQuorvaneDB::SaveUserCountrySettings(const std::vector<TCountrySettings>& rows, int assetClass) {
  return WriteCountryRows(rows, assetClass, false);
}

bool TLocalQuorvaneDB::WriteCountryRows(const std::vector<TCountrySettings>& rows, int assetClass, bool swapCostsOnly) {
  auto& db = Open();
  const TByCountryTable& table = ByCountryTable(db, assetClass);
  if (rows.empty()) return false;
  platform::SqliteTransaction transaction(db);
  const TStoredRows stored = ReadStoredRows(db, table);
  const auto matches = localdb::MatchByName(stored.Names, NamesOf(rows));
  if (!matches) {
    // Rows of other countries are never read back: the table is written anew.
    ReplaceUserCountryRows(swapCostsOnly ? WithDefaultEquityValues(rows) : rows, assetClass);
    transaction.Commit();
    return true;
  }
  std::string sql = std::string("UPDATE ") + table.Table + " SET ";
  if (swapCostsOnly) {
    sql += "FXSWAPBORROWINGCOST=?1 WHERE rowid=?2";
  } else {
    sql += "COUNTRYNAME=?1,REGIONNAME=?2,COUNTRYRANK=?3";
    const std::string columns = table.ClassColumns;
    std::size_t start = 0;
    for (int k = 0; k < table.ClassColumnCount; ++k) {
      const std::size_t comma = columns.find(',', start);
      sql += "," + columns.substr(start, comma - start) + "=?" + std::to_string(4 + k);
      start = comma + 1;
    }
    sql += " WHERE rowid=?" + std::to_string(4 + table.ClassColumnCount);
  }
  auto update = db.Prepare(sql);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    int used = 1;
    if (swapCostsOnly) {
      update.BindDouble(1, rows[i].EqFxSwapBorrowingCost);
    } else {
      used = BindCountryRow(update, rows[i], table, assetClass);
    }
    update.BindInt(used + 1, stored.RowIds[(*matches)[i]]);
    update.Execute();
  }
  transaction.Commit();
  return true;
}

// -------------------------------------------------------------- competitions

TSettingsTriple TLocalQuorvaneDB::LoadUserCountryCompetitionSettings(const TSettingsTriple& defaults, int assetClass) {
  auto& db = Open();
  auto query =
      db.Prepare(std::string("SELECT COUNTRYRANKINGCRITERIA FROM ") + CompetitionTable(db, assetClass) + " LIMIT 1");
  TSettingsTriple result = defaults;
  if (query.Step()) result[static_cast<std::size_t>(assetClass)] = StoredNumber(query, 0);
  return result;
}

bool TLocalQuorvaneDB::SaveUserCountryCompetitionSettings(const TSettingsTriple& criteria, int assetClass) {
  auto& db = Open();
  WriteOneRow(db, CompetitionTable(db, assetClass), {"COUNTRYRANKINGCRITERIA"},
              [&](platform::SqliteStatement& statement) {
                statement.BindDouble(1, criteria[static_cast<std::size_t>(assetClass)]);
              });
  return true;
}

TSettingsTriple TLocalQuorvaneDB::LoadUserFICompetitionSettings(const TSettingsTriple& defaults) {
  auto query = Open().Prepare(
      "SELECT MAXGOLDALLOCATION,MAXTIPSALLOCATION,MAXFXRISKALLOCATION FROM USER_FI_COMPETITION_SETTINGS LIMIT 1");
  TSettingsTriple result = defaults;
  if (query.Step()) result = {StoredNumber(query, 0), StoredNumber(query, 1), StoredNumber(query, 2)};
  return result;
}

bool TLocalQuorvaneDB::SaveUserFICompetitionSettings(const TSettingsTriple& limits) {
  WriteOneRow(Open(), "USER_FI_COMPETITION_SETTINGS", {"MAXGOLDALLOCATION", "MAXTIPSALLOCATION", "MAXFXRISKALLOCATION"},
              [&](platform::SqliteStatement& statement) {
                statement.BindDouble(1, limits[0]).BindDouble(2, limits[1]).BindDouble(3, limits[2]);
              });
  return true;
}

// ------------------------------------------------------------ save selectors

bool TLocalQuorvaneDB::SaveUserSettings(const TUserSettings& settings, int saveSelector) {
  // The end date (selector 8) and unknown selectors store nothing.
  if (saveSelector < 0 || saveSelector > 7) return true;
  auto& db = Open();
  platform::SqliteTransaction transaction(db);
  bool wrote = true;
  switch (saveSelector) {
    case 0:
      wrote = SaveUserDateSettings(settings.InceptionDate);
      break;
    case 1:
    case 3:
    case 5:
      wrote = SaveUserCountrySettings(settings.CountrySettings, sacEquity);
      wrote = SaveUserCountryCompetitionSettings(settings.CountryRankingCriteria, sacEquity) && wrote;
      break;
    case 2:
      wrote = SaveUserGlobalPortfolioSettings(settings);
      break;
    case 4:
    case 6:
    case 7: {
      wrote = SaveUserCountrySettings(settings.CountrySettings, sacFixedIncome);
      wrote = SaveUserCountrySettings(settings.CountrySettings, sacCurrency) && wrote;
      const TSettingsTriple limits{settings.MaxGoldAllocation, settings.MaxTipsAllocation,
                                   settings.MaxFxRiskAllocation};
      wrote = SaveUserFICompetitionSettings(limits) && wrote;
      wrote = SaveUserCountryCompetitionSettings(settings.CountryRankingCriteria, sacFixedIncome) && wrote;
      wrote = SaveUserCountryCompetitionSettings(settings.CountryRankingCriteria, sacCurrency) && wrote;
      // The bond group edits the currency-swap borrowing costs, kept with the equity rows.
      wrote = WriteCountryRows(settings.CountrySettings, sacEquity, true) && wrote;
      break;
    }
    default:
      break;
  }
  transaction.Commit();
  return wrote;
}
