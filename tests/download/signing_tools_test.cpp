// The signing tools as an effect author runs them: key generation, signing,
// verifying and packing, checked against the verifier and the independent
// signer.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/MiniZip.h"
#include "common/uUtils.h"
#include "download/public_key.h"
#include "download/rsa_verifier.h"
#include "download/signed_package.h"
#include "tests/common/zip_fixtures.h"
#include "tests/download/independent_signer.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using zip_fixtures::Quoted;
using zip_fixtures::RunShell;

namespace {

struct Result {
  int status;
  std::string output;
};

Result Tool(const char* tool, const std::string& args) {
  Result r;
  r.status = RunShell(Quoted(tool) + " " + args, &r.output);
  return r;
}

bool IsPrime(unsigned n) {
  if (n < 2) return false;
  for (unsigned d = 2; d * d <= n; ++d)
    if (n % d == 0) return false;
  return true;
}

class SigningToolsTest : public testing::Test {
 protected:
  void SetUp() override {
    const Result keygen =
        Tool(KEYGEN_TOOL, Quoted(dir_ / "key.pem") + " " + Quoted(dir_ / "key.bin"));
    ASSERT_EQ(keygen.status, 0) << keygen.output;
    fs::create_directories(dir_ / "fx/img");
    WriteFileBytes(dir_ / "fx/info.txt", "H\r\n\r\n\r\n\r\n\r\n\r\nSnow\r\n");
    WriteFileBytes(dir_ / "fx/index.htm", "<html>snow</html>");
    WriteFileBytes(dir_ / "fx/img/a.gif", std::string(3000, 'a'));
    ASSERT_EQ(RunShell("cd " + Quoted(dir_ / "fx") + " && zip -q -r ../plain.zip ."), 0);
  }

  std::string Verify(const std::string& file, const std::string& key = "") {
    const Result r =
        Tool(SIGN_TOOL, "verify " + Quoted(file) + (key.empty() ? "" : " --key " + Quoted(key)) +
                            " 2>/dev/null");
    EXPECT_EQ(r.status, r.output == "VALID\n" ? 0 : 1) << r.output;
    return r.output;
  }

  TempDir dir_;
};

}  // namespace

TEST_F(SigningToolsTest, KeygenWritesTheResourceLayoutWithALargePrimeExponent) {
  const std::string pub = ReadFileBytes(dir_ / "key.bin");
  ASSERT_EQ(pub.size(), 138u);
  EXPECT_EQ(pub.substr(0, 6), "\x30\x81\x87\x02\x81\x80");
  EXPECT_EQ(pub.substr(134, 2), "\x02\x02");
  const unsigned e = static_cast<std::uint8_t>(pub[136]) | static_cast<std::uint8_t>(pub[137]) << 8;
  EXPECT_TRUE(e >= 10000 && e <= 65535 && IsPrime(e)) << e;
  EXPECT_EQ(ReadPublicKey(pub).Modulus.size(), 128u);
  EXPECT_EQ(fs::status(dir_ / "key.pem").permissions() & fs::perms::group_read, fs::perms::none);

  // Existing files are kept unless --force is given.
  const Result again = Tool(KEYGEN_TOOL, Quoted(dir_ / "key.pem") + " " + Quoted(dir_ / "k2.bin"));
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.output.find("exists"), std::string::npos) << again.output;
  EXPECT_EQ(ReadFileBytes(dir_ / "key.bin"), pub);
}

TEST_F(SigningToolsTest, SignedArchiveVerifiesAndPrintsItsCrc) {
  const Result sign =
      Tool(SIGN_TOOL, Quoted(dir_ / "plain.zip") + " --key " + Quoted(dir_ / "key.pem") +
                          " --out " + Quoted(dir_ / "signed.zip"));
  ASSERT_EQ(sign.status, 0) << sign.output;
  const std::string file = ReadFileBytes(dir_ / "signed.zip");
  EXPECT_EQ(sign.output, CRC32Text(file) + "\n");
  const std::string plain = ReadFileBytes(dir_ / "plain.zip");
  ASSERT_EQ(file.size(), plain.size() + 260);
  EXPECT_EQ(file.substr(0, plain.size()), plain);
  EXPECT_EQ(file.substr(file.size() - 4), std::string("\x00\x01\x00\x00", 4));

  EXPECT_EQ(Verify(dir_ / "signed.zip", dir_ / "key.bin"), "VALID\n");
  TRsaVerifier rsa(ReadFileBytes(dir_ / "key.bin"));
  const auto parts = SplitSignedPackage(file);
  ASSERT_TRUE(parts);
  EXPECT_TRUE(rsa.CheckSign(parts->Payload, parts->SignatureText));

  // The independent side recovers exactly the block it would have built.
  const RsaPublicKey key = ReadPublicKey(ReadFileBytes(dir_ / "key.bin"));
  const auto s = DecodeSignatureText(parts->SignatureText);
  independent::Bytes block =
      independent::PowMod(independent::Bytes(s.begin(), s.end()), key.Exponent, key.Modulus);
  block.resize(128, 0);
  const auto expected = independent::StandardBlock(independent::Sha1(plain));
  EXPECT_EQ(block, independent::Bytes(expected.begin(), expected.end()));

  // Without --out the archive itself is signed.
  ASSERT_EQ(
      Tool(SIGN_TOOL, Quoted(dir_ / "plain.zip") + " --key " + Quoted(dir_ / "key.pem")).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_ / "plain.zip"), file);
}

