// ZipFolder: packs a folder tree into a new archive.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "common/MiniZip.h"
#include "platform/dialogs.h"

namespace fs = std::filesystem;

namespace {

// "*" and "*.*" match every name; otherwise "*" and "?" wildcards, case kept.
bool MaskMatches(std::string_view mask, std::string_view name) {
  if (mask == "*" || mask == "*.*") return true;
  size_t m = 0, n = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void PauseForListing() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Adds the files below `folder` matching `mask` to `list` as `prefix` + name
// ("/" between folders), each folder's names in sorted order. Subfolders are
// entered only when their names match too; symbolic links are never entered.
void ListFiles(const std::string& folder, const std::string& mask, const std::string& prefix,
               std::vector<std::string>& list) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(*it);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  // The folder's own "." and ".." entries count towards the pause as well.
  PauseForListing();
  PauseForListing();
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (MaskMatches(mask, name)) {
      if (entry.is_directory(ec) && !entry.is_symlink(ec))
        ListFiles(folder + name + "/", mask, prefix + name + "/", list);
      else
        list.push_back(prefix + name);
    }
    PauseForListing();
  }
}

std::string EntryName(std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', '\\');
  return relative;
}

}  // namespace

int ZipFolder(const std::string& Folder, const std::string& Mask, const std::string& ZipFile,
              platform::Dialogs& dialogs) {
  TMiniZip zip;
  zip.SetZipName(ZipFile);
  std::vector<std::string> names;
  ListFiles(Folder, Mask, "", names);
  int added = 0;
  for (const std::string& relative : names) {
    const std::string path = Folder + relative;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
      if (zip.AddFile(path, EntryName(relative)) == 0) ++added;
    } else {
      dialogs.Show(platform::DialogKind::Error, "Cannot add file " + path + " to " + ZipFile,
                   platform::DialogButtons::Ok);
    }
  }
  return added;
}
