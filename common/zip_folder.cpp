// ZipFolder: packs a folder tree into a new archive.

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/MiniZip.h"
#include "platform/dialogs.h"
#include "platform/files.h"

namespace {

void PauseForListing() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Adds the files below `folder` matching `mask` to `list` as `prefix` + name
// ("/" between folders), each folder's names in sorted order. Subfolders are
// entered only when their names match too; symbolic links are never entered.
void ListFiles(const std::string& folder, const std::string& mask, const std::string& prefix,
               std::vector<std::string>& list) {
  std::vector<std::string> names = platform::FolderEntries(folder);
  std::sort(names.begin(), names.end());
  // The folder's own "." and ".." entries count towards the pause as well.
  PauseForListing();
  PauseForListing();
  for (const std::string& name : names) {
    if (platform::MaskMatches(mask, name)) {
      const auto attributes = platform::Attributes(folder + name);
      if (attributes && attributes->directory)
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
    if (platform::Attributes(path)) {
      if (zip.AddFile(path, EntryName(relative)) == 0) ++added;
    } else {
      dialogs.Show(platform::DialogKind::Error, "Cannot add file " + path + " to " + ZipFile,
                   platform::DialogButtons::Ok);
    }
  }
  // An archive whose directory cannot be written is no archive at all.
  if (zip.CloseZip() != ZIP_OK) {
    platform::RemoveFile(ZipFile);
    return 0;
  }
  return added;
}
