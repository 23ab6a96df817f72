// Signed packages: the trailer rules, the session's in-memory check and the
// check-and-unpack of a package file, with their log lines.

#include "download/signed_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/MiniZip.h"
#include "common/uUtils.h"
#include "download/rsa_verifier.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/download/independent_signer.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using independent::DemoKey;
using independent::Package;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

std::string WithLength(std::string bytes, std::int32_t n) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(static_cast<std::uint32_t>(n) >> (8 * i));
  return bytes;
}

// The log lines written since the start, without their date and time.
std::vector<std::string> LogTexts(const std::string& logFile) {
  std::vector<std::string> texts;
  if (!Exists(logFile)) return texts;
  const std::string log = ReadFileBytes(logFile);
  size_t start = 0;
  while (start < log.size()) {
    const size_t end = log.find("\r\n", start);
    texts.push_back(log.substr(start + 20, end - start - 20));  // "dd.mm.yyyy hh:nn:ss "
    start = end + 2;
  }
  return texts;
}

}  // namespace

TEST(SplitSignedPackage, AppliesTheTrailerRules) {
  const std::string text100(100, 'A'), text1000(1000, 'B');
  EXPECT_FALSE(SplitSignedPackage(std::string(99, '\0')));
  // 99 bytes whose end looks like a fine trailer length.
  EXPECT_FALSE(SplitSignedPackage(WithLength(std::string(95, 'x'), 100)));
  EXPECT_FALSE(SplitSignedPackage(WithLength("zip" + std::string(99, 'A'), 99)));
  EXPECT_FALSE(SplitSignedPackage(WithLength("zip" + std::string(1001, 'A'), 1001)));
  EXPECT_FALSE(SplitSignedPackage(WithLength("zip" + std::string(200, 'A'), -1)));
  // A length that is acceptable but longer than the file.
  EXPECT_FALSE(SplitSignedPackage(WithLength(std::string(300, 'A'), 1000)));

  const std::string file100 = WithLength("zip" + text100, 100);
  const auto n100 = SplitSignedPackage(file100);
  ASSERT_TRUE(n100);
  EXPECT_EQ(n100->Payload, "zip");
  EXPECT_EQ(n100->SignatureText, text100);
  const std::string file1000 = WithLength(text1000, 1000);
  const auto n1000 = SplitSignedPackage(file1000);
  ASSERT_TRUE(n1000);
  EXPECT_EQ(n1000->Payload, "");
  EXPECT_EQ(n1000->SignatureText, text1000);
}

class SignedPackageTest : public testing::Test {
 protected:
  SignedPackageTest() : registry_("SPARKLETIDE_REGISTRY", dir_ / "registry") {
    SetAppDir(dir_.path());
    RegWrite("ELogLevel", "2");
    fs::create_directories(dir_ / "src/img");
    WriteFileBytes(dir_ / "src/index.htm", "<html/>");
    WriteFileBytes(dir_ / "src/img/a.gif", std::string(5000, 'g'));
    platform::ScriptedDialogs dialogs;
    ZipFolder(dir_ / "src/", "*.*", dir_ / "payload.zip", dialogs);
    zip_ = ReadFileBytes(dir_ / "payload.zip");
  }
  ~SignedPackageTest() override { SetAppDir(""); }

  std::string Signed(const std::string& payload) {
    return Package(payload, independent::SignatureText(DemoKey(), payload));
  }
  std::string Log() { return AppDir() + "sparkletide.log"; }
  std::string TmpZip() { return AppDir() + "pTmp.zip"; }

  TempDir dir_;
  ScopedEnv registry_;
  std::string zip_;
  TRsaVerifier rsa_{independent::DemoPublicKeyFile()};
};

TEST_F(SignedPackageTest, ValidPackageIsUnpackedThroughTheTemporaryArchive) {
  WriteFileBytes(dir_ / "00001234.zip", Signed(zip_));
  EXPECT_TRUE(CheckSignAndExtractZipFile(rsa_, dir_ / "00001234.zip", dir_ / "fx/", TmpZip()));
  EXPECT_EQ(LogTexts(Log()),
            std::vector<std::string>{"Signature of file " + dir_ / "00001234.zip" + " is VALID"});
  EXPECT_EQ(ReadFileBytes(dir_ / "fx/img/a.gif"), std::string(5000, 'g'));
  EXPECT_FALSE(Exists(TmpZip()));
}

TEST_F(SignedPackageTest, ValidSignatureOverNonZipIsTrueWithExtractionLine) {
  WriteFileBytes(TmpZip(), "left over from before");
  const std::string file = dir_ / "text.zip";
  WriteFileBytes(file, Signed("not a zip archive at all"));
  EXPECT_TRUE(CheckSignAndExtractZipFile(rsa_, file, dir_ / "fx/", TmpZip()));
  EXPECT_EQ(LogTexts(Log()), (std::vector<std::string>{"Signature of file " + file + " is VALID",
                                                       "Cannot extract data from file " + file}));
  EXPECT_FALSE(Exists(TmpZip()));
}

