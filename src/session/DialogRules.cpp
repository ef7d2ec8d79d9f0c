#include "session/DialogRules.h"

#include <cmath>
#include <exception>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/TextHelpers.h"
#include "data/QVDBClient.h"
#include "data/RegistrySettings.h"
#include "platform/Format.h"
#include "platform/SettingsStore.h"

namespace session {

namespace {

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

// Reads a registry value; any failure gives the default.
std::string ReadOr(TRegistrySettings& registry, const char* name, const std::string& fallback, int kind) {
  try {
    return registry.ReadValue(name, fallback, kind);
  } catch (const std::exception&) {
    return fallback;
  }
}

// Writes the values in one replacement of the store: all of them or, on a
// failure (a store that cannot be opened, a text too long to be stored, a
// failed write), none; false with error set then.
bool WriteAll(TRegistrySettings& registry, const std::vector<TRegistryValue>& values, std::string& error) {
  try {
    registry.WriteValues(values);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

bool NonZeroInteger(const std::string& text) {
  double value = 0.0;
  return platform::TryStrToFloat(text, value) && std::trunc(value) != 0.0;
}

}  // namespace

bool SignInFieldsFilled(const std::string& userName, const std::string& password) {
  return !userName.empty() && !password.empty();
}

TProxyButtons ProxyButtonStates(bool proxyUsageSpecified, const std::string& address, const std::string& userName,
                                const std::string& password) {
  const bool complete = !address.empty() && (userName.empty() == password.empty());
  return {complete, complete || !proxyUsageSpecified};
}

TLoginRegistryValues ReadLoginRegistry(TRegistrySettings& registry) {
  TLoginRegistryValues values;
  values.Username = ReadOr(registry, kRegUsername, "", rvkString);
  values.Password = ReadOr(registry, kRegPassword, "", rvkString);
  values.RememberMe = NonZeroInteger(ReadOr(registry, kRegRememberMe, "0", rvkInteger));
  values.ProxyUsageSpecified = NonZeroInteger(ReadOr(registry, kRegProxyUsageSpecified, "0", rvkInteger));
  values.ProxyServerAddress = ReadOr(registry, kRegProxyServerAddress, "", rvkString);
  values.ProxyUsername = ReadOr(registry, kRegProxyUsername, "", rvkString);
  values.ProxyPassword = ReadOr(registry, kRegProxyPassword, "", rvkString);
  return values;
}

bool SaveProxySettings(TRegistrySettings& registry, bool proxyUsageSpecified, const std::string& address,
                       const std::string& userName, const std::string& password, std::string& error) {
  error.clear();
  // "ProxyUsageSpecified" first (an integer), then the three texts.
  std::string failure;
  const bool ok = WriteAll(registry,
                           {{kRegProxyUsageSpecified, proxyUsageSpecified ? "1" : "0", rvkInteger},
                            {kRegProxyServerAddress, proxyUsageSpecified ? address : "", rvkString},
                            {kRegProxyUsername, proxyUsageSpecified ? userName : "", rvkString},
                            {kRegProxyPassword, proxyUsageSpecified ? password : "", rvkString}},
                           failure);
  if (!ok) error = "Unable to save the proxy settings: " + failure;
  return ok;
}

TSignInResult RunSignIn(TQVDBClient& client, TRegistrySettings& registry, const std::string& userName,
                        const std::string& password, bool rememberMe) {
  TSignInResult result;
  const bool filled = SignInFieldsFilled(userName, password);
  // Stops the attempt with the client's message (a fixed text when it left none).
  auto stop = [&](const std::string& fallback) {
    result.Message = client.LastMessage.empty() ? fallback : client.LastMessage;
    result.LoginOk = false;
    return result;
  };

  // The first failed request ends the attempt: the password check is not
  // sent after a failed user check.
  result.UserOk = client.UserExists(userName);
  if (!client.LastMessage.empty()) return stop("");
  result.PwdOk = client.CheckLogin(userName, password);
  if (!client.LastMessage.empty()) return stop("");
  result.Checked = true;

  if (result.UserOk) {
    const std::string firstName = client.SelectFieldValue("USER_LIST", "USERID", userName, "FIRSTNAME");
    if (firstName.empty()) return stop("No first name stored for this user");
    result.FirstName = firstName;
    result.FirstNameRead = true;
  }
  if (!result.UserOk) {
    result.Message = "Invalid username";
    result.Refused = TRefusedEntry::Username;
  } else if (!result.PwdOk) {
    result.Message = "Invalid password";
    result.Refused = TRefusedEntry::Password;
  }
  if (!(result.UserOk && result.PwdOk && filled)) return result;

  const std::string start = client.SelectFieldValue("LOGIN_LIST", "USERID", userName, "STARTDATETOUPDATE");
  if (start.empty()) return stop("No update start date stored for this user");
  double startDate = 0.0;
  if (!platform::TryStrToFloat(start, startDate)) return stop("Invalid update start date: " + start);

  const std::string authorize = client.SelectFieldValue("LOGIN_LIST", "USERID", userName, "AUTHORIZEUPDATE");
  if (authorize.empty()) return stop("No update permission stored for this user");
  double authorized = 0.0;
  if (!platform::TryStrToFloat(authorize, authorized)) return stop("Invalid update permission: " + authorize);

  if (!client.UpdateUsageStatistics(userName)) return stop("Update Failed (Counter & Last date)");

  std::string failure;
  if (!WriteAll(registry,
                {{kRegUsername, rememberMe ? userName : "", rvkString},
                 {kRegPassword, rememberMe ? password : "", rvkString},
                 {kRegRememberMe, rememberMe ? "1" : "0", rvkInteger}},
                failure)) {
    const std::string where = platform::SettingsStore::DefaultPath() + " could not be written (" + failure + ")";
    result.Warning = rememberMe ? "Your credentials were not stored: " + where : "The sign-in choices were not stored: " + where;
  }
  result.StartDateToUpdate = startDate;
  result.UpdateAuthorized = std::trunc(authorized) != 0.0;
  result.LoginOk = true;
  return result;
}

std::string RunProxyTest(TQVDBClient& client, const std::string& address, const std::string& userName,
                         const std::string& password) {
  if (client.TestProxyConnection(address, userName, password)) return {};
  return client.LastMessage.empty() ? "Connection Failed" : client.LastMessage;
}

TNewUserCheck CheckNewUserEntries(const TNewUserEntries& entries) {
  TNewUserCheck check;
  bool anyBlank = false;
  for (int i = 0; i < kNewUserEntryCount; ++i) {
    check.Red[static_cast<std::size_t>(i)] = IsBlank(entries[static_cast<std::size_t>(i)]);
    anyBlank = anyBlank || check.Red[static_cast<std::size_t>(i)];
  }
  const bool phoneOk = IsValidPhoneNumber(entries[kPhoneEntry]);
  check.Valid = !anyBlank && phoneOk;
  if (anyBlank) {
    check.Message = "All fields must be filled";
  } else if (!phoneOk) {
    check.Red[kPhoneEntry] = true;
    check.Message = "Invalid phone number";
  }
  return check;
}

bool ReplyAccepted(const std::string& reply) { return UpperCaseText(reply).find("SENT") != std::string::npos; }

std::string SendNewUserRequest(TQVDBClient& client, const TNewUserEntries& e, double today) {
  std::string reply;
  const std::string password = GenerateRandomString(8);
  // A whole day number is written as a plain integer.
  const std::string requestDate = platform::FloatToStr(std::floor(today));
  if (!client.SendNewUserRequest(ProperCaseName(e[0]), ProperCaseName(e[1]), ProperCaseName(e[4]), ProperCaseName(e[5]),
                                 LowerCaseText(e[2]), e[3], ProperCaseName(e[6]), ProperCaseName(e[7]),
                                 ProperCaseName(e[8]), UpperCaseText(e[9]), password, requestDate, reply))
    reply = client.LastMessage;
  return reply;
}

std::string SendPasswordRequest(TQVDBClient& client, const std::string& userId) {
  std::string reply;
  if (!client.SendPasswordRequest(userId, reply)) reply = client.LastMessage;
  return reply;
}

}  // namespace session
