#pragma once
// Helpers of the data-server tests: a temporary folder, a plain libcurl
// exchange, request bodies, and a server with a freshly generated sample
// database on a free loopback port.

#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "platform/DateTime.h"

namespace qvtest {

// Fixed "today" of the sample sets in the tests: Thursday 12 March 2026.
inline double FixedToday() { return platform::EncodeDate(2026, 3, 12); }

// Sample options of the tests: the given day and the lowest password-hash limits.
inline qvserver::TSampleDataOptions TestSampleOptions(double today, std::uint64_t seed = qvserver::kDefaultSampleSeed) {
  qvserver::TSampleDataOptions options;
  options.Seed = seed;
  options.Today = today;
  options.HashLimits = qvserver::MinimalHashLimits();
  return options;
}

// Writes a sample set into a new database file and closes it.
inline void WriteTestSample(const std::string& path, double today, std::uint64_t seed = qvserver::kDefaultSampleSeed) {
  qvserver::TServerStore store(path);
  qvserver::WriteSampleData(store, TestSampleOptions(today, seed));
}

class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvserver-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::string File(const std::string& name) const { return (Path_ / name).string(); }

 private:
  std::filesystem::path Path_;
};

struct THttpResult {
  long Status = -1;  // -1: no reply
  std::string Body;
};

inline std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

// One exchange with libcurl; `body` is sent also with GET when not empty;
// `fromAddress` binds the client socket to a loopback address of the test.
// Over a given `connection` (a handle the caller keeps) it reuses the
// kept-alive connection of the exchange before, as the application does.
inline THttpResult Http(const std::string& method, const std::string& url, const std::string& body = {},
                        const std::string& fromAddress = {}, CURL* connection = nullptr) {
  THttpResult result;
  CURL* curl = connection ? connection : curl_easy_init();
  if (!curl) return result;
  if (connection) curl_easy_reset(curl);  // keeps the connection
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
  headers = curl_slist_append(headers, "Expect:");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
  if (!fromAddress.empty()) curl_easy_setopt(curl, CURLOPT_INTERFACE, fromAddress.c_str());
  if (!body.empty()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToString);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.Body);
  if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.Status);
  curl_slist_free_all(headers);
  if (!connection) curl_easy_cleanup(curl);
  return result;
}

inline std::string RequestBody(int kind, const std::string& content, const std::string& field = {}) {
  nlohmann::ordered_json item;
  item["ResponseType"] = std::to_string(kind);
  item["Content"] = content;
  item["Field"] = field;
  nlohmann::ordered_json body;
  body["SQLRequest"] = nlohmann::ordered_json::array({item});
  return body.dump();
}

// The HTTP method of a request kind: 0 PUT, 1 to 8 GET, 9 to 11 POST.
inline std::string MethodOfKind(int kind) { return kind == 0 ? "PUT" : (kind >= 9 ? "POST" : "GET"); }

struct TReply {
  long Status = -1;
  std::string Error;
  nlohmann::ordered_json Rows = nlohmann::ordered_json::array();  // members in the order received
  bool Parsed = false;
};

