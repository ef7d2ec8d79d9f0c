// quorvane-dataserver: the stand-in data server of Quorvane.
//   quorvane-dataserver [--listen HOST:PORT] [--db PATH] [--generate] [--seed N] [--max-connections N]
//                       [--max-per-ip N] [--request-timeout S]

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"

namespace {

// The write end of a pipe that the signal handler writes to; the main thread
// waits on the read end. Whatever thread takes the signal, the stop is clean.
int gStopPipe[2] = {-1, -1};

void OnStopSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(gStopPipe[1], &byte, 1);
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: quorvane-dataserver [options]\n"
               "  --listen HOST:PORT  address to listen on (default 127.0.0.1:8082)\n"
               "  --db PATH           server database file (default dataserver.sqlite)\n"
               "  --generate          write the sample data into the file when it is missing or empty\n"
               "  --seed N            seed of the sample data (default %llu)\n"
               "  --max-connections N open connections in all (default %u, at most what the descriptor limit,\n"
               "                      raised to the hard limit at start, leaves); at the limit a newcomer takes\n"
               "                      the place of a connection making no progress at 8 KB/s (silent, or its\n"
               "                      request or reply slower), first of an address that had one closed so\n"
               "                      within 30 s, then of the address holding most such, its oldest\n"
               "  --max-per-ip N      open connections from one client address (default 16)\n"
               "  --request-timeout S seconds a connection may stay silent, and for a request to arrive whole\n"
               "                      after its first byte (default 10)\n"
               "  --help              this text\n"
               "\n"
               "Requests and reports that clients send are kept in the database's tables PWD_REQUEST,\n"
               "NEW_USER_REQUEST and RECEIVED_REPORT (RECEIVEDAT: the day received, in days since 30 Dec 1899).\n"
               "One address may store 20 requests of each kind, 40 reports and 16 MiB a day, checked first.\n"
               "One mail address may be named by 5 requests of each kind a day from each address. A password\n"
               "request equal to one stored within the day (the mail address in any letter case) is answered\n"
               "as sent and not stored again, counted on its address's share all the same. All together the\n"
               "tables take 10,000 rows of each kind, the repeats answered within the day counting on their\n"
               "kind's, and 256 MiB; then every such write is refused, a repeat as a new one. Deal with the\n"
               "rows and delete them, with the server running or not; each row deleted frees its place at\n"
               "once:\n"
               "  sqlite3 PATH \"DELETE FROM RECEIVED_REPORT WHERE RECEIVEDAT < julianday('now') - 2415018.5 - 30\"\n"
               "  sqlite3 PATH \"DELETE FROM PWD_REQUEST\"   (likewise NEW_USER_REQUEST)\n",
               static_cast<unsigned long long>(qvserver::kDefaultSampleSeed), qvserver::TDataServerOptions{}.MaxConnections);
}

// Splits "host:port" or "[v6]:port"; false when the text is not of that form.
bool SplitListen(const std::string& text, std::string& host, unsigned& port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
  host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || value > 65535) return false;
  port = static_cast<unsigned>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string listen = "127.0.0.1:8082";
  std::string dbPath = "dataserver.sqlite";
  bool generate = false;
  qvserver::TSampleDataOptions sample;
  qvserver::TDataServerOptions serverOptions;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return 0;
    } else if (arg == "--listen" && hasValue) {
      listen = argv[++i];
    } else if (arg == "--db" && hasValue) {
      dbPath = argv[++i];
    } else if (arg == "--generate") {
      generate = true;
    } else if (arg == "--seed" && hasValue) {
      char* end = nullptr;
      sample.Seed = std::strtoull(argv[++i], &end, 10);
      if (*end != '\0') {
        std::fprintf(stderr, "Invalid seed: %s\n", argv[i]);
        return 2;
      }
    } else if ((arg == "--max-connections" || arg == "--max-per-ip" || arg == "--request-timeout") && hasValue) {
      char* end = nullptr;
      const unsigned long value = std::strtoul(argv[++i], &end, 10);
      if (*end != '\0' || value == 0 || value > 100000) {
        std::fprintf(stderr, "Invalid %s value: %s\n", arg.c_str(), argv[i]);
        return 2;
      }
      if (arg == "--max-connections")
        serverOptions.MaxConnections = static_cast<unsigned>(value);
      else if (arg == "--max-per-ip")
        serverOptions.MaxConnectionsPerIp = static_cast<unsigned>(value);
      else
        serverOptions.RequestTimeout = std::chrono::seconds(value);
    } else {
      std::fprintf(stderr, "Unknown or incomplete option: %s\n", arg.c_str());
      PrintUsage(stderr);
      return 2;
    }
  }
  std::string host;
  unsigned port = 0;
  if (!SplitListen(listen, host, port)) {
    std::fprintf(stderr, "Invalid --listen value (expected HOST:PORT): %s\n", listen.c_str());
    return 2;
  }

  try {
    const bool existed = std::filesystem::exists(dbPath);
    if (!existed && !generate) {
      std::fprintf(stderr, "Database %s does not exist (use --generate to create the sample set)\n", dbPath.c_str());
      return 1;
    }
    qvserver::TServerStore store(dbPath);
    if (generate && store.IsEmpty()) {
      std::fprintf(stderr, "Writing sample data (seed %llu) into %s ...\n",
                   static_cast<unsigned long long>(sample.Seed), dbPath.c_str());
      qvserver::WriteSampleData(store, sample);
      std::fprintf(stderr, "Sample data written: %lld monthly rows, %lld daily rows\n",
                   static_cast<long long>(store.CountRows("DATA")),
                   static_cast<long long>(store.CountRows("DATA_BIS")));
    }

    if (pipe(gStopPipe) != 0) {
      std::fprintf(stderr, "Cannot create the stop pipe\n");
      return 1;
    }
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Every connection takes a descriptor: the soft limit goes up to the hard one.
    if (rlimit files{}; getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
      files.rlim_cur = files.rlim_max;
      setrlimit(RLIMIT_NOFILE, &files);
    }
    qvserver::DataServer server(store, serverOptions);
    std::string error;
    if (!server.Start(host, static_cast<std::uint16_t>(port), error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    std::fprintf(stderr, "Quorvane data server listening on %s:%u (database %s)\n", host.c_str(), server.Port(),
                 dbPath.c_str());
    unsigned char received = 0;
    while (read(gStopPipe[0], &received, 1) < 0 && errno == EINTR) {
    }
    std::fprintf(stderr, "Signal %d received, stopping ...\n", static_cast<int>(received));
    server.Stop();
    std::fprintf(stderr, "Stopped.\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Data server failure: %s\n", e.what());
    return 1;
  }
  return 0;
}
