// The typed key=value settings file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "data/TempDir.h"
#include "platform/SettingsStore.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SettingsStoreTest, MissingFileIsAnEmptyStoreAndItsFolderIsCreated) {
  TempDir temp;
  platform::SettingsStore store(temp / "a/b/registry.conf");
  EXPECT_TRUE(store.Load());
  EXPECT_EQ(store.Size(), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(temp / "a/b"));
  EXPECT_FALSE(std::filesystem::exists(temp / "a/b/registry.conf"));
  EXPECT_FALSE(store.ReadString("Username").has_value());
  EXPECT_FALSE(store.ReadInteger("RememberMe").has_value());
}

TEST(SettingsStoreTest, TypedValuesRoundTripThroughTheFile) {
  TempDir temp;
  const std::string path = temp / "registry.conf";
  {
    platform::SettingsStore store(path);
    ASSERT_TRUE(store.Load());
    store.WriteString("Username", "demo@quorvane.test");
    store.WriteFloat("LastUsingDate", 46000.125);
    store.WriteFloat("Tiny", 0.1);
    store.WriteInteger("RememberMe", -7);
    store.WriteBool("Flag", true);
    store.Save();
  }
  platform::SettingsStore store(path);
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

class SettingsEscapeTest : public ::testing::TestWithParam<std::string> {};

TEST_P(SettingsEscapeTest, NamesAndValuesRoundTrip) {
  TempDir temp;
  const std::string path = temp / "registry.conf";
  const std::string text = GetParam();
  {
    platform::SettingsStore store(path);
    store.Load();
    store.WriteString("key " + text, text);
    store.WriteString("after", "still here");
    store.Save();
  }
  platform::SettingsStore store(path);
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

TEST(SettingsStoreTest, EscapedFileHasOneLinePerValue) {
  TempDir temp;
  const std::string path = temp / "registry.conf";
  platform::SettingsStore store(path);
  store.Load();
  store.WriteString("a=b", "x\ny\\z");
  store.Save();
  EXPECT_EQ(FileText(path), "a\\=b=s:x\\ny\\\\z\n");
}

TEST(SettingsStoreTest, FileIsPrivateAndReplacedWithoutLeftovers) {
  TempDir temp;
  const std::string path = temp / "registry.conf";
  std::ofstream(path) << "Old=s:value\n";
  ::chmod(path.c_str(), 0644);
  platform::SettingsStore store(path);
  ASSERT_TRUE(store.Load());
  EXPECT_EQ(store.ReadString("Old"), "value");
  for (int i = 0; i < 5; ++i) {
    store.WriteInteger("Counter", i);
    store.Save();
  }
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(temp.Path())) {
    ++files;
    EXPECT_EQ(entry.path().filename(), "registry.conf");
  }
  EXPECT_EQ(files, 1);
  platform::SettingsStore reread(path);
  ASSERT_TRUE(reread.Load());
  EXPECT_EQ(reread.ReadInteger("Counter"), 4);
}

TEST(SettingsStoreTest, FailedSaveThrowsAndKeepsTheOldFile) {
  TempDir temp;
  // The target path is a folder: the rename cannot replace it.
  std::filesystem::create_directories(temp / "registry.conf");
  platform::SettingsStore store(temp / "registry.conf");
  store.WriteString("A", "1");
  EXPECT_THROW(store.Save(), platform::SettingsError);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp.Path())) ++files;
  EXPECT_EQ(files, 1);
  EXPECT_TRUE(std::filesystem::is_directory(temp / "registry.conf"));
}

TEST(SettingsStoreTest, MalformedLinesAreSkipped) {
  TempDir temp;
  const std::string path = temp / "registry.conf";
  std::ofstream(path) << "no separator\n=s:empty name\nBad=q:unknown tag\nShort=s\nNum=i:12x\nGood=s:kept\r\n"
                         "Int=i:42\nUnterminated";
  platform::SettingsStore store(path);
  ASSERT_TRUE(store.Load());
  EXPECT_EQ(store.ReadString("Good"), "kept");
  EXPECT_EQ(store.ReadInteger("Int"), 42);
  EXPECT_TRUE(store.Contains("Num"));
  EXPECT_FALSE(store.ReadInteger("Num").has_value());  // not a number: reads as missing
  EXPECT_FALSE(store.Contains("Bad"));
  EXPECT_FALSE(store.Contains("Short"));
  EXPECT_FALSE(store.Contains(""));
}

TEST(SettingsStoreTest, DefaultPathFollowsEnvironment) {
  TempDir temp;
  const std::string home = temp.UseAsHome("home");
  EXPECT_EQ(platform::SettingsStore::DefaultPath(), home + "/registry.conf");
  ::setenv("QUORVANE_HOME", "", 1);
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(platform::SettingsStore::DefaultPath(), "/cfg/Vosker/Quorvane/registry.conf");
  if (old != nullptr) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
