// The client against the stand-in server: a full download and the daily
// synchronisation into a temporary market-data file, read back into the
// country list, the sign-in of the sample user (also from a locked address),
// a repeated download, and a download cut off by a stopped server.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "ServerTestSupport.h"
#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "data/RegistrySettings.h"
#include "platform/CurlTransport.h"
#include "session/DialogRules.h"
#include "session/UpdateStep.h"

namespace {

// The outcome of an update step run without a window.
struct TDownloadResult {
  bool Ok = false;
  std::string ErrorText;
  std::string WarningText;
  std::size_t RowsStored = 0;
};

TDownloadResult RunStep(std::int32_t kind, TQVDBClient& client, TLocalQuorvaneDB& db, const std::string& userId = {},
                        double startDateToUpdate = kMissingDate) {
  session::TUpdateStep step;
  step.Kind = kind;
  session::TStepContext context;
  context.Client = &client;
  context.Database = &db;
  context.PauseMs = 0;
  context.SignIn = {userId, startDateToUpdate};
  session::ExecuteStep(step, context);
  return {step.ErrorText.empty(), step.ErrorText, context.WarningText, context.RowsStored};
}

// The full download (step 4) and the daily synchronisation (step 5).
TDownloadResult DownloadAllData(TQVDBClient& client, TLocalQuorvaneDB& db, const std::string& userId,
                                double startDateToUpdate) {
  return RunStep(4, client, db, userId, startDateToUpdate);
}
TDownloadResult SynchronizeDailyData(TQVDBClient& client, TLocalQuorvaneDB& db) { return RunStep(5, client, db); }

// The work data as step 6 loads them; the shared globals are put back after.
std::vector<TCountry> LoadWorkData(TLocalQuorvaneDB& db) {
  const std::vector<TCountry> savedCountries = vcMyExternCountryList;
  const std::vector<TPortfolioTemplate> savedTemplates = vptMyExternPortfolioTemplateList;
  const TUserSettings savedSettings = usMyExternUserSettings;
  session::TUpdateStep step;
  step.Kind = 6;
  session::TStepContext context;
  context.Database = &db;
  context.PauseMs = 0;
  session::ExecuteStep(step, context);
  EXPECT_EQ(step.ErrorText, "");
  std::vector<TCountry> countries = vcMyExternCountryList;
  vcMyExternCountryList = savedCountries;
  vptMyExternPortfolioTemplateList = savedTemplates;
  usMyExternUserSettings = savedSettings;
  return countries;
}

// Forwards to libcurl; calls BeforeRequest first so that a test can stop the
// server at a chosen request.
class TWatchedTransport : public platform::HttpTransport {
 public:
  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    if (BeforeRequest) BeforeRequest(request);
    return Curl_.Execute(request);
  }
  std::function<void(const platform::HttpRequest&)> BeforeRequest;

 private:
  platform::CurlTransport Curl_;
};

