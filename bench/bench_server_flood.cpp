// The data server under unauthenticated load, from outside over HTTP, so that
// it measures any server binary (bench/server_flood.sh runs it against the
// current and an earlier build in turn). One mode per run, figures printed as
// "name=value" on one line:
//   speed   small-request latency from 127.0.0.1 (the asset list, a new
//           connection each) and the time of a full download of the monthly
//           table, without load and under a flood of new-user requests from
//           ten addresses (127.0.0.2 to 127.0.0.11, 16 connections each);
//   bytes   1 MB password and new-user requests from 127.0.0.20 for a few
//           seconds, then 256 KB reports from 127.0.0.22: the bytes the
//           server stored of each (read from its database file);
//   signin  twelve wrong sign-ins at once from 127.0.0.21, then the correct
//           one: its time and its answer;
//   shares  password requests from eight connections of 127.0.0.30 for a
//           few seconds, then one from 127.0.0.31; 256 KB reports from twenty
//           addresses (127.0.0.40 to 127.0.0.59), then one such report from 127.0.0.60:
//           the rows and bytes the flooders got stored, and whether the other
//           address's request and report were stored;
//   slow    small-request latency and a full download from 127.0.0.1 while
//           thirty addresses (127.0.0.100 to 127.0.0.129) hold sixteen
//           connections each that send one byte of a request every two
//           seconds and reopen when closed;
//   upload  sixty such addresses (127.0.0.100 to 127.0.0.159), then seven
//           200 KB reports at 80 KB/s from 127.0.0.2 and three password
//           requests from 127.0.0.3 whose body follows the headers by 1.5 s:
//           how many succeed, beside small-request latency and a full download;
//   halfread  56 full downloads from four addresses read to 18 MB each and
//           then slowly: small-request latency, failures (503) and a full
//           download from 127.0.0.1 meanwhile;
//   ledger  256 KB reports from 26 addresses until the total is full, then
//           the operator deletes every stored row: whether a password request
//           and a report from another address are stored before and after;
//   keepalive  64 addresses x 16 kept-alive connections asking for the
//           banner every 0.8 s; overflow  671 addresses x 2 trickling
//           connections (overflow1: 354 x 1); hog  17 addresses x 14 trickling
//           connections beside one address that reopens its 16 every 0.5 s;
//           slowread  64 addresses x 16 full downloads read at 2 KB/s (with
//           the most bytes the server's sockets queue in the kernel): each
//           beside what real users get meanwhile (small requests from
//           127.0.0.1, three 200 KB reports at 80 KB/s from 127.0.0.2, two
//           full downloads);
//   kept40  (a server of 40 places) 40 addresses each holding a kept-alive
//           connection idle between two requests, then newcomers from three
//           fresh addresses: how many are answered, and how many kept-alive
//           connections the server closed;
//   office  (40 places) an office address reading six downloads at 64 KB/s
//           beside 34 addresses trickling one connection each: its users 7,
//           8 and 9 and a fresh address; then one of its downloads stalls:
//           when the server closes it, and the office's and another
//           address's small requests meanwhile;
//   reuse   (40 places) a kept-alive connection idle 5 s, then posting a
//           100 KB report at 20 KB/s beside 29 trickling addresses while
//           newcomers come every 100 ms: whether the report is stored;
//   small   folded header and trailer lines (the statuses answered and
//           whether the connection closed), a password request after five
//           made up in the same mail address's name elsewhere (the same row,
//           then other values), an address past its share asking for a mail
//           address asked for today and for another, start dates out of
//           range, and the byte count of the reports after an INSERT OR REPLACE.
// Usage: bench_server_flood speed BASE_URL [FLOOD_SECONDS]
//        bench_server_flood bytes BASE_URL DATABASE [SECONDS]
//        bench_server_flood signin BASE_URL
//        bench_server_flood shares BASE_URL DATABASE [SECONDS]
//        bench_server_flood slow BASE_URL [SECONDS]
//        bench_server_flood upload BASE_URL [SECONDS]
//        bench_server_flood halfread BASE_URL [SECONDS]
//        bench_server_flood ledger BASE_URL DATABASE
//        bench_server_flood keepalive|overflow|overflow1|hog|slowread BASE_URL [SECONDS]
//        bench_server_flood kept40|reuse BASE_URL
//        bench_server_flood office BASE_URL [SECONDS]
//        bench_server_flood small BASE_URL DATABASE

#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr const char* kUser = "demo@quorvane.test";
constexpr const char* kPassword = "demo";

