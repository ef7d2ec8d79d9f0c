// Sign-in sequence, proxy rules, request checks and the reply rule of the
// dialogs, on a scripted transport and a private registry file.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "data/FakeTransport.h"
#include "data/RegistrySettings.h"
#include "data/TempDir.h"
#include "platform/SettingsStore.h"
#include "session/DialogRules.h"

namespace {

using session::TRefusedEntry;

session::TNewUserEntries FilledEntries() {
  return {"ann", "lee", "Ann@Example.Test", "+41 (0)22 123", "acme", "cfo", "1 main street", "geneva", "1200", "ch"};
}

TEST(DialogRulesTest, ReplyAcceptedWhenItHoldsSentInAnyCase) {
  EXPECT_TRUE(session::ReplyAccepted("SENT"));
  EXPECT_TRUE(session::ReplyAccepted("Request sent, thank you"));
  EXPECT_TRUE(session::ReplyAccepted("reSeNTment"));
  EXPECT_FALSE(session::ReplyAccepted("Refused"));
  EXPECT_FALSE(session::ReplyAccepted(""));
  EXPECT_FALSE(session::ReplyAccepted("S E N T"));
}

TEST(DialogRulesTest, NewUserRequestSendsNormalisedValues) {
  FakeServer server;
  server.Transport.Status("SENT");
  session::TNewUserEntries entries = FilledEntries();
  entries[2] = " Ann@Example.Test ";  // trimmed only by the check, sent as typed
  const double today = 46093.0;       // 12 March 2026
  EXPECT_EQ(session::SendNewUserRequest(server.Client, entries, today), "SENT");
  const std::string statement = Decode(server.Transport.Last()).Content;
  EXPECT_NE(statement.find("VALUES ('Ann','Lee','Acme','Cfo',' ann@example.test ','+41 (0)22 123','1 Main Street',"
                           "'Geneva','1200','CH','"),
            std::string::npos)
      << statement;
  EXPECT_NE(statement.find("'1','46093');"), std::string::npos) << statement;

  server.Transport.Fail();
  EXPECT_EQ(session::SendNewUserRequest(server.Client, entries, today), "Connection to server failed");
  server.Transport.Status("", "Table locked");
  EXPECT_EQ(session::SendPasswordRequest(server.Client, " Ann "), "Table locked");
  EXPECT_NE(Decode(server.Transport.Last()).Content.find("VALUES (' Ann ','NC','1')"), std::string::npos);
}

class SignInTest : public ::testing::Test {
 protected:
  void SetUp() override { Dir.UseAsHome("home"); }
  std::string Stored(const char* name) {
    TRegistrySettings registry;
    return registry.ReadValue(name, "<none>", name == std::string(kRegRememberMe) ? rvkInteger : rvkString);
  }
  session::TSignInResult Run(bool remember = true) {
    TRegistrySettings registry;
    return session::RunSignIn(Server.Client, registry, "ann@x.test", "pw", remember);
  }
  TempDir Dir;
  FakeServer Server;
};

TEST_F(SignInTest, StopsAtTheFirstFailedRequest) {
  Server.Transport.Fail();
  const session::TSignInResult result = Run();
  EXPECT_FALSE(result.LoginOk);
  EXPECT_FALSE(result.Checked);
  EXPECT_EQ(result.Message, "Connection to server failed");
  EXPECT_EQ(result.Refused, TRefusedEntry::None);
  EXPECT_EQ(Server.Transport.Requests.size(), 1u);  // the password check is not sent
}

TEST_F(SignInTest, RefusedEntriesAndLaterFailures) {
  struct Row {
    std::vector<FakeStep> replies;
    std::string message;
    TRefusedEntry refused;
    std::size_t requests;
  };
  const Row rows[] = {
      // Unknown user: the first-name request is not sent.
      {{StatusAnswer("0"), StatusAnswer("0")}, "Invalid username", TRefusedEntry::Username, 2},
      {{StatusAnswer("1"), StatusAnswer("0"), StatusAnswer("Ann")}, "Invalid password", TRefusedEntry::Password, 3},
      {{StatusAnswer("1"), StatusAnswer("1"), StatusAnswer("Ann"), StatusAnswer("", "No such column")},
       "No such column",
       TRefusedEntry::None,
       4},
      {{StatusAnswer("1"), StatusAnswer("1"), StatusAnswer("Ann"), StatusAnswer("2"), StatusAnswer("yes")},
       "Invalid update permission: yes",
       TRefusedEntry::None,
       5},
  };
  for (const Row& row : rows) {
    Server.Transport.Steps.clear();
    Server.Transport.Requests.clear();
    Server.Transport.Queue(row.replies);
    const session::TSignInResult result = Run();
    EXPECT_FALSE(result.LoginOk) << row.message;
    EXPECT_EQ(result.Message, row.message);
    EXPECT_EQ(result.Refused, row.refused) << row.message;
    EXPECT_EQ(Server.Transport.Requests.size(), row.requests) << row.message;
  }
  EXPECT_EQ(Stored(kRegUsername), "<none>");  // no registry write on a failed attempt
}

std::vector<FakeStep> SuccessReplies(const std::string& authorize) {
  return {StatusAnswer("1"),       StatusAnswer("1"), StatusAnswer("Ann"), StatusAnswer("45000"),
          StatusAnswer(authorize), StatusAnswer("3"), StatusAnswer("OK")};
}

TEST_F(SignInTest, SuccessStoresTheRememberedValues) {
  Server.Transport.Queue(SuccessReplies("1"));
  session::TSignInResult result = Run(true);
  EXPECT_TRUE(result.LoginOk);
  EXPECT_TRUE(result.UpdateAuthorized);
  EXPECT_EQ(result.FirstName, "Ann");
  EXPECT_DOUBLE_EQ(result.StartDateToUpdate, 45000.0);
  EXPECT_EQ(Stored(kRegUsername), "ann@x.test");
  EXPECT_EQ(Stored(kRegPassword), "pw");
  EXPECT_EQ(Stored(kRegRememberMe), "1");

  Server.Transport.Queue(SuccessReplies("0"));
  result = Run(false);
  EXPECT_TRUE(result.LoginOk);
  EXPECT_FALSE(result.UpdateAuthorized);
  EXPECT_EQ(Stored(kRegUsername), "<none>");  // stored empty: read as the default
  EXPECT_EQ(Stored(kRegPassword), "<none>");
  EXPECT_EQ(Stored(kRegRememberMe), "0");
}

// A settings store that cannot be written does not stop the sign-in: the
// result says what was not stored, naming the file; nothing is written.
TEST_F(SignInTest, FailedRegistryWriteWarnsAndTheSignInGoesOn) {
  std::ofstream(Dir / "file") << "x";
  const std::string path = Dir.UseAsHome("file/home") + "/registry.conf";  // below a plain file: nothing can be written
  for (const bool remember : {true, false}) {
    Server.Transport.Queue(SuccessReplies("1"));
    const session::TSignInResult result = Run(remember);
    EXPECT_TRUE(result.LoginOk) << remember;
    EXPECT_TRUE(result.UpdateAuthorized) << remember;
    EXPECT_EQ(result.Message, "") << remember;
    const std::string lead = remember ? "Your credentials were not stored: " : "The sign-in choices were not stored: ";
    EXPECT_EQ(result.Warning.rfind(lead + path + " could not be written (", 0), 0u) << result.Warning;
    EXPECT_EQ(Stored(kRegRememberMe), "<none>");
  }

  TRegistrySettings registry;
  std::string error;
  EXPECT_FALSE(session::SaveProxySettings(registry, true, "proxy:8080", "", "", error));
  EXPECT_FALSE(error.empty());

  Server.Transport.Queue(SuccessReplies("1"));
  Dir.UseAsHome("home");
  EXPECT_EQ(Run(true).Warning, "");  // a store that can be written warns nothing
}

// The proxy "Save" and the sign-in's remembered values each replace the
// store once with all their values: a failure there (raised where the new
// file is written) leaves every old value and is reported.
TEST_F(SignInTest, EachSaveReplacesTheStoreOnceWithAllItsValues) {
  TRegistrySettings registry;
  std::string error;
  ASSERT_TRUE(session::SaveProxySettings(registry, true, "old:1", "ou", "op", error));
  int replacements = 0;
  for (const bool failing : {true, false}) {
    registry.TemporaryFileHook = [&](const std::string&) {
      ++replacements;
      if (failing) throw platform::SettingsError("disk I/O error");
    };
    EXPECT_EQ(session::SaveProxySettings(registry, false, "", "", "", error), !failing) << error;
    Server.Transport.Queue(SuccessReplies("1"));
    EXPECT_EQ(session::RunSignIn(Server.Client, registry, "ann@x.test", "pw", true).Warning.empty(), !failing);
    const session::TLoginRegistryValues v = session::ReadLoginRegistry(registry);
    EXPECT_EQ(std::to_string(v.ProxyUsageSpecified) + v.ProxyServerAddress + v.ProxyUsername + v.ProxyPassword + "|" +
                  v.Username + v.Password + std::to_string(v.RememberMe),
              failing ? "1old:1ouop|0" : "0|ann@x.testpw1");
  }
  EXPECT_EQ(replacements, 4);
}

TEST_F(SignInTest, ProxySaveAndRegistryRead) {
  TRegistrySettings registry;
  std::string error;
  ASSERT_TRUE(session::SaveProxySettings(registry, true, "proxy:8080", "u", "p", error)) << error;
  EXPECT_EQ(session::ReadLoginRegistry(registry).ProxyServerAddress, "proxy:8080");
  ASSERT_TRUE(session::SaveProxySettings(registry, false, "proxy:8080", "u", "p", error)) << error;
  const session::TLoginRegistryValues values = session::ReadLoginRegistry(registry);
  EXPECT_FALSE(values.ProxyUsageSpecified);
  EXPECT_EQ(values.ProxyServerAddress + values.ProxyUsername + values.ProxyPassword, "");  // proxy off: empty texts
  registry.WriteValue(kRegRememberMe, "7", rvkInteger);
  EXPECT_TRUE(session::ReadLoginRegistry(registry).RememberMe);  // any non-zero integer checks the box
  // A text the store would not read back is refused with its reason before
  // any proxy value is written: the saved proxy stays as it was.
  EXPECT_FALSE(session::SaveProxySettings(registry, true, "proxy:9090", "u", std::string(5000, 'p'), error));
  EXPECT_EQ(error,
            "Unable to save the proxy settings: the value of ProxyPassword is too long to be stored (5016 bytes "
            "as written, at most 4096)");
  EXPECT_FALSE(session::ReadLoginRegistry(registry).ProxyUsageSpecified);
  EXPECT_EQ(session::ReadLoginRegistry(registry).ProxyServerAddress, "");
}

}  // namespace