// A loopback TCP relay in front of the server that closes a connection once
// it has passed `cutAfter` reply bytes: the server going away in the middle
// of a reply.
class TCuttingRelay {
 public:
  TCuttingRelay(std::uint16_t upstream, std::size_t cutAfter) : Upstream_(upstream), CutAfter_(cutAfter) {
    Listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (Listen_ < 0 || ::bind(Listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(Listen_, 16) != 0 || ::getsockname(Listen_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("relay cannot listen");
    Port_ = ntohs(address.sin_port);
    Thread_ = std::thread([this] { Run(); });
  }
  ~TCuttingRelay() {
    Stop_ = true;
    Thread_.join();
    for (const TPair& p : Pairs_) Close(p);
    ::close(Listen_);
  }
  TCuttingRelay(const TCuttingRelay&) = delete;
  TCuttingRelay& operator=(const TCuttingRelay&) = delete;
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(Port_) + "/"; }
  int Cuts() const { return Cuts_.load(); }

 private:
  struct TPair {
    int Client;
    int Server;
    std::size_t Relayed;
  };
  static sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  static void Close(const TPair& p) {
    ::close(p.Client);
    ::close(p.Server);
  }
  // Moves what is readable from one side to the other; false when the pair ends.
  static bool Pass(int from, int to, std::size_t& counted) {
    char buffer[16384];
    const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    counted += static_cast<std::size_t>(n);
    return ::send(to, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) == n;
  }
  void Run() {
    while (!Stop_) {
      std::vector<pollfd> fds{{Listen_, POLLIN, 0}};
      for (const TPair& p : Pairs_) {
        fds.push_back({p.Client, POLLIN, 0});
        fds.push_back({p.Server, POLLIN, 0});
      }
      if (::poll(fds.data(), fds.size(), 50) <= 0) continue;
      std::vector<TPair> kept;
      for (std::size_t i = 0; i + 1 < fds.size(); i += 2) {
        TPair& p = Pairs_[i / 2];
        std::size_t ignored = 0;
        bool alive = true;
        if (fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) alive = Pass(p.Client, p.Server, ignored);
        if (alive && (fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR))) alive = Pass(p.Server, p.Client, p.Relayed);
        if (alive && p.Relayed > CutAfter_) {
          alive = false;
          ++Cuts_;
        }
        if (alive)
          kept.push_back(p);
        else
          Close(p);
      }
      Pairs_ = std::move(kept);
      if (fds[0].revents & POLLIN) {
        const int client = ::accept(Listen_, nullptr, nullptr);
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(Upstream_);
        if (client >= 0 && server >= 0 &&
            ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
          Pairs_.push_back({client, server, 0});
        } else {
          if (client >= 0) ::close(client);
          if (server >= 0) ::close(server);
        }
      }
    }
  }
  std::uint16_t Upstream_;
  std::size_t CutAfter_;
  int Listen_ = -1;
  std::uint16_t Port_ = 0;
  std::vector<TPair> Pairs_;
  std::atomic<bool> Stop_{false};
  std::atomic<int> Cuts_{0};
  std::thread Thread_;
};

// Points QUORVANE_HOME at a temporary folder for the local files.
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

 private:
  qvtest::TTempDir Dir_;
  std::optional<std::string> Saved_;
};

std::string Snapshot(TLocalQuorvaneDB& db) {
  platform::SqliteConnection& c = db.Connection();
  std::string text;
  for (const char* sql :
       {"SELECT COUNT(*), TOTAL(DATE), TOTAL(VALUE) FROM DATA",
        "SELECT COUNT(*), TOTAL(DATE), TOTAL(VALUE) FROM DATA_BIS",
        "SELECT COUNT(*), group_concat(NAME) FROM COUNTRY_LIST", "SELECT COUNT(*), group_concat(ID) FROM ASSET_LIST",
        "SELECT COUNT(*), TOTAL(WEIGHT) FROM PORTFOLIO_TEMPLATE_DATA"}) {
    platform::SqliteStatement stmt(c, sql);
    while (stmt.Step()) {
      for (int i = 0; i < stmt.ColumnCount(); ++i) text += stmt.ColumnText(i) + "|";
    }
    text += "\n";
  }
  return text;
}

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() : Client_(Transport_, "NO_RESULT") {
    Client_.SetBaseUrl(Server_.BaseUrl());
    Client_.SetProxySource([] { return TProxySettings{}; });
    Db_.DatabaseKind = kMarketDataDatabase;
    Db_.Connect();
  }

  TLocalHome Home_;
  qvtest::TRunningServer Server_;
  TWatchedTransport Transport_;
  TQVDBClient Client_;
  TLocalQuorvaneDB Db_;
};

