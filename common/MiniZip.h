#pragma once
// Zip archive access on minizip: unpack a whole archive into a folder, pack a
// folder into a new archive. Data moves through one 8192-byte buffer; whole
// files are never loaded into memory.

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cstdio>
#include <string>
#include <vector>

namespace platform {
class Dialogs;
}

class TMiniZip {
 public:
  TMiniZip();
  // Closes both archives; closing the write archive writes its directory.
  ~TMiniZip();
  TMiniZip(const TMiniZip&) = delete;
  TMiniZip& operator=(const TMiniZip&) = delete;

  // Archive to write / to read. Setting a different path closes the open
  // archive of that kind.
  const std::string& ZipName() const { return zipName_; }
  void SetZipName(const std::string& Name);
  const std::string& UnzipName() const { return unzipName_; }
  void SetUnzipName(const std::string& Name);

  // Store extracted files without the entry's folder part.
  bool UzWithoutPath = false;
  // Overwrite existing files when extracting.
  bool UzOverwrite = true;

  // Adds `SourceFile` under `EntryName` (deflate, level 9, the file's
  // last-write time), creating the archive on first use. 0 on success,
  // minizip's negative code or -1 on failure, also when the source cannot be
  // read to its end.
  int AddFile(const std::string& SourceFile, const std::string& EntryName);

  // Unpacks every entry into `Folder`, accepting "/" and "\" as separators.
  // Entries that would land outside `Folder` (absolute names, ".." parts, a
  // symbolic link on the way) and symbolic-link entries are skipped, as are
  // entries whose file cannot be created. False when the archive is missing or
  // not a zip archive, or when an entry is damaged.
  bool ExtractAll(const std::string& Folder);

  // Finishes the write archive by writing its directory: 0 on success (also
  // when none is open), minizip's negative code when the archive is unusable.
  int CloseZip();

 private:
  void CloseUnzip();
  // 0 for an extracted or skipped entry, else an error code.
  int ExtractCurrentEntry(const std::string& Folder);
  // Copies the open entry's data into `out`: 0, a negative minizip code for
  // damaged data, or -1 when writing fails.
  int CopyCurrentEntry(std::FILE* out);

  std::string zipName_;
  std::string unzipName_;
  zipFile zip_ = nullptr;
  unzFile unzip_ = nullptr;
  std::vector<char> buffer_;
};

// Unpacks all of `ZipFile` into `Folder`; false when that fails.
bool ExtractZip(const std::string& ZipFile, const std::string& Folder);

// Packs every file below `Folder` (ending in "/") whose name matches `Mask`
// into the new archive `ZipFile`, entry names relative with "\" between
// folders. Returns the number of files added. A file that vanished after the
// listing is reported through `dialogs` and left out. No archive is created
// when the folder holds no file; an archive that cannot be finished is
// removed and 0 returned.
int ZipFolder(const std::string& Folder, const std::string& Mask, const std::string& ZipFile,
              platform::Dialogs& dialogs);
