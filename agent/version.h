#pragma once

#include <string_view>

// The agent's version text: shown in the window caption, sent to the
// catalogue server, and the name of the single-instance mutex.
inline constexpr std::string_view kAgentVersion = "1.139";
