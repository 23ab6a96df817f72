#pragma once
// Where the program and its per-user files live.

#include <string>
#include <string_view>

namespace platform {

// Executables carry no suffix here ("sparkletide", "RunEffect", "pnew").
inline constexpr std::string_view kExeSuffix = "";

// Full path of the running executable.
std::string ExecutablePath();
// Folder of the running executable, with a trailing "/".
std::string ExecutableDir();

// Joins a folder and a name with exactly one "/" between them.
std::string JoinPath(std::string_view folder, std::string_view name);

// The value of an environment variable, or `fallback` when unset or empty.
std::string EnvOr(const char* name, std::string fallback);

// Per-user base folders (no trailing "/").
std::string HomeDir();
std::string ConfigHome();  // $XDG_CONFIG_HOME or ~/.config
std::string DataHome();    // $XDG_DATA_HOME or ~/.local/share
// The agent's private runtime folder (locks, message ports), created 0700 on
// demand: $XDG_RUNTIME_DIR/sparkletide, or /tmp/sparkletide-<uid>.
std::string RuntimeDir();

}  // namespace platform
