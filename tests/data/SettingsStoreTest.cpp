// The typed key=value settings file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/TempDir.h"
#include "platform/SettingsStore.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  // The names of the files in the folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Temp.Path())) names.push_back(entry.path().filename());
    return names;
  }
  std::string FileText() const {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  TempDir Temp;
  const std::string Path = Temp / "registry.conf";
  platform::SettingsStore Store{Path};
};

TEST_F(SettingsStoreTest, MissingFileIsAnEmptyStoreAndItsFolderIsCreated) {
  platform::SettingsStore store(Temp / "a/b/registry.conf");
  EXPECT_TRUE(store.Load());
  EXPECT_EQ(store.Size(), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(Temp / "a/b"));
  EXPECT_FALSE(std::filesystem::exists(Temp / "a/b/registry.conf"));
  EXPECT_FALSE(store.ReadString("Username").has_value());
  EXPECT_FALSE(store.ReadInteger("RememberMe").has_value());
}

TEST_F(SettingsStoreTest, TypedValuesRoundTripThroughTheFile) {
  ASSERT_TRUE(Store.Load());
  Store.WriteString("Username", "demo@quorvane.test");
  Store.WriteFloat("LastUsingDate", 46000.125);
  Store.WriteFloat("Tiny", 0.1);
  Store.WriteInteger("RememberMe", -7);
  Store.WriteBool("Flag", true);
  Store.Save();
  platform::SettingsStore store(Path);
  ASSERT_TRUE(store.Load());
  EXPECT_EQ(store.Size(), 5u);
  EXPECT_EQ(store.ReadString("Username"), "demo@quorvane.test");
  EXPECT_EQ(store.ReadFloat("LastUsingDate"), 46000.125);
  EXPECT_EQ(store.ReadFloat("Tiny"), 0.1);  // exact: shortest round-trip text
  EXPECT_EQ(store.ReadInteger("RememberMe"), -7);
  EXPECT_EQ(store.ReadBool("Flag"), true);
  // A value of another kind reads as missing.
  EXPECT_FALSE(store.ReadInteger("Username").has_value());
  EXPECT_FALSE(store.ReadString("RememberMe").has_value());
  EXPECT_FALSE(store.ReadBool("RememberMe").has_value());
  EXPECT_EQ(store.KindOf("Flag"), platform::SettingKind::Bool);
  // Writing another kind replaces the value.
  store.WriteString("RememberMe", "yes");
  EXPECT_EQ(store.ReadString("RememberMe"), "yes");
  EXPECT_TRUE(store.Remove("RememberMe"));
  EXPECT_FALSE(store.Contains("RememberMe"));
}

class SettingsEscapeTest : public SettingsStoreTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(SettingsEscapeTest, NamesAndValuesRoundTrip) {
  const std::string text = GetParam();
  Store.Load();
  Store.WriteString("key " + text, text);
  Store.WriteString("after", "still here");
  Store.Save();
  platform::SettingsStore store(Path);
  ASSERT_TRUE(store.Load());
  EXPECT_EQ(store.ReadString("key " + text), text);
  EXPECT_EQ(store.ReadString("after"), "still here");
  EXPECT_EQ(store.Size(), 2u);
  EXPECT_EQ(platform::SettingsStore::Unescape(platform::SettingsStore::Escape(text)), text);
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingsEscapeTest,
                         ::testing::Values(std::string(), "plain", "a=b=c", "=", "line1\nline2", "\n\n", "cr\r\nlf",
                                           "back\\slash", "trailing\\", "\\n is not a newline", "\\=", "x:y",
                                           "s:looks like a tag", "Zürich €", std::string("nul\0inside", 10)));

TEST_F(SettingsStoreTest, EscapedFileHasOneLinePerValue) {
  Store.Load();
  Store.WriteString("a=b", "x\ny\\z");
  Store.Save();
  EXPECT_EQ(FileText(), "a\\=b=s:x\\ny\\\\z\n");
}

