#pragma once
// The desktop's per-user folders that stand in for the start menu's
// Startup and Programs folders. Results have no trailing "/".

#include <string>

namespace platform {

// Autostart entries: $XDG_CONFIG_HOME/autostart.
std::string AutostartFolder();
// Application menu entries: $XDG_DATA_HOME/applications.
std::string ApplicationsFolder();

// Name of a menu or autostart entry file for `program` ("sparkletide.desktop").
std::string ShortcutFileName(const std::string& program);

}  // namespace platform
