#pragma once
// Typed key=value settings file. One line per value:
//   name=<tag>:<value>
// with tag s (string), d (double), i (32-bit integer) or b (bool, 1/0).
// Backslash, newline, carriage return and '=' are written as \\, \n, \r and
// \= in names and values, so any text round-trips. The file is private to
// the user (mode 0600) and replaced atomically: written to a temporary file
// ".<file name>.quorvane-save-XXXXXX" in the same folder (created with mode
// 0600, removed on every failure), flushed to disk and renamed over the old
// one. Several values written before one Save are replaced together: the
// file holds the old set or the new one. Saves of one file run one at a time,
// in this process or another, under an exclusive lock on the file
// ".<file name>.quorvane-lock" beside it; so a save also removes the
// temporary files it finds, left by saves that were killed.
//
// A file is parsed once and again only when it changed: every store of the
// process reads through one cache of parsed files, keyed by path and checked
// against the file's device, inode, size and modification time (ns) before
// it is used. A file modified less than a second before it was parsed is
// parsed again at its next read, as a change within the same clock tick
// would keep its time.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform {

class SettingsError : public std::runtime_error {
  using runtime_error::runtime_error;
};

enum class SettingKind { String, Double, Integer, Bool };

class SettingsStore {
 public:
  explicit SettingsStore(std::string path);

  // "$QUORVANE_HOME/registry.conf" when QUORVANE_HOME is set and not empty,
  // else "$XDG_CONFIG_HOME/Vosker/Quorvane/registry.conf" (XDG_CONFIG_HOME
  // defaulting to "$HOME/.config").
  static std::string DefaultPath();

  const std::string& Path() const { return Path_; }

  // Creates the file's folder (with parents) when missing and reads the file;
  // a missing file is an empty store. False when the folder cannot be
  // created, the file cannot be read or it is no ordinary file (a folder, a
  // named pipe, ...: never waited on); the store is then empty and
  // DamagedText() says what stands in the way. Malformed lines are skipped.
  // A line longer than kMaxLineBytes without its line end (no value of ours
  // comes near it, so an earlier version or another hand wrote it) is
  // damaged: passed over without being kept, DamagedText() says so, and the
  // next Save drops it. A file larger than kMaxFileBytes is damaged (no
  // settings file comes near it): it is not parsed, the store stays empty so
  // that defaults are used, DamagedText() says so, and the next Save replaces it.
  bool Load();
  static constexpr std::size_t kMaxLineBytes = 4096;
  static constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;
  // After a Load that found the file damaged: "<path> is damaged (<n> bytes,
  // a settings file holds at most 1 MB): its values are not used, and the
  // next save writes it anew"; or for lines over the limit "<path> is damaged
  // (a line of <n> bytes, a settings line holds at most 4096): its value is
  // not used, and the next save drops it" ("<k> lines of up to <n> bytes",
  // "their values", "drops them" for several). After a Load that returned
  // false: "<path> is a folder, not a settings file: its values cannot be
  // read or saved until it is moved away" (a named pipe, a socket, a
  // device), "<path> cannot be read (<reason>): its values cannot be read or
  // saved until it is made readable or moved away", or "<path> cannot be
  // read or saved: its folder cannot be created (<reason>)". Empty otherwise.
  const std::string& DamagedText() const { return DamagedText_; }
  // Lines over kMaxLineBytes passed over by the last Load.
  std::size_t DroppedLines() const { return DroppedLines_; }
  // How many times this process parsed a settings file (tests and benchmarks).
  static std::uint64_t ParsedFileCount();
  // Writes every value to the file atomically, under the store's lock;
  // throws SettingsError on failure, or when another save holds the lock
  // longer than the lock wait ("<path> cannot be saved now: another save of
  // it did not end within 2 s; try again", the wait in s or ms).
  void Save() const;
  // Read, change and save under one hold of the store's lock: loads the file
  // again (so what other saves wrote meanwhile is kept), lets change write
  // its values and saves. Throws SettingsError when the lock is not had (as
  // Save), when Load fails (its DamagedText()) or the save fails; what change
  // throws leaves the file as it was.
  void Update(const std::function<void(SettingsStore&)>& change);
  // How long a save waits for another save of the file to end.
  static constexpr std::chrono::milliseconds kLockWait{2000};
  void SetLockWait(std::chrono::milliseconds wait) { LockWait_ = wait; }
  // Called with the temporary file's path right after it is created, under
  // the store's lock, before anything is written to it (lets a test inspect the file,
  // fail the save or stop the process there). An exception it throws leaves
  // Save with the temporary file removed and the old file as it was.
  void SetTemporaryFileHook(std::function<void(const std::string&)> hook) { TemporaryFileHook_ = std::move(hook); }

