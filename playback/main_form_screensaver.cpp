// Screensaver mode: effects for the idle user, stopped when the user is back.

#include "agent/UMain.h"
#include "agent/event_log.h"
#include "common/uUtils.h"
#include "playback/ticks.h"

namespace {
// Pushes the idle deadline out of reach until the next activity.
constexpr std::uint32_t kOutOfReachMs = 999999999;
}  // namespace

void TFMain::CheckUserIdleAndFireSS() {
  bool active = false;
  const platform::Point cursor = services_.input.CursorPos();
  if (cursor != LastCursorPos) {
    LastCursorPos = cursor;
    active = true;
  } else {
    for (platform::VirtualKey key = 0; key <= 255 && !active; ++key)
      active = services_.input.KeyState(key) != 0;
  }
  const std::uint32_t now = services_.clock.Tick();
  if (active) {
    LastActivityTick = now;
    StopSSifRunning();
    if (IdleLimitMs == 0) IdleLimitMs = RegReadInt("InactTime", 15) * 60000;
    IdleDeadline = now + static_cast<std::uint32_t>(IdleLimitMs);
  } else if (IdleDeadline == 0 || TickPassed(now, IdleDeadline)) {
    IdleDeadline = now + kOutOfReachMs;
    if (!ScreensaverActive && RegRead("EEnabSS", "1") != "0") {
      ScreensaverActive = true;
      WriteLog("Start ScreenSaver", 2);
      FireObj("SE", false);
    }
  }
}

void TFMain::StopSSifRunning() {
  if (!ScreensaverActive) return;
  ScreensaverActive = false;
  WriteLog("Stop ScreenSaver", 2);
  ClearObjList("S", true);
}
