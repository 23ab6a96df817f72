#include "runner/runner_options.h"

#include <charconv>

#include "common/uUtils.h"

namespace runner {
namespace {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::optional<RunnerArgs> ParseRunnerArgs(int argc, const char* const* argv, std::string* error) {
  auto fail = [&](const std::string& text) -> std::optional<RunnerArgs> {
    if (error) *error = text;
    return std::nullopt;
  };
  if (argc != 3) return fail("usage: RunEffect re<PadId> <handle>");
  const std::string_view effect = argv[1], handle = argv[2];
  if (effect.substr(0, 2) != "re" || effect.size() != 10 || !AllDigits(effect.substr(2)))
    return fail("not an effect identifier: " + std::string(effect));
  RunnerArgs args;
  args.padId = std::string(effect.substr(2));
  std::from_chars(args.padId.data(), args.padId.data() + args.padId.size(), args.id);
  const auto [end, rc] = std::from_chars(handle.data(), handle.data() + handle.size(), args.handle);
  if (!AllDigits(handle) || rc != std::errc() || end != handle.data() + handle.size() ||
      args.handle == 0)
    return fail("not a window handle: " + std::string(handle));
  return args;
}

AudioLevel AudioLevelFromSetting(std::string_view text) {
  const std::int32_t value = StrToIntDef(text, 0);
  if (value == 1) return AudioLevel::Basic;
  if (value >= 2) return AudioLevel::None;
  return AudioLevel::All;
}

const char* AudioLevelName(AudioLevel level) {
  switch (level) {
    case AudioLevel::Basic:
      return "basic";
    case AudioLevel::None:
      return "none";
    case AudioLevel::All:
      break;
  }
  return "all";
}

}  // namespace runner
