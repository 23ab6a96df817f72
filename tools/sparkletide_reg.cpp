// sparkletide-reg: reads and changes the agent's settings registry.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/uUtils.h"
#include "platform/registry_store.h"

namespace {

constexpr const char* kUsage =
    "usage: sparkletide-reg [--hive HKCU|HKLM] [--key PATH] COMMAND\n"
    "  get NAME          print the value NAME\n"
    "  set NAME VALUE    store VALUE as the string value NAME\n"
    "  list              print every value of the key as NAME=VALUE\n"
    "The key defaults to Software\\sparkletide\\Client in HKCU; the store is\n"
    "$SPARKLETIDE_REGISTRY, else $XDG_CONFIG_HOME/sparkletide/registry.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "sparkletide-reg: %s\n", message.c_str());
  return 1;
}

std::string Show(const platform::RegValue& value) {
  if (value.type == platform::RegType::String) return value.text;
  return "dword:" + std::to_string(value.number);
}

}  // namespace

int main(int argc, char** argv) {
  platform::Hive hive = platform::Hive::CurrentUser;
  std::string key(kClientKey);
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if ((arg == "--hive" || arg == "--key") && i + 1 >= argc) return Fail(arg + " needs a value");
    if (arg == "--hive") {
      const std::string name = argv[++i];
      if (name == "HKCU")
        hive = platform::Hive::CurrentUser;
      else if (name == "HKLM")
        hive = platform::Hive::LocalMachine;
      else
        return Fail("unknown hive " + name + " (HKCU or HKLM)");
    } else if (arg == "--key") {
      key = argv[++i];
    } else {
      words.push_back(arg);
    }
  }
  if (words.empty()) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  try {
    platform::RegistryStore store = platform::RegistryStore::Default();
    const std::string& command = words[0];
    if (command == "get" && words.size() == 2) {
      const auto value = store.Read(hive, key, words[1]);
      if (!value) return Fail("no value " + words[1] + " in " + key);
      std::printf("%s\n", Show(*value).c_str());
    } else if (command == "set" && words.size() == 3) {
      store.Write(hive, key, words[1], platform::RegValue::String(words[2]));
    } else if (command == "list" && words.size() == 1) {
      for (const auto& [name, value] : store.Values(hive, key))
        std::printf("%s=%s\n", name.c_str(), Show(value).c_str());
    } else {
      return Fail("bad command line; see --help");
    }
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  return 0;
}
