#pragma once
// Signed packages: a zip archive followed by its signature as hexadecimal text
// and the text's length as a 4-byte little-endian number.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TRsaVerifier;

struct SignedPackage {
  std::string_view Payload;
  std::string_view SignatureText;
};

// Splits a whole package file into payload and signature text; nullopt when
// the file is shorter than 100 bytes or the length in its trailer is outside
// 100..1000.
std::optional<SignedPackage> SplitSignedPackage(std::string_view File);

// The download session's check of the file it holds in memory. With
// `InPlace` false the stream stays whole and a valid payload is written to
// `TmpZip` (the program folder's "dTmp.zip"); with `InPlace` true the trailer
// is cut off `Stream` whenever its length is acceptable and no file is
// written. Logs "Signature of file <FileName> is VALID" or "... is FAIL"
// through `LogLine` (also when the check raises, before the error goes on).
bool CheckSignInTmpMS(TRsaVerifier& rsa, std::string& Stream, bool InPlace,
                      const std::string& FileName, const std::string& TmpZip,
                      const std::function<void(const std::string&)>& LogLine);

// Verifies the signed package file `ZipFileName` and, when the signature is
// valid, unpacks its payload into `Folder` through the temporary archive
// `TmpZip` (the program folder's "pTmp.zip"), which is removed afterwards.
// The result tells whether the signature is valid; a failed extraction is
// only logged. Log lines go to the event log at level 1. Raises when the file
// cannot be read and passes on the verifier's errors.
bool CheckSignAndExtractZipFile(TRsaVerifier& rsa, const std::string& ZipFileName,
                                const std::string& Folder, const std::string& TmpZip);
