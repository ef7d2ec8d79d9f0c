#include "platform/SettingsStore.h"

#include "platform/FileKind.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

namespace platform {

namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

char TagOf(SettingKind kind) {
  switch (kind) {
    case SettingKind::Double:
      return 'd';
    case SettingKind::Integer:
      return 'i';
    case SettingKind::Bool:
      return 'b';
    case SettingKind::String:
      break;
  }
  return 's';
}

bool KindOfTag(char tag, SettingKind& kind) {
  switch (tag) {
    case 's':
      kind = SettingKind::String;
      return true;
    case 'd':
      kind = SettingKind::Double;
      return true;
    case 'i':
      kind = SettingKind::Integer;
      return true;
    case 'b':
      kind = SettingKind::Bool;
      return true;
    default:
      return false;
  }
}

// Shortest text that reads back as the same double ('.' in every locale).
std::string DoubleText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}

template <typename T>
std::optional<T> ParseNumber(const std::string& text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || text.empty()) return std::nullopt;
  return value;
}

// Position of the first '=' not preceded by an escaping backslash; npos when none.
std::size_t SeparatorOf(const std::string& line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=') {
      return i;
    }
  }
  return std::string::npos;
}

// Closes a file descriptor when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : Fd_(fd) {}
  ~FileDescriptor() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  FileDescriptor(FileDescriptor&& other) noexcept : Fd_(other.Fd_) { other.Fd_ = -1; }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return Fd_; }

 private:
  int Fd_;
};

// Appends fd's bytes to text up to its end, or until text holds more than
// limit bytes (a file that grew past the limit); false on a read error.
bool ReadUpTo(int fd, std::size_t limit, std::string& text) {
  char buffer[1 << 16];
  while (text.size() <= limit) {
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

// What tells one version of a file from another without reading it.
struct FileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  std::int64_t ModifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

std::atomic<std::uint64_t> ParsedFiles{0};

// Writes all of data to fd; false on failure.
bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// Owns a temporary file: closes it, and removes it unless released after the rename.
class TemporaryFile {
 public:
  TemporaryFile(int fd, std::string path) : Fd_(fd), Path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!Path_.empty()) ::unlink(Path_.c_str());
    if (Fd_ >= 0) ::close(Fd_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int Fd() const { return Fd_; }
  const std::string& Path() const { return Path_; }
  // The file now lives on under another name: nothing to remove.
  void Release() { Path_.clear(); }

 private:
  int Fd_;
  std::string Path_;
};

// What a save names its temporary file: prefix and six letters or digits
// (mkstemp), prefix being one no user gives a file.
std::string TemporaryPrefix(const std::filesystem::path& file) {
  return "." + file.filename().string() + ".quorvane-save-";
}

bool IsTemporaryName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Saves run one at a time under the store's lock, so a file of the
// temporary name is what a save killed before its rename left behind (it
// may hold the values in clear text). Such ordinary files are removed; best
// effort, a file that cannot be removed is left for a later save.
void RemoveLeftTemporaries(const std::filesystem::path& folder, const std::string& prefix) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    struct stat named {};
    if (IsTemporaryName(it->path().filename().string(), prefix) && ::lstat(it->path().c_str(), &named) == 0 &&
        S_ISREG(named.st_mode))
      ::unlink(it->path().c_str());
  }
}

