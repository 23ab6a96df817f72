#pragma once
// What the agent and its effect runners agree on.

#include <cstdint>

// The message runners send about their effect (first parameter the effect's
// identifier, second 1 for alive, anything else for ended).
inline constexpr std::uint32_t WM_EFFECTSTATE = 1101;  // WM_USER + 77
// The identifier that asks a runner for the counter page instead of an effect.
inline constexpr std::int32_t kCounterPageId = 99998999;
