#include "common/CountryHelpers.h"

#include <algorithm>

#include "common/Globals.h"
#include "common/TextHelpers.h"

const std::array<TCountryCode, 40> kCountryCodes{{
    {"AUSTRALIA", "AU"},   {"AUSTRIA", "AT"},        {"BELGIUM", "BE"},     {"BRAZIL", "BR"},
    {"CANADA", "CA"},      {"CHILE", "CL"},          {"CHINA", "CN"},       {"CZECH REPUBLIC", "CZ"},
    {"DENMARK", "DK"},     {"UNITED KINGDOM", "GB"}, {"EURO AREA", "EUR"},  {"FINLAND", "FI"},
    {"FRANCE", "FR"},      {"GERMANY", "DE"},        {"HONG KONG", "HK"},   {"HUNGARY", "HU"},
    {"ICELAND", "IS"},     {"INDIA", "IN"},          {"INDONESIA", "ID"},   {"IRELAND", "IE"},
    {"ITALY", "IT"},       {"JAPAN", "JP"},          {"LUXEMBOURG", "LU"},  {"MALAYSIA", "MY"},
    {"MEXICO", "MX"},      {"NETHERLANDS", "NL"},    {"NEW ZEALAND", "NZ"}, {"NORWAY", "NO"},
    {"PHILIPPINES", "PH"}, {"TURKEY", "TR"},         {"PORTUGAL", "PT"},    {"RUSSIA", "RU"},
    {"SINGAPORE", "SG"},   {"SOUTH AFRICA", "ZA"},   {"SOUTH KOREA", "KR"}, {"SPAIN", "ES"},
    {"SWEDEN", "SE"},      {"SWITZERLAND", "CH"},    {"TAIWAN", "TW"},      {"USA", "US"},
}};

namespace {

// 1-based source position (ascending stored rank) of the country shown at each place.
constexpr std::array<int, 40> kDisplayOrder{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                            15, 16, 17, 18, 19, 20, 35, 36, 33, 22, 23, 37, 38, 39,
                                            40, 21, 24, 25, 26, 27, 28, 29, 30, 31, 32, 34};

// Index in strRegionNameList of the region of each display place.
int RegionOfPlace(int place) {
  if (place < 2) return 0;   // North America
  if (place < 14) return 1;  // Europe (Euro)
  if (place < 22) return 2;  // Europe (Non Euro)
  if (place < 29) return 3;  // Commodity Exporters
  if (place < 30) return 4;  // Japan
  return 5;                  // Developing Asia
}

constexpr std::array<const char*, 6> kRegionCodes{"NAM", "EUR", "NEUR", "CEX", "JAP", "DAS"};

}  // namespace

std::string ProperCaseName(const std::string& text) {
  const std::u32string original = Utf8ToCodePoints(text);
  std::u32string s(original.size(), U'\0');
  for (std::size_t i = 0; i < original.size(); ++i) s[i] = LowerCaseChar(original[i]);
  if (!s.empty()) s[0] = UpperCaseChar(original[0]);
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char32_t previous = s[i - 1];
    if (previous == U' ' || (previous >= U'0' && previous <= U'9')) s[i] = UpperCaseChar(s[i]);
  }
  return CodePointsToUtf8(s);
}

std::string ProperCaseCountryName(const std::string& text) {
  const std::string upper = UpperCaseText(text);
  if (upper == "USA" || upper == "UK") return text;
  std::string result = ProperCaseName(text);
  const std::size_t at = result.find("Usd");
  if (at != std::string::npos) result.replace(at, 3, "USD");
  return result;
}

std::string TranslateAssetName(const std::string& text, int type, bool toTitle) {
  if (vcMyExternCountryList.empty() || type < atIndex || type > atSignal) return {};
  const std::vector<TAssetSeries>* assets = AssetsOfType(vcMyExternCountryList.front(), type);
  for (const TAssetSeries& asset : *assets) {
    if (toTitle && asset.ID == text) return asset.Title;
    if (!toTitle && asset.Title == text) return asset.ID;
  }
  return {};
}

std::vector<TCountry> SortCountryList(const std::vector<TCountry>& list) {
  if (list.size() != kDisplayOrder.size()) return list;
  std::vector<TCountry> sorted;
  sorted.reserve(list.size());
  for (std::size_t place = 0; place < kDisplayOrder.size(); ++place) {
    TCountry country = list[static_cast<std::size_t>(kDisplayOrder[place] - 1)];
    const int region = RegionOfPlace(static_cast<int>(place));
    country.Rank = static_cast<std::int32_t>(place + 1);
    country.RegionName = strRegionNameList[static_cast<std::size_t>(region)];
    country.RegionRank = region + 1;
    sorted.push_back(std::move(country));
  }
  return sorted;
}

int GetCountryDisplayIndex(int i) {
  if (i < 0 || i >= static_cast<int>(kDisplayOrder.size())) return -1;
  return kDisplayOrder[static_cast<std::size_t>(i)] - 1;
}

std::string GetRegionCode(const std::string& name) {
  const std::string upper = UpperCaseText(name);
  for (std::size_t i = 0; i < strRegionNameList.size(); ++i)
    if (UpperCaseText(strRegionNameList[i]) == upper) return kRegionCodes[i];
  return {};
}

std::string GetCountryIsoCode(const std::string& name) {
  const std::string upper = UpperCaseText(name);
  for (const TCountryCode& entry : kCountryCodes)
    if (upper == entry.Name) return entry.Code;
  return {};
}

std::string GetCountryCurrency(const std::string& name) {
  std::string currency;
  for (const TCountry& country : vcMyExternCountryList)
    if (country.Name == name) currency = country.Currency;
  return currency;
}

int FindCountryIndex(const std::string& text, bool byName) {
  const std::string upper = UpperCaseText(text);
  int found = -1;
  std::size_t mostPoints = 0;
  for (std::size_t i = 0; i < vcMyExternCountryList.size(); ++i) {
    const TCountry& country = vcMyExternCountryList[i];
    if (byName) {
      if (UpperCaseText(country.Name) == upper) return static_cast<int>(i);
      continue;
    }
    if (UpperCaseText(country.Currency) != upper) continue;
    const std::size_t points = country.SpotFxAssets.empty() ? 0 : country.SpotFxAssets.front().Series.size();
    if (found < 0 || points > mostPoints) {
      found = static_cast<int>(i);
      mostPoints = points;
    }
  }
  return found;
}