  bool Contains(const std::string& name) const;
  std::optional<SettingKind> KindOf(const std::string& name) const;
  bool Remove(const std::string& name);
  std::size_t Size() const { return Values_->size(); }

  // Each reader returns nothing when the value is missing or of another kind.
  std::optional<std::string> ReadString(const std::string& name) const;
  std::optional<double> ReadFloat(const std::string& name) const;
  std::optional<std::int32_t> ReadInteger(const std::string& name) const;
  std::optional<bool> ReadBool(const std::string& name) const;

  // Each writer replaces any value of that name, whatever its kind. A value
  // whose line would be longer than kMaxLineBytes (so that Load would pass
  // it over) is refused: CheckLine's SettingsError, nothing changed.
  void WriteString(const std::string& name, const std::string& value);
  void WriteFloat(const std::string& name, double value);
  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteBool(const std::string& name, bool value);

  // Escaping of names and values as written to the file, and its inverse.
  static std::string Escape(const std::string& text);
  static std::string Unescape(const std::string& text);

  // Bytes of the line that keeps text under name in the file, without its
  // line end: escaped name + 3 ("=", tag, ":") + escaped text.
  static std::size_t LineBytes(const std::string& name, const std::string& text);
  // The most bytes the escaped text of a value under name may take:
  // kMaxLineBytes - (escaped name + 3).
  static std::size_t MaxEscapedTextBytes(const std::string& name);
  // Throws SettingsError "the value of <name> is too long to be stored
  // (<n> bytes as written, at most 4096)" when the line of text under name
  // would be longer than kMaxLineBytes.
  static void CheckLine(const std::string& name, const std::string& text);

 private:
  struct Entry {
    SettingKind Kind = SettingKind::String;
    std::string Text;  // string value, or the canonical text of the number
  };
  using ValueMap = std::map<std::string, Entry>;
  // What a Load takes from a file: its values and what it passed over.
  struct Parsed {
    std::shared_ptr<const ValueMap> Values;
    std::string DamagedText;
    std::size_t DroppedLines = 0;
  };
  // The parsed files of the process (SettingsStore.cpp).
  class FileCache;

  void Keep(Parsed file);
  // Creates the file's folder with its parents; false with DamagedText_ set
  // when it cannot be.
  bool MakeFolder();
  // Load without its reset and folder: reads the file into the store.
  bool ReadFile();
  // Replaces the file with the values; the store's lock is held.
  void WriteLocked() const;

  std::optional<std::string> RawOf(const std::string& name, SettingKind kind) const;
  // Replaces the value of name after CheckLine (a copy of the values: they
  // may be shared with the cache).
  void Put(const std::string& name, Entry entry);

  std::string Path_;
  // Never null; shared with the cache until a value is written.
  std::shared_ptr<const ValueMap> Values_;
  std::string DamagedText_;
  std::size_t DroppedLines_ = 0;
  std::function<void(const std::string&)> TemporaryFileHook_;
  std::chrono::milliseconds LockWait_ = kLockWait;
};

}  // namespace platform
