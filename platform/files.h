#pragma once
// Files and folders: whole-file reads, crash-safe whole-file writes,
// appends that shut out other writers, attributes and folder listings.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Replaces the file with `bytes` so that, whenever the process or the machine
// stops, the file holds either its old or its new content: the bytes go to a
// temporary file beside it, are flushed to the disk, and the temporary file is
// renamed over the old one (the folder is flushed too). Raises
// std::runtime_error naming the file and the reason; the old file is then kept.
void WriteFileDurably(const std::string& path, std::string_view bytes, unsigned permissions = 0644);

// The whole content; raises std::system_error (a std::runtime_error) when the
// file cannot be read, with errc::no_such_file_or_directory when it is missing.
std::string ReadWholeFile(const std::string& path);

// Appends `bytes` to the file, creating it; false, writing nothing, when it
// cannot be opened or another writer holds it.
bool AppendExclusive(const std::string& path, std::string_view bytes);

// What the agent asks of a directory entry. A symbolic link is never
// followed: it is a link, not what it points at. Hidden: the name begins
// with "."; read-only: the owner may not write.
struct FileAttributes {
  bool directory = false;
  bool link = false;
  bool hidden = false;
  bool readOnly = false;
};
// nullopt when nothing of that name exists.
std::optional<FileAttributes> Attributes(const std::string& path);

// The names in a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);
// Whether `name` matches the wildcard `mask` ("*" and "*.*" match every name).
bool MaskMatches(const std::string& mask, const std::string& name);

bool MakeFolder(const std::string& path);
// Removes a file or link (never a folder); false when it cannot.
bool RemoveFile(const std::string& path);
// Removes a folder that is empty; false otherwise.
bool RemoveEmptyFolder(const std::string& path);

}  // namespace platform
