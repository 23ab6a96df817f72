#include "tools/package_signer.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <array>
#include <stdexcept>
#include <vector>

#include "download/rsa_numbers.h"
#include "download/rsa_verifier.h"
#include "platform/files.h"

namespace {

using rsa_numbers::Bn;
using rsa_numbers::kBlockSize;
using rsa_numbers::kDigestSize;

constexpr int kKeyBits = 1024;

[[noreturn]] void Fail(const std::string& what) {
  const unsigned long code = ERR_get_error();
  char reason[256] = "";
  if (code) ERR_error_string_n(code, reason, sizeof reason);
  throw std::runtime_error(code ? what + ": " + reason : what);
}

Bn Param(const EVP_PKEY* key, const char* name) {
  BIGNUM* n = nullptr;
  if (!EVP_PKEY_get_bn_param(key, name, &n)) Fail(std::string("key has no ") + name);
  return Bn(n);
}

std::vector<unsigned char> LittleEndian(const BIGNUM* n, int size) {
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  if (BN_bn2lebinpad(n, bytes.data(), size) != size) throw std::runtime_error("number too large");
  return bytes;
}

}  // namespace

void PrivateKey::Free::operator()(evp_pkey_st* key) const {
  EVP_PKEY_free(key);
}

PrivateKey::PrivateKey(evp_pkey_st* key) : key_(key) {}
PrivateKey::PrivateKey(PrivateKey&&) noexcept = default;
PrivateKey::~PrivateKey() = default;

PrivateKey PrivateKey::Generate() {
  std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(
      EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr), EVP_PKEY_CTX_free);
  Bn exponent(BN_new());
  if (!ctx || !exponent || !BN_set_word(exponent.get(), kKeygenExponent) ||
      EVP_PKEY_keygen_init(ctx.get()) <= 0 ||
      EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), kKeyBits) <= 0 ||
      EVP_PKEY_CTX_set1_rsa_keygen_pubexp(ctx.get(), exponent.get()) <= 0)
    Fail("cannot set up key generation");
  EVP_PKEY* key = nullptr;
  if (EVP_PKEY_keygen(ctx.get(), &key) <= 0) Fail("key generation failed");
  return PrivateKey(key);
}

PrivateKey PrivateKey::ReadPem(const std::string& FileName) {
  const std::string pem = ReadFileOrThrow(FileName);
  std::unique_ptr<BIO, decltype(&BIO_free)> memory(
      BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
  EVP_PKEY* key = memory ? PEM_read_bio_PrivateKey(memory.get(), nullptr, nullptr, nullptr) : nullptr;
  if (!key) Fail("not a PEM private key: " + FileName);
  PrivateKey result(key);
  if (EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA || EVP_PKEY_get_bits(key) != kKeyBits)
    throw std::runtime_error("not a 1024-bit RSA key: " + FileName);
  const Bn e = Param(key, OSSL_PKEY_PARAM_RSA_E);
  if (BN_num_bytes(e.get()) > 2 || BN_get_word(e.get()) < kMinPublicExponent)
    throw std::runtime_error("public exponent must lie between " +
                             std::to_string(kMinPublicExponent) + " and 65535: " + FileName);
  return result;
}

// The key is formatted in memory and the file is created readable by its
// owner alone, so the key is never in a file others could open.
void PrivateKey::WritePem(const std::string& FileName) const {
  std::unique_ptr<BIO, decltype(&BIO_free)> memory(BIO_new(BIO_s_mem()), BIO_free);
  if (!memory ||
      !PEM_write_bio_PrivateKey(memory.get(), key_.get(), nullptr, nullptr, 0, nullptr, nullptr))
    Fail("cannot write " + FileName);
  char* pem = nullptr;
  const long size = BIO_get_mem_data(memory.get(), &pem);
  WriteFileOrThrow(FileName, std::string_view(pem, static_cast<size_t>(size)), 0600);
}

std::string PrivateKey::PublicKeyResource() const {
  const std::vector<unsigned char> modulus =
      LittleEndian(Param(key_.get(), OSSL_PKEY_PARAM_RSA_N).get(), kBlockSize);
  const std::vector<unsigned char> exponent =
      LittleEndian(Param(key_.get(), OSSL_PKEY_PARAM_RSA_E).get(), 2);
  std::string der = "\x30\x81\x87\x02\x81\x80";
  der.append(modulus.begin(), modulus.end());
  der += "\x02\x02";
  der.append(exponent.begin(), exponent.end());
  return der;
}

std::string PrivateKey::SignatureText(std::string_view Payload) const {
  std::array<unsigned char, kDigestSize> digest{};
  unsigned digestSize = 0;
  if (!EVP_Digest(Payload.data(), Payload.size(), digest.data(), &digestSize, EVP_sha1(), nullptr))
    Fail("SHA-1 failed");
  // Little-endian block: digest, a zero byte, 0xFF filler, block type 1 and a
  // zero top byte that keeps the value below the modulus.
  std::array<unsigned char, kBlockSize> block{};
  std::copy(digest.begin(), digest.end(), block.begin());
  block[20] = 0x00;
  std::fill(block.begin() + 21, block.begin() + 126, 0xFF);
  block[126] = 0x01;
  block[127] = 0x00;

  const Bn n = Param(key_.get(), OSSL_PKEY_PARAM_RSA_N);
  const Bn d = Param(key_.get(), OSSL_PKEY_PARAM_RSA_D);
  Bn m(BN_lebin2bn(block.data(), static_cast<int>(block.size()), nullptr));
  Bn s(BN_new());
  rsa_numbers::BnCtx ctx(BN_CTX_new());
  if (!m || !s || !ctx ||
      !BN_mod_exp_mont_consttime(s.get(), m.get(), d.get(), n.get(), ctx.get(), nullptr))
    Fail("signing failed");
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : LittleEndian(s.get(), kBlockSize)) {
    text += kHex[b >> 4];
    text += kHex[b & 0x0F];
  }
  return text;
}

std::string SignedPackageBytes(const PrivateKey& Key, std::string_view Payload) {
  const std::string text = Key.SignatureText(Payload);
  std::string bytes(Payload);
  bytes += text;
  const auto n = static_cast<std::uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((n >> (8 * i)) & 0xFF);
  return bytes;
}

std::string ReadFileOrThrow(const std::string& FileName) {
  try {
    return platform::ReadWholeFile(FileName);
  } catch (const std::exception& e) {
    throw std::runtime_error("cannot read " + FileName + " (" + e.what() + ")");
  }
}

void WriteFileOrThrow(const std::string& FileName, std::string_view Bytes, unsigned Permissions) {
  try {
    platform::WriteFileDurably(FileName, Bytes, Permissions);
  } catch (const std::exception& e) {
    throw std::runtime_error("cannot write " + FileName + " (" + e.what() + ")");
  }
}
