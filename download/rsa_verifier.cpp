#include "download/rsa_verifier.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "download/rsa_numbers.h"

namespace {

using rsa_numbers::Bn;
using rsa_numbers::kBlockSize;
using rsa_numbers::kDigestSize;

constexpr size_t kMaxKeyFileSize = 4097;

constexpr unsigned kTagSequence = 16;
constexpr unsigned kTagInteger = 2;

Bn FromLittleEndian(const std::uint8_t* bytes, size_t size) {
  Bn n(BN_lebin2bn(bytes, static_cast<int>(size), nullptr));
  if (!n) throw std::bad_alloc();
  return n;
}

// One DER element header: identifier, length and where the contents start.
struct Header {
  unsigned tagClass = 0;
  bool constructed = false;
  unsigned long tagNumber = 0;
  size_t length = 0;
  size_t contentStart = 0;
};

// Reads the header at `pos`: the identifier (the multi-byte tag form too) and
// the length (short form or long form with up to four length bytes).
std::optional<Header> ReadHeader(std::string_view der, size_t pos) {
  Header h;
  if (pos >= der.size()) return std::nullopt;
  const auto first = static_cast<std::uint8_t>(der[pos++]);
  h.tagClass = first >> 6;
  h.constructed = (first & 0x20) != 0;
  h.tagNumber = first & 0x1F;
  if (h.tagNumber == 0x1F) {
    h.tagNumber = 0;
    std::uint8_t b = 0;
    do {
      if (pos >= der.size() || h.tagNumber > (~0ul >> 8)) return std::nullopt;
      b = static_cast<std::uint8_t>(der[pos++]);
      h.tagNumber = (h.tagNumber << 7) | (b & 0x7F);
    } while (b & 0x80);
  }
  if (pos >= der.size()) return std::nullopt;
  const auto lengthByte = static_cast<std::uint8_t>(der[pos++]);
  if (lengthByte < 0x80) {
    h.length = lengthByte;
  } else {
    const size_t count = lengthByte & 0x7F;
    if (count == 0 || count > 4 || der.size() - pos < count) return std::nullopt;
    for (size_t i = 0; i < count; ++i)
      h.length = (h.length << 8) | static_cast<std::uint8_t>(der[pos++]);
  }
  h.contentStart = pos;
  return h;
}

bool IsUniversal(const Header& h, unsigned number, bool constructed) {
  return h.tagClass == 0 && h.tagNumber == number && h.constructed == constructed;
}

// Reads the INTEGER at `pos` within `der` (which ends where the enclosing
// SEQUENCE ends) and moves `pos` past it.
std::vector<std::uint8_t> ReadInteger(std::string_view der, size_t& pos) {
  const std::optional<Header> h = ReadHeader(der, pos);
  if (!h || !IsUniversal(*h, kTagInteger, false) || h->length > der.size() - h->contentStart)
    throw SignatureError("Invalid Asymmetric Key");
  std::string_view content = der.substr(h->contentStart, h->length);
  pos = h->contentStart + h->length;
  if (content.size() >= 2 && static_cast<std::uint8_t>(content[0]) == 0x00 &&
      static_cast<std::uint8_t>(content[1]) > 0x80)
    content.remove_prefix(1);
  return {content.begin(), content.end()};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ExponentTooSmall(const std::vector<std::uint8_t>& exponent) {
  unsigned long value = 0;
  for (auto it = exponent.rbegin(); it != exponent.rend(); ++it) {
    if (value >= kMinPublicExponent) return false;
    value = (value << 8) | *it;
  }
  return value < kMinPublicExponent;
}

std::array<std::uint8_t, kDigestSize> Sha1(std::string_view data) {
  std::array<std::uint8_t, kDigestSize> digest{};
  unsigned size = 0;
  if (!EVP_Digest(data.data(), data.size(), digest.data(), &size, EVP_sha1(), nullptr) ||
      size != kDigestSize)
    throw std::runtime_error("SHA-1 digest failed");
  return digest;
}

}  // namespace

RsaPublicKey ReadPublicKey(std::string_view KeyFile) {
  if (KeyFile.size() > kMaxKeyFileSize) throw SignatureError("Invalid Asymmetric Key");
  const std::optional<Header> outer = ReadHeader(KeyFile, 0);
  if (!outer || !IsUniversal(*outer, kTagSequence, true)) throw SignatureError("Invalid RSA Key");
  // The elements must fit in what remains of the sequence and of the file.
  const std::string_view content = KeyFile.substr(0, outer->contentStart + outer->length);
  size_t pos = outer->contentStart;
  RsaPublicKey key;
  key.Modulus = ReadInteger(content, pos);
  key.Exponent = ReadInteger(content, pos);
  if (std::all_of(key.Modulus.begin(), key.Modulus.end(), [](std::uint8_t b) { return b == 0; }))
    throw SignatureError("Invalid RSA public key");
  if (ExponentTooSmall(key.Exponent))
    throw SignatureError("Invalid RSA public key: the public exponent is below 257");
  return key;
}

std::array<std::uint8_t, 128> DecodeSignatureText(std::string_view SignatureText) {
  std::string digits;
  for (char c : SignatureText)
    if (HexDigit(c) >= 0) digits += c;
  std::array<std::uint8_t, kBlockSize> block{};
  const size_t n = std::min(kBlockSize, SignatureText.size());
  for (size_t i = 0; i < n && 2 * i < digits.size(); ++i) {
    const int high = HexDigit(digits[2 * i]);
    block[i] = static_cast<std::uint8_t>(
        2 * i + 1 < digits.size() ? high * 16 + HexDigit(digits[2 * i + 1]) : high);
  }
  return block;
}

struct TRsaVerifier::Numbers {
  Bn modulus;
  Bn exponent;
};

TRsaVerifier::TRsaVerifier(std::string KeyFile) : keyFile_(std::move(KeyFile)) {}
TRsaVerifier::~TRsaVerifier() = default;

bool TRsaVerifier::HasKey() const {
  return key_ != nullptr;
}

void TRsaVerifier::LoadKey() {
  const RsaPublicKey key = ReadPublicKey(keyFile_);
  auto numbers = std::make_unique<Numbers>();
  numbers->modulus = FromLittleEndian(key.Modulus.data(), key.Modulus.size());
  numbers->exponent = FromLittleEndian(key.Exponent.data(), key.Exponent.size());
  key_ = std::move(numbers);
}

bool TRsaVerifier::CheckSign(std::string_view Buffer, std::string_view SignatureText) {
  if (!key_) LoadKey();
  PendingSignature.assign(SignatureText);
  const std::array<std::uint8_t, kBlockSize> block = DecodeSignatureText(PendingSignature);
  PendingSignature.clear();

  const Bn s = FromLittleEndian(block.data(), block.size());
  Bn m(BN_new());
  rsa_numbers::BnCtx ctx(BN_CTX_new());
  if (!m || !ctx ||
      !BN_mod_exp(m.get(), s.get(), key_->exponent.get(), key_->modulus.get(), ctx.get()))
    throw std::runtime_error("RSA modular exponentiation failed");

  // M[1] .. M[t], M[1] the least significant byte; index k here is M[k + 1].
  const int t = BN_num_bytes(m.get());
  if (t < 11) throw SignatureError("RSA decoding error: Block too small");
  if (t > static_cast<int>(kBlockSize)) throw SignatureError("RSA decoding error: Block too large");
  std::vector<std::uint8_t> M(static_cast<size_t>(t));
  BN_bn2lebinpad(m.get(), M.data(), t);
  if (M[t - 1] != 1 && M[t - 1] != 2)
    throw SignatureError("RSA decoding error: Invalid block type");
  int j = t - 1;  // the 1-based position of the first zero byte below the block type
  while (j >= 1 && M[j - 1] != 0) --j;
  if (j < 1) throw SignatureError("RSA decoding error: Invalid block format");

  std::array<std::uint8_t, kDigestSize> signedDigest{};
  const size_t dataSize = static_cast<size_t>(j - 1);
  std::copy_n(M.begin(), std::min(kDigestSize, dataSize), signedDigest.begin());
  return signedDigest == Sha1(Buffer);
}
