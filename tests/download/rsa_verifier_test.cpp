// The signature verifier against signatures made by the independent signer:
// the key reader's rules, the text decoding and the block checks.

#include "download/rsa_verifier.h"

#include <gtest/gtest.h>

#include "tests/download/independent_signer.h"

using independent::Block;
using independent::DemoKey;
using independent::DemoPublicKeyFile;
using independent::SignBlock;

namespace {

const std::string kPayload = "PK\x03\x04 any payload bytes \x00\x01\xFF";

std::string Hex(const std::string& bytes) {
  static const char* const kHex = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += std::string{kHex[c >> 4], kHex[c & 15]};
  return out;
}

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

// A key file around the given little-endian modulus and exponent contents.
std::string KeyFile(const std::string& modulus, const std::string& exponent) {
  std::string elements = "\x02";
  elements += static_cast<char>(0x81);
  elements += static_cast<char>(modulus.size());
  elements += modulus + "\x02" + static_cast<char>(exponent.size()) + exponent;
  std::string file = "\x30";
  file += static_cast<char>(0x81);
  file += static_cast<char>(elements.size());
  return file + elements;
}

std::string DemoModulus() {
  return DemoPublicKeyFile().substr(6, 128);
}

std::string ErrorOf(const std::string& keyFile, const std::string& signature) {
  try {
    TRsaVerifier rsa(keyFile);
    rsa.CheckSign(kPayload, signature);
  } catch (const SignatureError& e) {
    return e.what();
  }
  return "";
}

std::string ErrorOfBlock(const Block& block) {
  return ErrorOf(DemoPublicKeyFile(), SignBlock(DemoKey(), block));
}

}  // namespace

