// sparkletide-keygen: makes a key pair for signing effect packages.

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "tools/package_signer.h"

namespace {

constexpr const char* kUsage =
    "usage: sparkletide-keygen PRIVATE.pem PUBLIC.bin [--force]\n"
    "Makes a 1024-bit RSA key pair for signing effect packages.\n"
    "  PRIVATE.pem  the private key (PEM), kept by whoever signs packages\n"
    "  PUBLIC.bin   the public key in the 138-byte layout the agent is built with\n"
    "               (configure with -DSPARKLETIDE_PUBLIC_KEY=PUBLIC.bin)\n"
    "  --force      replace existing files\n";

}  // namespace

int main(int argc, char** argv) {
  std::string files[2];
  int count = 0;
  bool force = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--force") {
      force = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "sparkletide-keygen: unknown option " << arg << " (see --help)\n";
      return 1;
    } else if (count < 2) {
      files[count++] = arg;
    } else {
      std::cerr << "sparkletide-keygen: too many arguments (see --help)\n";
      return 1;
    }
  }
  if (count != 2) {
    std::cerr << "sparkletide-keygen: expected PRIVATE.pem and PUBLIC.bin (see --help)\n";
    return 1;
  }
  try {
    for (const std::string& file : files)
      if (!force && std::filesystem::exists(file))
        throw std::runtime_error(file + " exists (use --force to replace it)");
    const PrivateKey key = PrivateKey::Generate();
    key.WritePem(files[0]);
    WriteFileOrThrow(files[1], key.PublicKeyResource());
  } catch (const std::exception& e) {
    std::cerr << "sparkletide-keygen: " << e.what() << "\n";
    return 1;
  }
  std::cout << "private key " << files[0] << ", public key " << files[1] << " (exponent "
            << kKeygenExponent << ")\n";
  return 0;
}
