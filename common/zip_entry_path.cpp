#include "common/zip_entry_path.h"

#include <filesystem>

namespace fs = std::filesystem;

std::optional<std::string> RelativeEntryPath(std::string_view EntryName) {
  if (EntryName.empty()) return std::nullopt;
  if (EntryName[0] == '/' || EntryName[0] == '\\') return std::nullopt;
  if (EntryName.size() >= 2 && EntryName[1] == ':') return std::nullopt;

  std::string path;
  size_t start = 0;
  while (start <= EntryName.size()) {
    size_t end = EntryName.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = EntryName.size();
    const std::string_view part = EntryName.substr(start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") {
      if (!path.empty()) path += '/';
      path += part;
    }
    start = end + 1;
  }
  if (path.empty()) return std::nullopt;
  const char last = EntryName.back();
  if (last == '/' || last == '\\') path += '/';
  return path;
}

bool PathCrossesLink(const std::string& Folder, const std::string& RelativePath) {
  std::string path = Folder;
  size_t start = 0;
  while (start < RelativePath.size()) {
    size_t end = RelativePath.find('/', start);
    if (end == std::string::npos) end = RelativePath.size();
    path += RelativePath.substr(start, end - start);
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (fs::is_symlink(st)) return true;
    if (!fs::exists(st)) return false;  // nothing below a missing level exists yet
    path += '/';
    start = end + 1;
  }
  return false;
}