TEST(IndependentSigner, Sha1MatchesKnownDigest) {
  const auto digest = independent::Sha1("abc");
  EXPECT_EQ(Hex(std::string(digest.begin(), digest.end())),
            "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(ReadPublicKey, ReadsTheDemoKey) {
  const RsaPublicKey key = ReadPublicKey(DemoPublicKeyFile());
  EXPECT_EQ(key.Modulus.size(), 128u);
  EXPECT_EQ(key.Modulus, DemoKey().modulus);
  EXPECT_EQ(key.Exponent, (std::vector<std::uint8_t>{0xF1, 0xFF}));  // 65521
}

TEST(ReadPublicKey, RejectsMalformedKeysWithTheirErrors) {
  const std::string good = DemoPublicKeyFile();
  const std::string modulus = DemoModulus();
  struct Case {
    const char* what;
    std::string file;
    const char* error;
  };
  const Case cases[] = {
      {"empty", "", "Invalid RSA Key"},
      {"outer SET", "\x31" + good.substr(1), "Invalid RSA Key"},
      {"outer INTEGER", "\x02" + good.substr(1), "Invalid RSA Key"},
      {"indefinite length", "\x30\x80" + good.substr(3), "Invalid RSA Key"},
      {"five length bytes", std::string("\x30\x85\x00\x00\x00\x00\x87", 7) + good.substr(3),
       "Invalid RSA Key"},
      {"too long", good + std::string(4097 - good.size() + 1, '\0'), "Invalid Asymmetric Key"},
      {"modulus not INTEGER", good.substr(0, 3) + "\x04" + good.substr(4),
       "Invalid Asymmetric Key"},
      {"truncated exponent", good.substr(0, 137), "Invalid Asymmetric Key"},
      {"exponent missing", good.substr(0, 134), "Invalid Asymmetric Key"},
      {"exponent longer than sequence", good.substr(0, 2) + "\x86" + good.substr(3),
       "Invalid Asymmetric Key"},
      {"zero modulus", KeyFile(std::string(128, '\0'), "\xF1\xFF"), "Invalid RSA public key"},
      {"exponent 3", KeyFile(modulus, std::string("\x03\x00", 2)),
       "Invalid RSA public key: the public exponent is below 257"},
      {"exponent 256", KeyFile(modulus, std::string("\x00\x01", 2)),
       "Invalid RSA public key: the public exponent is below 257"},
      {"exponent 0", KeyFile(modulus, std::string("\x00", 1)),
       "Invalid RSA public key: the public exponent is below 257"},
  };
  for (const Case& c : cases) {
    try {
      ReadPublicKey(c.file);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const SignatureError& e) {
      EXPECT_STREQ(e.what(), c.error) << c.what;
    }
  }
}

TEST(ReadPublicKey, AcceptsOtherDerFormsOfTheSameKey) {
  const std::string good = DemoPublicKeyFile();
  const std::string body = good.substr(3);
  const std::string variants[] = {
      good + std::string(4097 - good.size(), '\0'),       // 4097 bytes: the largest file
      std::string("\x30\x82\x00\x87", 4) + body,          // long form with two length bytes
      std::string("\x3F\x10\x81\x87", 4) + body,          // multi-byte form of the tag
      std::string("\x30\x84\x00\x00\x00\x87", 6) + body,  // four length bytes
  };
  for (const std::string& file : variants) {
    const RsaPublicKey key = ReadPublicKey(file);
    EXPECT_EQ(key.Modulus, DemoKey().modulus) << Hex(file.substr(0, 8));
    EXPECT_EQ(key.Exponent.size(), 2u);
  }
  EXPECT_EQ(ReadPublicKey(KeyFile(DemoModulus(), std::string("\x01\x01", 2))).Exponent.size(), 2u);
}

TEST(ReadPublicKey, DropsLeadingZeroOnlyBeforeAByteAbove0x80) {
  const std::string modulus = DemoModulus();
  ASSERT_GT(static_cast<std::uint8_t>(modulus[0]), 0x80);
  const RsaPublicKey dropped = ReadPublicKey(KeyFile(std::string(1, '\0') + modulus, "\xF1\xFF"));
  EXPECT_EQ(dropped.Modulus, DemoKey().modulus);
  // With the zero kept the modulus would differ, so the signature must fail.
  TRsaVerifier rsa(KeyFile(std::string(1, '\0') + modulus, "\xF1\xFF"));
  EXPECT_TRUE(rsa.CheckSign(kPayload, independent::SignatureText(DemoKey(), kPayload)));

  const std::string kept = KeyFile(std::string("\x00\x80", 2) + modulus.substr(1), "\xF1\xFF");
  EXPECT_EQ(ReadPublicKey(kept).Modulus.size(), 129u);
}

TEST(DecodeSignatureText, PairsDigitsAndSkipsOtherCharacters) {
  struct Case {
    std::string text;
    std::string expectedHexPrefix;  // the rest of the block is zero
  };
  const Case cases[] = {
      {"0A1b", "0a1b"},
      {"0A-1B\r\n", "0a1b"},
      {"ABC", "ab0c"},                                 // a lone last digit is a byte on its own
      {"A\r\nB\r\nC\r\nD", "abcd"},                    // digits split by line breaks
      {"zz", ""},                                      // no digit at all
      {std::string(300, 'F'), std::string(256, 'f')},  // at most 128 bytes
      // Only as many bytes as the text had characters, junk included.
      {"1122" + std::string(6, ' '), "1122"},
      {"11-22-33", "112233"},
      {"11223", "112203"},
  };
  for (const Case& c : cases) {
    const auto block = DecodeSignatureText(c.text);
    std::string expected = FromHex(c.expectedHexPrefix);
    expected.resize(128, '\0');
    EXPECT_EQ(Hex(std::string(block.begin(), block.end())), Hex(expected)) << c.text;
  }
}

class CheckSignTest : public testing::Test {
 protected:
  TRsaVerifier rsa_{DemoPublicKeyFile()};
  const std::string signature_ = independent::SignatureText(DemoKey(), kPayload);
};

TEST_F(CheckSignTest, AcceptsIndependentSignatureInAnyTextForm) {
  EXPECT_FALSE(rsa_.HasKey());
  EXPECT_TRUE(rsa_.CheckSign(kPayload, signature_));
  EXPECT_TRUE(rsa_.HasKey());

  std::string lower = signature_;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(rsa_.CheckSign(kPayload, lower));

  // Line breaks every 64 digits make the text longer than 256 characters.
  std::string split;
  for (size_t i = 0; i < signature_.size(); i += 64) split += signature_.substr(i, 64) + "\r\n";
  EXPECT_TRUE(rsa_.CheckSign(kPayload, split));
}

TEST_F(CheckSignTest, RejectsOtherDataAndAlteredSignatures) {
  EXPECT_FALSE(rsa_.CheckSign(kPayload + "x", signature_));
  EXPECT_FALSE(rsa_.CheckSign("", signature_));
  // A well-formed block that carries the digest of other data.
  EXPECT_FALSE(rsa_.CheckSign(kPayload, independent::SignatureText(DemoKey(), "other data")));
}

TEST_F(CheckSignTest, AcceptsEveryBlockTheLayoutAllows) {
  const auto digest = independent::Sha1(kPayload);
  // Block type 2 and arbitrary bytes (zeros too) between the marker and the digest.
  Block block = independent::StandardBlock(digest);
  block[126] = 0x02;
  for (int i = 20; i < 60; ++i) block[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0 : i);
  EXPECT_TRUE(rsa_.CheckSign(kPayload, SignBlock(DemoKey(), block)));

  // The block type one byte lower: fewer leading zero bytes are fine.
  Block lowered{};
  std::copy(digest.begin(), digest.end(), lowered.begin());
  lowered[30] = 0x01;
  lowered[29] = 0x7F;
  EXPECT_TRUE(rsa_.CheckSign(kPayload, SignBlock(DemoKey(), lowered)));
}

TEST_F(CheckSignTest, ShortDataPadsTheDigestWithZeros) {
  // Only 10 data bytes below the zero: the signed digest is those 10 bytes and
  // ten zeros, which matches no real digest.
  const auto digest = independent::Sha1(kPayload);
  Block block{};
  std::copy(digest.begin(), digest.begin() + 10, block.begin());
  block[10] = 0;
  block[11] = 0x55;
  block[12] = 0x01;
  EXPECT_FALSE(rsa_.CheckSign(kPayload, SignBlock(DemoKey(), block)));
}

TEST(CheckSign, RaisesTheFourDecodingErrors) {
  Block type3 = independent::StandardBlock(independent::Sha1(kPayload));
  type3[126] = 0x03;
  EXPECT_EQ(ErrorOfBlock(type3), "RSA decoding error: Invalid block type");

  Block noZero{};
  noZero.fill(0x11);
  noZero[126] = 0x01;
  noZero[127] = 0x00;
  EXPECT_EQ(ErrorOfBlock(noZero), "RSA decoding error: Invalid block format");

  Block small{};
  for (int i = 0; i < 10; ++i) small[i] = 0x22;
  EXPECT_EQ(ErrorOfBlock(small), "RSA decoding error: Block too small");
  // Signature text without any digit: the block is 0.
  EXPECT_EQ(ErrorOf(DemoPublicKeyFile(), "~ ~ xyz"), "RSA decoding error: Block too small");

  // A modulus longer than 128 bytes can give a longer block.
  std::string big(130, '\x5A');
  big[0] = '\x5B';
  EXPECT_EQ(ErrorOf(KeyFile(big, std::string("\x01\x00\x01", 3)), std::string(256, '7')),
            "RSA decoding error: Block too large");
}

TEST(CheckSign, KeyIsReadOnFirstUseAndItsErrorsRaised) {
  TRsaVerifier rsa("\x31\x00");
  EXPECT_FALSE(rsa.HasKey());
  EXPECT_EQ(ErrorOf("\x31\x00", "00"), "Invalid RSA Key");
  EXPECT_EQ(ErrorOf(KeyFile(DemoModulus(), std::string("\x03\x00", 2)), "00"),
            "Invalid RSA public key: the public exponent is below 257");
}
