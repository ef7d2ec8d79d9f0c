#pragma once
// What the window benchmarks share: an event loop run until a condition
// holds, an empty home folder, and the sample-data server they download from.

#include <stdlib.h>

#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "data/LocalQuorvaneDB.h"
#include "platform/DateTime.h"

namespace appbench {

// Runs the event loop until done() holds (checked after every event batch).
inline void RunUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(1);
  if (!done()) loop.exec();
}

// folder/home as QUORVANE_HOME, its two files holding their tables and no rows.
inline void EmptyHome(const std::filesystem::path& folder) {
  std::filesystem::remove_all(folder / "home");
  ::setenv("QUORVANE_HOME", (folder / "home").c_str(), 1);
  TLocalQuorvaneDB db;
  for (const std::int32_t kind : {kMarketDataDatabase, kSettingsDatabase}) {
    db.DatabaseKind = kind;
    db.Connect();
    kind == kMarketDataDatabase ? db.CreateMarketDataTables() : db.CreateUserSettingsTables();
    db.Disconnect();
  }
}

// The sample set of 12 March 2026 in folder/server.sqlite, served on a free
// port of 127.0.0.1 that QUORVANE_SERVER_HOST names.
class TSampleServer {
 public:
  explicit TSampleServer(const std::filesystem::path& folder) : Store_((folder / "server.sqlite").string()) {
    qvserver::TSampleDataOptions options;
    options.Today = platform::EncodeDate(2026, 3, 12);
    qvserver::WriteSampleData(Store_, options);
    qvserver::TDataServerOptions serverOptions;
    serverOptions.LogRequests = false;
    Server_ = std::make_unique<qvserver::DataServer>(Store_, serverOptions);
  }
  bool Start(std::string& error) {
    if (!Server_->Start("127.0.0.1", 0, error)) return false;
    ::setenv("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(Server_->Port())).c_str(), 1);
    return true;
  }

 private:
  qvserver::TServerStore Store_;
  std::unique_ptr<qvserver::DataServer> Server_;
};

}  // namespace appbench
