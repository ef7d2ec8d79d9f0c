#pragma once
// Test scaffolding: an environment variable set for one scope, and a private
// temporary folder removed with its content at the end, optionally serving
// meanwhile as the process's QUORVANE_HOME.

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

// Sets (or, given nullptr, unsets) a variable; its old state comes back at scope end.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const char* value) : Name_(std::move(name)) {
    if (const char* old = std::getenv(Name_.c_str())) Old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(Old_ ? Old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const char* value) {
    if (value != nullptr) {
      ::setenv(Name_.c_str(), value, 1);
    } else {
      ::unsetenv(Name_.c_str());
    }
  }

 private:
  std::string Name_;
  std::optional<std::string> Old_;
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
  }
  ~TempDir() {
    Home_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(Path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return Path_; }
  std::string operator/(const std::string& name) const { return (Path_ / name).string(); }

  // Points QUORVANE_HOME at the sub-folder (not created here); restored by the destructor.
  std::string UseAsHome(const std::string& subFolder = "") {
    const std::string home = subFolder.empty() ? Path_.string() : (Path_ / subFolder).string();
    if (Home_) {
      Home_->Set(home.c_str());
    } else {
      Home_.emplace("QUORVANE_HOME", home.c_str());
    }
    return home;
  }

 private:
  std::filesystem::path Path_;
  std::optional<ScopedEnv> Home_;
};
