#pragma once
// A file-backed settings registry: one text file per hive ("HKCU.reg",
// "HKLM.reg") in one folder. Keys are paths such as "Software\sparkletide\Client";
// key and value names match without regard to ASCII letter case. Values are
// typed, so a reader can tell a string from a number. Every change rewrites the
// hive atomically (temporary file, fsync, rename) under an advisory lock, so
// other processes see either the old or the new content, never a mix, and
// concurrent writers do not lose each other's values.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class Hive { CurrentUser, LocalMachine };

enum class RegType { String, DWord };

struct RegValue {
  RegType type = RegType::String;
  std::string text;          // for String
  std::uint32_t number = 0;  // for DWord

  static RegValue String(std::string s) { return {RegType::String, std::move(s), 0}; }
  static RegValue DWord(std::uint32_t n) { return {RegType::DWord, {}, n}; }
  bool operator==(const RegValue&) const = default;
};

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryStore {
 public:
  explicit RegistryStore(std::string folder);

  // The user's store: $SPARKLETIDE_REGISTRY, else $XDG_CONFIG_HOME/sparkletide/registry.
  static RegistryStore Default();


  // nullopt when the key or the value does not exist. Raises RegistryError
  // when the hive file cannot be read or is damaged.
  std::optional<RegValue> Read(Hive hive, std::string_view key, std::string_view name) const;
  // Values of one key in the order they were first written; empty when the key is missing.
  std::vector<std::pair<std::string, RegValue>> Values(Hive hive, std::string_view key) const;
  bool KeyExists(Hive hive, std::string_view key) const;

  // Creates the key (and the hive file) when missing. Raises RegistryError on failure.
  void Write(Hive hive, std::string_view key, std::string_view name, const RegValue& value);
  // Removes the key with its values and subkeys; a missing key is no error.
  void DeleteKey(Hive hive, std::string_view key);

  std::string HivePath(Hive hive) const;

 private:
  std::string folder_;
};

}  // namespace platform