TEST_F(EndToEndTest, DownloadSynchroniseReadBackAndSignIn) {
  ASSERT_EQ(Db_.LastMessage, "");
  ASSERT_TRUE(Db_.CreateMarketDataTables()) << Db_.LastMessage;
  ASSERT_TRUE(Client_.IsServerAvailable());

  // The request kinds in the order sent, each with the method of its kind.
  std::vector<int> kinds;
  Transport_.BeforeRequest = [&](const platform::HttpRequest& request) {
    const auto body = nlohmann::json::parse(request.Body, nullptr, false);
    if (body.is_discarded()) return;
    const int kind = std::stoi(body["SQLRequest"][0]["ResponseType"].get<std::string>());
    const platform::HttpMethod method = kind == 0   ? platform::HttpMethod::Put
                                        : kind <= 8 ? platform::HttpMethod::Get
                                                    : platform::HttpMethod::Post;
    EXPECT_EQ(request.Method, method) << "kind " << kind;
    kinds.push_back(kind);
  };
  const TDownloadResult download = DownloadAllData(Client_, Db_, qvserver::kSampleUserId, kMissingDate);
  ASSERT_TRUE(download.Ok) << download.ErrorText;
  EXPECT_EQ(download.RowsStored, 720u * 434u);
  // Assets, countries, template list, the weights of each of the three templates, monthly rows.
  EXPECT_EQ(kinds, (std::vector<int>{6, 5, 4, 3, 3, 3, 8}));
  kinds.clear();
  const TDownloadResult daily = SynchronizeDailyData(Client_, Db_);
  ASSERT_TRUE(daily.Ok) << daily.ErrorText;
  EXPECT_EQ(daily.RowsStored, 720u);
  EXPECT_EQ(kinds, std::vector<int>{8});  // an empty local table asks for no server date
  kinds.clear();

  const std::vector<TCountry> countries = LoadWorkData(Db_);
  ASSERT_EQ(countries.size(), 40u);
  EXPECT_EQ(countries[0].Name, "USA");
  EXPECT_EQ(countries[29].Name, "Japan");
  EXPECT_EQ(countries[29].RegionName, "Japan");
  // The settings pages grey fixed rows: Germany at place 4, Russia at 23.
  EXPECT_EQ(countries[3].Name, "Germany");
  EXPECT_EQ(countries[22].Name, "Russia");
  const std::vector<std::string> serverNames = qvserver::SampleCountryNames();
  for (std::size_t place = 0; place < countries.size(); ++place) {
    const TCountry& c = countries[place];
    std::string upper = c.Name;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    EXPECT_EQ(upper, serverNames[place]) << "place " << place + 1;
    EXPECT_EQ(c.Rank, static_cast<int>(place) + 1);
    std::size_t assetCount = 0;
    for (int type = 0; type <= 4; ++type) {
      for (const TAssetSeries& a : *AssetsOfType(c, type)) {
        ++assetCount;
        const bool ascending = std::adjacent_find(a.Series.begin(), a.Series.end(), [](const auto& x, const auto& y) {
                                 return x.Date >= y.Date;
                               }) == a.Series.end();
        EXPECT_TRUE(ascending) << c.Name << " " << a.ID;
        EXPECT_TRUE(std::none_of(a.Series.begin(), a.Series.end(),
                                 [](const TDataPoint& p) { return p.Value == kStoredMissingValue; }));
      }
    }
    EXPECT_EQ(assetCount, 18u) << c.Name;
    const auto& eq = c.IndexAssets;
    const auto equity = std::find_if(eq.begin(), eq.end(), [](const TAssetSeries& a) { return a.ID == "EQINDEX"; });
    ASSERT_NE(equity, eq.end()) << c.Name;
    EXPECT_FALSE(equity->Series.empty()) << c.Name;
    EXPECT_EQ(equity->Series.back().Date, platform::EncodeDate(2026, 2, 28)) << c.Name;
  }
  // A series read back equals the server's, value for value.
  std::vector<TDataPoint> served;
  for (const TDataPoint& p : Server_.Store().Series("SOUTH AFRICA", "RISKFREEASSET1"))
    if (p.Value != kStoredMissingValue) served.push_back(p);
  const auto southAfrica =
      std::find_if(countries.begin(), countries.end(), [](const TCountry& c) { return c.Name == "South Africa"; });
  ASSERT_NE(southAfrica, countries.end());
  const auto& riskFree = southAfrica->RiskFreeAssets;
  const auto bond =
      std::find_if(riskFree.begin(), riskFree.end(), [](const TAssetSeries& a) { return a.ID == "RISKFREEASSET1"; });
  ASSERT_NE(bond, riskFree.end());
  EXPECT_EQ(bond->Series, served);
  EXPECT_EQ(Db_.LoadPortfolioTemplateList().size(), Server_.Store().TemplateIds().size());
  EXPECT_EQ(Db_.GetSeriesLastDate("DATA_BIS", "South Africa", "EQINDEX"), qvtest::FixedToday());

  // Sign-in of the sample user, as the sign-in dialog runs it.
  const std::string user = qvserver::kSampleUserId;
  EXPECT_TRUE(Client_.UserExists(user));
  EXPECT_FALSE(Client_.CheckLogin(user, "wrong"));
  EXPECT_EQ(Client_.LastMessage, "");
  EXPECT_TRUE(Client_.CheckLogin(user, qvserver::kSamplePassword));
  EXPECT_EQ(Client_.SelectFieldValue("USER_LIST", "USERID", user, "FIRSTNAME"), "Demo");
  EXPECT_EQ(Client_.SelectFieldValue("LOGIN_LIST", "USERID", user, "STARTDATETOUPDATE"), "2");
  EXPECT_EQ(Client_.SelectFieldValue("LOGIN_LIST", "USERID", user, "AUTHORIZEUPDATE"), "1");
  EXPECT_TRUE(Client_.UpdateUsageStatistics(user)) << Client_.LastMessage;
  EXPECT_EQ(Client_.SelectFieldValue("STATISTIC_LIST", "USERID", user, "COUNTEROFUSE"), "1");
  EXPECT_FALSE(Client_.UserExists("nobody@quorvane.test"));
  EXPECT_TRUE(Client_.SetStartDateToUpdate(user, kMissingDate)) << Client_.LastMessage;

  // Request submissions and the model-state report.
  std::string reply;
  EXPECT_TRUE(Client_.SendPasswordRequest("o'hara@quorvane.test", reply)) << Client_.LastMessage;
  EXPECT_EQ(reply, "SENT");
  EXPECT_TRUE(Client_.SendNewUserRequest("Ann", "Lee", "Co", "Cio", "ann@co.test", "+1 555", "Main St", "Town", "NY",
                                         "USA", "Xy7abcde", "46093", reply))
      << Client_.LastMessage;
  EXPECT_EQ(reply, "SENT");
  EXPECT_TRUE(Client_.ExecuteStatement("{\"Model\":\"EQSL\",\"State\":1}")) << Client_.LastMessage;
  EXPECT_EQ(Client_.GetSeries("USA", "EQINDEX").size(), 434u);

  // Nothing new on the server: a second download stores nothing and changes nothing.
  const std::string before = Snapshot(Db_);
  const TDownloadResult again = DownloadAllData(Client_, Db_, user, kMissingDate);
  ASSERT_TRUE(again.Ok) << again.ErrorText;
  EXPECT_EQ(again.RowsStored, 0u);
  EXPECT_EQ(Snapshot(Db_), before);
  kinds.clear();
  const TDownloadResult dailyAgain = SynchronizeDailyData(Client_, Db_);
  ASSERT_TRUE(dailyAgain.Ok) << dailyAgain.ErrorText;
  EXPECT_EQ(kinds, (std::vector<int>{2, 8}));  // server date, then the rows of the current month again
  EXPECT_EQ(dailyAgain.RowsStored, 720u);
  EXPECT_EQ(Snapshot(Db_), before);
}

