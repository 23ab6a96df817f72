#pragma once
// What the runner is asked to do: its command line and the sound setting.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/effect_protocol.h"

namespace runner {

struct RunnerArgs {
  std::int32_t id = 0;
  std::string padId;         // the eight digits of the command line
  std::uint64_t handle = 0;  // the agent's message port
  bool counterPage() const { return id == kCounterPageId; }
};

// Parses "re<PadId> <handle>". nullopt, with `error` set, for anything else.
std::optional<RunnerArgs> ParseRunnerArgs(int argc, const char* const* argv, std::string* error);

enum class AudioLevel { All, Basic, None };

// The `Audio` setting: "0" all sound, "1" basic sound, "2" none (muted).
// A number above 2 means none, like the configuration page shows it; anything
// else (no selection "-1", not a number) falls back to the default, all.
AudioLevel AudioLevelFromSetting(std::string_view text);

// The name a page sees in `window.sparkletideAudio`: "all", "basic", "none".
const char* AudioLevelName(AudioLevel level);

}  // namespace runner