double Seconds(TClock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string RequestBody(int kind, const std::string& content) {
  nlohmann::ordered_json item;
  item["ResponseType"] = std::to_string(kind);
  item["Content"] = content;
  item["Field"] = "";
  nlohmann::ordered_json body;
  body["SQLRequest"] = nlohmann::ordered_json::array({item});
  return body.dump();
}

std::string NewUserStatement(const std::string& firstName, const std::string& password) {
  return "INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,PHONENUMBER,STREET,CITY,"
         "STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES ('" +
         firstName + "','Lee','Co','Cio','ann@co.test','1','St','Town','1000','FRANCE','" + password +
         "','1','46093');";
}

std::string SignInStatement(const std::string& password) {
  return std::string("SELECT * FROM LOGIN_LIST WHERE USERID='") + kUser + "' AND PASSWORD='" + password + "'";
}

std::size_t Append(char* data, std::size_t size, std::size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

// One client connection from a loopback address; kept alive between
// requests unless `fresh`.
class TClient {
 public:
  // `timeoutSeconds` bounds each request, from the connect to the last byte.
  TClient(std::string url, const std::string& from, bool fresh, long timeoutSeconds = 120) : Url_(std::move(url)) {
    Curl_ = curl_easy_init();
    Headers_ = curl_slist_append(Headers_, "Content-Type: application/json");
    Headers_ = curl_slist_append(Headers_, "Expect:");
    curl_easy_setopt(Curl_, CURLOPT_URL, Url_.c_str());
    curl_easy_setopt(Curl_, CURLOPT_HTTPHEADER, Headers_);
    curl_easy_setopt(Curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(Curl_, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(Curl_, CURLOPT_INTERFACE, from.c_str());
    curl_easy_setopt(Curl_, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(Curl_, CURLOPT_WRITEDATA, &Reply);
    if (fresh) {
      curl_easy_setopt(Curl_, CURLOPT_FRESH_CONNECT, 1L);
      curl_easy_setopt(Curl_, CURLOPT_FORBID_REUSE, 1L);
    }
  }
  ~TClient() {
    curl_slist_free_all(Headers_);
    curl_easy_cleanup(Curl_);
  }
  TClient(const TClient&) = delete;
  TClient& operator=(const TClient&) = delete;

  // Status code of one request of `kind`; -1 without a reply. The body is in Reply.
  long Send(int kind, const std::string& content) {
    const std::string body = RequestBody(kind, content);
    Reply.clear();
    const char* method = kind == 0 ? "PUT" : (kind >= 9 ? "POST" : "GET");
    curl_easy_setopt(Curl_, CURLOPT_CUSTOMREQUEST, method);
    curl_easy_setopt(Curl_, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(Curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    long status = -1;
    if (curl_easy_perform(Curl_) == CURLE_OK) curl_easy_getinfo(Curl_, CURLINFO_RESPONSE_CODE, &status);
    return status;
  }
  // The reply's error text, else its first status value.
  std::string Answer() const {
    const nlohmann::json doc = nlohmann::json::parse(Reply, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return "<no reply>";
    const std::string error = doc.value("/ErrorMessage/0/Content"_json_pointer, std::string());
    if (!error.empty()) return error;
    return doc.value("/Response/0/String"_json_pointer, std::string());
  }
  std::string Reply;

 private:
  std::string Url_;
  CURL* Curl_ = nullptr;
  curl_slist* Headers_ = nullptr;
};

// Times of requests in milliseconds, a failed one (no answer, or not status
// 200) counted with the time it took to fail.
struct TLatencies {
  std::vector<double> Ms;
  int Failed = 0;
  double Quantile(double q) const {
    if (Ms.empty()) return -1.0;
    std::vector<double> sorted = Ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5)];
  }
};

// Small requests until `stop`, at least `minimum` of them, 20 ms apart, each
// given up after `timeoutSeconds`.
TLatencies Probe(const std::string& url, const std::atomic<bool>& stop, int minimum, long timeoutSeconds = 120) {
  TLatencies latencies;
  while (!stop || static_cast<int>(latencies.Ms.size()) < minimum) {
    TClient client(url, "127.0.0.1", true, timeoutSeconds);
    const auto start = TClock::now();
    const long status = client.Send(6, "SELECT * FROM ASSET_LIST");
    latencies.Ms.push_back(Seconds(TClock::now() - start) * 1000.0);
    if (status != 200) ++latencies.Failed;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return latencies;
}

// Seconds of one download of every monthly row (to its failure when it
// failed: no whole reply within `timeoutSeconds`); `ok` tells which.
double Download(const std::string& url, bool& ok, long timeoutSeconds = 120) {
  TClient client(url, "127.0.0.1", true, timeoutSeconds);
  const auto start = TClock::now();
  const long status = client.Send(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC");
  ok = status == 200 && client.Reply.size() > (1u << 20);
  return Seconds(TClock::now() - start);
}

// Small requests and a full download while a load runs.
struct TLoaded {
  TLatencies Small;
  double DownloadSeconds = 0.0;
  bool DownloadOk = false;
};

// After `ramp` (the load takes its places), small requests for `seconds`
// beside one full download.
TLoaded MeasureUnderLoad(const std::string& url, double seconds, std::chrono::seconds ramp) {
  std::this_thread::sleep_for(ramp);
  const auto start = TClock::now();
  std::atomic<bool> stopProbe{false};
  TLoaded loaded;
  std::thread probe([&] { loaded.Small = Probe(url, stopProbe, 20); });
  loaded.DownloadSeconds = Download(url, loaded.DownloadOk);
  while (Seconds(TClock::now() - start) < seconds) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  stopProbe = true;
  probe.join();
  return loaded;
}

int RunSpeed(const std::string& url, double floodSeconds) {
  // Without load.
  std::atomic<bool> stopNow{true};
  const TLatencies quiet = Probe(url, stopNow, 20);
  std::vector<double> downloads;
  bool quietOk = true;
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    downloads.push_back(Download(url, ok));
    quietOk = quietOk && ok;
  }
  std::sort(downloads.begin(), downloads.end());

  // Under the flood: ten addresses, 16 kept-alive connections each, sending
  // new-user requests as fast as they are answered.
  std::atomic<bool> stopFlood{false};
  std::atomic<long> sent{0}, stored{0}, busy{0}, refused{0}, failed{0};
  std::vector<std::thread> flood;
  for (int a = 0; a < 10; ++a) {
    for (int c = 0; c < 16; ++c) {
      flood.emplace_back([&, a, c] {
        // The flood stands for machines elsewhere: its own work runs at the
        // lowest priority, so that it slows neither the server nor the measured client.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
        TClient sender(url, "127.0.0." + std::to_string(a + 2), false);
        for (long n = 0; !stopFlood; ++n) {
          const long status = sender.Send(
              10, NewUserStatement("F" + std::to_string(a) + "c" + std::to_string(c) + "n" + std::to_string(n),
                                   "Pw" + std::to_string(n)));
          ++sent;
          if (status == 503) {
            ++busy;
          } else if (status != 200) {
            ++failed;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          } else if (sender.Answer() == "SENT") {
            ++stored;
          } else {
            ++refused;
          }
        }
      });
    }
  }
  const TLoaded flooded = MeasureUnderLoad(url, floodSeconds, std::chrono::seconds(2));  // the queue fills first
  stopFlood = true;
  for (std::thread& t : flood) t.join();

  std::printf(
      "quiet_small_ms_p50=%.2f quiet_small_ms_max=%.2f quiet_download_s=%.3f quiet_failed=%d flood_small_ms_p50=%.2f "
      "flood_small_ms_p99=%.2f flood_small_ms_max=%.2f flood_small_n=%zu flood_small_failed=%d flood_download_s=%.3f "
      "flood_download_ok=%d flood_sent=%ld flood_stored=%ld flood_busy=%ld flood_refused=%ld flood_failed=%ld\n",
      quiet.Quantile(0.5), quiet.Quantile(1.0), downloads[1], quiet.Failed + (quietOk ? 0 : 1),
      flooded.Small.Quantile(0.5), flooded.Small.Quantile(0.99), flooded.Small.Quantile(1.0), flooded.Small.Ms.size(),
      flooded.Small.Failed, flooded.DownloadSeconds, flooded.DownloadOk ? 1 : 0,
      sent.load(), stored.load(), busy.load(), refused.load(), failed.load());
  return 0;
}

// The first column of the first row of `sql` on the database file, read
// only; -1 when the file cannot be read.
long long SingleInteger(const std::string& database, const std::string& sql) {
  sqlite3* db = nullptr;
  long long value = -1;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
      value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return value;
}

// Bytes of the stored values of a table's rows.
long long StoredBytes(const std::string& database, const char* table, const std::vector<const char*>& columns) {
  std::string sum;
  for (const char* column : columns)
    sum += std::string(sum.empty() ? "" : " + ") + "LENGTH(CAST(" + column + " AS BLOB))";
  return SingleInteger(database, "SELECT CAST(TOTAL(" + sum + ") AS INTEGER) FROM " + table);
}

// Sends from `connections` connections of `from` for `seconds`; `content(n)`
// gives the n-th request's kind and statement. Returns the requests answered without error.
template <class Content>
long SendFor(const std::string& url, const char* from, double seconds, Content content, int connections = 4) {
  std::atomic<long> accepted{0};
  const auto start = TClock::now();
  std::vector<std::thread> senders;
  for (int s = 0; s < connections; ++s) {
    senders.emplace_back([&, s] {
      TClient client(url, from, false);
      for (long n = s; Seconds(TClock::now() - start) < seconds; n += connections) {
        const auto [kind, statement] = content(n);
        if (client.Send(kind, statement) == 200 && client.Answer() == (kind == 11 ? "OK" : "SENT")) ++accepted;
      }
    });
  }
  for (std::thread& t : senders) t.join();
  return accepted.load();
}

int RunBytes(const std::string& url, const std::string& database, double seconds) {
  const std::string megabyte(1000000, 'x');  // with the request around it, just under the 1 MiB body limit
  const long requests = SendFor(url, "127.0.0.20", seconds, [&](long n) {
    if (n % 2 == 0)
      return std::pair{9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('" + megabyte + "','NC','1');"};
    return std::pair{10, NewUserStatement(megabyte, "Pw" + std::to_string(n))};
  });
  const std::string report(256 * 1024, 'r');  // the largest report allowed
  const long reports = SendFor(url, "127.0.0.22", seconds, [&](long) { return std::pair{11, report}; });
  const long long requestBytes =
      StoredBytes(database, "PWD_REQUEST", {"USERID", "USEREMAIL", "RESPONSE"}) +
      StoredBytes(database, "NEW_USER_REQUEST",
                  {"FIRSTNAME", "LASTNAME", "COMPANYNAME", "POSITION", "MAILADDRESS", "PHONENUMBER", "STREET", "CITY",
                   "STATEORZIPCODE", "COUNTRY", "PASSWORD", "RESPONSE", "REQUESTDATE"});
  const long long reportBytes = StoredBytes(database, "RECEIVED_REPORT", {"CONTENT"});
  std::printf(
      "megabyte_requests_accepted=%ld megabyte_requests_stored_bytes=%lld reports_accepted=%ld "
      "reports_stored_bytes=%lld\n",
      requests, requestBytes, reports, reportBytes);
  return 0;
}

int RunSignIn(const std::string& url) {
  std::vector<std::thread> guesses;
  std::atomic<int> wrong{0};
  for (int i = 0; i < 12; ++i) {
    guesses.emplace_back([&, i] {
      TClient client(url, "127.0.0.21", true);
      if (client.Send(1, SignInStatement("wrong" + std::to_string(i))) == 200 && client.Answer() == "0") ++wrong;
    });
  }
  for (std::thread& t : guesses) t.join();
  TClient client(url, "127.0.0.21", true);
  const auto start = TClock::now();
  const long status = client.Send(1, SignInStatement(kPassword));
  std::printf("wrong_guesses_checked=%d signin_after_guesses_s=%.3f signin_status=%ld signin_answer=\"%s\"\n",
              wrong.load(), Seconds(TClock::now() - start), status, client.Answer().c_str());
  return 0;
}

// Seconds of a full download and small-request latencies while `load` runs,
// printed under `prefix` with the same figures without load first.
template <class Load>
void QuietThenLoaded(const std::string& url, double seconds, const char* prefix, Load load) {
  std::atomic<bool> stopNow{true};
  const TLatencies quiet = Probe(url, stopNow, 20);
  bool quietOk = false;
  const double quietDownload = Download(url, quietOk);
  std::atomic<bool> stopLoad{false};
  std::thread loader([&] { load(stopLoad); });
  const TLoaded loaded = MeasureUnderLoad(url, seconds, std::chrono::seconds(4));
  stopLoad = true;
  loader.join();
  std::printf(
      "quiet_small_ms_p50=%.2f quiet_download_s=%.3f %s_small_ms_p50=%.2f %s_small_ms_p99=%.2f %s_small_ms_max=%.2f "
      "%s_small_n=%zu %s_small_failed=%d %s_download_s=%.3f %s_download_ok=%d",
      quiet.Quantile(0.5), quietDownload, prefix, loaded.Small.Quantile(0.5), prefix, loaded.Small.Quantile(0.99),
      prefix, loaded.Small.Quantile(1.0), prefix, loaded.Small.Ms.size(), prefix, loaded.Small.Failed, prefix,
      loaded.DownloadSeconds, prefix, loaded.DownloadOk ? 1 : 0);
}

// A non-blocking connection from `from` to the server's port; -1 when it cannot be made.
int OpenFrom(const std::string& from, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(port);
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      (::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 && errno != EINPROGRESS)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::uint16_t PortOf(const std::string& base) {
  return static_cast<std::uint16_t>(std::atoi(base.substr(base.rfind(':') + 1).c_str()));
}

// A loopback address of the n-th of many clients: 127.1.(n / 250).(n % 250 + 1).
std::string Loopback(int n) { return "127.1." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1); }

// One entry per connection: `perAddress` connections from each of `addresses` addresses.
std::vector<std::string> Connections(int addresses, int perAddress, const std::function<std::string(int)>& address) {
  std::vector<std::string> from;
  for (int a = 0; a < addresses; ++a)
    for (int c = 0; c < perAddress; ++c) from.push_back(address(a));
  return from;
}

// Holds one connection from each entry of `from` until `stop`, each sending
// one byte of a request that never ends every two seconds and opened again
// when the server closes it; `reopened` counts the closes.
void TrickleFrom(std::uint16_t port, const std::vector<std::string>& from, const std::atomic<bool>& stop,
                 std::atomic<long>& reopened) {
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
  // A request that never ends: header lines without the blank line.
  const std::string text = "GET /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " + std::string(4096, 'a');
  struct TSlow {
    std::string From;
    int Fd = -1;
    std::size_t Sent = 0;
  };
  std::vector<TSlow> slow;
  for (const std::string& address : from) slow.push_back({address, -1, 0});
  auto reopen = [&](TSlow& s) {
    if (s.Fd >= 0) {
      ::close(s.Fd);
      ++reopened;
    }
    s.Fd = OpenFrom(s.From, port);
    s.Sent = 0;
  };
  for (TSlow& s : slow) reopen(s);
  reopened = 0;
  auto nextByte = TClock::now();
  while (!stop) {
    // A connection the server closed (end of stream or reset) is opened again.
    std::vector<pollfd> polls;
    for (const TSlow& s : slow) polls.push_back({s.Fd, POLLIN | POLLRDHUP, 0});
    ::poll(polls.data(), polls.size(), 100);
    for (std::size_t i = 0; i < slow.size(); ++i) {
      char buffer[512];
      if (slow[i].Fd < 0 || (polls[i].revents & (POLLIN | POLLRDHUP | POLLHUP | POLLERR)) != 0) {
        if (slow[i].Fd >= 0 && (polls[i].revents & POLLIN) && ::recv(slow[i].Fd, buffer, sizeof buffer, 0) > 0)
          continue;  // an answer (the server refused the request): read, the close comes later
        reopen(slow[i]);
      }
    }
    if (TClock::now() < nextByte) continue;
    nextByte += std::chrono::seconds(2);
    for (TSlow& s : slow) {
      if (s.Fd < 0) continue;
      const ssize_t n = ::send(s.Fd, text.data() + s.Sent % text.size(), 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n == 1)
        ++s.Sent;
      else if (errno != EAGAIN && errno != ENOTCONN && errno != EINPROGRESS)
        reopen(s);
    }
  }
  for (TSlow& s : slow)
    if (s.Fd >= 0) ::close(s.Fd);
}

// Sixteen trickling connections from each of `addresses` addresses from 127.0.0.100 on.
void Trickle(std::uint16_t port, int addresses, const std::atomic<bool>& stop, std::atomic<long>& reopened) {
  TrickleFrom(port, Connections(addresses, 16, [](int a) { return "127.0.0." + std::to_string(100 + a); }), stop,
              reopened);
}

int RunSlow(const std::string& url, const std::string& base, double seconds) {
  std::atomic<long> reopened{0};
  QuietThenLoaded(url, seconds, "slow",
                  [&](const std::atomic<bool>& stop) { Trickle(PortOf(base), 30, stop, reopened); });
  std::printf(" slow_reopened=%ld\n", reopened.load());
  return 0;
}

// A blocking connection from `from` with a five-second receive timeout; -1 when it cannot be made.
int ConnectFrom(const std::string& from, std::uint16_t port) {
  const int fd = OpenFrom(from, port);
  if (fd < 0) return -1;
  pollfd p{fd, POLLOUT, 0};
  if (::poll(&p, 1, 5000) != 1 || ::fcntl(fd, F_SETFL, 0) != 0) {
    ::close(fd);
    return -1;
  }
  const timeval timeout{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  return fd;
}

// Sends `request` from `from`: the first `headBytes` bytes at once, then, after
// `pause`, the rest in blocks of `block` bytes every `every` (all at once
// when `block` is 0), and reads the reply. True when it is status 200 and
// carries `expected`.
bool SendPaced(std::uint16_t port, const std::string& from, const std::string& request, std::size_t headBytes,
               std::chrono::milliseconds pause, std::size_t block, std::chrono::milliseconds every,
               const std::string& expected) {
  const int fd = ConnectFrom(from, port);
  if (fd < 0) return false;
  auto sendAll = [&](std::size_t first, std::size_t count) {
    return ::send(fd, request.data() + first, count, MSG_NOSIGNAL) == static_cast<ssize_t>(count);
  };
  bool sent = sendAll(0, headBytes);
  std::this_thread::sleep_for(pause);
  for (std::size_t at = headBytes; sent && at < request.size();) {
    const std::size_t count = block == 0 ? request.size() - at : std::min(block, request.size() - at);
    sent = sendAll(at, count);
    at += count;
    if (at < request.size()) std::this_thread::sleep_for(every);
  }
  std::string reply;
  char buffer[4096];
  for (ssize_t n = 0; sent && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
    reply.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return reply.rfind("HTTP/1.1 200", 0) == 0 && reply.find(expected) != std::string::npos;
}

std::string RawRequest(const char* method, const std::string& body) {
  return std::string(method) + " /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: " +
         "application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Starts `count` threads in `senders`, each sending a 200 KB report at 80 KB/s
// (8 KB every 100 ms) from 127.0.0.2; `ok` counts those answered "OK".
void SendSlowReports(std::uint16_t port, int count, std::vector<std::thread>& senders, std::atomic<int>& ok) {
  static const std::string report = RawRequest("POST", RequestBody(11, std::string(200 * 1000, 'r')));
  for (int i = 0; i < count; ++i)
    senders.emplace_back([port, &ok] {
      if (SendPaced(port, "127.0.0.2", report, 256, std::chrono::milliseconds(100), 8000,
                    std::chrono::milliseconds(100), "\"OK\""))
        ++ok;
    });
}

int RunUpload(const std::string& url, const std::string& base, double seconds) {
  const std::uint16_t port = PortOf(base);
  std::atomic<bool> stop{false};
  std::atomic<long> reopened{0};
  std::thread load([&] { Trickle(port, 60, stop, reopened); });
  std::this_thread::sleep_for(std::chrono::seconds(6));  // the trickle takes its places and ages
  // Seven 200 KB reports at 80 KB/s (8 KB every 100 ms) from 127.0.0.2, and
  // three password requests from 127.0.0.3 whose body follows the headers by 1.5 s.
  std::atomic<int> uploads{0}, delayed{0};
  std::vector<std::thread> senders;
  SendSlowReports(port, 7, senders, uploads);
  for (int i = 0; i < 3; ++i)
    senders.emplace_back([&, i] {
      const std::string body = RequestBody(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('late" +
                                                  std::to_string(i) + "@u.test','NC','1');");
      const std::string request = RawRequest("POST", body);
      if (SendPaced(port, "127.0.0.3", request, request.size() - body.size(), std::chrono::milliseconds(1500), 0,
                    std::chrono::milliseconds(0), "SENT"))
        ++delayed;
    });
  const TLoaded loaded = MeasureUnderLoad(url, seconds, std::chrono::seconds(0));
  for (std::thread& t : senders) t.join();
  stop = true;
  load.join();
  std::printf(
      "upload_200kb_at_80kbs_ok=%d/7 delayed_body_ok=%d/3 upload_small_ms_p50=%.2f upload_small_ms_p99=%.2f "
      "upload_small_failed=%d upload_download_s=%.3f upload_download_ok=%d upload_reopened=%ld\n",
      uploads.load(), delayed.load(), loaded.Small.Quantile(0.5), loaded.Small.Quantile(0.99), loaded.Small.Failed,
      loaded.DownloadSeconds, loaded.DownloadOk ? 1 : 0, reopened.load());
  return 0;
}

// 56 full downloads from four addresses (127.0.0.70 to 127.0.0.73, fourteen
// each), each read to 18 MB and then 8 KB every 250 ms: small requests and a
// full download from 127.0.0.1 meanwhile.
int RunHalfRead(const std::string& url, const std::string& base, double seconds) {
  const std::uint16_t port = PortOf(base);
  constexpr std::size_t kFast = std::size_t{18} << 20;
  const std::string request = RawRequest("GET", RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC"));
  std::atomic<bool> stop{false}, ready{false};
  std::atomic<int> cut{0};  // downloads that ended before 18 MB
  std::thread load([&] {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
    struct TReader {
      int Fd = -1;
      std::size_t Read = 0;
    };
    std::vector<TReader> readers;
    for (int a = 0; a < 4; ++a)
      for (int c = 0; c < 14; ++c) {
        const int fd = ConnectFrom("127.0.0." + std::to_string(70 + a), port);
        if (fd >= 0 &&
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
          ::close(fd);
          continue;
        }
        if (fd >= 0) readers.push_back({fd, 0});
      }
    std::vector<char> buffer(1 << 16);
    auto readSome = [&](TReader& r, std::size_t most) {
      const ssize_t n = ::recv(r.Fd, buffer.data(), std::min(most, buffer.size()), MSG_DONTWAIT);
      if (n > 0) r.Read += static_cast<std::size_t>(n);
      if (n == 0 || (n < 0 && errno != EAGAIN)) {
        ::close(r.Fd);
        r.Fd = -1;
        if (r.Read < kFast) ++cut;
      }
    };
    // As fast as they come, to 18 MB each.
    for (bool all = false; !all && !stop;) {
      std::vector<pollfd> polls;
      for (const TReader& r : readers)
        if (r.Fd >= 0 && r.Read < kFast) polls.push_back({r.Fd, POLLIN, 0});
      all = polls.empty();
      ::poll(polls.data(), polls.size(), 100);
      for (TReader& r : readers)
        if (r.Fd >= 0 && r.Read < kFast) readSome(r, kFast - r.Read);
    }
    ready = true;
    // Then slowly.
    while (!stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      for (TReader& r : readers)
        if (r.Fd >= 0) readSome(r, 8192);
    }
    for (TReader& r : readers)
      if (r.Fd >= 0) ::close(r.Fd);
  });
  const auto start = TClock::now();
  while (!ready && Seconds(TClock::now() - start) < 120) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double fill = Seconds(TClock::now() - start);
  const TLoaded loaded = MeasureUnderLoad(url, seconds, std::chrono::seconds(1));
  stop = true;
  load.join();
  std::printf(
      "halfread_fill_s=%.1f halfread_cut=%d halfread_small_ms_p50=%.2f halfread_small_ms_p99=%.2f "
      "halfread_small_ms_max=%.2f halfread_small_n=%zu halfread_small_failed=%d halfread_download_s=%.3f "
      "halfread_download_ok=%d\n",
      fill, cut.load(), loaded.Small.Quantile(0.5), loaded.Small.Quantile(0.99), loaded.Small.Quantile(1.0),
      loaded.Small.Ms.size(), loaded.Small.Failed, loaded.DownloadSeconds, loaded.DownloadOk ? 1 : 0);
  return 0;
}

// Reports of 256 KB from 26 addresses (127.0.0.160 to 127.0.0.185, forty
// each, within their daily shares): how long until they fill the total and
// whether a password request from another address is refused then; then the
// operator deletes every row of the three tables, and a password request and
// a report from a third address are sent.
int RunLedger(const std::string& url, const std::string& database) {
  const std::string report(256 * 1024, 'r');
  std::atomic<long> stored{0};
  std::atomic<double> fullAfter{0.0};
  const auto start = TClock::now();
  std::vector<std::thread> senders;
  for (int a = 0; a < 26; ++a)
    senders.emplace_back([&, a] {
      TClient client(url, "127.0.0." + std::to_string(160 + a), false);
      for (int n = 0; n < 40; ++n) {
        if (client.Send(11, report) == 200 && client.Answer() == "OK") {
          ++stored;
        } else if (client.Answer().find("in all") != std::string::npos) {
          if (fullAfter.load() == 0.0) fullAfter = Seconds(TClock::now() - start);
          break;
        }
      }
    });
  for (std::thread& t : senders) t.join();
  auto password = [&](const char* from) {
    TClient client(url, from, true);
    return client.Send(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('o@o.test','NC','1');") == 200 &&
           client.Answer() == "SENT";
  };
  const bool storedWhenFull = password("127.0.0.190");
  // The operator's clean-up, from another program while the server runs.
  sqlite3* db = nullptr;
  bool cleaned = sqlite3_open(database.c_str(), &db) == SQLITE_OK;
  sqlite3_busy_timeout(db, 5000);
  cleaned =
      cleaned && sqlite3_exec(db, "DELETE FROM PWD_REQUEST; DELETE FROM NEW_USER_REQUEST; DELETE FROM RECEIVED_REPORT",
                              nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  const bool passwordAfter = password("127.0.0.191");
  TClient late(url, "127.0.0.191", true);
  const bool reportAfter = late.Send(11, report) == 200 && late.Answer() == "OK";
  std::printf(
      "ledger_reports_stored=%ld ledger_full_after_s=%.2f ledger_password_stored_when_full=%d ledger_cleaned=%d "
      "ledger_password_stored_after_clean=%d ledger_report_stored_after_clean=%d\n",
      stored.load(), fullAfter.load(), storedWhenFull ? 1 : 0, cleaned ? 1 : 0, passwordAfter ? 1 : 0,
      reportAfter ? 1 : 0);
  return 0;
}

int RunShares(const std::string& url, const std::string& database, double seconds) {
  auto pwd = [](const std::string& mail) {
    return std::pair{9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('" + mail + "','NC','1');"};
  };
  // Eight connections of one address.
  const long flooded =
      SendFor(url, "127.0.0.30", seconds, [&](long n) { return pwd("a" + std::to_string(n) + "@f.test"); }, 8);
  TClient other(url, "127.0.0.31", true);
  const bool otherStored = other.Send(9, pwd("other@o.test").second) == 200 && other.Answer() == "SENT";

  const std::string report(256 * 1024, 'r');
  std::atomic<long> reports{0};
  std::vector<std::thread> senders;
  for (int a = 0; a < 20; ++a)
    senders.emplace_back([&, a] {
      reports += SendFor(url, ("127.0.0." + std::to_string(40 + a)).c_str(), seconds,
                         [&](long) { return std::pair{11, report}; });
    });
  for (std::thread& t : senders) t.join();
  TClient late(url, "127.0.0.60", true);
  const bool lateStored = late.Send(11, report) == 200 && late.Answer() == "OK";
  std::printf(
      "flood_password_requests_stored=%ld flood_password_rows_in_table=%lld other_password_request_stored=%d "
      "flood_reports_stored=%ld flood_report_bytes=%lld other_report_stored=%d\n",
      flooded, SingleInteger(database, "SELECT COUNT(*) FROM PWD_REQUEST WHERE USERID LIKE '%@f.test'"), otherStored ? 1 : 0,
      reports.load(), StoredBytes(database, "RECEIVED_REPORT", {"CONTENT"}), lateStored ? 1 : 0);
  return 0;
}

// What real users get while a load holds the server's places: small
// requests from 127.0.0.1 (20 ms apart, each given up after 10 s), three
// 200 KB reports at 80 KB/s from 127.0.0.2, and two full downloads one after
// the other (each given up after 30 s), for `seconds`.
struct TUsers {
  TLatencies Small;
  int Uploads = 0;
  int Downloads = 0;
  double DownloadMax = 0.0;  // seconds of the slower download (to its failure)
};

TUsers MeasureUsers(const std::string& url, std::uint16_t port, double seconds) {
  TUsers users;
  const auto start = TClock::now();
  std::atomic<bool> stopProbe{false};
  std::thread probe([&] { users.Small = Probe(url, stopProbe, 5, 10); });
  std::atomic<int> uploads{0};
  std::vector<std::thread> senders;
  SendSlowReports(port, 3, senders, uploads);
  for (int i = 0; i < 2; ++i) {
    bool ok = false;
    users.DownloadMax = std::max(users.DownloadMax, Download(url, ok, 30));
    users.Downloads += ok ? 1 : 0;
  }
  for (std::thread& t : senders) t.join();
  users.Uploads = uploads;
  while (Seconds(TClock::now() - start) < seconds) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  stopProbe = true;
  probe.join();
  return users;
}

void PrintUsers(const char* prefix, const TUsers& users) {
  std::printf(
      " %s_small_ms_p50=%.2f %s_small_ms_p99=%.2f %s_small_n=%zu %s_small_failed=%d %s_uploads_ok=%d/3 "
      "%s_downloads_ok=%d/2 %s_download_max_s=%.2f",
      prefix, users.Small.Quantile(0.5), prefix, users.Small.Quantile(0.99), prefix, users.Small.Ms.size(), prefix,
      users.Small.Failed, prefix, users.Uploads, prefix, users.Downloads, prefix, users.DownloadMax);
}

// Holds one kept-alive connection from each entry of `from` until `stop`,
// each asking for the banner every `period` and opened again when the
// server closes it: `answered` counts the replies, `reopened` the closes.
void KeepAliveFlood(std::uint16_t port, const std::vector<std::string>& from, std::chrono::milliseconds period,
                    const std::atomic<bool>& stop, std::atomic<long>& answered, std::atomic<long>& reopened) {
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
  const std::string request = "GET /Default HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  struct TKept {
    std::string From;
    int Fd = -1;
    bool Waiting = false;  // a request sent, its reply not whole yet
    std::string Reply;
    TClock::time_point Next;
  };
  std::vector<TKept> kept;
  const auto start = TClock::now();
  for (std::size_t i = 0; i < from.size(); ++i)
    kept.push_back({from[i], -1, false, {}, start + period * static_cast<long>(i) / static_cast<long>(from.size())});
  auto reopen = [&](TKept& k, bool count) {
    if (k.Fd >= 0) ::close(k.Fd);
    if (count) ++reopened;
    k.Fd = OpenFrom(k.From, port);
    k.Waiting = false;
    k.Reply.clear();
  };
  for (TKept& k : kept) reopen(k, false);
  std::vector<char> buffer(4096);
  while (!stop) {
    std::vector<pollfd> polls;
    for (const TKept& k : kept) polls.push_back({k.Fd, POLLIN | POLLRDHUP, 0});
    ::poll(polls.data(), polls.size(), 20);
    const auto now = TClock::now();
    for (std::size_t i = 0; i < kept.size(); ++i) {
      TKept& k = kept[i];
      if (k.Fd < 0 || (polls[i].revents & (POLLERR | POLLHUP)) != 0) {
        reopen(k, true);
        continue;
      }
      if (polls[i].revents & (POLLIN | POLLRDHUP)) {
        const ssize_t n = ::recv(k.Fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n <= 0) {
          reopen(k, true);
          continue;
        }
        k.Reply.append(buffer.data(), static_cast<std::size_t>(n));
        const std::size_t head = k.Reply.find("\r\n\r\n");
        const std::size_t length = k.Reply.find("Content-Length: ");
        if (head != std::string::npos && length != std::string::npos &&
            k.Reply.size() >= head + 4 + std::strtoul(k.Reply.c_str() + length + 16, nullptr, 10)) {
          ++answered;
          k.Waiting = false;
          k.Reply.clear();
        }
      }
      if (!k.Waiting && now >= k.Next) {
        k.Next = now + period;
        if (::send(k.Fd, request.data(), request.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
            static_cast<ssize_t>(request.size()))
          k.Waiting = true;
      }
    }
  }
  for (TKept& k : kept)
    if (k.Fd >= 0) ::close(k.Fd);
}

// 64 addresses x 16 kept-alive connections asking for the banner every 0.8 s.
int RunKeepAlive(const std::string& url, const std::string& base, double seconds) {
  const std::uint16_t port = PortOf(base);
  std::atomic<bool> stop{false};
  std::atomic<long> answered{0}, reopened{0};
  std::thread load([&] {
    KeepAliveFlood(port, Connections(64, 16, Loopback), std::chrono::milliseconds(800), stop, answered, reopened);
  });
  std::this_thread::sleep_for(std::chrono::seconds(4));  // the flood takes its places
  const long answeredBefore = answered;
  const auto start = TClock::now();
  const TUsers users = MeasureUsers(url, port, seconds);
  const double flooded = static_cast<double>(answered - answeredBefore) / Seconds(TClock::now() - start);
  stop = true;
  load.join();
  std::printf("keepalive_flood_answers_per_s=%.0f keepalive_reopened=%ld", flooded, reopened.load());
  PrintUsers("keepalive", users);
  std::printf("\n");
  return 0;
}

// `addresses` addresses x `perAddress` trickling connections (more than the server's places).
int RunOverflow(const std::string& url, const std::string& base, double seconds, int addresses, int perAddress) {
  const std::uint16_t port = PortOf(base);
  std::atomic<bool> stop{false};
  std::atomic<long> reopened{0};
  std::thread load([&] { TrickleFrom(port, Connections(addresses, perAddress, Loopback), stop, reopened); });
  std::this_thread::sleep_for(std::chrono::seconds(4));
  const TUsers users = MeasureUsers(url, port, seconds);
  stop = true;
  load.join();
  std::printf("overflow_connections=%d overflow_reopened=%ld", addresses * perAddress, reopened.load());
  PrintUsers("overflow", users);
  std::printf("\n");
  return 0;
}

// 17 addresses x 14 trickling connections, and one address holding 16 that
// it closes and opens again every 0.5 s, each sending half a request line:
// it holds the most connections, none of them old.
int RunHog(const std::string& url, const std::string& base, double seconds) {
  const std::uint16_t port = PortOf(base);
  std::atomic<bool> stop{false};
  std::atomic<long> reopened{0}, hogOpened{0};
  std::thread load([&] { TrickleFrom(port, Connections(17, 14, Loopback), stop, reopened); });
  std::thread hog([&] {
    std::vector<int> fds(16, -1);
    while (!stop) {
      for (int& fd : fds) {
        if (fd >= 0) ::close(fd);
        fd = OpenFrom("127.0.0.250", port);
        if (fd >= 0) {
          pollfd p{fd, POLLOUT, 0};
          if (::poll(&p, 1, 100) == 1) (void)::send(fd, "GET /Quo", 8, MSG_NOSIGNAL | MSG_DONTWAIT);
          ++hogOpened;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    for (int fd : fds)
      if (fd >= 0) ::close(fd);
  });
  std::this_thread::sleep_for(std::chrono::seconds(4));
  const TUsers users = MeasureUsers(url, port, seconds);
  stop = true;
  load.join();
  hog.join();
  std::printf("hog_opened=%ld trickle_reopened=%ld", hogOpened.load(), reopened.load());
  PrintUsers("hog", users);
  std::printf("\n");
  return 0;
}

// Bytes the server's sockets on `port` hold queued in the kernel (the w
// figure of ss's socket memory), summed; -1 when ss cannot tell.
long long ServerQueuedBytes(std::uint16_t port) {
  const std::string command = "ss -tmnH state established '( sport = :" + std::to_string(port) + " )' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  long long total = 0;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    const char* w = std::strstr(line, ",w");
    if (w) total += std::atoll(w + 2);
  }
  ::pclose(pipe);
  return total;
}

// 64 addresses x 16 full downloads read at 2 KB/s (512 bytes every 250 ms),
// each asked again when the server closes it.
int RunSlowRead(const std::string& url, const std::string& base, double seconds) {
  const std::uint16_t port = PortOf(base);
  const std::string request = RawRequest("GET", RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC"));
  std::atomic<bool> stop{false};
  std::atomic<long> reopened{0};
  std::atomic<long long> queuedMax{0};
  std::thread load([&] {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
    struct TReader {
      std::string From;
      int Fd = -1;
      bool Sent = false;
    };
    std::vector<TReader> readers;
    for (const std::string& from : Connections(64, 16, Loopback)) readers.push_back({from, OpenFrom(from, port), false});
    char buffer[512];
    while (!stop) {
      for (TReader& r : readers) {
        if (r.Fd >= 0 && !r.Sent)
          r.Sent = ::send(r.Fd, request.data(), request.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
                   static_cast<ssize_t>(request.size());
        const ssize_t n = r.Fd < 0 ? 0 : ::recv(r.Fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (r.Fd < 0 || n == 0 || (n < 0 && errno != EAGAIN && errno != ENOTCONN)) {
          if (r.Fd >= 0) ::close(r.Fd);
          ++reopened;
          r.Fd = OpenFrom(r.From, port);
          r.Sent = false;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    for (TReader& r : readers)
      if (r.Fd >= 0) ::close(r.Fd);
  });
  std::thread watch([&] {
    while (!stop) {
      queuedMax = std::max(queuedMax.load(), ServerQueuedBytes(port));
      std::this_thread::sleep_for(std::chrono::seconds(2));
    }
  });
  std::this_thread::sleep_for(std::chrono::seconds(8));  // the downloads fill their sockets and age
  const TUsers users = MeasureUsers(url, port, seconds);
  stop = true;
  load.join();
  watch.join();
  std::printf("slowread_reopened=%ld slowread_server_queued_mb_max=%.1f", reopened.load(),
              static_cast<double>(queuedMax.load()) / 1e6);
  PrintUsers("slowread", users);
  std::printf("\n");
  return 0;
}

// One reply on a kept-alive connection (Content-Length framed); false when
// the connection closed or five seconds passed first.
bool ReadOneReply(int fd, std::string* reply = nullptr) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const std::size_t head = text.find("\r\n\r\n");
    const std::size_t length = text.find("Content-Length: ");
    if (head != std::string::npos && length != std::string::npos &&
        text.size() >= head + 4 + std::strtoul(text.c_str() + length + 16, nullptr, 10)) {
      if (reply) *reply = text;
      return text.rfind("HTTP/1.1 200", 0) == 0;
    }
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// Whether the server has closed the connection (what it sent is dropped).
bool ClosedByServer(int fd) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
    if (n < 0) return false;
  }
}

const std::string kBanner = "GET /Default HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

// A kept-alive connection from `from` that asked for the banner; -1 when it was not answered.
int KeptFrom(const std::string& from, std::uint16_t port) {
  const int fd = ConnectFrom(from, port);
  if (fd < 0) return -1;
  if (::send(fd, kBanner.data(), kBanner.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(kBanner.size()) &&
      ReadOneReply(fd))
    return fd;
  ::close(fd);
  return -1;
}

// The asset list from `from` on a new connection, given up after ten seconds: whether it was answered.
bool SmallFrom(const std::string& url, const std::string& from) {
  TClient client(url, from, true, 10);
  return client.Send(6, "SELECT * FROM ASSET_LIST") == 200;
}

int RunKept40(const std::string& url, const std::string& base) {
  const std::uint16_t port = PortOf(base);
  std::vector<int> kept;
  for (int i = 0; i < 40; ++i) kept.push_back(KeptFrom("127.2.0." + std::to_string(i + 1), port));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  int ok = 0;
  double slowest = 0.0;
  for (const char* from : {"127.0.0.2", "127.0.0.3", "127.0.0.4"}) {
    const auto start = TClock::now();
    ok += SmallFrom(url, from) ? 1 : 0;
    slowest = std::max(slowest, Seconds(TClock::now() - start) * 1000.0);
  }
  int closed = 0;
  for (const int fd : kept) {
    closed += fd < 0 || ClosedByServer(fd) ? 1 : 0;
    if (fd >= 0) ::close(fd);
  }
  std::printf("kept40_newcomers_ok=%d/3 kept40_newcomer_ms_max=%.1f kept40_kept_closed=%d\n", ok, slowest, closed);
  return 0;
}

int RunOffice(const std::string& url, const std::string& base, double seconds) {
  const std::uint16_t port = PortOf(base);
  const std::string request = RawRequest("GET", RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC"));
  std::atomic<bool> stop{false}, stall{false};
  std::atomic<int> cut{0};  // downloads read at 64 KB/s that the server closed
  std::vector<int> downloads;
  for (int i = 0; i < 6; ++i) {
    const int fd = ConnectFrom("127.0.0.2", port);
    if (fd >= 0 && ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size()))
      downloads.push_back(fd);
  }
  std::thread reader([&] {
    // 16 KB every 250 ms from each; the first stops reading at the stall.
    std::vector<char> buffer(16 * 1024);
    std::vector<bool> open(downloads.size(), true);
    while (!stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      for (std::size_t i = 0; i < downloads.size(); ++i) {
        if (!open[i]) continue;
        if (i == 0 && stall) continue;
        const ssize_t n = ::recv(downloads[i], buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN)) {
          open[i] = false;
          ++cut;
        }
      }
    }
  });
  std::atomic<long> reopened{0};
  std::thread trickle([&] {
    TrickleFrom(port, Connections(34, 1, [](int a) { return "127.3.0." + std::to_string(a + 1); }), stop, reopened);
  });
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the trickles are old enough to go
  int users = 0;
  for (int i = 0; i < 3; ++i) users += SmallFrom(url, "127.0.0.2") ? 1 : 0;
  const int fresh = SmallFrom(url, "127.0.0.5") ? 1 : 0;
  const auto stalledAt = TClock::now();
  stall = true;
  int officeOk = 0, officeTried = 0, othersOk = 0, othersTried = 0;
  while (Seconds(TClock::now() - stalledAt) < seconds) {
    ++othersTried;
    othersOk += SmallFrom(url, "127.0.0.6") ? 1 : 0;
    ++officeTried;
    officeOk += SmallFrom(url, "127.0.0.2") ? 1 : 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  stop = true;
  reader.join();
  trickle.join();
  // Read to its end, the stalled download tells whether the server cut it.
  std::string rest;
  char buffer[1 << 16];
  for (ssize_t n = 0; !downloads.empty() && (n = ::recv(downloads[0], buffer, sizeof buffer, 0)) > 0;)
    rest.append(buffer, static_cast<std::size_t>(n)).erase(0, rest.size() > 16 ? rest.size() - 16 : 0);
  const bool stallCut = rest.size() < 5 || rest.compare(rest.size() - 5, 5, "0\r\n\r\n") != 0;
  for (const int fd : downloads) ::close(fd);
  std::printf(
      "office_users_ok=%d/3 office_fresh_ok=%d/1 office_stalled_cut=%d office_after_stall_ok=%d/%d "
      "others_after_stall_ok=%d/%d office_downloads_cut=%d\n",
      users, fresh, stallCut ? 1 : 0, officeOk, officeTried, othersOk, othersTried, cut.load());
  return 0;
}

int RunReuse(const std::string& url, const std::string& base) {
  const std::uint16_t port = PortOf(base);
  const int kept = KeptFrom("127.0.0.2", port);
  std::atomic<bool> stop{false};
  std::atomic<long> reopened{0};
  std::thread trickle([&] {
    TrickleFrom(port, Connections(29, 1, [](int a) { return "127.4.0." + std::to_string(a + 1); }), stop, reopened);
  });
  std::this_thread::sleep_for(std::chrono::seconds(5));  // the kept-alive connection idles
  std::atomic<int> smallOk{0}, smallTried{0};
  std::thread newcomers([&] {
    while (!stop) {
      ++smallTried;
      smallOk += SmallFrom(url, "127.0.0.1") ? 1 : 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  // A 100 KB report: its head at once, then 2 KB every 100 ms (20 KB/s).
  const std::string report = RawRequest("POST", RequestBody(11, std::string(100 * 1000, 'r')));
  std::size_t sent = 0;
  bool ok = kept >= 0;
  for (std::size_t at = 0; ok && at < report.size();) {
    const std::size_t count = std::min<std::size_t>(at == 0 ? 256 : 2048, report.size() - at);
    ok = ::send(kept, report.data() + at, count, MSG_NOSIGNAL) == static_cast<ssize_t>(count);
    if (ok) sent = at += count;
    if (at < report.size()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::string reply;
  ok = ok && ReadOneReply(kept, &reply) && reply.find("\"OK\"") != std::string::npos;
  stop = true;
  newcomers.join();
  trickle.join();
  if (kept >= 0) ::close(kept);
  std::printf("reuse_upload_ok=%d/1 reuse_upload_sent_kb=%.0f reuse_small_ok=%d/%d\n", ok ? 1 : 0,
              static_cast<double>(sent) / 1000.0, smallOk.load(), smallTried.load());
  return 0;
}

// Sends raw bytes from 127.0.0.1 and reads for up to two seconds: the
// replies' status codes joined by '+', and "closed" or "open" after them.
std::string RawExchange(std::uint16_t port, const std::string& bytes) {
  const int fd = ConnectFrom("127.0.0.1", port);
  if (fd < 0) return "no-connection";
  (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  const timeval wait{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  std::string reply;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  std::string statuses;
  for (std::size_t at = reply.find("HTTP/1.1 "); at != std::string::npos; at = reply.find("HTTP/1.1 ", at + 1))
    statuses += (statuses.empty() ? "" : "+") + reply.substr(at + 9, 3);
  return (statuses.empty() ? "none" : statuses) + (n == 0 ? ",closed" : ",open");
}

// Folded header lines, a victim's password request after five made up in
// their name elsewhere, start dates out of range, and the byte ledger after
// an operator's INSERT OR REPLACE.
int RunSmall(const std::string& url, const std::string& base, const std::string& database) {
  const std::uint16_t port = PortOf(base);
  const std::string body = RequestBody(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('f@f.test','NC','1');");
  const std::string head = "POST /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n";
  const std::string foldedValue =
      RawExchange(port, "GET /Default HTTP/1.1\r\nHost: 127.0.0.1\r\nX-A: a\r\n b\r\nConnection: close\r\n\r\n");
  const std::string foldedLength = RawExchange(
      port, head + "Content-Length:\r\n " + std::to_string(body.size()) + "\r\n\r\nGET /Default HTTP/1.1\r\nHost: x\r\n\r\n");
  auto password = [&](const char* from, const std::string& mail) {
    TClient client(url, from, true);
    client.Send(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('" + mail + "','NC','1');");
    return client.Answer();
  };
  char size[32];
  std::snprintf(size, sizeof size, "%zx", body.size());
  const std::string foldedTrailer =
      RawExchange(port, head + "Transfer-Encoding: chunked\r\n\r\n" + size + "\r\n" + body + "\r\n0\r\nX-T: a\r\n b\r\n\r\n");
  for (int i = 0; i < 5; ++i) password("127.0.0.30", "victim@v.test");
  const std::string victim = password("127.0.0.31", "victim@v.test");
  // Made up in a second victim's name with other values, then the victim's own request as the client sends it.
  for (int i = 0; i < 5; ++i) {
    TClient client(url, "127.0.0.34", true);
    client.Send(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('other@v.test','NC','" +
                       std::to_string(i + 2) + "');");
  }
  const std::string other = password("127.0.0.35", "other@v.test");
  const long long otherStored =
      SingleInteger(database, "SELECT COUNT(*) FROM PWD_REQUEST WHERE USERID='other@v.test' AND RESPONSE='1'");
  // An address past its share asks for a mail address asked for today, and for one never asked for.
  for (int i = 0; i < 20; ++i) password("127.0.0.36", "probe" + std::to_string(i) + "@v.test");
  auto shortly = [](const std::string& answer) { return answer == "SENT" ? answer : std::string("refused"); };
  const std::string probeKnown = shortly(password("127.0.0.36", "victim@v.test"));
  const std::string probeUnknown = shortly(password("127.0.0.36", "nobody@v.test"));
  TClient user(url, "127.0.0.32", false);
  user.Send(1, SignInStatement(kPassword));
  std::string startDates;
  for (const char* date : {"99999", "-1e300", "2"}) {
    user.Send(0, std::string("UPDATE LOGIN_LIST SET STARTDATETOUPDATE='") + date + "' WHERE USERID='" + kUser + "'");
    startDates += std::string(startDates.empty() ? "" : ",") + date + ":" + (user.Answer() == "OK" ? "OK" : "refused");
  }
  // A report, then the operator replaces it by a three-byte one.
  TClient reporter(url, "127.0.0.33", true);
  reporter.Send(11, std::string(1000, 'r'));
  sqlite3* db = nullptr;
  bool replaced = sqlite3_open(database.c_str(), &db) == SQLITE_OK;
  sqlite3_busy_timeout(db, 5000);
  replaced = replaced && sqlite3_exec(db,
                                      "INSERT OR REPLACE INTO RECEIVED_REPORT(ID, RECEIVEDAT, CONTENT) SELECT ID, "
                                      "RECEIVEDAT, 'abc' FROM RECEIVED_REPORT",
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  std::printf(
      "folded_value=%s folded_length=%s folded_trailer=%s victim_answer=\"%s\" other_values_answer=\"%s\" "
      "other_values_stored=%lld share_probe_known=%s share_probe_unknown=%s start_dates=%s replaced=%d "
      "ledger_reports=%lld true_reports=%lld\n",
      foldedValue.c_str(), foldedLength.c_str(), foldedTrailer.c_str(), victim.c_str(), other.c_str(), otherStored,
      probeKnown.c_str(), probeUnknown.c_str(), startDates.c_str(), replaced ? 1 : 0,
      SingleInteger(database, "SELECT BYTES FROM STORED_BYTES WHERE TABLENAME = 'RECEIVED_REPORT'"),
      StoredBytes(database, "RECEIVED_REPORT", {"CONTENT"}));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "Usage: %s speed BASE_URL [FLOOD_SECONDS] | bytes BASE_URL DATABASE [SECONDS] | signin BASE_URL | "
                 "shares BASE_URL DATABASE [SECONDS] | slow BASE_URL [SECONDS] | upload BASE_URL [SECONDS] | "
                 "halfread BASE_URL [SECONDS] | ledger BASE_URL DATABASE | keepalive|overflow|overflow1|hog|slowread "
                 "BASE_URL [SECONDS] | kept40|reuse BASE_URL | office BASE_URL [SECONDS] | small BASE_URL DATABASE\n",
                 argv[0]);
    return 2;
  }
  // Every connection takes a descriptor: the soft limit goes up to the hard one.
  if (rlimit files{}; getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const std::string mode = argv[1];
  const std::string url = std::string(argv[2]) + "QuorvaneDB";
  const double seconds = argc > 4 ? std::atof(argv[4]) : 3.0;
  int result = 2;
  if (mode == "speed") result = RunSpeed(url, argc > 3 ? std::atof(argv[3]) : 5.0);
  if (mode == "bytes" && argc > 3) result = RunBytes(url, argv[3], seconds);
  if (mode == "signin") result = RunSignIn(url);
  if (mode == "shares" && argc > 3) result = RunShares(url, argv[3], seconds);
  if (mode == "slow") result = RunSlow(url, argv[2], argc > 3 ? std::atof(argv[3]) : 10.0);
  if (mode == "upload") result = RunUpload(url, argv[2], argc > 3 ? std::atof(argv[3]) : 10.0);
  if (mode == "halfread") result = RunHalfRead(url, argv[2], argc > 3 ? std::atof(argv[3]) : 10.0);
  if (mode == "ledger" && argc > 3) result = RunLedger(url, argv[3]);
  const double loadSeconds = argc > 3 ? std::atof(argv[3]) : 15.0;
  if (mode == "keepalive") result = RunKeepAlive(url, argv[2], loadSeconds);
  if (mode == "overflow") result = RunOverflow(url, argv[2], loadSeconds, 671, 2);
  if (mode == "overflow1") result = RunOverflow(url, argv[2], loadSeconds, 354, 1);
  if (mode == "hog") result = RunHog(url, argv[2], loadSeconds);
  if (mode == "slowread") result = RunSlowRead(url, argv[2], loadSeconds);
  if (mode == "small" && argc > 3) result = RunSmall(url, argv[2], argv[3]);
  if (mode == "kept40") result = RunKept40(url, argv[2]);
  if (mode == "office") result = RunOffice(url, argv[2], argc > 3 ? std::atof(argv[3]) : 10.0);
  if (mode == "reuse") result = RunReuse(url, argv[2]);
  curl_global_cleanup();
  return result;
}