inline TReply ParseReply(const THttpResult& http) {
  TReply reply;
  reply.Status = http.Status;
  const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(http.Body, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return reply;
  const auto error = doc.find("ErrorMessage");
  const auto rows = doc.find("Response");
  if (error == doc.end() || rows == doc.end() || !error->is_array() || error->size() != 1 || !rows->is_array())
    return reply;
  reply.Error = (*error)[0].value("Content", std::string("<missing>"));
  reply.Rows = *rows;
  reply.Parsed = true;
  return reply;
}

// A sample database written once per test program run with minimal
// password-hash limits; `Copy` gives a test its own file to change.
class TSampleDatabase {
 public:
  static const TSampleDatabase& Shared() {
    static const TSampleDatabase instance;
    return instance;
  }
  std::string Copy(const TTempDir& dir, const std::string& name) const {
    const std::string target = dir.File(name);
    std::filesystem::copy_file(Path_, target);
    return target;
  }
  const std::string& Path() const { return Path_; }

 private:
  TSampleDatabase() {
    Path_ = Dir_.File("sample.sqlite");
    // Closing the store folds the write-ahead log into the file, so that a
    // plain file copy holds every row.
    WriteTestSample(Path_, FixedToday());
  }
  TTempDir Dir_;
  std::string Path_;
};

// A server on a free loopback port over its own copy of the sample database.
class TRunningServer {
 public:
  TRunningServer() : TRunningServer(std::string()) {}
  // Serves the given database file; an empty path serves a copy of the shared sample set.
  explicit TRunningServer(const std::string& dbPath)
      : Path_(dbPath.empty() ? TSampleDatabase::Shared().Copy(Dir_, "server.sqlite") : dbPath),
        Store_(Path_),
        Server_(Store_, Options()) {
    std::string error;
    if (!Server_.Start("127.0.0.1", 0, error)) throw std::runtime_error(error);
  }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(Server_.Port()) + "/"; }
  TReply Query(int kind, const std::string& content, const std::string& field = {}, CURL* connection = nullptr) const {
    return ParseReply(
        Http(MethodOfKind(kind), BaseUrl() + "QuorvaneDB", RequestBody(kind, content, field), {}, connection));
  }
  // A sign-in check from 127.0.0.1, as the client sends it: "1" for a match,
  // "0" for none, the error text otherwise. A match lets the user's own
  // values be changed from this address.
  std::string SignIn(const std::string& user, const std::string& password) const {
    const TReply reply =
        Query(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='" + password + "'");
    if (!reply.Error.empty() || reply.Rows.empty()) return reply.Error;
    return reply.Rows[0].value("String", std::string());
  }
  qvserver::TServerStore& Store() { return Store_; }
  qvserver::DataServer& Server() { return Server_; }
  const std::string& Path() const { return Path_; }

 private:
  static qvserver::TDataServerOptions Options() {
    qvserver::TDataServerOptions options;
    options.LogRequests = false;
    // Wrong sign-ins in the tests lock no address.
    options.SignIn.FirstWait = std::chrono::milliseconds(0);
    options.SignIn.MaxWait = std::chrono::milliseconds(0);
    return options;
  }
  TTempDir Dir_;
  std::string Path_;
  qvserver::TServerStore Store_;
  qvserver::DataServer Server_;
};

// A server over its own copy of the sample set with the given options (for
// the limit and hardening tests), and options that write no log.
struct TOptionsServer {
  explicit TOptionsServer(qvserver::TDataServerOptions options, qvserver::TServerStoreOptions storeOptions = {})
      : Store(TSampleDatabase::Shared().Copy(Dir, "server.sqlite"), std::move(storeOptions)),
        Server(Store, std::move(options)) {
    std::string error;
    if (!Server.Start("127.0.0.1", 0, error)) throw std::runtime_error(error);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(Server.Port()) + "/QuorvaneDB"; }
  TTempDir Dir;
  qvserver::TServerStore Store;
  qvserver::DataServer Server;
};

// A clock that the test moves by hand, for the sign-in gate's locks and sign-ins.
class TManualClock {
 public:
  using TTime = std::chrono::steady_clock::time_point;
  TTime Now() const { return kStart + std::chrono::milliseconds(OffsetMs_.load()); }
  void Advance(std::chrono::milliseconds step) { OffsetMs_ += step.count(); }
  std::function<TTime()> Source() const {
    return [this] { return Now(); };
  }

 private:
  static constexpr TTime kStart = TTime{} + std::chrono::hours(24 * 365);
  std::atomic<long long> OffsetMs_{0};
};

// A new-user password hash that holds every call until released (a minute at
// most, so that a failed test cannot hang), counting the calls held.
class THeldHash {
 public:
  ~THeldHash() { Release(); }
  std::function<std::string(const std::string&)> Function() {
    return [this](const std::string&) {
      std::unique_lock lock(Lock_);
      ++Held_;
      Changed_.notify_all();
      Changed_.wait_for(lock, std::chrono::minutes(1), [&] { return Released_; });
      --Held_;
      return std::string("$held$hash");
    };
  }
  void Release() {
    std::lock_guard lock(Lock_);
    Released_ = true;
    Changed_.notify_all();
  }
  // Waits (a minute at most) until `count` calls are held; false when they never were.
  bool WaitHeld(int count) {
    std::unique_lock lock(Lock_);
    return Changed_.wait_for(lock, std::chrono::minutes(1), [&] { return Held_ >= count; });
  }
  int Held() {
    std::lock_guard lock(Lock_);
    return Held_;
  }

 private:
  std::mutex Lock_;
  std::condition_variable Changed_;
  int Held_ = 0;
  bool Released_ = false;
};

// Waits up to a minute for `done` (a loaded machine running the sanitizer build is slow).
template <class Condition>
bool WaitUntil(Condition done) {
  for (int i = 0; i < 6000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// A new-user request as the client writes it, with the given first name and
// password; the mail address is the first name's at "co.test" unless given.
inline std::string NewUserStatement(const std::string& firstName, const std::string& password,
                                    const std::string& mail = {}) {
  return "INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,PHONENUMBER,STREET,CITY,"
         "STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES ('" +
         firstName + "','Lee','Co','Cio','" + (mail.empty() ? firstName + "@co.test" : mail) +
         "','1','St','Town','1000','FRANCE','" + password + "','1','46093');";
}

inline qvserver::TDataServerOptions QuietServerOptions() {
  qvserver::TDataServerOptions options;
  options.LogRequests = false;
  return options;
}

// A plain TCP connection to the server on loopback, from `from` (another
// loopback address, so that a test can act as a second client address).
// Reads wait five seconds at most. A receive buffer of `receiveBuffer` bytes
// (0: the system's) bounds what the server can hand over while nothing is read.
class TRawClient {
 public:
  explicit TRawClient(std::uint16_t port, const char* from = "127.0.0.1", int receiveBuffer = 0) {
    Fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (Fd_ >= 0 && receiveBuffer > 0)
      ::setsockopt(Fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Connected_ = Fd_ >= 0 && ::bind(Fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
                 ::connect(Fd_, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0;
    const timeval timeout{5, 0};
    if (Fd_ >= 0) ::setsockopt(Fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~TRawClient() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  TRawClient(const TRawClient&) = delete;
  TRawClient& operator=(const TRawClient&) = delete;
  bool Connected() const { return Connected_; }
  // How long a read waits for the next bytes (a large reply on a loaded machine may pause longer than five seconds).
  void Patience(std::chrono::seconds wait) const {
    const timeval timeout{static_cast<time_t>(wait.count()), 0};
    ::setsockopt(Fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  bool Send(const std::string& text) const {
    return ::send(Fd_, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
  }
  // Reads until the peer closes or `limit` bytes arrived.
  std::string ReadAll(std::size_t limit = 1 << 20) const {
    std::string text;
    char buffer[4096];
    while (text.size() < limit) {
      const ssize_t n = ::recv(Fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }
  // True when the server closed the connection within `wait`, looked at
  // least once (bytes that arrive meanwhile are read and dropped).
  bool ClosedWithin(std::chrono::milliseconds wait) const {
    using TClock = std::chrono::steady_clock;
    const auto until = TClock::now() + wait;
    char buffer[4096];
    do {
      pollfd p{Fd_, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - TClock::now());
      if (::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count()))) <= 0) continue;
      const ssize_t n = ::recv(Fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return true;
    } while (TClock::now() < until);
    return false;
  }

 private:
  int Fd_ = -1;
  bool Connected_ = false;
};

}  // namespace qvtest