TEST_F(SettingsStoreTest, FileIsPrivateAndReplacedWithoutLeftovers) {
  std::ofstream(Path) << "Old=s:value\n";
  ::chmod(Path.c_str(), 0644);
  ASSERT_TRUE(Store.Load());
  EXPECT_EQ(Store.ReadString("Old"), "value");
  for (int i = 0; i < 5; ++i) {
    Store.WriteInteger("Counter", i);
    Store.Save();
  }
  struct stat info {};
  ASSERT_EQ(::stat(Path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(Files(), std::vector<std::string>{"registry.conf"});
  platform::SettingsStore reread(Path);
  ASSERT_TRUE(reread.Load());
  EXPECT_EQ(reread.ReadInteger("Counter"), 4);
}

TEST_F(SettingsStoreTest, FailedSaveThrowsAndKeepsTheOldFile) {
  // The target path is a folder: the rename cannot replace it.
  std::filesystem::create_directories(Path);
  Store.WriteString("A", "1");
  EXPECT_THROW(Store.Save(), platform::SettingsError);
  EXPECT_EQ(Files(), std::vector<std::string>{"registry.conf"});
  EXPECT_TRUE(std::filesystem::is_directory(Path));
}

// Leftovers of saves killed before their rename are removed by the next save:
// files of this store's temporary name that are older than a minute. A young
// one may be another save in progress, and other names are not ours.
TEST_F(SettingsStoreTest, SaveRemovesTemporaryFilesOfKilledSaves) {
  struct Leftover {
    std::string Name;
    int AgeSeconds;
    bool Removed;
  };
  const std::vector<Leftover> leftovers{
      {"registry.conf.Ab3xYz", 3600, true},
      {"registry.conf.000000", 2 * platform::SettingsStore::kStaleTemporarySeconds, true},
      {"registry.conf.Young1", 0, false},
      {"registry.conf.toolong1", 3600, false},
      {"registry.conf.bak", 3600, false},
      {"other.conf.Ab3xYz", 3600, false}};
  const std::time_t now = std::time(nullptr);
  for (const Leftover& leftover : leftovers) {
    std::ofstream(Temp / leftover.Name) << "Half=s:writ";
    const utimbuf times{now - leftover.AgeSeconds, now - leftover.AgeSeconds};
    ASSERT_EQ(::utime((Temp / leftover.Name).c_str(), &times), 0);
  }
  Store.WriteString("A", "1");
  Store.Save();
  for (const Leftover& leftover : leftovers)
    EXPECT_NE(std::filesystem::exists(Temp / leftover.Name), leftover.Removed) << leftover.Name;
  EXPECT_EQ(FileText(), "A=s:1\n");
}

// The temporary file is private from its creation, whatever the umask, and is
// gone after every save: renamed on success, removed on a failure (here
// raised by the hook while the file exists).
TEST_F(SettingsStoreTest, TemporaryFileIsPrivateAndNeverLeftBehind) {
  std::ofstream(Path) << "Old=s:value\n";
  struct OpenMask {  // umask 0 for this test: only the store's own mode can keep the file private
    mode_t Old = ::umask(0);
    ~OpenMask() { ::umask(Old); }
  } openMask;
  std::vector<std::string> seen;
  mode_t mode = 0;
  for (const bool failing : {false, true}) {
    Store.SetTemporaryFileHook([&](const std::string& temporary) {
      seen.push_back(temporary);
      struct stat info {};
      if (::stat(temporary.c_str(), &info) == 0) mode = info.st_mode & 07777;
      if (failing) throw std::runtime_error("killed");
    });
    Store.WriteString("Failing", failing ? "1" : "0");
    if (failing) {
      EXPECT_THROW(Store.Save(), std::runtime_error);
    } else {
      Store.Save();
    }
    ASSERT_EQ(seen.size(), failing ? 2u : 1u);
    EXPECT_EQ(mode, 0600u) << "failing: " << failing;
    EXPECT_EQ(std::filesystem::path(seen.back()).parent_path(), Temp.Path());
    EXPECT_EQ(std::filesystem::path(seen.back()).filename().string().rfind("registry.conf.", 0), 0u);
    EXPECT_EQ(Files(), std::vector<std::string>{"registry.conf"}) << "failing: " << failing;
  }
  EXPECT_EQ(FileText(), "Failing=s:0\n");  // the failed save left the previous file
}

TEST_F(SettingsStoreTest, MalformedLinesAreSkipped) {
  std::ofstream(Path) << "no separator\n=s:empty name\nBad=q:unknown tag\nShort=s\nNum=i:12x\nGood=s:kept\r\n"
                         "Int=i:42\nUnterminated";
  ASSERT_TRUE(Store.Load());
  EXPECT_EQ(Store.ReadString("Good"), "kept");
  EXPECT_EQ(Store.ReadInteger("Int"), 42);
  EXPECT_TRUE(Store.Contains("Num"));
  EXPECT_FALSE(Store.ReadInteger("Num").has_value());  // not a number: reads as missing
  EXPECT_FALSE(Store.Contains("Bad"));
  EXPECT_FALSE(Store.Contains("Short"));
  EXPECT_FALSE(Store.Contains(""));
}

// A line longer than kMaxLineBytes is damaged: passed over without being
// kept (wherever it stands, with or without its line end), while the lines
// around it are read; a line of exactly the limit is read, and so is a file
// of exactly kMaxFileBytes. The next save drops the damaged lines.
TEST_F(SettingsStoreTest, OverlongLinesArePassedOver) {
  constexpr std::size_t kMax = platform::SettingsStore::kMaxLineBytes;
  const std::string atLimit = "Proxy=s:" + std::string(kMax - 8, 'a');
  const std::string overLimit = "Proxy=s:" + std::string(kMax - 7, 'a');
  struct Case {
    const char* Name;
    std::string Text;
    std::size_t ProxyBytes;  // 0: no Proxy value
  };
  const std::vector<Case> cases{
      {"at the limit", "A=s:1\n" + atLimit + "\nB=i:2\n", kMax - 8},
      {"at the limit, last line", "A=s:1\nB=i:2\n" + atLimit, kMax - 8},
      {"one byte over", "A=s:1\n" + overLimit + "\nB=i:2\n", 0},
      {"one byte over with CR", "A=s:1\n" + atLimit + "\r\nB=i:2\n", 0},
      {"100 KB, first line", "Proxy=s:" + std::string(100 << 10, 'x') + "\nA=s:1\nB=i:2", 0},
      {"100 KB, last line", "A=s:1\nB=i:2\nProxy=s:" + std::string(100 << 10, 'x'), 0},
      {"1 MB of line ends", "A=s:1\nB=i:2\n" + std::string(platform::SettingsStore::kMaxFileBytes - 12, '\n'), 0},
  };
  for (const Case& c : cases) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << c.Text;
    ASSERT_TRUE(Store.Load()) << c.Name;
    EXPECT_EQ(Store.ReadString("A"), "1") << c.Name;
    EXPECT_EQ(Store.ReadInteger("B"), 2) << c.Name;
    EXPECT_EQ(Store.ReadString("Proxy").value_or("").size(), c.ProxyBytes) << c.Name;
    EXPECT_EQ(Store.Size(), c.ProxyBytes != 0 ? 3u : 2u) << c.Name;
  }
  Store.Save();
  EXPECT_EQ(FileText(), "A=s:1\nB=i:2\n");
}

// A value is written only when its line (escaped name, "=s:", escaped
// value) stays within kMaxLineBytes, so that every value written is read
// back; a longer one is refused with its reason and changes nothing.
TEST_F(SettingsStoreTest, ValuesWhoseLineWouldPassTheLimitAreRefused) {
  const std::string name = "Proxy=Address";  // escaped: 14 bytes
  const std::size_t room = platform::SettingsStore::kMaxLineBytes - 14 - 3;
  ASSERT_EQ(platform::SettingsStore::MaxEscapedTextBytes(name), room);
  struct Case {
    const char* Name;
    std::string Value;
    std::size_t LineBytes;  // above the limit: refused
  };
  const std::vector<Case> cases{
      {"at the limit", std::string(room, 'a'), 4096},
      {"one byte over", std::string(room + 1, 'a'), 4097},
      {"escapes at the limit", std::string(room - 2, 'a') + "\\", 4096},
      {"an escaped '=' pushing it over", std::string(room - 1, 'a') + "=", 4097},
      {"line ends pushing it over", std::string(room - 3, 'a') + "\r\n", 4097},
      {"UTF-8 at the limit", std::string(room - 3, 'a') + "\xE2\x82\xAC", 4096},
      {"UTF-8 one byte over", std::string(room - 2, 'a') + "\xE2\x82\xAC", 4097},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::SettingsStore::LineBytes(name, c.Value), c.LineBytes) << c.Name;
    Store.WriteString(name, "old");
    if (c.LineBytes > platform::SettingsStore::kMaxLineBytes) {
      try {
        Store.WriteString(name, c.Value);
        ADD_FAILURE() << c.Name << ": written";
      } catch (const platform::SettingsError& error) {
        EXPECT_EQ(std::string(error.what()), "the value of " + name + " is too long to be stored (" +
                                                 std::to_string(c.LineBytes) + " bytes as written, at most 4096)")
            << c.Name;
      }
    } else {
      Store.WriteString(name, c.Value);
    }
    Store.Save();
    platform::SettingsStore reread(Path);
    ASSERT_TRUE(reread.Load()) << c.Name;
    EXPECT_EQ(reread.ReadString(name), c.LineBytes > 4096 ? "old" : c.Value) << c.Name;
  }
}

