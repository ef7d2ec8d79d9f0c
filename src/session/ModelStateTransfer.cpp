#include "session/ModelStateTransfer.h"

#include <array>
#include <cstdint>
#include <exception>

#include "common/Globals.h"
#include "common/TextHelpers.h"
#include "data/QVDBClient.h"
#include "models/equity/EQSLModel.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/TimingModel.h"
#include "models/global/FICYModel.h"
#include "models/global/FIGFModel.h"
#include "models/global/FISLModel.h"
#include "models/global/ModelCalculation.h"
#include "models/global/ModelStateReport.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

namespace session {

namespace {

// The countries of the transfer portfolio, in the order they are tested.
constexpr std::array<const char*, 40> kTransferCountryList{
    "AUSTRALIA",      "AUSTRIA",  "BELGIUM",   "BRAZIL",         "CANADA",      "CHILE",   "CHINA",
    "CZECH REPUBLIC", "DENMARK",  "EURO AREA", "FINLAND",        "FRANCE",      "GERMANY", "HONG KONG",
    "HUNGARY",        "ICELAND",  "INDIA",     "INDONESIA",      "IRELAND",     "ITALY",   "JAPAN",
    "LUXEMBOURG",     "MALAYSIA", "MEXICO",    "NETHERLANDS",    "NEW ZEALAND", "NORWAY",  "PHILIPPINES",
    "PORTUGAL",       "RUSSIA",   "SINGAPORE", "SOUTH AFRICA",   "SOUTH KOREA", "SPAIN",   "SWEDEN",
    "SWITZERLAND",    "TAIWAN",   "TURKEY",    "UNITED KINGDOM", "USA"};

// The twelve countries without bond and currency weight.
constexpr std::array<const char*, 12> kEquityOnlyCountries{"AUSTRIA",     "BELGIUM",  "EURO AREA", "FINLAND",
                                                           "FRANCE",      "IRELAND",  "ITALY",     "LUXEMBOURG",
                                                           "NETHERLANDS", "PORTUGAL", "RUSSIA",    "SPAIN"};

template <std::size_t N>
bool Contains(const std::array<const char*, N>& names, const std::string& name) {
  for (const char* entry : names)
    if (name == entry) return true;
  return false;
}

// The first country's equity index: its last INDEX asset "EQINDEX", else its
// first INDEX asset; nullptr when the list or its index assets are empty.
const TAssetSeries* FirstEquityIndex(const std::vector<TCountry>& countries) {
  if (countries.empty() || countries.front().IndexAssets.empty()) return nullptr;
  const std::vector<TAssetSeries>& indices = countries.front().IndexAssets;
  const TAssetSeries* found = &indices.front();
  for (const TAssetSeries& asset : indices)
    if (asset.ID == "EQINDEX") found = &asset;
  return found;
}

}  // namespace

bool BuildTransferSettings(const TUserSettings& user, const std::vector<TCountry>& countries, TUserSettings& settings) {
  const TAssetSeries* equity = FirstEquityIndex(countries);
  if (equity == nullptr || equity->Series.empty()) return false;
  settings = user;
  settings.PortfolioCcy = "USD";
  settings.MaxEqVsFiAllocation = 100.0;
  settings.MinEqVsFiAllocation = 0.0;
  settings.QVTrustLevel = 100.0;
  settings.BLTrustLevel = 100.0;
  settings.SLTrustLevel = 100.0;
  settings.FxHedging = true;
  settings.CountryRankingCriteria = {1.0, 1.0, 1.0};
  settings.MaxGoldAllocation = 100.0;
  settings.MaxTipsAllocation = 100.0;
  settings.MaxFxRiskAllocation = 100.0;
  // Equal weights: 0.025 x 100 over the 40 equity countries, (1/28) x 100
  // over the 28 bond-and-currency countries, 0 for any other country.
  settings.CountrySettings.clear();
  for (const TCountry& country : countries) {
    TCountrySettings row;
    row.CountryName = country.Name;
    row.RegionName = country.RegionName;
    row.CountryRank = country.Rank;
    const std::string name = UpperCaseText(country.Name);
    if (Contains(kTransferCountryList, name)) {
      row.EqWeight = 0.025 * 100.0;
      if (!Contains(kEquityOnlyCountries, name)) {
        row.FiWeight = (1.0 / 28.0) * 100.0;
        row.CyWeight = (1.0 / 28.0) * 100.0;
      }
    }
    settings.CountrySettings.push_back(row);
  }
  settings.InceptionDate = equity->Series.front().Date;
  settings.EndDate = equity->Series.back().Date;
  return true;
}

bool TransferModelStates(std::string& errorText, TStepReporter& reporter, TQVDBClient& client) {
  errorText.clear();
  std::vector<TCountry> working = vcMyExternCountryList;
  TUserSettings settings;
  if (!BuildTransferSettings(usMyExternUserSettings, working, settings)) {
    errorText = kTransferNoEquityIndexText;
    return false;
  }
  const TAssetSeries* sharedEquity = FirstEquityIndex(vcMyExternCountryList);
  const double intraMonthDate = sharedEquity->FirstDailyPoint.Date;

  TEQSLGraphicData eqsl;
  TEQQVGraphicData eqqv;
  TEQBLGraphicData eqbl;
  TFISLGraphicData fisl;
  TFIGFGraphicData figf;
  TFICYGraphicData ficy;
  std::uint32_t stage = 0;
  std::string modelText;  // the models' failure-text argument; they leave it alone
  const char* running = nullptr;

  auto light = [&](int number) {
    reporter.SetIndicator(number, true);
    reporter.ProcessMessages();
  };
  for (int pass = 1; pass <= 2; ++pass) {
    for (int number = 1; number <= 10; ++number) reporter.SetIndicator(number, false);
    reporter.ProcessMessages();
    bool upToLastDate = false;
    if (pass == 2 && intraMonthDate > settings.EndDate) {
      for (TCountry& country : working) models::AppendIntraMonthPoints(country);
      upToLastDate = true;
    }
    // Each model gets its own copies of the working list and the settings.
    auto run = [&](const char* code, auto entry, auto& record) {
      running = code;
      entry(&record, working, settings, 0u, upToLastDate, modelText, reporter, stage);
    };
    try {
      light(1);
      run("EQSL", &models::ComputeEQSLModel, eqsl);
      light(2);
      run("EQQV", &models::ComputeEQQVModel, eqqv);
      light(3);
      run("EQBL", &models::ComputeEQBLModel, eqbl);
      light(4);
      light(5);
      run("FISL", &models::ComputeFISLModel, fisl);
      light(6);
      run("FIGF", &models::ComputeFIGFModel, figf);
      light(7);
      run("FICY", &models::ComputeFICYModel, ficy);
      light(8);
      running = nullptr;
      TModelStateReport report;
      report.Init(pass == 1 ? "OFFICIAL1" : "INTRA-MONTH1", working, pass == 1);
      report.AddRegimeTree(working, eqsl, eqqv, eqbl, fisl, figf, ficy, settings);
      report.AddItems(eqsl, eqqv, eqbl, fisl, ficy);
      light(9);
      std::string json;
      report.ToJson(json);
      if (!client.ExecuteStatement(json))
        errorText = client.LastMessage.empty() ? "Connection to server failed" : client.LastMessage;
    } catch (const std::exception& error) {
      // A model or report failure ends the transfer like a failed upload.
      errorText = running != nullptr ? models::ModelFailureText(running, stage)
                                     : std::string("Model-state report failed: ") + error.what();
    } catch (...) {
      errorText = running != nullptr ? models::ModelFailureText(running, stage) : "Model-state report failed";
    }
    light(10);
    if (!errorText.empty()) return false;
  }
  return true;
}

}  // namespace session
