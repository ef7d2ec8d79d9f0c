#pragma once
// Helpers of the update-step tests: a temporary home for the local files, a
// transport that records every request and can answer, fail or forward it,
// and a reporter that records what a step shows.

#include <stdlib.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "data/QVDBCodec.h"
#include "platform/CurlTransport.h"
#include "server/ServerTestSupport.h"
#include "session/UpdateStep.h"

namespace sessiontest {

// Points QUORVANE_HOME at a temporary folder while it lives.
class TLocalHome {
 public:
  TLocalHome() {
    if (const char* old = std::getenv("QUORVANE_HOME")) Saved_ = old;
    ::setenv("QUORVANE_HOME", Dir_.File("home").c_str(), 1);
  }
  ~TLocalHome() {
    if (Saved_)
      ::setenv("QUORVANE_HOME", Saved_->c_str(), 1);
    else
      ::unsetenv("QUORVANE_HOME");
  }
  TLocalHome(const TLocalHome&) = delete;
  TLocalHome& operator=(const TLocalHome&) = delete;

 private:
  qvtest::TTempDir Dir_;
  std::optional<std::string> Saved_;
};

// Records each request's statement; request number FailAt (0-based) gets no
// reply; Script may answer a request with a reply body (or abort the
// transport: the request then gets no reply); the others go to the server
// when Forward is set, else get no reply.
class TTestTransport : public platform::HttpTransport {
 public:
  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    const TSQLRequest sql = ReadSQLRequest(request.Body);
    const int number = static_cast<int>(Sent.size());
    Sent.push_back(sql);
    if (number == FailAt) throw platform::HttpTransportError("injected");
    if (Script) {
      std::optional<std::string> body = Script(sql);
      if (Aborted()) throw platform::HttpTransportError("aborted");
      if (body) {
        platform::HttpReply reply;
        reply.StatusCode = 200;
        reply.StatusText = "OK";
        reply.Content = std::move(*body);
        return reply;
      }
    }
    if (!Forward) throw platform::HttpTransportError("no server");
    return Curl_.Execute(request);
  }
  // The statements of the requests of a kind, in the order sent.
  std::vector<std::string> Statements(std::int32_t kind) const {
    std::vector<std::string> texts;
    for (const TSQLRequest& r : Sent)
      if (r.ResponseType == kind) texts.push_back(r.Content);
    return texts;
  }

  std::vector<TSQLRequest> Sent;
  int FailAt = -1;
  bool Forward = false;
  std::function<std::optional<std::string>(const TSQLRequest&)> Script;

 private:
  platform::CurlTransport Curl_;
};

class TRecordingReporter : public session::TStepReporter {
 public:
  void SetText(const std::string& text) override {
    Texts.push_back(text);
    if (OnText) OnText(text);
  }
  void ShowLook(const session::TStepLook& look) override { Looks.push_back(look.Text); }
  void SetIndicator(int number, bool lit) override { Lamps.emplace_back(number, lit); }
  std::vector<std::string> Texts;
  std::vector<std::string> Looks;  // the panel text of each look ("" when unchanged)
  std::vector<std::pair<int, bool>> Lamps;
  std::function<void(const std::string&)> OnText;  // called after each text is recorded
};

// A client over a test transport and a local market-data file in a temporary home.
struct TStepBench {
  TStepBench() : Client(Transport, "NO_RESULT") {
    Client.SetBaseUrl("http://127.0.0.1:1/");
    Client.SetProxySource([] { return TProxySettings{}; });
    Db.DatabaseKind = kMarketDataDatabase;
    Db.Connect();
    Db.CreateMarketDataTables();
    Context.Client = &Client;
    Context.Database = &Db;
    Context.Reporter = &Reporter;
    Context.PauseMs = 0;
  }
  // Runs a step of the kind; returns its record.
  session::TUpdateStep Run(std::int32_t kind, std::int32_t saveSelector = 0) {
    session::TUpdateStep step;
    step.Kind = kind;
    step.SaveSelector = saveSelector;
    session::ExecuteStep(step, Context);
    return step;
  }
  std::int64_t Count(const std::string& sql) { return Db.Connection().QueryInt(sql); }

  TLocalHome Home;
  TTestTransport Transport;
  TQVDBClient Client;
  TLocalQuorvaneDB Db;
  TRecordingReporter Reporter;
  session::TStepContext Context;
};

inline TDataRow Row(const std::string& country, const std::string& asset, double date, double value) {
  return TDataRow{country, asset, TDataPoint{date, value}};
}

}  // namespace sessiontest
