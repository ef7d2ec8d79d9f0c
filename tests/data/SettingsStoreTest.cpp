// The typed key=value settings file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
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
  // The names of the files in the folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Temp.Path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
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
  // What a folder holds after saves: the file and the lock file of its saves.
  const std::vector<std::string> Kept{".registry.conf.quorvane-lock", "registry.conf"};
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
  EXPECT_EQ(Files(), Kept);
  platform::SettingsStore reread(Path);
  ASSERT_TRUE(reread.Load());
  EXPECT_EQ(reread.ReadInteger("Counter"), 4);
}

TEST_F(SettingsStoreTest, FailedSaveThrowsAndKeepsTheOldFile) {
  // The target path is a folder: the rename cannot replace it.
  std::filesystem::create_directories(Path);
  Store.WriteString("A", "1");
  EXPECT_THROW(Store.Save(), platform::SettingsError);
  EXPECT_EQ(Files(), Kept);
  EXPECT_TRUE(std::filesystem::is_directory(Path));
}

// Saves of one file run one at a time. A save running in a child (stopped,
// as it says through a pipe, with its temporary file made) holds the lock: a
// save meanwhile gives up after its lock wait, reports it and changes
// nothing. Once the child is killed, the next save removes what it left
// (files of the temporary name, however young), and only that: a user's
// files named like the file stay, "registry.conf.backup" among them.
TEST_F(SettingsStoreTest, SavesWaitForEachOtherAndRemoveOnlyTheirOwnLeftovers) {
  // Ours are the first two, the others are not.
  const std::string ours = ".registry.conf.quorvane-save-";
  const std::vector<std::string> names{ours + "Ab3xYz",        ours + "000000",   "registry.conf.backup",
                                       "registry.conf.Ab3xYz", ours + "toolong1", "other.conf.quorvane-save-Ab3xYz"};
  std::ofstream(Path) << "A=s:old\n";
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    Store.WriteString("A", "new");
    Store.SetTemporaryFileHook([&](const std::string&) {
      (void)!::write(ready[1], "x", 1);
      for (;;) ::pause();
    });
    Store.Save();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  for (const std::string& name : names) std::ofstream(Temp / name) << "Half=s:writ";
  ASSERT_TRUE(Store.Load());
  Store.WriteString("B", "1");
  Store.SetLockWait(std::chrono::milliseconds(50));
  try {
    Store.Save();
    ADD_FAILURE() << "saved while another save held the file";
  } catch (const platform::SettingsError& e) {
    EXPECT_EQ(std::string(e.what()),
              Path + " cannot be saved now: another save of it did not end within 50 ms; try again");
  }
  EXPECT_EQ(FileText(), "A=s:old\n");
  EXPECT_EQ(Files().size(), names.size() + 3);  // with the lock file and the running save's temporary file
  ::kill(child, SIGKILL);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  Store.SetLockWait(platform::SettingsStore::kLockWait);
  Store.Save();
  EXPECT_EQ(FileText(), "A=s:old\nB=s:1\n");
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(std::filesystem::exists(Temp / names[i]), i >= 2) << names[i];
  EXPECT_EQ(Files().size(), names.size());  // the user's four, the file and the lock file
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
    EXPECT_EQ(std::filesystem::path(seen.back()).filename().string().rfind(".registry.conf.quorvane-save-", 0), 0u);
    EXPECT_EQ(Files(), Kept) << "failing: " << failing;
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
      // A line is counted without its line end, "\n" or "\r\n".
      {"at the limit with CR LF", "A=s:1\n" + atLimit + "\r\nB=i:2\n", kMax - 8},
      {"one byte over with CR LF", "A=s:1\n" + overLimit + "\r\nB=i:2\n", 0},
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
  std::ofstream(Path, std::ios::binary | std::ios::trunc) << overLimit << "\nA=s:1\n" << overLimit << "x\n";
  const timespec hourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Path.c_str(), hourAgo, 0), 0);
  for (const int read : {0, 1}) {  // named when parsed, and when read again from the cache
    ASSERT_TRUE(Store.Load());
    EXPECT_EQ(Store.DamagedText(), Path +
                                       " is damaged (2 lines of up to 4098 bytes, a settings line holds at most "
                                       "4096): their values are not used, and the next save drops them")
        << read;
  }
}