// Takes an exclusive flock on fd, waiting at most `wait`; false with errno
// set (ETIMEDOUT for a wait that ran out) when it was not had. The wait is
// made in the kernel by a thread of its own on a duplicate of fd: woken at
// the holder's release it takes the lock at once, where polling would lose
// it to a holder saving again and again. A wait given up goes on in that
// thread; the lock it may take then is released with its duplicate, as the
// caller's descriptor is closed by then.
bool LockWithin(int fd, std::chrono::milliseconds wait) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno != EWOULDBLOCK || wait.count() <= 0) return false;
  struct Waiter {
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    int Error = 0;  // 0: locked
  };
  const auto waiter = std::make_shared<Waiter>();
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return false;
  std::thread([waiter, copy] {
    int result = 0;
    while ((result = ::flock(copy, LOCK_EX)) != 0 && errno == EINTR) {
    }
    const int error = result == 0 ? 0 : errno;
    ::close(copy);
    const std::lock_guard<std::mutex> lock(waiter->Mutex);
    waiter->Finished = true;
    waiter->Error = error;
    waiter->Done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(waiter->Mutex);
  if (!waiter->Done.wait_for(lock, wait, [&waiter] { return waiter->Finished; })) {
    errno = ETIMEDOUT;
    return false;
  }
  errno = waiter->Error;
  return waiter->Error == 0;
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
  return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// Takes the lock of the store at `file`, waiting at most `wait` for another
// save to end: an exclusive flock on the lock file beside it, created when
// missing and never removed (a lock file removed while a save waits on it
// would let two saves run at once). The store's file cannot carry the lock:
// every save replaces it. Throws SettingsError when the lock is not had.
FileDescriptor LockStore(const std::filesystem::path& file, std::chrono::milliseconds wait) {
  const std::filesystem::path lockPath = FolderOf(file) / ("." + file.filename().string() + ".quorvane-lock");
  const std::string cannot = file.string() + " cannot be saved: its lock file " + lockPath.string();
  FileDescriptor lock(
      ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, S_IRUSR | S_IWUSR));
  struct stat info {};
  if (lock.Get() < 0 || ::fstat(lock.Get(), &info) != 0)
    throw SettingsError(cannot + " cannot be opened (" + std::strerror(errno) + ")");
  if (const std::string kind = SpecialFileKind(info.st_mode); !kind.empty())
    throw SettingsError(cannot + " is " + kind + ": move it away");
  if (!LockWithin(lock.Get(), wait)) {
    if (errno != ETIMEDOUT) throw SettingsError(cannot + " cannot be locked (" + std::strerror(errno) + ")");
    const auto ms = wait.count();
    throw SettingsError(file.string() + " cannot be saved now: another save of it did not end within " +
                        (ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms") +
                        "; try again");
  }
  return lock;
}

}  // namespace

// The values of each file parsed, by path, with the identity of the version
// parsed. Only versions modified at least a second before they were parsed
// are kept: a later change of the file cannot keep their identity.
class SettingsStore::FileCache {
 public:
  static FileCache& Instance() {
    static FileCache cache;
    return cache;
  }
  std::optional<Parsed> Find(const std::string& path, const FileIdentity& identity) {
    const std::lock_guard<std::mutex> lock(Mutex_);
    const auto found = Files_.find(path);
    if (found == Files_.end() || !(found->second.Identity == identity)) return std::nullopt;
    return found->second.File;
  }
  void Keep(const std::string& path, const FileIdentity& identity, const Parsed& file, std::int64_t parsedNs) {
    const std::lock_guard<std::mutex> lock(Mutex_);
    if (parsedNs - identity.ModifiedNs > 1000000000) {
      Files_[path] = Cached{identity, file};
    } else {
      Files_.erase(path);
    }
  }
  void Forget(const std::string& path) {
    const std::lock_guard<std::mutex> lock(Mutex_);
    Files_.erase(path);
  }

 private:
  struct Cached {
    FileIdentity Identity;
    Parsed File;
  };
  std::mutex Mutex_;
  std::map<std::string, Cached> Files_;
};

SettingsStore::SettingsStore(std::string path) : Path_(std::move(path)), Values_(std::make_shared<ValueMap>()) {}

std::uint64_t SettingsStore::ParsedFileCount() { return ParsedFiles.load(); }

std::string SettingsStore::DefaultPath() {
  const std::string home = EnvOrEmpty("QUORVANE_HOME");
  if (!home.empty()) return (std::filesystem::path(home) / "registry.conf").string();
  std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
  if (config.empty()) config = (std::filesystem::path(EnvOrEmpty("HOME")) / ".config").string();
  return (std::filesystem::path(config) / "Vosker" / "Quorvane" / "registry.conf").string();
}

std::string SettingsStore::Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '=':
        out += "\\=";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string SettingsStore::Unescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

std::size_t SettingsStore::LineBytes(const std::string& name, const std::string& text) {
  return Escape(name).size() + 3 + Escape(text).size();
}

std::size_t SettingsStore::MaxEscapedTextBytes(const std::string& name) {
  const std::size_t rest = LineBytes(name, {});
  return rest < kMaxLineBytes ? kMaxLineBytes - rest : 0;
}

void SettingsStore::CheckLine(const std::string& name, const std::string& text) {
  const std::size_t bytes = LineBytes(name, text);
  if (bytes > kMaxLineBytes) {
    throw SettingsError("the value of " + name + " is too long to be stored (" + std::to_string(bytes) +
                        " bytes as written, at most " + std::to_string(kMaxLineBytes) + ")");
  }
}

bool SettingsStore::Load() {
  Keep(Parsed{std::make_shared<ValueMap>(), {}, 0});
  return MakeFolder() && ReadFile();
}

bool SettingsStore::ReadFile() {
  // A file that cannot be used: what stands in the way, and its values at their defaults.
  const auto unusable = [this](const std::string& what, const char* remedy) {
    DamagedText_ = what + ": its values cannot be read or saved until it is " + remedy;
    return false;
  };
  const auto unreadable = [&unusable, this] {
    const int code = errno;
    return unusable(Path_ + " cannot be read (" + std::strerror(code) + ")", "made readable or moved away");
  };
  // Never waits: a named pipe opened so returns at once, and is refused below.
  const FileDescriptor file(::open(Path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  const auto special = [&unusable, this](const std::string& kind) {
    return unusable(Path_ + " is " + kind + ", not a settings file", "moved away");
  };
  if (file.Get() < 0) {
    if (errno != ENOENT) {
      // A socket cannot be opened at all: named by its kind as the others.
      const int code = errno;
      struct stat named {};
      if (::stat(Path_.c_str(), &named) == 0 && !SpecialFileKind(named.st_mode).empty())
        return special(SpecialFileKind(named.st_mode));
      errno = code;
      return unreadable();
    }
    FileCache::Instance().Forget(Path_);
    return true;  // no file yet: an empty store
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return unreadable();
  if (!SpecialFileKind(info.st_mode).empty()) return special(SpecialFileKind(info.st_mode));
  // The size is known before a byte is read: a damaged file is never parsed.
  const auto damaged = [this](std::uintmax_t bytes) {
    DamagedText_ = Path_ + " is damaged (" + std::to_string(bytes) +
                   " bytes, a settings file holds at most 1 MB): its values are not used, and the next save writes "
                   "it anew";
    return true;
  };
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxFileBytes)
    return damaged(static_cast<std::uintmax_t>(info.st_size));
  const FileIdentity identity{info.st_dev, info.st_ino, info.st_size, Nanoseconds(info.st_mtim)};
  if (auto cached = FileCache::Instance().Find(Path_, identity)) {
    Keep(std::move(*cached));
    return true;
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::string text;
  text.reserve(static_cast<std::size_t>(info.st_size) + 1);
  if (!ReadUpTo(file.Get(), kMaxFileBytes, text)) return unreadable();
  if (text.size() > kMaxFileBytes) return damaged(text.size());  // it grew since
  ++ParsedFiles;
  auto values = std::make_shared<ValueMap>();
  std::size_t longest = 0;
  Parsed parsed;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + begin, end - begin);
    begin = end + 1;
    // A line is counted without its line end ("\n" or "\r\n"); one longer
    // than the limit is damaged: passed over without being kept.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineBytes) {
      ++parsed.DroppedLines;
      longest = std::max(longest, line.size());
      continue;
    }
    const std::string whole(line);
    const std::size_t separator = SeparatorOf(whole);
    // A value is "<tag>:<text>"; lines without one are skipped.
    if (separator == std::string::npos || separator == 0 || whole.size() < separator + 3 ||
        whole[separator + 2] != ':') {
      continue;
    }
    Entry entry;
    if (!KindOfTag(whole[separator + 1], entry.Kind)) continue;
    entry.Text = Unescape(whole.substr(separator + 3));
    (*values)[Unescape(whole.substr(0, separator))] = std::move(entry);
  }
  if (parsed.DroppedLines > 0) {
    const bool one = parsed.DroppedLines == 1;
    parsed.DamagedText = Path_ + " is damaged (" +
                         (one ? "a line of " : std::to_string(parsed.DroppedLines) + " lines of up to ") +
                         std::to_string(longest) + " bytes, a settings line holds at most " +
                         std::to_string(kMaxLineBytes) + "): " + (one ? "its value is" : "their values are") +
                         " not used, and the next save drops " + (one ? "it" : "them");
  }
  parsed.Values = std::move(values);
  FileCache::Instance().Keep(Path_, identity, parsed, Nanoseconds(now));
  Keep(std::move(parsed));
  return true;
}

bool SettingsStore::MakeFolder() {
  const std::filesystem::path path(Path_);
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  if (!error) return true;
  DamagedText_ = Path_ + " cannot be read or saved: its folder cannot be created (" + error.message() + ")";
  return false;
}

void SettingsStore::Keep(Parsed file) {
  Values_ = std::move(file.Values);
  DamagedText_ = std::move(file.DamagedText);
  DroppedLines_ = file.DroppedLines;
}

void SettingsStore::Save() const {
  std::error_code error;
  const std::filesystem::path folder = FolderOf(Path_);
  std::filesystem::create_directories(folder, error);
  if (error) throw SettingsError("cannot create folder " + folder.string() + ": " + error.message());
  const FileDescriptor lock = LockStore(Path_, LockWait_);
  WriteLocked();
}

void SettingsStore::Update(const std::function<void(SettingsStore&)>& change) {
  Keep(Parsed{std::make_shared<ValueMap>(), {}, 0});
  if (!MakeFolder()) throw SettingsError(DamagedText_);
  const FileDescriptor lock = LockStore(Path_, LockWait_);
  // What other saves wrote since this store last read the file is kept.
  if (!ReadFile()) throw SettingsError(DamagedText_);
  change(*this);
  WriteLocked();
}

void SettingsStore::WriteLocked() const {
  std::string content;
  for (const auto& [name, entry] : *Values_) {
    content += Escape(name);
    content += '=';
    content += TagOf(entry.Kind);
    content += ':';
    content += Escape(entry.Text);
    content += '\n';
  }
  const std::filesystem::path path(Path_);
  const std::filesystem::path folder = FolderOf(path);
  const std::string prefix = TemporaryPrefix(path);
  RemoveLeftTemporaries(folder, prefix);

  std::string temporaryPath = (folder / (prefix + "XXXXXX")).string();
  const int fd = ::mkstemp(temporaryPath.data());  // mode 0600, O_EXCL
  if (fd < 0) throw SettingsError("cannot create a temporary file in " + folder.string() + ": " + std::strerror(errno));
  TemporaryFile temporary(fd, std::move(temporaryPath));
  auto fail = [this](const std::string& what) {
    const int code = errno;  // before anything else can change it
    throw SettingsError(what + " " + Path_ + ": " + std::strerror(code));
  };
  if (TemporaryFileHook_) TemporaryFileHook_(temporary.Path());
  if (::fchmod(temporary.Fd(), S_IRUSR | S_IWUSR) != 0) fail("cannot set the mode of");
  if (!WriteAll(temporary.Fd(), content)) fail("cannot write");
  if (::fsync(temporary.Fd()) != 0) fail("cannot flush");
  if (::rename(temporary.Path().c_str(), Path_.c_str()) != 0) fail("cannot replace");
  temporary.Release();
  // Make the rename itself durable.
  const FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.Get() >= 0) ::fsync(folderFd.Get());
}