// The short sample set of the tests below: January 1990 to April 1993
// monthly, 20 May 1993 daily.
double ShortSampleToday() { return platform::EncodeDate(1993, 5, 20); }
constexpr std::size_t kShortMonthlyRows = 720u * 40u;
constexpr std::size_t kShortDailyRows = 720u;

std::string WriteShortSample(const qvtest::TTempDir& dir) {
  const std::string path = dir.File("short.sqlite");
  qvtest::WriteTestSample(path, ShortSampleToday());
  return path;
}

// A local file filled from a server with the short sample set.
class EndToEndInterrupted : public ::testing::Test {
 protected:
  EndToEndInterrupted() : Server_(WriteShortSample(Dir_)), Client_(Transport_, "NO_RESULT") {
    Client_.SetBaseUrl(Server_.BaseUrl());
    Client_.SetProxySource([] { return TProxySettings{}; });
  }
  void SetUp() override {
    Db_.Connect();
    ASSERT_TRUE(Db_.CreateMarketDataTables());
    ASSERT_TRUE(DownloadAllData(Client_, Db_, qvserver::kSampleUserId, kMissingDate).Ok);
    ASSERT_TRUE(SynchronizeDailyData(Client_, Db_).Ok);
    Before_ = Snapshot(Db_);
  }

  qvtest::TTempDir Dir_;
  TLocalHome Home_;
  qvtest::TRunningServer Server_;
  TWatchedTransport Transport_;
  TQVDBClient Client_;
  TLocalQuorvaneDB Db_;
  std::string Before_;
};

