#pragma once

// What the package signature and its checker share: the sizes of the
// scheme's RSA block and SHA-1 digest, and owning handles for libcrypto's
// big numbers.

#include <openssl/bn.h>

#include <cstddef>
#include <memory>

namespace rsa_numbers {

constexpr std::size_t kBlockSize = 128;  // 1024-bit modulus
constexpr std::size_t kDigestSize = 20;  // SHA-1

struct BnFree {
  void operator()(BIGNUM* n) const { BN_free(n); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

struct BnCtxFree {
  void operator()(BN_CTX* c) const { BN_CTX_free(c); }
};
using BnCtx = std::unique_ptr<BN_CTX, BnCtxFree>;

}  // namespace rsa_numbers