bool SettingsStore::Contains(const std::string& name) const { return Values_->count(name) != 0; }

std::optional<SettingKind> SettingsStore::KindOf(const std::string& name) const {
  const auto found = Values_->find(name);
  if (found == Values_->end()) return std::nullopt;
  return found->second.Kind;
}

bool SettingsStore::Remove(const std::string& name) {
  if (!Contains(name)) return false;
  auto values = std::make_shared<ValueMap>(*Values_);
  values->erase(name);
  Values_ = std::move(values);
  return true;
}

void SettingsStore::Put(const std::string& name, Entry entry) {
  CheckLine(name, entry.Text);
  auto values = std::make_shared<ValueMap>(*Values_);
  (*values)[name] = std::move(entry);
  Values_ = std::move(values);
}

std::optional<std::string> SettingsStore::RawOf(const std::string& name, SettingKind kind) const {
  const auto found = Values_->find(name);
  if (found == Values_->end() || found->second.Kind != kind) return std::nullopt;
  return found->second.Text;
}

std::optional<std::string> SettingsStore::ReadString(const std::string& name) const {
  return RawOf(name, SettingKind::String);
}

std::optional<double> SettingsStore::ReadFloat(const std::string& name) const {
  const auto raw = RawOf(name, SettingKind::Double);
  return raw ? ParseNumber<double>(*raw) : std::nullopt;
}

std::optional<std::int32_t> SettingsStore::ReadInteger(const std::string& name) const {
  const auto raw = RawOf(name, SettingKind::Integer);
  return raw ? ParseNumber<std::int32_t>(*raw) : std::nullopt;
}

std::optional<bool> SettingsStore::ReadBool(const std::string& name) const {
  const auto raw = RawOf(name, SettingKind::Bool);
  if (!raw || (*raw != "0" && *raw != "1")) return std::nullopt;
  return *raw == "1";
}

void SettingsStore::WriteString(const std::string& name, const std::string& value) {
  Put(name, Entry{SettingKind::String, value});
}

void SettingsStore::WriteFloat(const std::string& name, double value) {
  Put(name, Entry{SettingKind::Double, DoubleText(value)});
}

void SettingsStore::WriteInteger(const std::string& name, std::int32_t value) {
  Put(name, Entry{SettingKind::Integer, std::to_string(value)});
}

void SettingsStore::WriteBool(const std::string& name, bool value) {
  Put(name, Entry{SettingKind::Bool, value ? "1" : "0"});
}

}  // namespace platform
