#pragma once
// Deterministic sample data for the stand-in data server: the forty
// countries with regions, currencies, made-up index names and ranks;
// eighteen assets carried by every country (-1000.0 marks a date without
// value), the cash and spot series shared by the countries of a currency;
// monthly rows ("DATA") from January 1990 to the last month end before today
// and one daily snapshot ("DATA_BIS"): the latest business day of the
// current month, one row per (country, asset) at every date; portfolio
// templates; one demo user.
// The same seed and the same day give the same rows.

#include <cstdint>
#include <string>
#include <vector>

#include "PasswordHash.h"

namespace qvserver {

class TServerStore;

inline constexpr std::uint64_t kDefaultSampleSeed = 19900131;
inline constexpr int kSampleAssetCount = 18;
inline constexpr const char* kSampleUserId = "demo@quorvane.test";
inline constexpr const char* kSamplePassword = "demo";

struct TSampleDataOptions {
  std::uint64_t Seed = kDefaultSampleSeed;
  double Today = 0.0;  // day count; 0 takes the machine's date
  TPasswordHashLimits HashLimits = InteractiveHashLimits();
};

struct TSampleCalendar {
  std::vector<double> MonthEnds;     // 31 Jan 1990 .. the last month end before today
  std::vector<double> BusinessDays;  // Monday to Friday from the 1st of today's month to today
};

TSampleCalendar SampleCalendar(double today);

struct TSampleAsset {
  const char* ID;
  const char* Title;
  const char* Type;
};
// The eighteen assets in ascending ID.
const std::vector<TSampleAsset>& SampleAssets();
// The forty upper-case country names in display order (place 1 first).
std::vector<std::string> SampleCountryNames();

// Replaces every list, series and user of the store by the sample set, in
// one transaction. Throws on a database failure (nothing is then changed).
void WriteSampleData(TServerStore& store, const TSampleDataOptions& options);

// xoshiro256** seeded through splitmix64: small, fast and identical on every
// platform, unlike the standard distributions.
class TSampleRng {
 public:
  explicit TSampleRng(std::uint64_t seed);
  std::uint64_t Next();
  // Uniform in [0, 1).
  double Uniform();
  // Standard normal by Box-Muller.
  double Normal();

 private:
  std::uint64_t State_[4];
};

}  // namespace qvserver