TEST_F(EndToEndInterrupted, AStoppedServerLeavesTheLocalFileAsBefore) {
  // The server demands a re-download from 1992 on and stops when the rows are asked for.
  const double forcedStart = platform::EncodeDate(1992, 1, 31);
  ASSERT_EQ(Server_.Store().UpdateStartDate(qvserver::kSampleUserId, forcedStart), 1);
  Transport_.BeforeRequest = [&](const platform::HttpRequest& request) {
    if (request.Body.find("WHERE DATE>") != std::string::npos) Server_.Server().Stop();
  };
  const TDownloadResult cut = DownloadAllData(Client_, Db_, qvserver::kSampleUserId, forcedStart);
  EXPECT_FALSE(cut.Ok);
  EXPECT_EQ(cut.ErrorText, "Connection to server failed");
  EXPECT_EQ(Snapshot(Db_), Before_);
  EXPECT_EQ(Server_.Store().UserValue("LOGIN_LIST", "STARTDATETOUPDATE", qvserver::kSampleUserId),
            qvserver::FormatReal(forcedStart));

  // The daily synchronisation against the stopped server does nothing either.
  const TDownloadResult daily = SynchronizeDailyData(Client_, Db_);
  EXPECT_EQ(Snapshot(Db_), Before_);
  EXPECT_TRUE(daily.Ok);  // no server date: nothing to do, the start goes on with the local rows
  EXPECT_EQ(daily.WarningText, "Connection to server failed");
  EXPECT_FALSE(Client_.IsServerAvailable());
}

TEST_F(EndToEndInterrupted, AReplyCutMidwayLeavesTheLocalFileAsBefore) {
  // The same client through a relay that drops the connection 256 KiB into
  // a reply: the lists pass, the row replies are cut.
  const double forcedStart = platform::EncodeDate(1992, 1, 31);
  ASSERT_EQ(Server_.Store().UpdateStartDate(qvserver::kSampleUserId, forcedStart), 1);
  TCuttingRelay relay(Server_.Server().Port(), 256 * 1024);
  Client_.SetBaseUrl(relay.BaseUrl());
  const TDownloadResult cut = DownloadAllData(Client_, Db_, qvserver::kSampleUserId, forcedStart);
  EXPECT_FALSE(cut.Ok);
  EXPECT_EQ(cut.ErrorText, "Connection to server failed");
  EXPECT_GE(relay.Cuts(), 1);
  EXPECT_EQ(Snapshot(Db_), Before_);
  EXPECT_EQ(Server_.Store().UserValue("LOGIN_LIST", "STARTDATETOUPDATE", qvserver::kSampleUserId),
            qvserver::FormatReal(forcedStart));
  // The daily snapshot is small enough to pass the relay, or its failed
  // request leaves the local rows: either way the step goes on and the file
  // holds the same rows.
  const TDownloadResult dailyCut = SynchronizeDailyData(Client_, Db_);
  EXPECT_TRUE(dailyCut.Ok) << dailyCut.ErrorText;
  EXPECT_EQ(Snapshot(Db_), Before_);

  // Straight to the server again, signed in as before a download: the forced
  // download fetches the rows from the start date on, stores the same values
  // and clears the server's demand.
  Client_.SetBaseUrl(Server_.BaseUrl());
  ASSERT_TRUE(Client_.CheckLogin(qvserver::kSampleUserId, qvserver::kSamplePassword)) << Client_.LastMessage;
  const TDownloadResult redone = DownloadAllData(Client_, Db_, qvserver::kSampleUserId, forcedStart);
  ASSERT_TRUE(redone.Ok) << redone.ErrorText;
  EXPECT_EQ(redone.RowsStored, 720u * 16u);  // January 1992 to April 1993
  EXPECT_EQ(Snapshot(Db_), Before_);
  EXPECT_EQ(Server_.Store().UserValue("LOGIN_LIST", "STARTDATETOUPDATE", qvserver::kSampleUserId), "2");
}

