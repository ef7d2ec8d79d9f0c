#pragma once
// The sample data as the application sees them: the generator writes the
// server's database for a fixed day, an in-process data server serves it,
// the client downloads it into an empty local market-data file, and the work
// data (country list with every series) are read back from that file. Used by
// the model and session tests and the model benchmark; no test framework
// here. Header-only: its users also link the session layer.

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "common/DateHelpers.h"
#include "common/DefaultSettings.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "platform/CurlTransport.h"
#include "platform/DateTime.h"
#include "session/UpdateStep.h"

namespace modeltest {

// Fixed "today" of the sample set: Thursday 12 March 2026.
inline double SampleToday() { return platform::EncodeDate(2026, 3, 12); }

struct TSampleWorkData {
  std::vector<TCountry> Countries;  // in display order, every series and intra-month point loaded
  TUserSettings Settings;           // the default settings of that list
};

// Builds the work data once per program run (a few seconds in a sanitizer build).
inline const TSampleWorkData& SampleWorkData() {
  static const TSampleWorkData data = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvmodels-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    const std::filesystem::path dir = pattern;
    std::optional<std::string> savedHome;
    if (const char* old = std::getenv("QUORVANE_HOME")) savedHome = old;
    ::setenv("QUORVANE_HOME", (dir / "home").c_str(), 1);

    TSampleWorkData result;
    {
      qvserver::TServerStore store((dir / "server.sqlite").string());
      qvserver::TSampleDataOptions options;
      options.Today = SampleToday();
      options.HashLimits = qvserver::MinimalHashLimits();
      qvserver::WriteSampleData(store, options);
      qvserver::TDataServerOptions serverOptions;
      serverOptions.LogRequests = false;
      qvserver::DataServer server(store, serverOptions);
      std::string error;
      if (!server.Start("127.0.0.1", 0, error)) throw std::runtime_error(error);

      platform::CurlTransport transport;
      TQVDBClient client(transport, "NO_RESULT");
      client.SetBaseUrl("http://127.0.0.1:" + std::to_string(server.Port()) + "/");
      client.SetProxySource([] { return TProxySettings{}; });
      TLocalQuorvaneDB db;
      db.DatabaseKind = kMarketDataDatabase;
      db.Connect();
      // The update steps as the application runs them: tables, full
      // download, daily synchronisation, work data (with every asset's
      // intra-month point). Step 6 fills the shared globals, which are put
      // back afterwards.
      const std::vector<TCountry> savedCountries = vcMyExternCountryList;
      const std::vector<TPortfolioTemplate> savedTemplates = vptMyExternPortfolioTemplateList;
      const TUserSettings savedSettings = usMyExternUserSettings;
      session::TStepContext context;
      context.Client = &client;
      context.Database = &db;
      context.PauseMs = 0;
      for (const std::int32_t kind : {0, 4, 5, 6}) {
        session::TUpdateStep step;
        step.Kind = kind;
        session::ExecuteStep(step, context);
        if (!step.ErrorText.empty()) throw std::runtime_error(step.ErrorText);
      }
      result.Countries = vcMyExternCountryList;
      // The defaults look up the risk-free asset in the loaded list.
      result.Settings = BuildDefaultUserSettings(result.Countries);
      vcMyExternCountryList = savedCountries;
      vptMyExternPortfolioTemplateList = savedTemplates;
      usMyExternUserSettings = savedSettings;
    }

    if (savedHome)
      ::setenv("QUORVANE_HOME", savedHome->c_str(), 1);
    else
      ::unsetenv("QUORVANE_HOME");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return result;
  }();
  return data;
}

}  // namespace modeltest
