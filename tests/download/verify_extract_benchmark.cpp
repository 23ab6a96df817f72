// Verify + extract of a 5 MB signed package, against `unzip -o -q` on the same
// archive in the same run. Prints both medians and their ratio; the goal is a
// ratio at or below 1.2.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

#include "common/MiniZip.h"
#include "common/uUtils.h"
#include "download/rsa_verifier.h"
#include "download/signed_package.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/support/test_support.h"
#include "tools/package_signer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 9;

// An effect folder of about 5 MB: mostly incompressible pictures, some pages.
void MakeEffectFolder(const std::string& folder) {
  std::mt19937 random(5);
  fs::create_directories(folder + "img");
  for (int i = 0; i < 20; ++i) {
    std::string picture(256 * 1024, '\0');
    for (char& c : picture) c = static_cast<char>(random());
    testing_support::WriteFileBytes(folder + "img/p" + std::to_string(i) + ".jpg", picture);
  }
  std::string page;
  while (page.size() < 400 * 1024)
    page +=
        "<div class=\"flake\" style=\"left:" + std::to_string(random() % 1000) + "px\"></div>\n";
  testing_support::WriteFileBytes(folder + "index.htm", page);
  testing_support::WriteFileBytes(folder + "info.txt", "H\r\n\r\n\r\n\r\n\r\n\r\nBench\r\n");
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  testing_support::TempDir dir;
  testing_support::ScopedEnv registry("SPARKLETIDE_REGISTRY", dir / "registry");
  SetAppDir(dir.path());
  MakeEffectFolder(dir / "fx/");
  platform::ScriptedDialogs dialogs;
  ZipFolder(dir / "fx/", "*.*", dir / "payload.zip", dialogs);
  const PrivateKey key = PrivateKey::ReadPem(std::string(DEMO_KEYS_DIR) + "demo-private-key.pem");
  const std::string package =
      SignedPackageBytes(key, testing_support::ReadFileBytes(dir / "payload.zip"));
  testing_support::WriteFileBytes(dir / "package.zip", package);
  TRsaVerifier rsa(key.PublicKeyResource());

  std::vector<double> ours, unzip;
  for (int round = 0; round < kRounds; ++round) {
    fs::remove_all(dir / "a");
    fs::remove_all(dir / "b");
    auto start = Clock::now();
    if (!CheckSignAndExtractZipFile(rsa, dir / "package.zip", dir / "a/", dir / "pTmp.zip")) {
      std::fprintf(stderr, "verification failed\n");
      return 1;
    }
    ours.push_back(Seconds(start));
    start = Clock::now();
    const std::string command =
        "unzip -o -q '" + dir / "payload.zip" + "' -d '" + dir / "b" + "' 2>/dev/null";
    if (std::system(command.c_str()) > 256) {  // 1: warnings only
      std::fprintf(stderr, "unzip failed\n");
      return 1;
    }
    unzip.push_back(Seconds(start));
  }
  const double mb = static_cast<double>(package.size()) / (1024 * 1024);
  const double a = Median(ours), b = Median(unzip);
  std::printf("package %.2f MB, %d rounds (medians)\n", mb, kRounds);
  std::printf("verify + extract: %8.2f ms  %7.1f MB/s\n", a * 1000, mb / a);
  std::printf("unzip -o -q:      %8.2f ms  %7.1f MB/s\n", b * 1000, mb / b);
  std::printf("ratio: %.2f (goal <= 1.2)\n", a / b);
  SetAppDir("");
  return 0;
}