// A file larger than kMaxFileBytes is damaged: never parsed, its values
// read as missing, DamagedText() names it, and the next save replaces it
// with the values written since.
TEST_F(SettingsStoreTest, FilesOverTheSizeLimitAreDamaged) {
  constexpr std::size_t kMax = platform::SettingsStore::kMaxFileBytes;
  std::string shortEntries;  // 480,000 entries of 22 bytes: 10.5 MB
  for (int i = 0; i < 480000; ++i) shortEntries += "K" + std::to_string(100000 + i) + "=s:00000000000\n";
  struct Case {
    const char* Name;
    std::string Text;
    bool Damaged;
  };
  const std::vector<Case> cases{
      {"at the limit", "A=s:1\n" + std::string(kMax - 6, '\n'), false},
      {"one byte over", "A=s:1\n" + std::string(kMax - 5, '\n'), true},
      {"10.5 MB of short entries", "A=s:1\n" + shortEntries, true},
  };
  for (const Case& c : cases) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << c.Text;
    const std::uint64_t parsed = platform::SettingsStore::ParsedFileCount();
    ASSERT_TRUE(Store.Load()) << c.Name;
    EXPECT_EQ(platform::SettingsStore::ParsedFileCount() - parsed, c.Damaged ? 0u : 1u) << c.Name;
    EXPECT_EQ(Store.ReadString("A").has_value(), !c.Damaged) << c.Name;
    EXPECT_EQ(Store.DamagedText(), c.Damaged ? Path + " is damaged (" + std::to_string(c.Text.size()) +
                                                   " bytes, a settings file holds at most 1 MB): its values are not "
                                                   "used, and the next save writes it anew"
                                             : "")
        << c.Name;
    Store.WriteInteger("B", 2);
    Store.Save();
    EXPECT_EQ(FileText(), c.Damaged ? "B=i:2\n" : "A=s:1\nB=i:2\n") << c.Name;
  }
}