// The sign-in as the dialog runs it from an address that guessed twelve
// times: the server answers at once, and the dialog's status line reads the
// lock's seconds instead of "Connection to server failed"; once they have
// passed the sign-in succeeds. The start date is cleared only after it.
TEST(EndToEndSignIn, ALockedAddressReadsTheSecondsLeftInTheSignInMessage) {
  TLocalHome home;
  qvtest::TManualClock clock;
  qvserver::TDataServerOptions options = qvtest::QuietServerOptions();
  options.SignIn.Now = clock.Source();
  options.SignIn.FailureWindow = std::chrono::minutes(10);  // holds twelve failures 30 s apart
  const qvtest::TOptionsServer server(options);
  platform::CurlTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  client.SetBaseUrl("http://127.0.0.1:" + std::to_string(server.Server.Port()) + "/");
  client.SetProxySource([] { return TProxySettings{}; });
  const std::string user = qvserver::kSampleUserId;

  EXPECT_FALSE(client.SetStartDateToUpdate(user, kMissingDate));
  EXPECT_EQ(client.LastMessage, qvserver::kNotSignedInText);
  for (int guess = 0; guess < 12; ++guess) {
    clock.Advance(std::chrono::seconds(30));  // every lock has passed
    EXPECT_FALSE(client.CheckLogin(user, "wrong"));
    EXPECT_EQ(client.LastMessage, "") << guess;
  }
  TRegistrySettings registry;
  const session::TSignInResult locked = session::RunSignIn(client, registry, user, qvserver::kSamplePassword, false);
  EXPECT_FALSE(locked.LoginOk);
  EXPECT_EQ(locked.Message, "Too many attempts: try again in 30 s");
  clock.Advance(std::chrono::seconds(29));
  EXPECT_EQ(session::RunSignIn(client, registry, user, qvserver::kSamplePassword, false).Message,
            "Too many attempts: try again in 1 s");
  clock.Advance(std::chrono::seconds(1));
  const session::TSignInResult signedIn = session::RunSignIn(client, registry, user, qvserver::kSamplePassword, false);
  EXPECT_TRUE(signedIn.LoginOk) << signedIn.Message;
  EXPECT_EQ(signedIn.Message, "");
  EXPECT_TRUE(client.SetStartDateToUpdate(user, kMissingDate)) << client.LastMessage;
}

TEST(EndToEndConcurrent, TenClientsDownloadAtOnce) {
  qvtest::TTempDir dir;
  qvtest::TRunningServer server(WriteShortSample(dir));

  // Each client with its own transport and local file; the files are opened
  // here because the folder comes from the environment.
  constexpr int kClients = 10;
  std::vector<std::unique_ptr<platform::CurlTransport>> transports;
  std::vector<std::unique_ptr<TQVDBClient>> clients;
  std::vector<std::unique_ptr<TLocalQuorvaneDB>> files;
  std::optional<std::string> saved;
  if (const char* old = std::getenv("QUORVANE_HOME")) saved = old;
  for (int i = 0; i < kClients; ++i) {
    ::setenv("QUORVANE_HOME", dir.File("home" + std::to_string(i)).c_str(), 1);
    transports.push_back(std::make_unique<platform::CurlTransport>());
    clients.push_back(std::make_unique<TQVDBClient>(*transports.back(), "NO_RESULT"));
    clients.back()->SetBaseUrl(server.BaseUrl());
    clients.back()->SetProxySource([] { return TProxySettings{}; });
    files.push_back(std::make_unique<TLocalQuorvaneDB>());
    files.back()->Connect();
    ASSERT_TRUE(files.back()->CreateMarketDataTables()) << files.back()->LastMessage;
  }
  if (saved)
    ::setenv("QUORVANE_HOME", saved->c_str(), 1);
  else
    ::unsetenv("QUORVANE_HOME");

  std::vector<TDownloadResult> monthly(kClients), daily(kClients);
  std::vector<char> signedIn(kClients, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < kClients; ++i) {
    threads.emplace_back([&, i] {
      TQVDBClient& c = *clients[static_cast<std::size_t>(i)];
      signedIn[static_cast<std::size_t>(i)] = static_cast<char>(
          c.UserExists(qvserver::kSampleUserId) && c.CheckLogin(qvserver::kSampleUserId, qvserver::kSamplePassword));
      monthly[static_cast<std::size_t>(i)] =
          DownloadAllData(c, *files[static_cast<std::size_t>(i)], qvserver::kSampleUserId, kMissingDate);
      daily[static_cast<std::size_t>(i)] = SynchronizeDailyData(c, *files[static_cast<std::size_t>(i)]);
    });
  }
  for (std::thread& t : threads) t.join();

  const std::string first = Snapshot(*files[0]);
  for (std::size_t i = 0; i < kClients; ++i) {
    EXPECT_TRUE(signedIn[i]) << "client " << i;
    EXPECT_TRUE(monthly[i].Ok) << "client " << i << ": " << monthly[i].ErrorText;
    EXPECT_EQ(monthly[i].RowsStored, kShortMonthlyRows) << "client " << i;
    EXPECT_TRUE(daily[i].Ok) << "client " << i << ": " << daily[i].ErrorText;
    EXPECT_EQ(daily[i].RowsStored, kShortDailyRows) << "client " << i;
    EXPECT_EQ(Snapshot(*files[i]), first) << "client " << i;
  }
}

}  // namespace
