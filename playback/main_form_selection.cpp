// Which effect plays and when: the selection, the random mode, the timed
// check and the permanent effects.

#include <cmath>

#include "agent/UMain.h"
#include "agent/event_log.h"
#include "common/desktop_utils.h"
#include "common/uUtils.h"
#include "playback/selection.h"
#include "playback/ticks.h"

using catalogue::Field;

namespace {

constexpr double kTimedWindowDays = 1.0 / 6;  // four hours
constexpr std::uint32_t kActiveUserMs = 300000;

std::int64_t MinutesSetting(const char* name, int fallback) {
  return RegReadInt(name, fallback) * 60000ll;
}

}  // namespace

void TFMain::FireObj(const std::string& Types, bool TimedOnly) {
  if (FullScreenForeground(services_.desktop)) return;
  const double now = services_.clock.Now();
  const char day = static_cast<char>('0' + DayOfWeek(now));
  std::vector<std::int32_t> ids, counts;
  dObjList.ForEach([&](const catalogue::ObjRecord& r) {
    const double begin = r.DateTime(Field::BeginDate), end = r.DateTime(Field::EndDate);
    const std::string& type = r.Text(Field::ObjType);
    if (TimedOnly && !(end - begin < kTimedWindowDays)) return;
    if (type.empty() || Types.find(type) == std::string::npos) return;
    if (!r.Boolean(Field::ObjEnabled)) return;
    if (!(begin <= now && now <= end)) return;
    if (!TimedOnly && std::to_string(r.Integer(Field::EnableDays)).find(day) == std::string::npos)
      return;
    if (r.Integer(Field::MaxExecCount) <= 0) return;
    if ((now - r.DateTime(Field::LastExecTime)) * 86400.0 < r.Integer(Field::MinExecInterval))
      return;
    ids.push_back(r.Integer(Field::ObjID));
    counts.push_back(r.Integer(Field::ScreeningCountTotal));
  });
  if (ids.empty()) return;
  ClearObjList("ESHD", false);
  ShowEffect(ids[WeightedChoice(counts, Random)], Types.find('S') != std::string::npos);
}

void TFMain::CheckAndFireObj() {
  const std::uint32_t now = services_.clock.Tick();
  if (NextRandomTick != 0 && !TickPassed(now, NextRandomTick)) return;
  const std::int64_t minMs = MinutesSetting("MinLimit", 60);
  std::int64_t maxMs = MinutesSetting("MaxLimit", 240);
  if (minMs >= maxMs) maxMs = minMs + 3600000;
  if (NextRandomTick != 0 && isTimeToExecAllow(services_.clock.Now())) {
    if (now - LastActivityTick < kActiveUserMs) {
      WriteLog("Start standard effect", 2);
      FireObj("H", false);
    } else {
      // Nobody at the computer: ask again in five minutes.
      NextRandomTick += kActiveUserMs;
      return;
    }
  }
  const std::int64_t spread =
      std::uniform_int_distribution<std::int64_t>(0, maxMs - minMs - 1)(Random);
  NextRandomTick = static_cast<std::uint32_t>(now + minMs + spread);
}

void TFMain::CheckTimeEffStart() {
  const std::uint32_t now = services_.clock.Tick();
  if (now - LastTimedCheck <= 60000) return;
  LastTimedCheck = now;
  FireObj("HS", true);
}

void TFMain::ShowPermanentEffects() {
  for (dObjList.First(); !dObjList.Eof(); dObjList.Next()) {
    if (dObjList.Text(Field::ObjType) != "C" || !dObjList.Boolean(Field::ObjEnabled) ||
        dObjList.Integer(Field::ObjPointer) != 0)
      continue;
    const catalogue::Bookmark place = dObjList.GetBookmark();
    ShowEffect(dObjList.Integer(Field::ObjID), false);
    dObjList.GotoBookmark(place);
  }
}