TEST_F(SigningToolsTest, VerifyJudgesLikeTheAgent) {
  const std::string plain = ReadFileBytes(dir_ / "plain.zip");
  const auto& demo = independent::DemoKey();
  WriteFileBytes(dir_ / "demo.zip",
                 independent::Package(plain, independent::SignatureText(demo, plain)));
  WriteFileBytes(dir_ / "other.zip",
                 independent::Package(plain, independent::SignatureText(demo, "other")));
  independent::Block type3 = independent::StandardBlock(independent::Sha1(plain));
  type3[126] = 0x03;
  WriteFileBytes(dir_ / "type3.zip",
                 independent::Package(plain, independent::SignBlock(demo, type3)));
  WriteFileBytes(dir_ / "short.zip", std::string(99, 'A'));
  std::string smallKey = independent::DemoPublicKeyFile();
  smallKey[136] = 3;
  smallKey[137] = 0;
  WriteFileBytes(dir_ / "small.bin", smallKey);
  const std::string demoKey = std::string(DEMO_KEYS_DIR) + "demo-public-key.bin";

  EXPECT_EQ(Verify(dir_ / "demo.zip", demoKey), "VALID\n");
  // Under another key the block is noise: a FAIL, mostly with a decoding error.
  EXPECT_EQ(Verify(dir_ / "demo.zip", dir_ / "key.bin").rfind("FAIL", 0), 0u);
  EXPECT_EQ(Verify(dir_ / "other.zip", demoKey), "FAIL\n");
  EXPECT_EQ(Verify(dir_ / "type3.zip", demoKey), "FAIL: RSA decoding error: Invalid block type\n");
  EXPECT_EQ(Verify(dir_ / "short.zip", demoKey), "FAIL\n");
  EXPECT_EQ(Verify(dir_ / "plain.zip", demoKey), "FAIL\n");
  EXPECT_EQ(Verify(dir_ / "demo.zip", dir_ / "small.bin"),
            "FAIL: Invalid RSA public key: the public exponent is below 257\n");
  // Without --key the built-in key judges.
  const bool builtInIsDemo = BuiltInPublicKey() == independent::DemoPublicKeyFile();
  EXPECT_EQ(Verify(dir_ / "demo.zip").rfind(builtInIsDemo ? "VALID" : "FAIL", 0), 0u);
}

TEST_F(SigningToolsTest, PackMakesASignedPackageOfTheFolder) {
  const Result pack = Tool(PACK_TOOL, Quoted(dir_ / "fx") + " " + Quoted(dir_ / "fx.zip") +
                                          " --key " + Quoted(dir_ / "key.pem") + " 2>/dev/null");
  ASSERT_EQ(pack.status, 0) << pack.output;
  const std::string file = ReadFileBytes(dir_ / "fx.zip");
  EXPECT_EQ(pack.output, CRC32Text(file) + "\n");
  EXPECT_EQ(Verify(dir_ / "fx.zip", dir_ / "key.bin"), "VALID\n");

  const auto parts = SplitSignedPackage(file);
  ASSERT_TRUE(parts);
  WriteFileBytes(dir_ / "payload.zip", std::string(parts->Payload));
  ASSERT_TRUE(ExtractZip(dir_ / "payload.zip", dir_ / "out/"));
  EXPECT_EQ(zip_fixtures::Tree(dir_ / "out/"),
            (std::set<std::string>{"img/", "img/a.gif", "index.htm", "info.txt"}));
  EXPECT_EQ(ReadFileBytes(dir_ / "out/info.txt"), ReadFileBytes(dir_ / "fx/info.txt"));
}

TEST_F(SigningToolsTest, ToolsExplainUsageAndRefuseBadInput) {
  for (const char* tool : {KEYGEN_TOOL, SIGN_TOOL, PACK_TOOL}) {
    const Result help = Tool(tool, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("usage: ", 0), 0u) << help.output;
    const Result bad = Tool(tool, "--bogus");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("unknown option --bogus"), std::string::npos) << bad.output;
  }
  struct Case {
    const char* tool;
    std::string args;
    const char* message;
  };
  fs::create_directories(dir_ / "noinfo");
  WriteFileBytes(dir_ / "noinfo/index.htm", "x");
  const Case cases[] = {
      {SIGN_TOOL, Quoted(dir_ / "plain.zip"), "signing needs --key"},
      {SIGN_TOOL, Quoted(dir_ / "missing.zip") + " --key " + Quoted(dir_ / "key.pem"),
       "cannot read"},
      {SIGN_TOOL, Quoted(dir_ / "plain.zip") + " --key " + Quoted(dir_ / "key.bin"),
       "not a PEM private key"},
      {SIGN_TOOL, "verify " + Quoted(dir_ / "missing.zip"), "cannot read"},
      {PACK_TOOL,
       Quoted(dir_ / "noinfo") + " " + Quoted(dir_ / "n.zip") + " --key " +
           Quoted(dir_ / "key.pem"),
       "has no info.txt"},
      {PACK_TOOL,
       Quoted(dir_ / "fx") + " " + Quoted(dir_ / "fx/self.zip") + " --key " +
           Quoted(dir_ / "key.pem"),
       "must not lie inside"},
      {PACK_TOOL, Quoted(dir_ / "fx") + " " + Quoted(dir_ / "p.zip"), "packing needs --key"},
      {KEYGEN_TOOL, Quoted(dir_ / "only-one.pem"), "expected PRIVATE.pem and PUBLIC.bin"},
  };
  for (const Case& c : cases) {
    const Result r = Tool(c.tool, c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << ": " << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  }
  EXPECT_FALSE(Exists(dir_ / "n.zip"));
  EXPECT_FALSE(Exists(dir_ / "fx/self.zip"));
}
