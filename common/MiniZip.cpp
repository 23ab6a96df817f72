#include "common/MiniZip.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "common/zip_entry_path.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferSize = 8192;
constexpr int kCompressionLevel = 9;
// Host system "Unix" in an entry's "version made by", and the file-type bits
// of the Unix mode kept in the upper half of its external attributes.
constexpr unsigned kHostUnix = 3;
constexpr unsigned long kModeTypeMask = 0170000;
constexpr unsigned long kModeSymlink = 0120000;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::optional<std::tm> LocalLastWriteTime(const std::string& path) {
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const std::time_t t = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          std::chrono::file_clock::to_sys(written)));
  const std::tm* local = std::localtime(&t);
  if (!local) return std::nullopt;
  return *local;
}

uLong DosDateTime(const std::tm& t) {
  if (t.tm_year < 80) return (1u << 21) | (1u << 16);  // 1 January 1980, the earliest DOS date
  return (static_cast<uLong>(t.tm_year - 80) << 25) | (static_cast<uLong>(t.tm_mon + 1) << 21) |
         (static_cast<uLong>(t.tm_mday) << 16) | (static_cast<uLong>(t.tm_hour) << 11) |
         (static_cast<uLong>(t.tm_min) << 5) | (static_cast<uLong>(t.tm_sec) / 2);
}

// Gives `path` the entry's date and time, taken as local time.
void SetFileTime(const std::string& path, const tm_unz& date) {
  std::tm local{};
  local.tm_year = static_cast<int>(date.tm_year) - 1900;
  local.tm_mon = static_cast<int>(date.tm_mon);
  local.tm_mday = static_cast<int>(date.tm_mday);
  local.tm_hour = static_cast<int>(date.tm_hour);
  local.tm_min = static_cast<int>(date.tm_min);
  local.tm_sec = static_cast<int>(date.tm_sec);
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  if (t == static_cast<std::time_t>(-1)) return;
  std::error_code ec;
  fs::last_write_time(
      path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(t)), ec);
}

// One attempt to create a folder: true when it was created or already
// exists, or when access is denied (the level is then taken as given).
bool CreateLevel(const std::string& path, bool acceptDenied) {
  std::error_code ec;
  const bool created = fs::create_directory(path, ec);
  if (ec) return acceptDenied && ec == std::errc::permission_denied;
  return created || acceptDenied;
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Creates folder `path` with every missing level, one level at a time from
// the topmost missing one down. Fails when some level cannot be created.
bool ForceFolder(std::string path) {
  if (path.size() < 4) return false;
  if (path.back() == '/') path.pop_back();
  std::error_code ec;
  if (fs::is_directory(path, ec)) return true;
  for (;;) {
    if (CreateLevel(path, true)) return true;
    std::string upper = path;
    for (;;) {
      upper = ParentOf(upper);
      if (upper.empty()) return false;
      if (CreateLevel(upper, false)) break;
    }
  }
}

bool IsSymlinkEntry(const unz_file_info64& info) {
  return (info.version >> 8) == kHostUnix &&
         ((info.external_fa >> 16) & kModeTypeMask) == kModeSymlink;
}

}  // namespace

TMiniZip::TMiniZip() : buffer_(kBufferSize) {}

TMiniZip::~TMiniZip() {
  CloseUnzip();
  CloseZip();
}

void TMiniZip::SetZipName(const std::string& Name) {
  if (Name == zipName_) return;
  CloseZip();
  zipName_ = Name;
}

void TMiniZip::SetUnzipName(const std::string& Name) {
  if (Name == unzipName_) return;
  CloseUnzip();
  unzipName_ = Name;
}

int TMiniZip::CloseZip() {
  const int result = zip_ ? zipClose(zip_, nullptr) : ZIP_OK;
  zip_ = nullptr;
  return result;
}

void TMiniZip::CloseUnzip() {
  if (unzip_) unzClose(unzip_);
  unzip_ = nullptr;
}

