#pragma once
// Small helpers shared by the tests: temporary folders, files, environment
// overrides and polling with a deadline (tests never sleep a fixed time).

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder below the system temp folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder's path with a trailing "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// The texts of the event log file's lines, without their time stamps, in
// file order; empty when there is no file.
std::vector<std::string> LogTexts(const std::string& logFile);

// Polls `done` every few milliseconds until it holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

}  // namespace testing_support
