// Sign-in and proxy values kept in the per-user store.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "data/DataFixtures.h"
#include "data/RegistrySettings.h"
#include "data/TempDir.h"
#include "platform/Format.h"
#include "platform/SettingsStore.h"

namespace {

class RegistrySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { Home = Temp.UseAsHome("config"); }
  std::string File() const { return Home + "/registry.conf"; }

  TempDir Temp;
  std::string Home;
  TRegistrySettings Registry;
};

TEST_F(RegistrySettingsTest, FirstReadCreatesTheFolderAndGivesTheDefault) {
  EXPECT_EQ(Registry.ReadValue(kRegRememberMe, "0", rvkInteger), "0");
  EXPECT_TRUE(std::filesystem::is_directory(Home));
  EXPECT_FALSE(Registry.Opened);  // closed again after the call
  EXPECT_FALSE(Registry.Registry);
}

TEST_F(RegistrySettingsTest, EmptyNameTouchesNothing) {
  Registry.WriteValue("", "1", rvkInteger);
  EXPECT_FALSE(std::filesystem::exists(Home));
  EXPECT_EQ(Registry.ReadValue("", "dflt", rvkString), "dflt");
}

struct KindCase {
  int WriteKind;
  std::string Written;
  int ReadKind;
  std::string Expected;  // "<default>" when the default comes back
};

