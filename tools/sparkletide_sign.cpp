// sparkletide-sign: signs a zip archive as an effect package, or checks a
// package's signature the way the agent does.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/uUtils.h"
#include "download/public_key.h"
#include "download/rsa_verifier.h"
#include "download/signed_package.h"
#include "tools/package_signer.h"

namespace {

constexpr const char* kUsage =
    "usage: sparkletide-sign ZIP --key PRIVATE.pem [--out FILE]\n"
    "       sparkletide-sign verify FILE [--key PUBLIC.bin]\n"
    "Signing appends the signature to ZIP (or writes the signed package to FILE)\n"
    "and prints the package's CRC text, the one the catalogue server announces.\n"
    "verify prints VALID or FAIL as the agent would judge FILE, with the built-in\n"
    "public key unless --key names a public key in the 138-byte layout.\n"
    "Exit status 0 for a signed or valid package, 1 otherwise.\n";

int Error(const std::string& text) {
  std::cerr << "sparkletide-sign: " << text << "\n";
  return 1;
}

int Verify(const std::string& file, const std::optional<std::string>& keyFile) {
  const std::string key = keyFile ? ReadFileOrThrow(*keyFile) : std::string(BuiltInPublicKey());
  const std::string bytes = ReadFileOrThrow(file);
  const std::optional<SignedPackage> parts = SplitSignedPackage(bytes);
  if (!parts) {
    std::cout << "FAIL\n";
    std::cerr << "sparkletide-sign: " << file
              << (bytes.size() < 100 ? " is shorter than 100 bytes\n"
                                     : " has no signature trailer of 100 to 1000 characters\n");
    return 1;
  }
  TRsaVerifier rsa(key);
  try {
    const bool valid = rsa.CheckSign(parts->Payload, parts->SignatureText);
    std::cout << (valid ? "VALID\n" : "FAIL\n");
    return valid ? 0 : 1;
  } catch (const SignatureError& e) {
    std::cout << "FAIL: " << e.what() << "\n";
    return 1;
  }
}

int Sign(const std::string& zip, const std::string& keyFile, const std::string& out) {
  const PrivateKey key = PrivateKey::ReadPem(keyFile);
  const std::string signedBytes = SignedPackageBytes(key, ReadFileOrThrow(zip));
  WriteFileOrThrow(out, signedBytes);
  std::cout << CRC32Text(signedBytes) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional;
  std::optional<std::string> key, out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--key" || arg == "--out") {
      if (i + 1 >= argc) return Error(arg + " needs a file name");
      (arg == "--key" ? key : out) = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Error("unknown option " + arg + " (see --help)");
    } else {
      positional.push_back(arg);
    }
  }
  try {
    if (!positional.empty() && positional[0] == "verify") {
      if (positional.size() != 2 || out)
        return Error("usage: sparkletide-sign verify FILE [--key PUBLIC.bin]");
      return Verify(positional[1], key);
    }
    if (positional.size() != 1) return Error("expected one ZIP to sign (see --help)");
    if (!key) return Error("signing needs --key PRIVATE.pem");
    return Sign(positional[0], *key, out.value_or(positional[0]));
  } catch (const std::exception& e) {
    return Error(e.what());
  }
}
