#pragma once
// Country, region and asset-name helpers: proper-casing of stored names,
// translation between asset identifiers and titles, the fixed display order
// of the forty countries with their regions, region and country codes, and
// lookups in vcMyExternCountryList.

#include <array>
#include <string>
#include <vector>

#include "common/Records.h"

// Upper-case name and two-letter code of one of the forty countries.
struct TCountryCode {
  const char* Name;
  const char* Code;
};
extern const std::array<TCountryCode, 40> kCountryCodes;

// Lower case, then the first character and every character directly after a
// blank or a digit upper-cased: "10y rate" -> "10Y Rate".
std::string ProperCaseName(const std::string& text);

// "USA" and "UK" (any case) unchanged; otherwise ProperCaseName with the
// first "Usd" made "USD".
std::string ProperCaseCountryName(const std::string& text);

// Within the asset array of type 0..3 of the first country of
// vcMyExternCountryList: toTitle true the Title of the first asset whose ID
// equals text, false the ID of the first asset whose Title equals text.
// Empty for an empty list, another type or no match.
std::string TranslateAssetName(const std::string& text, int type, bool toTitle);

// The forty countries in display order, each with Rank = place + 1 and the
// region of its place. A list of another length is returned unchanged.
std::vector<TCountry> SortCountryList(const std::vector<TCountry>& list);

// 0-based source position of the country shown at place i; -1 outside 0..39.
int GetCountryDisplayIndex(int i);

// "NAM", "EUR", "NEUR", "CEX", "JAP", "DAS" by region name (any case); empty when unknown.
std::string GetRegionCode(const std::string& name);

// Two-letter code of a country name (any case); empty when unknown.
std::string GetCountryIsoCode(const std::string& name);

// Currency of the last country of vcMyExternCountryList named name; empty when none.
std::string GetCountryCurrency(const std::string& name);

// Index in vcMyExternCountryList (upper-case comparison): byName true the
// first country of that name; false the country of that currency whose first
// spot exchange-rate series has the most points (the earlier on a tie).
// -1 when nothing matches.
int FindCountryIndex(const std::string& text, bool byName);