// A value is written only when its line (escaped name, "=s:", escaped
// value) stays within kMaxLineBytes, so that every value written is read
// back; a longer one is refused and changes nothing.
TEST_F(SettingsStoreTest, ValuesWhoseLineWouldPassTheLimitAreRefused) {
  const std::string name = "Proxy=Address";                                  // escaped: 14 bytes
  const std::size_t room = platform::SettingsStore::kMaxLineBytes - 14 - 3;  // for the escaped value
  ASSERT_EQ(platform::SettingsStore::MaxEscapedTextBytes(name), room);
  const std::vector<std::pair<std::string, bool>> cases{// value, refused
                                                        {std::string(room, 'a'), false},
                                                        {std::string(room + 1, 'a'), true},
                                                        {std::string(room - 2, 'a') + "\\", false},
                                                        {std::string(room - 1, 'a') + "=", true},
                                                        {std::string(room - 3, 'a') + "\r\n", true},
                                                        {std::string(room - 3, 'a') + "\xE2\x82\xAC", false},
                                                        {std::string(room - 2, 'a') + "\xE2\x82\xAC", true}};
  for (const auto& [value, refused] : cases) {
    Store.WriteString(name, "old");
    if (refused) {
      EXPECT_THROW(Store.WriteString(name, value), platform::SettingsError) << value.size();
    } else {
      Store.WriteString(name, value);
    }
    Store.Save();
    platform::SettingsStore reread(Path);
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.ReadString(name), refused ? "old" : value) << value.size();
  }
}

// A file larger than kMaxFileBytes is damaged: never parsed, its values
// read as missing, DamagedText() names it, and the next save replaces it
// with the values written since.
TEST_F(SettingsStoreTest, FilesOverTheSizeLimitAreDamaged) {
  constexpr std::size_t kMax = platform::SettingsStore::kMaxFileBytes;
  std::string shortEntries;  // 480,000 entries of 22 bytes: 10.5 MB
  for (int i = 0; i < 480000; ++i) shortEntries += "K" + std::to_string(100000 + i) + "=s:00000000000\n";
  const std::vector<std::pair<std::string, bool>> cases{// file, damaged
                                                        {"A=s:1\n" + std::string(kMax - 6, '\n'), false},
                                                        {"A=s:1\n" + std::string(kMax - 5, '\n'), true},
                                                        {"A=s:1\n" + shortEntries, true}};
  for (const auto& [text, damaged] : cases) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << text;
    const std::uint64_t parsed = platform::SettingsStore::ParsedFileCount();
    ASSERT_TRUE(Store.Load());
    EXPECT_EQ(platform::SettingsStore::ParsedFileCount() - parsed, damaged ? 0u : 1u) << text.size();
    EXPECT_EQ(Store.ReadString("A").has_value(), !damaged) << text.size();
    EXPECT_EQ(Store.DamagedText(), damaged ? Path + " is damaged (" + std::to_string(text.size()) +
                                                 " bytes, a settings file holds at most 1 MB): its values are not "
                                                 "used, and the next save writes it anew"
                                           : "");
    Store.WriteInteger("B", 2);
    Store.Save();
    EXPECT_EQ(FileText(), damaged ? "B=i:2\n" : "A=s:1\nB=i:2\n") << text.size();
  }
}

// A file is parsed once and again only when it changed: its modification
// time or its inode (a file renamed over it, same size and time). A file
// modified within the last second is parsed at every read.
TEST_F(SettingsStoreTest, FilesAreParsedAgainOnlyWhenTheyChanged) {
  struct Step {
    const char* Text;  // written into the file; nullptr: unchanged, "": removed
    long Ns;           // modified at this nanosecond of an hour ago; -1: now
    bool Renamed;      // written into another file renamed over it
    bool Parsed;
    const char* Value;  // of "A"; nullptr: missing
  };
  const std::vector<Step> steps{{"A=s:1\n", 5, false, true, "1"},  {nullptr, 0, false, false, "1"},
                                {"A=s:2\n", 6, false, true, "2"},  {"A=s:3\n", 6, true, true, "3"},
                                {"A=s:5\n", -1, false, true, "5"}, {nullptr, 0, false, true, "5"},
                                {"", 0, false, false, nullptr}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    const std::string target = step.Renamed ? Path + ".new" : Path;
    if (step.Text != nullptr && *step.Text == '\0') std::filesystem::remove(Path);
    if (step.Text != nullptr && *step.Text != '\0') {
      std::ofstream(target, std::ios::binary | std::ios::trunc) << step.Text;
      const timespec times[2] = {{std::time(nullptr) - 3600, step.Ns}, {std::time(nullptr) - 3600, step.Ns}};
      EXPECT_TRUE(step.Ns < 0 || ::utimensat(AT_FDCWD, target.c_str(), times, 0) == 0);
      std::filesystem::rename(target, Path);
    }
    const std::uint64_t parsed = platform::SettingsStore::ParsedFileCount();
    platform::SettingsStore store(Path);  // every store reads through the one cache
    ASSERT_TRUE(store.Load()) << i;
    EXPECT_EQ(platform::SettingsStore::ParsedFileCount() - parsed, step.Parsed ? 1u : 0u) << i;
    EXPECT_EQ(store.ReadString("A"), step.Value != nullptr ? std::optional<std::string>(step.Value) : std::nullopt)
        << i;
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
