#include "session/WindowTexts.h"

#include <cstdio>
#include <vector>

#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "platform/DateTime.h"

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION ""
#endif

namespace session {

std::string DateTitle(double date) {
  const platform::CivilDate d = platform::DecodeDate(date);
  char day[4];
  std::snprintf(day, sizeof day, "%02d", d.Day);
  return std::string(day) + " " + sMonthNames[static_cast<std::size_t>(d.Month - 1)] + " " + std::to_string(d.Year);
}

std::string ShownText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') ++i;
  }
  return shown;
}

std::string VersionTitleText() { return std::string("(Version ") + QUORVANE_VERSION + ")"; }

double GetTwoYearHistoryDate() {
  double latest = 2.0;  // the missing date
  const auto consider = [&latest](const TAssetSeries& asset) {
    if (!asset.Series.empty() && asset.Series.front().Date > latest) latest = asset.Series.front().Date;
  };
  for (const TCountry& country : vcMyExternCountryList) {
    if (!country.IndexAssets.empty()) consider(country.IndexAssets.front());
    for (int type = 1; type <= 4; ++type)
      for (const TAssetSeries& asset : *AssetsOfType(country, type)) consider(asset);
  }
  const platform::CivilDate d = platform::DecodeDate(latest);
  return GetEndOfMonth(platform::EncodeDate(d.Year + 2, d.Month, 1));
}

}  // namespace session
