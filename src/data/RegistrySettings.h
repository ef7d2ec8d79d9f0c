#pragma once
// Per-user store of the sign-in and proxy values. Every read and write opens
// the store (creating it when missing), converts between the caller's text and
// the value kind asked for, and closes it again: nothing stays open between
// calls. Values are exchanged with the callers as text.
//
// Value kinds (the `kind` argument):
//   0 string   stored as given
//   1 double   text parsed as a number ('.' decimal separator)
//   2 single   as 1, rounded to single precision
//   3 integer  text parsed as a 32-bit integer; read back as "%i"
//   4 bool     text parsed as an integer, true when not 0; read back as "1"/"0"
// Any other kind writes nothing and reads the default.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class SettingsStore;
}

// Value kinds of ReadValue/WriteValue.
enum TRegistryValueKind : int {
  rvkString = 0,
  rvkDouble = 1,
  rvkSingle = 2,
  rvkInteger = 3,
  rvkBool = 4,
};

// Names of the values the system keeps.
inline constexpr const char* kRegUsername = "Username";
inline constexpr const char* kRegPassword = "Password";
inline constexpr const char* kRegRememberMe = "RememberMe";
inline constexpr const char* kRegLastUsingDate = "LastUsingDate";
inline constexpr const char* kRegProxyUsageSpecified = "ProxyUsageSpecified";
inline constexpr const char* kRegProxyServerAddress = "ProxyServerAddress";
inline constexpr const char* kRegProxyUsername = "ProxyUsername";
inline constexpr const char* kRegProxyPassword = "ProxyPassword";

// One value to store: its name, its text and its kind.
struct TRegistryValue {
  std::string Name;
  std::string Text;
  int Kind = rvkString;
};

class TRegistrySettings {
 public:
  TRegistrySettings();
  ~TRegistrySettings();
  TRegistrySettings(const TRegistrySettings&) = delete;
  TRegistrySettings& operator=(const TRegistrySettings&) = delete;

  // Loads the store, creating its folder when missing; Opened tells whether
  // it could be read. Drops whatever an earlier Open loaded.
  void Open();
  // Forgets the loaded store.
  void Close();
  // Whether the opened store holds a value of that name; false for an empty
  // name or when not opened.
  bool ValueExists(const std::string& name) const;
  // Open, then Close: the store's folder exists afterwards when it may be created.
  void EnsureKey();

  // Stores text under name as kind, replacing any value of that name whatever
  // its kind: WriteValues of that one value.
  void WriteValue(const std::string& name, const std::string& text, int kind);
  // Stores the values together, in one replacement of the file made under
  // the store's lock with the file read again: afterwards the file holds all
  // of them beside whatever other saves stored, or, when this throws, none
  // (the values before). Values with an empty name or an unknown kind are passed over
  // (the store is still opened and closed; only empty names touch nothing
  // at all). A text that kind 1..4 cannot parse throws
  // platform::EConvertError; a store that cannot be opened (the store's
  // DamagedText(), naming the file), a text too long to be stored
  // (SettingsStore::CheckLine), a lock another save holds past
  // SettingsStore::kLockWait and a failed file write throw
  // platform::SettingsError.
  void WriteValues(const std::vector<TRegistryValue>& values);
  // The stored value as text, or defaultText when the store or the value is
  // missing, its kind differs, the kind is unknown or the text is empty.
  // Never throws on a bad stored value.
  std::string ReadValue(const std::string& name, const std::string& defaultText, int kind);
  // What the window tells the user when the store's file is damaged (far
  // larger than any settings file, so never parsed): "The sign-in and proxy
  // values are at their defaults: " and the store's DamagedText() (the next
  // write replaces the file); when lines of it are longer than any value of
  // ours: "Some sign-in or proxy values are at their defaults: " and the
  // DamagedText() naming them (the next write drops them); when the file
  // cannot be read or is no ordinary file: "The sign-in and proxy values are
  // at their defaults: " and the DamagedText() saying what stands in the way.
  // Empty otherwise.
  std::string DamageWarning();
  // Given to the store of each write (SettingsStore::SetTemporaryFileHook).
  std::function<void(const std::string&)> TemporaryFileHook;

  std::unique_ptr<platform::SettingsStore> Registry;
  bool Opened = false;
};
