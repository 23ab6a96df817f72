// The packages the build makes from the demo effects and the templates: each
// passes the agent's signature check with the built-in key, unpacks into a
// playable folder and describes itself as intended.

#include <gtest/gtest.h>

#include <vector>

#include "catalogue/obj_info.h"
#include "common/uUtils.h"
#include "download/public_key.h"
#include "download/rsa_verifier.h"
#include "download/signed_package.h"
#include "platform/clock.h"
#include "tests/support/test_support.h"

namespace {

struct Shipped {
  std::string package;  // below the build's resources folder
  std::string type;
};

TEST(ShippedPackages, VerifyUnpackAndDescribeThemselves) {
  const std::vector<Shipped> packages = {
      {"effects/00001001.zip", "S"},       {"effects/00001002.zip", "H"},
      {"effects/00001003.zip", "H"},       {"effects/00001004.zip", "C"},
      {"templates/BouncingBall.zip", "D"}, {"templates/FloatingText.zip", "D"},
  };
  testing_support::TempDir app;
  SetAppDir(app.path());
  TRsaVerifier rsa{std::string(BuiltInPublicKey())};
  const double now = platform::SystemClock().Now();
  int n = 0;
  for (const Shipped& s : packages) {
    SCOPED_TRACE(s.package);
    const std::string folder = "f" + std::to_string(++n);
    ASSERT_TRUE(CheckSignAndExtractZipFile(rsa, PACKAGES_DIR + s.package,
                                           ObjectsDir() + folder + "/", app / "pTmp.zip"));
    EXPECT_TRUE(testing_support::Exists(ObjectsDir() + folder + "/index.htm"));
    const ObjInfo info = ReadObjInfo(folder);
    EXPECT_EQ(info.ObjType, s.type);
    EXPECT_NE(info.ObjName, folder);
    EXPECT_FALSE(info.ObjDescription.empty());
    EXPECT_EQ(info.EnableDays, 1234567);
    if (s.type != "D") {
      // Playable from today on, so the selection can pick it.
      EXPECT_LE(info.BeginDate, now);
      EXPECT_GT(info.EndDate, now);
    }
  }
}

}  // namespace
