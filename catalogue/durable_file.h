#pragma once
// Whole-file reads and crash-safe whole-file writes.

#include <string>
#include <string_view>

namespace catalogue {

// Replaces the file with `bytes` so that, whenever the process or the machine
// stops, the file holds either its old or its new content: the bytes go to a
// temporary file beside it, are flushed to the disk, and the temporary file is
// renamed over the old one (the folder is flushed too). Raises
// std::runtime_error naming the file and the reason; the old file is then kept.
void WriteFileDurably(const std::string& path, std::string_view bytes);

// The whole content; raises std::runtime_error when the file cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace catalogue
