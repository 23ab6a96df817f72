#pragma once
// A second, independent implementation of the package signature scheme for
// the tests: its own SHA-1 and plain schoolbook big-number arithmetic, so that
// signatures do not come from the code under test.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace independent {

using Bytes = std::vector<std::uint8_t>;  // numbers: least significant byte first
using Block = std::array<std::uint8_t, 128>;

std::array<std::uint8_t, 20> Sha1(std::string_view data);

// base ^ exponent mod modulus.
Bytes PowMod(const Bytes& base, const Bytes& exponent, const Bytes& modulus);

struct KeyPair {
  Bytes modulus, publicExponent, privateExponent;
};
// The committed demo key pair (the private key file is only parsed here).
const KeyPair& DemoKey();
// The demo public key file in the 138-byte layout.
std::string DemoPublicKeyFile();

// The block the signing side builds for a digest: digest, 0x00, 0xFF filler,
// block type 1 at byte 126, zero top byte.
Block StandardBlock(const std::array<std::uint8_t, 20>& digest);
// The 256-digit upper-case text of block ^ d mod n.
std::string SignBlock(const KeyPair& key, const Block& block);
std::string SignatureText(const KeyPair& key, std::string_view payload);
// `payload` + `text` + the text's length as 4 little-endian bytes.
std::string Package(std::string_view payload, const std::string& text);

}  // namespace independent