class RegistryKindTest : public RegistrySettingsTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(RegistryKindTest, WriteThenRead) {
  const KindCase& test = GetParam();
  Registry.WriteValue("Value", test.Written, test.WriteKind);
  const std::string read = Registry.ReadValue("Value", "<default>", test.ReadKind);
  EXPECT_EQ(read, test.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegistryKindTest,
    ::testing::Values(KindCase{rvkString, "demo@quorvane.test", rvkString, "demo@quorvane.test"},
                      KindCase{rvkString, "line\nwith=signs\\", rvkString, "line\nwith=signs\\"},
                      // A stored empty text reads as the default.
                      KindCase{rvkString, "", rvkString, "<default>"}, KindCase{rvkInteger, "1", rvkInteger, "1"},
                      KindCase{rvkInteger, " -12 ", rvkInteger, "-12"},
                      // A value of another kind reads as the default.
                      KindCase{rvkString, "1", rvkInteger, "<default>"},
                      KindCase{rvkInteger, "1", rvkString, "<default>"},
                      KindCase{rvkDouble, "46000", rvkDouble, "46000"}, KindCase{rvkDouble, "0.1", rvkDouble, "0.1"},
                      // Single precision: 0.1f = 0.100000001490116119..., printed with 15 digits.
                      KindCase{rvkSingle, "0.1", rvkSingle, "0.100000001490116"},
                      KindCase{rvkDouble, "0.1", rvkSingle, "0.100000001490116"},
                      // Booleans: any non-zero integer text is true; read as "1"/"0".
                      KindCase{rvkBool, "5", rvkBool, "1"}, KindCase{rvkBool, "0", rvkBool, "0"},
                      KindCase{rvkBool, "1", rvkInteger, "1"},
                      // Unknown kinds write nothing and read the default.
                      KindCase{5, "1", rvkInteger, "<default>"}, KindCase{rvkInteger, "3", 5, "<default>"},
                      KindCase{-1, "x", rvkString, "<default>"}));

TEST_F(RegistrySettingsTest, TextsThatDoNotConvertThrowAndWriteNothing) {
  Registry.WriteValue(kRegRememberMe, "1", rvkInteger);
  EXPECT_THROW(Registry.WriteValue(kRegRememberMe, "yes", rvkInteger), platform::EConvertError);
  EXPECT_THROW(Registry.WriteValue(kRegRememberMe, "", rvkBool), platform::EConvertError);
  EXPECT_THROW(Registry.WriteValue(kRegRememberMe, "99999999999", rvkInteger), platform::EConvertError);
  EXPECT_THROW(Registry.WriteValue(kRegLastUsingDate, "1,5x", rvkDouble), platform::EConvertError);
  EXPECT_EQ(Registry.ReadValue(kRegRememberMe, "0", rvkInteger), "1");
  EXPECT_EQ(Registry.ReadValue(kRegLastUsingDate, "none", rvkDouble), "none");
  EXPECT_FALSE(Registry.Opened);
}

TEST_F(RegistrySettingsTest, BadStoredValuesReadAsDefault) {
  std::filesystem::create_directories(Home);
  // A line longer than any value of ours is no address: damaged, it reads as the default.
  std::ofstream(File()) << "RememberMe=i:not a number\nLastUsingDate=d:\nUsername=s:kept\nProxyServerAddress=s:"
                        << std::string(platform::SettingsStore::kMaxLineBytes, 'p') << "\n";
  EXPECT_EQ(Registry.ReadValue(kRegProxyServerAddress, "none", rvkString), "none");
  EXPECT_EQ(Registry.ReadValue(kRegRememberMe, "0", rvkInteger), "0");
  EXPECT_EQ(Registry.ReadValue(kRegLastUsingDate, "45000", rvkDouble), "45000");
  EXPECT_EQ(Registry.ReadValue(kRegUsername, "", rvkString), "kept");
  const std::string line = " is damaged (a line of 4117 bytes, a settings line holds at most 4096): its value is";
  EXPECT_EQ(Registry.DamageWarning().rfind("Some sign-in or proxy values are at their defaults: " + File() + line, 0),
            0u);
}

TEST_F(RegistrySettingsTest, SignInAndProxyValuesSurviveOtherWrites) {
  struct Value {
    const char* Name;
    std::string Text;
    int Kind;
  };
  const std::vector<Value> values{{kRegUsername, "demo@quorvane.test", rvkString},
                                  {kRegPassword, "p=a\\ss", rvkString},
                                  {kRegRememberMe, "1", rvkInteger},
                                  {kRegLastUsingDate, platform::FloatToStr(46000.0), rvkString},
                                  {kRegProxyUsageSpecified, "1", rvkInteger},
                                  {kRegProxyServerAddress, "proxy.local:3128", rvkString},
                                  {kRegProxyUsername, "user", rvkString},
                                  {kRegProxyPassword, "secret", rvkString}};
  for (const Value& value : values) Registry.WriteValue(value.Name, value.Text, value.Kind);
  TRegistrySettings other;
  for (const Value& value : values) EXPECT_EQ(other.ReadValue(value.Name, "<none>", value.Kind), value.Text);
  EXPECT_EQ(values[3].Text, "46000");
}

// Two writers (the proxy address, the user name) save 200 times at once, as
// two processes and as two threads of one (whose locks a per-process lock
// would not tell apart): each save reads the file again under the store's
// lock, so none fails and the file ends with the last value of both.
TEST_F(RegistrySettingsTest, SavesAtOnceLoseNothing) {
  const auto failures = [](const char* name) {  // of one writer's saves
    int failed = 0;
    for (int i = 1; i <= 200; ++i) {
      try {
        TRegistrySettings().WriteValue(name, std::to_string(i), rvkString);
      } catch (const std::exception&) {
        ++failed;
      }
    }
    return failed;
  };
  const char* names[] = {kRegProxyServerAddress, kRegUsername};
  std::filesystem::create_directories(Home);
  for (const bool processes : {true, false}) {
    std::filesystem::remove(File());
    int failed = 0;
    if (processes) {  // forked while no other thread runs, so no child starts under a lock held elsewhere
      pid_t children[2];
      for (int w = 0; w < 2; ++w) {
        if ((children[w] = ::fork()) == 0) ::_exit(std::min(failures(names[w]), 100));
      }
      for (const pid_t child : children) {
        int status = 0;
        failed += ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
      }
    } else {
      int other = 0;
      std::thread thread([&] { other = failures(names[1]); });
      failed = failures(names[0]);
      thread.join();
      failed += other;
    }
    EXPECT_EQ(failed, 0) << "processes: " << processes;
    for (const char* name : names)
      EXPECT_EQ(Registry.ReadValue(name, "", rvkString), "200") << name << ", processes: " << processes;
  }
}

TEST_F(RegistrySettingsTest, OpenAndValueExists) {
  Registry.EnsureKey();
  EXPECT_TRUE(std::filesystem::is_directory(Home));
  EXPECT_FALSE(Registry.ValueExists(kRegUsername));
  Registry.WriteValue(kRegUsername, "x", rvkString);
  Registry.Open();
  EXPECT_TRUE(Registry.Opened);
  EXPECT_TRUE(Registry.ValueExists(kRegUsername));
  EXPECT_FALSE(Registry.ValueExists(""));
  EXPECT_FALSE(Registry.ValueExists(kRegPassword));
  Registry.Close();
  EXPECT_FALSE(Registry.ValueExists(kRegUsername));
}

// A store that is no readable ordinary file is never waited on (a named pipe
// without a writer): its values are at their defaults, the warning and a
// refused write name it and what to do, and it stays as it was (as an
// ordinary user, for whom a file without read permission cannot be read).
TEST_F(RegistrySettingsTest, StoreThatIsNoReadableFileIsNamedAndNeverWaitedOn) {
  const std::string until = ": its values cannot be read or saved until it is ";
  const std::pair<mode_t, std::string> cases[] = {
      {S_IFDIR | 0700, " is a folder, not a settings file" + until + "moved away"},
      {S_IFIFO | 0600, " is a named pipe, not a settings file" + until + "moved away"},
      {S_IFSOCK | 0600, " is a socket, not a settings file" + until + "moved away"},
      {S_IFREG | 0200, " cannot be read (Permission denied)" + until + "made readable or moved away"}};
  RUN_AS_ORDINARY_USER(std::vector<std::string>{Temp.Path()}, [&] {
    std::filesystem::create_directories(Home);
    for (const auto& [mode, reason] : cases) {
      ASSERT_EQ(S_ISDIR(mode) ? ::mkdir(File().c_str(), mode & 0777) : ::mknod(File().c_str(), mode, 0), 0);
      EXPECT_EQ(Registry.ReadValue(kRegUsername, "dflt", rvkString), "dflt");
      EXPECT_EQ(Registry.DamageWarning(), "The sign-in and proxy values are at their defaults: " + File() + reason);
      EXPECT_THROW(Registry.WriteValues({{kRegProxyUsageSpecified, "1", rvkInteger}, {kRegProxyServerAddress, "p"}}),
                   platform::SettingsError);
      struct stat info {};
      EXPECT_TRUE(::stat(File().c_str(), &info) == 0 && info.st_mode == mode) << reason;
      std::filesystem::remove(File());
    }
  });
}

TEST_F(RegistrySettingsTest, UnreadableStoreGivesDefaultsAndRefusesWrites) {
  // The store's folder cannot be created: a file stands in its way.
  std::ofstream(Temp / "config") << "not a folder";
  EXPECT_THROW(Registry.WriteValue(kRegUsername, "x", rvkString), platform::SettingsError);
  EXPECT_FALSE(Registry.Opened);
  EXPECT_EQ(Registry.ReadValue(kRegUsername, "dflt", rvkString), "dflt");
  EXPECT_TRUE(std::filesystem::is_regular_file(Temp / "config"));
}

}  // namespace
