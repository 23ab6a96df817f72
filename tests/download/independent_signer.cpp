#include "tests/download/independent_signer.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "tests/support/test_support.h"

namespace independent {

namespace {

using Limbs = std::vector<std::uint32_t>;

std::uint32_t Rotl(std::uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

Limbs ToLimbs(const Bytes& b) {
  Limbs l((b.size() + 3) / 4, 0);
  for (size_t i = 0; i < b.size(); ++i)
    l[i / 4] |= static_cast<std::uint32_t>(b[i]) << (8 * (i % 4));
  return l;
}

Bytes ToBytes(const Limbs& l) {
  Bytes b(l.size() * 4);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(l[i / 4] >> (8 * (i % 4)));
  while (!b.empty() && b.back() == 0) b.pop_back();
  return b;
}

void Trim(Limbs& a) {
  while (!a.empty() && a.back() == 0) a.pop_back();
}

int Compare(const Limbs& a, const Limbs& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = a.size(); i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

void SubtractInPlace(Limbs& a, const Limbs& b) {
  std::int64_t borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    std::int64_t d = static_cast<std::int64_t>(a[i]) - (i < b.size() ? b[i] : 0) - borrow;
    borrow = d < 0;
    a[i] = static_cast<std::uint32_t>(d + (borrow << 32));
  }
  Trim(a);
}

Limbs Multiply(const Limbs& a, const Limbs& b) {
  Limbs r(a.size() + b.size(), 0);
  for (size_t i = 0; i < a.size(); ++i) {
    std::uint64_t carry = 0;
    for (size_t j = 0; j < b.size(); ++j) {
      const std::uint64_t t = static_cast<std::uint64_t>(a[i]) * b[j] + r[i + j] + carry;
      r[i + j] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    r[i + b.size()] = static_cast<std::uint32_t>(carry);
  }
  Trim(r);
  return r;
}

// a mod m by shifting a in bit by bit.
Limbs Mod(const Limbs& a, const Limbs& m) {
  Limbs r;
  for (size_t bit = a.size() * 32; bit-- > 0;) {
    std::uint32_t carry = (a[bit / 32] >> (bit % 32)) & 1;
    for (std::uint32_t& limb : r) {
      const std::uint32_t next = limb >> 31;
      limb = (limb << 1) | carry;
      carry = next;
    }
    if (carry) r.push_back(carry);
    if (Compare(r, m) >= 0) SubtractInPlace(r, m);
  }
  return r;
}

Bytes Param(EVP_PKEY* key, const char* name) {
  BIGNUM* n = nullptr;
  if (!EVP_PKEY_get_bn_param(key, name, &n)) throw std::runtime_error("demo key lacks a number");
  Bytes bytes(static_cast<size_t>(BN_num_bytes(n)));
  BN_bn2lebinpad(n, bytes.data(), static_cast<int>(bytes.size()));
  BN_free(n);
  return bytes;
}

}  // namespace

std::array<std::uint8_t, 20> Sha1(std::string_view data) {
  std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::string msg(data);
  const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
  msg += '\x80';
  while (msg.size() % 64 != 56) msg += '\0';
  for (int i = 7; i >= 0; --i) msg += static_cast<char>(bits >> (8 * i));
  for (size_t chunk = 0; chunk < msg.size(); chunk += 64) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i)
      w[i] = static_cast<std::uint32_t>(static_cast<std::uint8_t>(msg[chunk + 4 * i])) << 24 |
             static_cast<std::uint32_t>(static_cast<std::uint8_t>(msg[chunk + 4 * i + 1])) << 16 |
             static_cast<std::uint32_t>(static_cast<std::uint8_t>(msg[chunk + 4 * i + 2])) << 8 |
             static_cast<std::uint32_t>(static_cast<std::uint8_t>(msg[chunk + 4 * i + 3]));
    for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      std::uint32_t f, k;
      if (i < 20) {
        f = (b & c) | (~b & d), k = 0x5A827999;
      } else if (i < 40) {
        f = b ^ c ^ d, k = 0x6ED9EBA1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
      } else {
        f = b ^ c ^ d, k = 0xCA62C1D6;
      }
      const std::uint32_t t = Rotl(a, 5) + f + e + k + w[i];
      e = d, d = c, c = Rotl(b, 30), b = a, a = t;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  std::array<std::uint8_t, 20> digest{};
  for (int i = 0; i < 20; ++i)
    digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

Bytes PowMod(const Bytes& base, const Bytes& exponent, const Bytes& modulus) {
  Limbs m = ToLimbs(modulus);
  Trim(m);
  Limbs b = ToLimbs(base);
  Trim(b);
  b = Mod(b, m);
  Limbs result{1};
  const Limbs e = ToLimbs(exponent);
  for (size_t bit = e.size() * 32; bit-- > 0;) {
    result = Mod(Multiply(result, result), m);
    if ((e[bit / 32] >> (bit % 32)) & 1) result = Mod(Multiply(result, b), m);
  }
  return ToBytes(result);
}

const KeyPair& DemoKey() {
  static const KeyPair key = [] {
    const std::string path = std::string(DEMO_KEYS_DIR) + "demo-private-key.pem";
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw std::runtime_error("cannot open " + path);
    EVP_PKEY* pkey = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (!pkey) throw std::runtime_error("cannot read " + path);
    KeyPair k{Param(pkey, OSSL_PKEY_PARAM_RSA_N), Param(pkey, OSSL_PKEY_PARAM_RSA_E),
              Param(pkey, OSSL_PKEY_PARAM_RSA_D)};
    EVP_PKEY_free(pkey);
    return k;
  }();
  return key;
}

std::string DemoPublicKeyFile() {
  return testing_support::ReadFileBytes(std::string(DEMO_KEYS_DIR) + "demo-public-key.bin");
}

Block StandardBlock(const std::array<std::uint8_t, 20>& digest) {
  Block block{};
  std::copy(digest.begin(), digest.end(), block.begin());
  std::fill(block.begin() + 21, block.begin() + 126, 0xFF);
  block[126] = 0x01;
  return block;
}

std::string SignBlock(const KeyPair& key, const Block& block) {
  Bytes s = PowMod(Bytes(block.begin(), block.end()), key.privateExponent, key.modulus);
  s.resize(128, 0);
  static const char* const kHex = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : s) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

std::string SignatureText(const KeyPair& key, std::string_view payload) {
  return SignBlock(key, StandardBlock(Sha1(payload)));
}

std::string Package(std::string_view payload, const std::string& text) {
  std::string bytes(payload);
  bytes += text;
  const auto n = static_cast<std::uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(n >> (8 * i));
  return bytes;
}

}  // namespace independent
