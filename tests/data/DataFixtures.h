#pragma once
// Shared set-up of the data-layer tests: record builders and texts, the
// sqlite3 shell, a foreign connection holding a file's lock, and a private
// home folder with the one local-database object.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "data/DataRow.h"
#include "data/LocalQuorvaneDB.h"
#include "data/TempDir.h"

inline TDataRow Row(const std::string& country, const std::string& asset, double date, double value) {
  return TDataRow{country, asset, TDataPoint{date, value}};
}

inline TAssetSeries Asset(const std::string& id, const std::string& title, int type) {
  TAssetSeries asset;
  asset.ID = id;
  asset.Title = title;
  asset.Type = type;
  return asset;
}

// Every listed field of a country joined by '|', ending in its number of assets.
inline std::string CountryText(const TCountry& c) {
  std::ostringstream text;
  text.precision(15);
  text << c.Name << '|' << c.RegionName << '|' << c.Currency << '|' << c.IndexName << '|' << c.IndexTicker << '|'
       << c.Rank << '|' << c.RegionRank << '|' << c.IsDevelopped << '|' << c.ReverseQuote << '|' << c.EstimationDate
       << '|' << c.EstimatedSignal << '|'
       << c.IndexAssets.size() + c.RiskFreeAssets.size() + c.RuleAssets.size() + c.SignalAssets.size() +
              c.SpotFxAssets.size();
  return text.str();
}

// Output of the sqlite3 command-line shell run on a file.
inline std::string ShellOutput(const std::string& file, const std::string& command) {
  FILE* pipe = ::popen(("sqlite3 '" + file + "' '" + command + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) return {};
  std::string output;
  char buffer[4096];
  for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

// Another program's connection that runs `sql` (taking the file's lock) and
// rolls back and closes on Release or at the end of the scope.
class ForeignLock {
 public:
  explicit ForeignLock(const std::string& file, const char* sql = "BEGIN EXCLUSIVE") {
    Locked =
        sqlite3_open(file.c_str(), &Db_) == SQLITE_OK && sqlite3_exec(Db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~ForeignLock() { Release(); }
  ForeignLock(const ForeignLock&) = delete;
  ForeignLock& operator=(const ForeignLock&) = delete;
  void Release() {
    if (Db_ == nullptr) return;
    sqlite3_exec(Db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(Db_);
    Db_ = nullptr;
  }
  bool Locked = false;

 private:
  sqlite3* Db_ = nullptr;
};

// The bytes of a file ("" when it cannot be read).
inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Ways a database file is found damaged: bytes that are no database, a file
// cut to half its length, a page in the middle overwritten.
enum class TDamage { Garbage, CutInHalf, PageOverwritten };

inline const char* DamageName(TDamage damage) {
  return damage == TDamage::Garbage ? "garbage" : damage == TDamage::CutInHalf ? "cut in half" : "page overwritten";
}

inline void DamageFile(const std::string& path, TDamage damage) {
  const std::string bytes = FileBytes(path);
  std::string damaged = bytes;
  if (damage == TDamage::Garbage) damaged = std::string(8192, 'x');
  if (damage == TDamage::CutInHalf) damaged.resize(bytes.size() / 2);
  if (damage == TDamage::PageOverwritten) damaged.replace(bytes.size() / 2, 4096, 4096, '\x55');
  std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;
}

// Makes a file (or a folder) read-only for this process while it lives:
// mode 0444 (folder 0555) and, for a process that may write whatever the
// mode (root), the file system's immutable flag. Effective() tells whether
// the file now refuses writing (the folder refuses a new file).
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(std::string path, bool folder = false) : Path_(std::move(path)), Folder_(folder) {
    ::chmod(Path_.c_str(), Folder_ ? 0555 : 0444);
    if (Writable()) SetImmutable(true);
  }
  ~ReadOnlyFile() {
    if (Immutable_) SetImmutable(false);
    ::chmod(Path_.c_str(), Folder_ ? 0755 : 0644);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  bool Effective() const { return !Writable(); }

 private:
  bool Writable() const {
    const std::string probe = Path_ + "/.probe";
    const int fd = Folder_ ? ::open(probe.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600) : ::open(Path_.c_str(), O_RDWR);
    if (fd < 0) return false;
    ::close(fd);
    if (Folder_) ::unlink(probe.c_str());
    return true;
  }
  void SetImmutable(bool on) {
    const int fd = ::open(Path_.c_str(), O_RDONLY);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) Immutable_ = on;
    }
    ::close(fd);
  }
  std::string Path_;
  bool Folder_;
  bool Immutable_ = false;
};

// Runs part of a test in a forked child as an ordinary user, for whom file
// modes hold (a root process's child takes user and group 65534 once the
// paths are handed to it), printing its own failures. Returns the child's
// exit status: 0 passed, 77 no ordinary user to run as, else failed.
template <typename Body>
int RunAsOrdinaryUser(const std::vector<std::string>& paths, const Body& body) {
  const bool root = ::geteuid() == 0;
  for (const std::string& path : paths)
    if (root && ::chown(path.c_str(), 65534, 65534) != 0) return 77;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (root && (::setgroups(0, nullptr) || ::setresgid(65534, 65534, 65534) || ::setresuid(65534, 65534, 65534)))
      ::_exit(77);
    ::prctl(PR_SET_DUMPABLE, 1);  // the sanitizers read the process's own maps
    [&]() noexcept { body(); }();  // an exception ends the child, never back into the test runner
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 1 << 8;
  if (child > 0) ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

#define RUN_AS_ORDINARY_USER(paths, body)                                   \
  do {                                                                      \
    const int status_ = RunAsOrdinaryUser(paths, body);                     \
    if (status_ == 77) GTEST_SKIP() << "no ordinary user to run as";        \
    ASSERT_EQ(status_, 0) << "failed as an ordinary user (see its output)"; \
  } while (false)

// A private home folder and the local-database object, not yet connected;
// waits for a foreign lock 50 ms only.
class LocalDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Home = Temp.UseAsHome();
    Db.BusyTimeoutMs = 50;
  }
  // Connects to the file of `kind` and creates its tables.
  void Open(int kind) {
    Db.DatabaseKind = kind;
    Db.Connect();
    ASSERT_EQ(Db.LastMessage, "");
    ASSERT_TRUE(kind == kMarketDataDatabase ? Db.CreateMarketDataTables() : Db.CreateUserSettingsTables());
  }

  std::int64_t Count(const std::string& sql) { return Db.Connection().QueryInt(sql); }
  std::int64_t RowCount(const std::string& table) { return Count("SELECT count(*) FROM " + table); }
  std::vector<std::int64_t> RowCounts(std::initializer_list<const char*> tables) {
    std::vector<std::int64_t> counts;
    for (const char* table : tables) counts.push_back(RowCount(table));
    return counts;
  }
  // The rows of a query, each with its cells as text joined by '|'.
  std::vector<std::string> Query(const std::string& sql) {
    std::vector<std::string> rows;
    auto statement = Db.Connection().Prepare(sql);
    while (statement.Step()) {
      std::string row;
      for (int i = 0; i < statement.ColumnCount(); ++i) row += (i > 0 ? "|" : "") + statement.ColumnText(i);
      rows.push_back(row);
    }
    return rows;
  }
  std::string File(const std::string& name) const { return Home + "/" + name; }

  TempDir Temp;
  std::string Home;
  TLocalQuorvaneDB Db;
};

// The local-database object connected to its file of `Kind`, tables created.
template <int Kind>
class OpenDbTest : public LocalDbTest {
 protected:
  void SetUp() override {
    LocalDbTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(Open(Kind));
  }
};