TEST_F(SignedPackageTest, InvalidOrUnacceptableFilesAreNotUnpacked) {
  const std::string forged = dir_ / "forged.zip";
  WriteFileBytes(forged, Package(zip_, independent::SignatureText(DemoKey(), "other")));
  EXPECT_FALSE(CheckSignAndExtractZipFile(rsa_, forged, dir_ / "fx/", TmpZip()));

  // Too short, or a trailer length out of range: false without a log line.
  const std::string shortFile = dir_ / "short.zip";
  WriteFileBytes(shortFile, std::string(99, 'A'));
  EXPECT_FALSE(CheckSignAndExtractZipFile(rsa_, shortFile, dir_ / "fx/", TmpZip()));
  const std::string plain = dir_ / "payload.zip";
  EXPECT_FALSE(CheckSignAndExtractZipFile(rsa_, plain, dir_ / "fx/", TmpZip()));

  EXPECT_EQ(LogTexts(Log()), std::vector<std::string>{"Signature of file " + forged + " is FAIL"});
  EXPECT_FALSE(Exists(dir_ / "fx"));
  EXPECT_THROW(CheckSignAndExtractZipFile(rsa_, dir_ / "missing.zip", dir_ / "fx/", TmpZip()),
               std::runtime_error);
}

TEST_F(SignedPackageTest, DecodingErrorsGoToTheCaller) {
  independent::Block block = independent::StandardBlock(independent::Sha1(zip_));
  block[126] = 0x03;
  const std::string file = dir_ / "type3.zip";
  WriteFileBytes(file, Package(zip_, independent::SignBlock(DemoKey(), block)));
  try {
    CheckSignAndExtractZipFile(rsa_, file, dir_ / "fx/", TmpZip());
    ADD_FAILURE() << "no error";
  } catch (const SignatureError& e) {
    EXPECT_STREQ(e.what(), "RSA decoding error: Invalid block type");
  }
  EXPECT_FALSE(Exists(dir_ / "fx"));
}

TEST_F(SignedPackageTest, SessionCheckOnACopyWritesThePayload) {
  const std::string package = Signed(zip_);
  std::string stream = package;
  std::vector<std::string> lines;
  const auto log = [&](const std::string& line) { lines.push_back(line); };
  EXPECT_TRUE(CheckSignInTmpMS(rsa_, stream, false, "00000007.zip", dir_ / "dTmp.zip", log));
  EXPECT_EQ(stream, package);
  EXPECT_EQ(ReadFileBytes(dir_ / "dTmp.zip"), zip_);
  EXPECT_EQ(lines, std::vector<std::string>{"Signature of file 00000007.zip is VALID"});
  EXPECT_FALSE(Exists(Log()));  // the session's lines go only where it says
}

TEST_F(SignedPackageTest, SessionCheckInPlaceCutsTheTrailer) {
  std::vector<std::string> lines;
  const auto log = [&](const std::string& line) { lines.push_back(line); };
  std::string valid = Signed(zip_);
  EXPECT_TRUE(CheckSignInTmpMS(rsa_, valid, true, "v.zip", dir_ / "dTmp.zip", log));
  EXPECT_EQ(valid, zip_);

  std::string invalid = Package(zip_, independent::SignatureText(DemoKey(), "other"));
  EXPECT_FALSE(CheckSignInTmpMS(rsa_, invalid, true, "i.zip", dir_ / "dTmp.zip", log));
  EXPECT_EQ(invalid, zip_);

  std::string unacceptable = WithLength(zip_ + std::string(1001, 'A'), 1001);
  const std::string before = unacceptable;
  EXPECT_FALSE(CheckSignInTmpMS(rsa_, unacceptable, true, "u.zip", dir_ / "dTmp.zip", log));
  EXPECT_EQ(unacceptable, before);

  EXPECT_EQ(lines, (std::vector<std::string>{"Signature of file v.zip is VALID",
                                             "Signature of file i.zip is FAIL",
                                             "Signature of file u.zip is FAIL"}));
  EXPECT_FALSE(Exists(dir_ / "dTmp.zip"));
}

TEST_F(SignedPackageTest, SessionCheckLogsFailBeforePassingAnErrorOn) {
  std::vector<std::string> lines;
  std::string stream = Package(zip_, std::string(256, '0'));
  EXPECT_THROW(CheckSignInTmpMS(rsa_, stream, false, "z.zip", dir_ / "dTmp.zip",
                                [&](const std::string& line) { lines.push_back(line); }),
               SignatureError);
  EXPECT_EQ(lines, std::vector<std::string>{"Signature of file z.zip is FAIL"});
  EXPECT_FALSE(Exists(dir_ / "dTmp.zip"));
}
