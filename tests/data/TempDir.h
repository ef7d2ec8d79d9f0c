#pragma once
// A private temporary folder for one test, removed with its content at the
// end; optionally the process's QUORVANE_HOME points into it meanwhile.

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
  }
  ~TempDir() {
    RestoreHome();
    std::error_code ignored;
    std::filesystem::remove_all(Path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return Path_; }
  std::string operator/(const std::string& name) const { return (Path_ / name).string(); }

  // Points QUORVANE_HOME at the sub-folder (not created here); restored by the destructor.
  std::string UseAsHome(const std::string& subFolder = "") {
    if (!SavedHome_) {
      const char* old = std::getenv("QUORVANE_HOME");
      SavedHome_ = old != nullptr ? std::optional<std::string>(old) : std::optional<std::string>(std::string());
      HadHome_ = old != nullptr;
    }
    const std::string home = subFolder.empty() ? Path_.string() : (Path_ / subFolder).string();
    ::setenv("QUORVANE_HOME", home.c_str(), 1);
    return home;
  }

 private:
  void RestoreHome() {
    if (!SavedHome_) return;
    if (HadHome_) {
      ::setenv("QUORVANE_HOME", SavedHome_->c_str(), 1);
    } else {
      ::unsetenv("QUORVANE_HOME");
    }
    SavedHome_.reset();
  }

  std::filesystem::path Path_;
  std::optional<std::string> SavedHome_;
  bool HadHome_ = false;
};
