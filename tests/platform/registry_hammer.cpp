// Test helper: writes values into a registry store, for tests that need
// several real processes writing at once or a writer killed mid-write.
//   registry_hammer FOLDER PREFIX COUNT   writes PREFIX0..PREFIX<COUNT-1>
//   registry_hammer FOLDER --big SIZE     rewrites one SIZE-byte value forever,
//                                         alternating all-'A' and all-'B'

#include <cstdlib>
#include <string>

#include "platform/registry_store.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  platform::RegistryStore store(argv[1]);
  const std::string key = "Software\\sparkletide\\Client";
  const std::string mode = argv[2];
  if (mode == "--big") {
    const size_t size = std::strtoul(argv[3], nullptr, 10);
    for (unsigned long i = 0;; ++i)
      store.Write(platform::Hive::CurrentUser, key, "Big",
                  platform::RegValue::String(std::string(size, i % 2 ? 'B' : 'A')));
  }
  const int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i)
    store.Write(platform::Hive::CurrentUser, key, mode + std::to_string(i),
                platform::RegValue::String(std::to_string(i)));
  return 0;
}
