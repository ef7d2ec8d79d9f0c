// Reading a kind-8 reply (table rows) into TDataRow: rows per second and the
// memory the read needs on top of the reply text; and the whole download of
// the largest reply the client accepts (just under kDefaultMaxReplyBytes)
// from a loopback server through libcurl and the client, where the peak must
// stay under twice the reply (its body, read as it arrives, plus the rows).
//
// Memory is measured by counting the bytes held through operator new: the
// peak of live bytes during one read, minus the bytes live before it.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "data/QVDBClient.h"
#include "data/QVDBCodec.h"
#include "platform/CurlTransport.h"

namespace {

constexpr std::size_t kRows = 300000;

// 40 countries x 18 assets per date, dates from 1990 (monthly, or daily for
// replies too long for monthly dates up to today), values with the digits a
// stored price or rate carries.
std::string MakeTableReply(std::size_t rowCount, double daysPerDate = 30.4375) {
  std::vector<TDataRow> rows;
  rows.reserve(rowCount);
  const char* assets[18] = {"EQINDEX",        "10YRATEINDEX",   "AUINDEX", "IBINDEX1", "IBINDEX2", "CASH",
                            "RISKFREEASSET1", "RISKFREEASSET2", "RULE2",   "BLSIGNAL", "QVSIGNAL", "SPOTFX",
                            "ASSET13",        "ASSET14",        "ASSET15", "ASSET16",  "ASSET17",  "ASSET18"};
  for (std::size_t i = 0; i < rowCount; ++i) {
    const std::size_t date = i / (40 * 18), country = (i / 18) % 40, asset = i % 18;
    TDataRow row;
    row.CountryName = "COUNTRY NAME " + std::to_string(country);
    row.AssetId = assets[asset];
    row.Point.Date = 32874.0 + daysPerDate * static_cast<double>(date);
    row.Point.Value = std::round(1000.0 * (100.0 + 50.0 * std::sin(0.001 * static_cast<double>(i)))) / 1000.0;
    rows.push_back(std::move(row));
  }
  return WriteTableRowsReply(rows, "");
}

const std::string& TableReply() {
  static const std::string reply = MakeTableReply(kRows);
  return reply;
}

// Rows and bytes per second, and the peak heap against the reply size.
void ReportRead(benchmark::State& state, std::size_t rowCount, std::size_t replyBytes, std::size_t peakExtra) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rowCount));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * replyBytes));
  state.counters["rows"] = static_cast<double>(rowCount);
  state.counters["reply_MB"] = static_cast<double>(replyBytes) / 1e6;
  state.counters["peak_heap_MB"] = static_cast<double>(peakExtra) / 1e6;
  state.counters["peak_per_reply_byte"] = static_cast<double>(peakExtra) / static_cast<double>(replyBytes);
}

