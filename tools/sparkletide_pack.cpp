// sparkletide-pack: packs an effect folder into a signed effect package.

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/MiniZip.h"
#include "common/uUtils.h"
#include "platform/dialogs.h"
#include "tools/package_signer.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: sparkletide-pack FOLDER OUT.zip --key PRIVATE.pem\n"
    "Packs every file below FOLDER (which must hold info.txt, and normally\n"
    "index.htm) into OUT.zip, signs it with the private key and prints the\n"
    "package's CRC text.\n";

int Error(const std::string& text) {
  std::cerr << "sparkletide-pack: " << text << "\n";
  return 1;
}

// Reports files that vanish while the folder is packed.
class StderrDialogs final : public platform::Dialogs {
 public:
  platform::DialogAnswer Show(platform::DialogKind, const std::string& text,
                              platform::DialogButtons) override {
    std::cerr << "sparkletide-pack: " << text << "\n";
    return platform::DialogAnswer::Ok;
  }
};

bool Inside(const fs::path& file, const fs::path& folder) {
  const fs::path f = fs::weakly_canonical(file), d = fs::weakly_canonical(folder);
  const auto mismatch = std::mismatch(d.begin(), d.end(), f.begin(), f.end());
  return mismatch.first == d.end();
}

int Pack(std::string folder, const std::string& out, const std::string& keyFile) {
  if (!fs::is_directory(folder)) return Error(folder + " is not a folder");
  if (folder.back() != '/') folder += '/';
  if (!fs::is_regular_file(folder + "info.txt")) return Error(folder + " has no info.txt");
  if (Inside(out, folder)) return Error(out + " must not lie inside " + folder);
  if (!fs::is_regular_file(folder + "index.htm"))
    std::cerr << "sparkletide-pack: warning: " << folder
              << " has no index.htm; the effect cannot be played\n";
  const PrivateKey key = PrivateKey::ReadPem(keyFile);

  const std::string archive = out + ".unsigned";
  fs::remove(archive);
  StderrDialogs dialogs;
  const int added = ZipFolder(folder, "*.*", archive, dialogs);
  std::string payload;
  try {
    payload = ReadFileOrThrow(archive);
  } catch (const std::exception&) {
    fs::remove(archive);
    return Error("cannot pack " + folder);
  }
  fs::remove(archive);
  const std::string signedBytes = SignedPackageBytes(key, payload);
  WriteFileOrThrow(out, signedBytes);
  std::cerr << "sparkletide-pack: " << added << " files packed into " << out << "\n";
  std::cout << CRC32Text(signedBytes) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional;
  std::optional<std::string> key;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--key") {
      if (i + 1 >= argc) return Error("--key needs a file name");
      key = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Error("unknown option " + arg + " (see --help)");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return Error("expected FOLDER and OUT.zip (see --help)");
  if (!key) return Error("packing needs --key PRIVATE.pem");
  try {
    return Pack(positional[0], positional[1], *key);
  } catch (const std::exception& e) {
    return Error(e.what());
  }
}
