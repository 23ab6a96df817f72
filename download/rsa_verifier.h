#pragma once
// The package signature verifier: RSA over SHA-1 with a 1024-bit key, in the
// agent's own block layout. The signature and the decoded block are read as
// little-endian integers, and the block carries the bare 20-byte digest.

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised for an unusable key or a signature block that does not decode.
class SignatureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Public exponents below this are refused: with a tiny exponent the free bytes
// of the block would let anyone make a signature without the private key.
inline constexpr unsigned kMinPublicExponent = 257;

// The two integers of a public key, least significant byte first.
struct RsaPublicKey {
  std::vector<std::uint8_t> Modulus;
  std::vector<std::uint8_t> Exponent;
};

// Reads a key file in the built-in key's layout (a DER SEQUENCE of two
// INTEGERs with little-endian contents). Raises "Invalid RSA Key",
// "Invalid Asymmetric Key", "Invalid RSA public key" or the small-exponent error.
RsaPublicKey ReadPublicKey(std::string_view KeyFile);

// Decodes a signature text into its 128-byte block: characters that are not
// hexadecimal digits are dropped, each pair of digits gives one byte.
std::array<std::uint8_t, 128> DecodeSignatureText(std::string_view SignatureText);

// The verifier `rsa`. It holds the key text it was made with and reads it on
// the first check; the key is then kept for the verifier's life.
class TRsaVerifier {
 public:
  explicit TRsaVerifier(std::string KeyFile);
  ~TRsaVerifier();
  TRsaVerifier(const TRsaVerifier&) = delete;
  TRsaVerifier& operator=(const TRsaVerifier&) = delete;

  bool HasKey() const;
  // True when `SignatureText` is a valid signature of `Buffer`. Raises
  // SignatureError for a bad key or a block that does not decode.
  bool CheckSign(std::string_view Buffer, std::string_view SignatureText);

 private:
  void LoadKey();

  struct Numbers;
  std::string keyFile_;
  std::unique_ptr<Numbers> key_;
  std::string PendingSignature;
};