// The reply read by ReadTableRowsReply (argument 0: the slices read by
// simdjson) or by the general reader alone (argument 1: what a reply in
// another layout gets, and the reader before the slices).
void BM_ReadTableRowsReply(benchmark::State& state) {
  const bool inFull = state.range(0) != 0;
  const std::string& reply = TableReply();
  std::size_t peakExtra = 0;
  std::size_t rowCount = 0;
  for (auto _ : state) {
    TDataRowSet rows;
    std::string error;
    const std::size_t before = allocation_counter::LiveBytes();
    allocation_counter::ResetPeak();
    if (inFull)
      ReadTableRowsReplyInFull(error, reply, rows);
    else
      ReadTableRowsReply(error, reply, rows);
    peakExtra = allocation_counter::PeakBytes() - before;
    rowCount = rows.size();
    if (!error.empty() || rowCount != kRows) state.SkipWithError(error.empty() ? "row count" : error.c_str());
    benchmark::DoNotOptimize(rows.Rows().data());
  }
  ReportRead(state, rowCount, reply.size(), peakExtra);
  state.counters["row_bytes"] = static_cast<double>(sizeof(TDataRowSet::TRow));
}
BENCHMARK(BM_ReadTableRowsReply)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Serves one HTTP/1.1 exchange on 127.0.0.1: reads the request (head and
// Content-Length body) and answers 200 with body and its length, or without
// length in 64 KB chunks (as the data server streams a table).
class OneReplyServer {
 public:
  OneReplyServer(const std::string& body, bool chunked) : Chunked_(chunked) {
    Listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (Listener_ < 0 || bind(Listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(Listener_, 1) != 0)
      return;
    socklen_t length = sizeof address;
    getsockname(Listener_, reinterpret_cast<sockaddr*>(&address), &length);
    Port = ntohs(address.sin_port);
    Thread_ = std::thread([this, &body] { Serve(body); });
  }
  ~OneReplyServer() {
    if (Thread_.joinable()) Thread_.join();
    if (Listener_ >= 0) close(Listener_);
  }
  int Port = 0;

 private:
  void Serve(const std::string& body) {
    const int connection = accept(Listener_, nullptr, nullptr);
    if (connection < 0) return;
    char buffer[4096];
    std::size_t headEnd = std::string::npos, bodyLength = 0;
    std::string request;  // small: a request head and its SQL body
    while (headEnd == std::string::npos || request.size() < headEnd + 4 + bodyLength) {
      const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
      if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos) {
        const auto at = request.find("Content-Length:");
        if (at != std::string::npos && at < headEnd) bodyLength = std::strtoul(request.c_str() + at + 15, nullptr, 10);
      }
    }
    const auto sendAll = [connection](const char* data, std::size_t size) {
      std::size_t sent = 0;
      while (sent < size) {
        const ssize_t n = send(connection, data + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
      }
      return true;
    };
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n" +
                             (Chunked_ ? std::string("Transfer-Encoding: chunked")
                                       : "Content-Length: " + std::to_string(body.size())) +
                             "\r\n\r\n";
    bool ok = sendAll(head.data(), head.size());
    if (!Chunked_) {
      ok = ok && sendAll(body.data(), body.size());
    } else {
      constexpr std::size_t kChunk = 64 * 1024;
      for (std::size_t at = 0; ok && at < body.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, body.size() - at);
        char size[32];
        const int length = std::snprintf(size, sizeof size, "%zx\r\n", n);
        ok = sendAll(size, static_cast<std::size_t>(length)) && sendAll(body.data() + at, n) && sendAll("\r\n", 2);
      }
      ok = ok && sendAll("0\r\n\r\n", 5);
    }
    close(connection);
  }
  bool Chunked_ = false;
  int Listener_ = -1;
  std::thread Thread_;
};

// The largest reply accepted (rows up to just under kDefaultMaxReplyBytes,
// 64 MiB), read with GetTableRowsSince over loopback HTTP, with an announced
// length (argument 0) or streamed in chunks (argument 1).
void BM_DownloadTableRowsOverHttp(benchmark::State& state) {
  const bool chunked = state.range(0) != 0;
  static const std::string reply = [] {
    // Rows average about 88 bytes: 1 % fewer than fill the cap.
    std::string text = MakeTableReply(kDefaultMaxReplyBytes / 89, 1.0);
    return text.size() <= kDefaultMaxReplyBytes ? text : std::string();
  }();
  std::size_t peakExtra = 0;
  std::size_t rowCount = 0;
  for (auto _ : state) {
    state.PauseTiming();
    platform::CurlTransport transport;
    TQVDBClient client(transport, "NO_RESULT");
    client.SetProxySource([] { return TProxySettings{}; });
    OneReplyServer server(reply, chunked);
    client.SetBaseUrl("http://127.0.0.1:" + std::to_string(server.Port) + "/");
    const std::size_t before = allocation_counter::LiveBytes();
    allocation_counter::ResetPeak();
    state.ResumeTiming();
    TDataRowSet rows = client.GetTableRowsSince("DATA", 2.0);
    state.PauseTiming();
    peakExtra = allocation_counter::PeakBytes() - before;
    rowCount = rows.size();
    if (!client.LastMessage.empty() || rowCount == 0)
      state.SkipWithError(client.LastMessage.empty() ? "no rows" : client.LastMessage.c_str());
    else if (peakExtra >= 2 * reply.size())
      state.SkipWithError("peak heap of twice the reply or more");
    benchmark::DoNotOptimize(rows.Rows().data());
    rows = {};
    state.ResumeTiming();
  }
  ReportRead(state, rowCount, reply.size(), peakExtra);
}
BENCHMARK(BM_DownloadTableRowsOverHttp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