// A file is parsed once and again only when it changed: its size, its
// modification time or its inode (a file renamed over it). A file modified
// within the last second is parsed at every read.
TEST_F(SettingsStoreTest, FilesAreParsedAgainOnlyWhenTheyChanged) {
  const timespec past{std::time(nullptr) - 3600, 123456789};
  const auto write = [&](const std::string& path, const std::string& text, const timespec* modified) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    if (modified != nullptr) {
      const timespec times[2] = {*modified, *modified};
      ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
  };
  const timespec later{past.tv_sec, past.tv_nsec + 1};
  struct Step {
    const char* Name;
    std::function<void()> Change;
    bool Parsed;
    const char* Value;  // of "A"; nullptr: missing
  };
  const std::vector<Step> steps{
      {"first read", [&] { write(Path, "A=s:1\n", &past); }, true, "1"},
      {"unchanged", [] {}, false, "1"},
      {"same size, a nanosecond later", [&] { write(Path, "A=s:2\n", &later); }, true, "2"},
      {"renamed over it, same size and time",
       [&] {
         write(Path + ".new", "A=s:3\n", &later);
         std::filesystem::rename(Path + ".new", Path);
       },
       true, "3"},
      {"other size", [&] { write(Path, "A=s:44\n", &later); }, true, "44"},
      {"modified just now", [&] { write(Path, "A=s:5\n", nullptr); }, true, "5"},
      {"still fresh", [] {}, true, "5"},
      {"removed", [&] { std::filesystem::remove(Path); }, false, nullptr},
  };
  for (const Step& step : steps) {
    step.Change();
    const std::uint64_t parsed = platform::SettingsStore::ParsedFileCount();
    platform::SettingsStore store(Path);  // every store reads through the one cache
    ASSERT_TRUE(store.Load()) << step.Name;
    EXPECT_EQ(platform::SettingsStore::ParsedFileCount() - parsed, step.Parsed ? 1u : 0u) << step.Name;
    EXPECT_EQ(store.ReadString("A"), step.Value != nullptr ? std::optional<std::string>(step.Value) : std::nullopt)
        << step.Name;
  }
}

TEST_F(SettingsStoreTest, DefaultPathFollowsEnvironment) {
  const std::string home = Temp.UseAsHome("home");
  EXPECT_EQ(platform::SettingsStore::DefaultPath(), home + "/registry.conf");
  ::setenv("QUORVANE_HOME", "", 1);
  ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(platform::SettingsStore::DefaultPath(), "/cfg/Vosker/Quorvane/registry.conf");
}

}  // namespace
