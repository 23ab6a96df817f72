#pragma once
// Turning a zip entry name into a path below the extraction folder.

#include <optional>
#include <string>
#include <string_view>

// The entry name as a relative path with "/" between its parts ("\" counts as
// a separator too; empty and "." parts are dropped; a trailing separator is
// kept and marks a folder entry). nullopt when the name is absolute (leading
// separator or drive letter) or has a ".." part, so that it cannot leave the
// folder it is extracted into.
std::optional<std::string> RelativeEntryPath(std::string_view EntryName);

// True when `Folder` (ending in "/") + `RelativePath` passes through or ends
// at a symbolic link below `Folder`, so writing it could leave the folder.
bool PathCrossesLink(const std::string& Folder, const std::string& RelativePath);
