#include "download/signed_package.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "agent/event_log.h"
#include "common/MiniZip.h"
#include "download/rsa_verifier.h"
#include "platform/files.h"

namespace {

constexpr size_t kMinFileSize = 100;
constexpr std::int32_t kMinSignatureText = 100;
constexpr std::int32_t kMaxSignatureText = 1000;

// A plain write: the temporary archives live only until they are unpacked,
// so they are not worth flushing to the disk.
void WriteWholeFile(const std::string& name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("Cannot write file " + name);
}

std::string VerdictLine(const std::string& fileName, bool valid) {
  return "Signature of file " + fileName + (valid ? " is VALID" : " is FAIL");
}

}  // namespace

std::optional<SignedPackage> SplitSignedPackage(std::string_view File) {
  if (File.size() < kMinFileSize) return std::nullopt;
  unsigned char tail[4];
  std::memcpy(tail, File.data() + File.size() - 4, 4);
  const auto n = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(tail[0]) | static_cast<std::uint32_t>(tail[1]) << 8 |
      static_cast<std::uint32_t>(tail[2]) << 16 | static_cast<std::uint32_t>(tail[3]) << 24);
  if (n < kMinSignatureText || n > kMaxSignatureText) return std::nullopt;
  // A file that is shorter than the trailer it claims holds no payload.
  if (static_cast<size_t>(n) + 4 > File.size()) return std::nullopt;
  const size_t payload = File.size() - static_cast<size_t>(n) - 4;
  return SignedPackage{File.substr(0, payload), File.substr(payload, static_cast<size_t>(n))};
}

bool CheckSignInTmpMS(TRsaVerifier& rsa, std::string& Stream, bool InPlace,
                      const std::string& FileName, const std::string& TmpZip,
                      const std::function<void(const std::string&)>& LogLine) {
  const std::optional<SignedPackage> parts = SplitSignedPackage(Stream);
  if (!parts) {
    LogLine(VerdictLine(FileName, false));
    return false;
  }
  bool valid = false;
  try {
    if (InPlace) {
      const std::string signature(parts->SignatureText);
      Stream.resize(parts->Payload.size());
      valid = rsa.CheckSign(Stream, signature);
    } else {
      valid = rsa.CheckSign(parts->Payload, parts->SignatureText);
    }
  } catch (...) {
    LogLine(VerdictLine(FileName, false));
    throw;
  }
  LogLine(VerdictLine(FileName, valid));
  // A temporary archive that cannot be written raises after the verdict: the
  // signature itself was good.
  if (valid && !InPlace) WriteWholeFile(TmpZip, parts->Payload);
  return valid;
}

bool CheckSignAndExtractZipFile(TRsaVerifier& rsa, const std::string& ZipFileName,
                                const std::string& Folder, const std::string& TmpZip) {
  const std::string file = platform::ReadWholeFile(ZipFileName);
  const std::optional<SignedPackage> parts = SplitSignedPackage(file);
  if (!parts) return false;
  if (!rsa.CheckSign(parts->Payload, parts->SignatureText)) {
    WriteLog(VerdictLine(ZipFileName, false), 1);
    return false;
  }
  WriteLog(VerdictLine(ZipFileName, true), 1);
  platform::RemoveFile(TmpZip);
  bool extracted = false;
  try {
    WriteWholeFile(TmpZip, parts->Payload);
    extracted = ExtractZip(TmpZip, Folder);
  } catch (const std::runtime_error&) {
    // A temporary archive that cannot be written is an extraction failure.
  }
  if (!extracted) WriteLog("Cannot extract data from file " + ZipFileName, 1);
  platform::RemoveFile(TmpZip);
  return true;
}
