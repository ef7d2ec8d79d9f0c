#pragma once
// Currency hedging positions of the EQGP, FIGP and MYGP pages: one row per
// currency (USD, EUR, GBP, JPY, CNY, then the other currencies of the country
// list in list order), with the spot, swap and net currency position in per
// cent of the portfolio. The pages pass vcMyExternCountryList, the portfolio
// currency of usMyExternUserSettings and the result records; the functions
// read nothing else, so tests supply their own inputs.

#include <string>
#include <vector>

#include "common/Records.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"
#include "widgets/WidgetCommon.h"

// Positions published by the EQGP page after each update; read by nothing else.
extern std::vector<TFXHedgingPosition> vExternEQGPFXHedgingPosition;
// Positions published by the FIGP page after each update; the MYGP page adds
// them to its own rows.
extern std::vector<TFXHedgingPosition> vExternFIGPFXHedgingPosition;

// The zero rows: "USD", "EUR", "GBP", "JPY", "CNY", then each currency of
// countries not yet present, in list order. A country without a currency adds
// no row.
std::vector<TFXHedgingPosition> BuildFXHedgingRows(const std::vector<TCountry>& countries);

// Currency of the last country of countries named name; "" when none.
std::string CountryCurrencyOf(const std::vector<TCountry>& countries, const std::string& name);

// EQGP rows from the total-share country rows (Ranking1), exposure[c] = sum of
// the shares of the countries of currency c outside the portfolio currency:
//   SpotFx = 0, FxSwap = max(exposure, 0), CcyPosition = FxSwap - exposure;
//   the portfolio-currency row (not USD): CcyPosition = sum FxSwap - sum CcyPosition
//   of the foreign rows; USD keeps no swap or position; all x 100.
// Zero rows while the allocation history is empty.
std::vector<TFXHedgingPosition> EQGPFXHedgingPositions(const TEQGPGraphicData& eqgp,
                                                       const std::vector<TCountry>& countries,
                                                       const std::string& portfolioCcy);

// FIGP rows from the last FIGP and FICY allocations and FISL's country weights:
//   Ccy = sum of FICY weights of the currency; Foreign = FICY weight outside the
//   portfolio currency; Bond = sum of FISL weight x BondShare over the
//   currency's countries (+ Gold for USD);
//   SpotFx = Ccy (portfolio currency: -Foreign); V = Bond - Ccy;
//   FxSwap = max(V, 0); CcyPosition = FxSwap - V; USD keeps no swap or
//   position; all x 100.
// Zero rows unless both allocation histories hold an entry.
std::vector<TFXHedgingPosition> FIGPFXHedgingPositions(const TFIGPGraphicData& figp, const TFICYGraphicData& ficy,
                                                       const TFISLGraphicData& fisl,
                                                       const std::vector<TCountry>& countries,
                                                       const std::string& portfolioCcy);

// MYGP rows: the equity part of the two benchmark portfolios' last weights,
//   V = E2 x Min / 100 + E1 x (Max - Min) / 100 (E foreign weight of the currency),
//   FxSwap = max(V, 0), CcyPosition = FxSwap - V, the portfolio-currency row
//   balanced as on the EQGP page; plus F / 100 times the FIGP row of the same
//   currency, F = 1 - (Min / 100 x S2 + (Max - Min) / 100 x S1) the weight the
//   equity part leaves; USD keeps no swap or position; all x 100.
// Zero rows while either weight history is empty.
std::vector<TFXHedgingPosition> MYGPFXHedgingPositions(const TMYGPGraphicData& mygp,
                                                       const std::vector<TFXHedgingPosition>& figpPositions,
                                                       const std::vector<TCountry>& countries,
                                                       const std::string& portfolioCcy);
