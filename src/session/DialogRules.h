#pragma once
// Decision rules and server/registry sequences of the sign-in and request
// dialogs, without any window: the dialogs show what these return.

#include <array>
#include <string>

class TQVDBClient;
class TRegistrySettings;

namespace session {

// --- Sign-in dialog -------------------------------------------------------

// "Download Data" is enabled when both sign-in fields hold text.
bool SignInFieldsFilled(const std::string& userName, const std::string& password);

struct TProxyButtons {
  bool TestEnabled = false;
  bool SaveEnabled = false;
};
// Proxy buttons: complete := address not empty and user name and password
// both empty or both filled; Test := complete, Save := complete or proxy off.
TProxyButtons ProxyButtonStates(bool proxyUsageSpecified, const std::string& address, const std::string& userName,
                                const std::string& password);

// The values the sign-in dialog reads from the registry when it opens.
struct TLoginRegistryValues {
  std::string Username;
  std::string Password;
  bool RememberMe = false;
  bool ProxyUsageSpecified = false;
  std::string ProxyServerAddress;
  std::string ProxyUsername;
  std::string ProxyPassword;
};
// Unreadable values count as their defaults (empty text, "0").
TLoginRegistryValues ReadLoginRegistry(TRegistrySettings& registry);

// Stores the proxy values ("ProxyUsageSpecified" and the three texts, empty
// when the proxy is off) in one replacement of the store: the old four or
// the new four. False with error set when the write failed (nothing written).
bool SaveProxySettings(TRegistrySettings& registry, bool proxyUsageSpecified, const std::string& address,
                       const std::string& userName, const std::string& password, std::string& error);

// Which entry the server refused.
enum class TRefusedEntry { None, Username, Password };

// Outcome of one sign-in attempt.
struct TSignInResult {
  bool Checked = false;  // the user and password requests were answered: the check marks apply
  bool UserOk = false;
  bool PwdOk = false;
  bool LoginOk = false;
  bool UpdateAuthorized = false;
  bool FirstNameRead = false;  // FirstName holds the server's value
  std::string FirstName;
  double StartDateToUpdate = 0.0;
  std::string Message;  // status line text (red) when not empty
  // A signed-in attempt whose remembered values could not be written (the
  // sign-in and the download go on): the window shows it later.
  std::string Warning;
  TRefusedEntry Refused = TRefusedEntry::None;
};

// The sign-in sequence: user check, password check, first name,
// STARTDATETOUPDATE, AUTHORIZEUPDATE, usage statistics, then the remembered
// values ("Username", "Password", "RememberMe", in one replacement of the
// store). It stops at the first failed request with the client's message.
// A failed registry write does not stop the sign-in: Warning then says so,
// naming the store's file ("Your credentials were not stored: ..." when
// they were to be remembered).
TSignInResult RunSignIn(TQVDBClient& client, TRegistrySettings& registry, const std::string& userName,
                        const std::string& password, bool rememberMe);

// Proxy test through the typed proxy: empty on success, else the client's message.
std::string RunProxyTest(TQVDBClient& client, const std::string& address, const std::string& userName,
                         const std::string& password);

// --- Request dialogs ------------------------------------------------------

inline constexpr int kNewUserEntryCount = 10;
inline constexpr int kPhoneEntry = 3;  // index of "Phone Number"
using TNewUserEntries = std::array<std::string, kNewUserEntryCount>;

struct TNewUserCheck {
  bool Valid = false;
  std::array<bool, kNewUserEntryCount> Red{};  // frames to mark on a refused submit
  std::string Message;                         // "All fields must be filled", "Invalid phone number" or empty
};
// Every entry non-blank after trimming and a valid phone number (untrimmed).
// Blank entries are marked; only when none is blank is a bad phone number
// marked, and the blank-field message takes precedence.
TNewUserCheck CheckNewUserEntries(const TNewUserEntries& entries);

// A reply accepts the request when its upper-cased text contains "SENT".
bool ReplyAccepted(const std::string& reply);

// Sends the new-user request: proper-cased names and address, lower-cased
// e-mail, upper-cased country, the phone as typed, a fresh eight-character
// password and today's day number. Returns the reply, or the client's
// message when the call failed.
std::string SendNewUserRequest(TQVDBClient& client, const TNewUserEntries& entries, double today);
// Sends the password request for the user ID exactly as typed.
std::string SendPasswordRequest(TQVDBClient& client, const std::string& userId);

}  // namespace session
