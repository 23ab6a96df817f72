#pragma once
// Key pairs and signatures for packages, for the signing tools: what an effect
// author needs to make packages that the agent accepts.

#include <memory>
#include <string>
#include <string_view>

struct evp_pkey_st;

// Prime public exponent of generated keys: large, and two bytes long as the
// public key layout requires.
inline constexpr unsigned kKeygenExponent = 65521;

class PrivateKey {
 public:
  // A new 1024-bit key pair with the exponent kKeygenExponent.
  static PrivateKey Generate();
  // Reads a PEM private key file; raises std::runtime_error with the reason.
  static PrivateKey ReadPem(const std::string& FileName);

  PrivateKey(PrivateKey&&) noexcept;
  ~PrivateKey();

  // Writes the key as PEM, readable by its owner only.
  void WritePem(const std::string& FileName) const;
  // The public half in the 138-byte "PUBLIC_KEY" layout.
  std::string PublicKeyResource() const;
  // The 256-digit signature text of `Payload`.
  std::string SignatureText(std::string_view Payload) const;

 private:
  explicit PrivateKey(evp_pkey_st* key);
  struct Free {
    void operator()(evp_pkey_st* key) const;
  };
  std::unique_ptr<evp_pkey_st, Free> key_;
};

// `Payload` followed by its signature text and the text's length.
std::string SignedPackageBytes(const PrivateKey& Key, std::string_view Payload);

std::string ReadFileOrThrow(const std::string& FileName);
void WriteFileOrThrow(const std::string& FileName, std::string_view Bytes,
                      unsigned Permissions = 0644);