int TMiniZip::AddFile(const std::string& SourceFile, const std::string& EntryName) {
  if (!zip_ && !zipName_.empty()) zip_ = zipOpen(zipName_.c_str(), APPEND_STATUS_CREATE);
  std::error_code ec;
  if (!fs::is_regular_file(SourceFile, ec) || EntryName.empty() || !zip_) return -1;

  zip_fileinfo info{};
  if (const std::optional<std::tm> t = LocalLastWriteTime(SourceFile)) {
    info.tmz_date.tm_sec = static_cast<uInt>(t->tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(t->tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(t->tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(t->tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(t->tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(t->tm_year + 1900);
    info.dosDate = DosDateTime(*t);
  }
  // The source is opened before the entry starts, so that a file that cannot
  // be opened leaves no empty entry behind.
  File source(std::fopen(SourceFile.c_str(), "rb"));
  if (!source) return -1;
  const int opened = zipOpenNewFileInZip(zip_, EntryName.c_str(), &info, nullptr, 0, nullptr, 0,
                                         nullptr, Z_DEFLATED, kCompressionLevel);
  if (opened != ZIP_OK) return opened;

  for (;;) {
    const size_t n = std::fread(buffer_.data(), 1, buffer_.size(), source.get());
    if (n > 0 && zipWriteInFileInZip(zip_, buffer_.data(), static_cast<unsigned>(n)) < 0) {
      zipCloseFileInZip(zip_);
      return -1;
    }
    if (n < buffer_.size()) break;
  }
  const bool readFailed = std::ferror(source.get()) != 0;
  source.reset();
  const int closed = zipCloseFileInZip(zip_);
  return readFailed ? -1 : closed;
}

bool TMiniZip::ExtractAll(const std::string& Folder) {
  std::error_code ec;
  if (!unzip_ && fs::is_regular_file(unzipName_, ec)) unzip_ = unzOpen64(unzipName_.c_str());
  unz_global_info64 global{};
  if (!unzip_ || unzGetGlobalInfo64(unzip_, &global) != UNZ_OK) return false;

  std::string folder = Folder;
  if (!folder.empty() && folder.back() != '/') folder += '/';

  if (global.number_entry == 0) return true;
  if (unzGoToFirstFile(unzip_) != UNZ_OK) return false;
  for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
    if (ExtractCurrentEntry(folder) != 0) return false;
    if (i + 1 < global.number_entry && unzGoToNextFile(unzip_) != UNZ_OK) return false;
  }
  return true;
}

int TMiniZip::ExtractCurrentEntry(const std::string& Folder) {
  unz_file_info64 info{};
  char name[256];
  int err = unzGetCurrentFileInfo64(unzip_, &info, name, sizeof name, nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) return err;
  name[sizeof name - 1] = '\0';

  std::optional<std::string> relative = RelativeEntryPath(name);
  if (!relative || IsSymlinkEntry(info)) return 0;
  const bool folderEntry = relative->back() == '/';
  if (UzWithoutPath) {
    if (folderEntry) return 0;
    relative = relative->substr(relative->rfind('/') + 1);
  }
  if (PathCrossesLink(Folder, *relative)) return 0;

  const std::string target = Folder + *relative;
  const size_t slash = target.rfind('/');
  if (!ForceFolder(slash == std::string::npos ? std::string() : target.substr(0, slash))) return 0;
  if (folderEntry) return 0;
  std::error_code ec;
  if (!UzOverwrite && fs::exists(fs::symlink_status(target, ec))) return 0;

  File out(std::fopen(target.c_str(), "wb"));
  if (!out) return 0;  // the file cannot be created: the entry is skipped

  err = unzOpenCurrentFile(unzip_);
  if (err != UNZ_OK) return err;
  err = CopyCurrentEntry(out.get());
  if (std::fclose(out.release()) != 0 && err == 0) err = -1;
  const int closed = unzCloseCurrentFile(unzip_);
  if (err != 0) return err;
  if (closed == UNZ_OK) SetFileTime(target, info.tmu_date);
  return closed;
}

int TMiniZip::CopyCurrentEntry(std::FILE* out) {
  for (;;) {
    const int n = unzReadCurrentFile(unzip_, buffer_.data(), static_cast<unsigned>(buffer_.size()));
    if (n < 0) return n;
    if (n == 0) break;
    if (std::fwrite(buffer_.data(), 1, static_cast<size_t>(n), out) != static_cast<size_t>(n))
      return -1;
  }
  return 0;
}

bool ExtractZip(const std::string& ZipFile, const std::string& Folder) {
  TMiniZip zip;
  zip.SetUnzipName(ZipFile);
  return zip.ExtractAll(Folder);
}
