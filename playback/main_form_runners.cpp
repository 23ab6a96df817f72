// The main form's control of effect runners: starting and stopping them,
// keeping the catalogue's run state and play counts in step, and the
// runners' messages.

#include <system_error>

#include "agent/UMain.h"
#include "agent/event_log.h"
#include "common/uUtils.h"
#include "platform/paths.h"
#include "playback/URating.h"

using catalogue::Field;

namespace {

std::string RunnerPath() {
  return AppDir() + "RunEffect" + std::string(platform::kExeSuffix);
}

bool OfTypes(const std::string& type, const std::string& types) {
  return !type.empty() && types.find(type) != std::string::npos;
}

}  // namespace

bool TFMain::ShowEffect(std::int32_t Id, bool StopKeyAlways) {
  if (!dObjList.Locate(Field::ObjID, Id)) return false;
  if (!FileFound(ObjectsDir() + PadId(Id) + "/index.htm")) return false;
  const std::string type = dObjList.Text(Field::ObjType);
  if (dObjList.Integer(Field::ObjPointer) != 0) StopBrowserWin(Id, true);
  const std::int32_t handle = StartBrowserWin(Id, type != "C");
  WriteLog("Show object " + PadId(Id), 1);
  if (FRating && FRating->isVisible()) FRating->Timer1Timer();
  dObjList.Edit();
  dObjList.SetInteger(Field::ObjPointer, handle);
  dObjList.SetInteger(Field::ScreeningCountTmp, dObjList.Integer(Field::ScreeningCountTmp) + 1);
  dObjList.SetInteger(Field::ScreeningCountTotal, dObjList.Integer(Field::ScreeningCountTotal) + 1);
  dObjList.SetInteger(Field::MaxExecCount, dObjList.Integer(Field::MaxExecCount) - 1);
  dObjList.SetDateTime(Field::LastExecTime, services_.clock.Now());
  dObjList.Post();
  if (!StopKeyActive && (StopKeyAlways || (type != "C" && type != "S"))) {
    StopKeyActive = true;
    SetHotKey(kHotKeyStop, platform::TextToShortcut(RegRead("HotKey_Stop", "Esc")));
  }
  return true;
}

std::int32_t TFMain::StartBrowserWin(std::int32_t Id, bool CountsAsPlaying) {
  const std::vector<std::string> argv = {RunnerPath(), "re" + PadId(Id),
                                         std::to_string(services_.windowHandle)};
  std::string error;
  if (Id == kCounterPageId) {
    // The counter page is left to itself: no run entry, nothing logged.
    if (platform::LaunchDetached(argv, &error)) return 1;
  } else {
    try {
      RunEntry entry{Id, platform::ChildProcess::Spawn(argv), services_.clock.Tick(),
                     CountsAsPlaying};
      const std::int32_t handle = entry.process.pid();
      RunList.Add(std::move(entry));
      if (CountsAsPlaying) EffectPlaying = true;
      WriteLog("Object " + PadId(Id) + " executed", 1);
      return handle;
    } catch (const std::system_error& e) {
      error = e.code().message();
    }
  }
  if (!CountsAsPlaying) WriteLog("Error : " + error + ". Command : " + RunnerPath(), 0);
  return -1;
}

// `Kill` false says the runner is ending by itself; it is terminated all the
// same if it still runs when its entry goes, so no runner is left untracked.
void TFMain::StopBrowserWin(std::int32_t Id, [[maybe_unused]] bool Kill) {
  RunList.Remove(Id);
  EffectPlaying = RunList.AnyPlaying();
}

bool TFMain::StopEffect(std::int32_t Id, bool Kill) {
  if (!dObjList.Locate(Field::ObjID, Id)) return false;
  StopBrowserWin(Id, Kill);
  if (dObjList.Integer(Field::ObjPointer) != 0) {
    dObjList.Edit();
    dObjList.SetInteger(Field::ObjPointer, 0);
    dObjList.Post();
    WriteLog("Stop object " + PadId(Id), 1);
  }
  ShowRatingWin(Id, dObjList.Integer(Field::RatingConst));
  return true;
}

void TFMain::ClearObjList(const std::string& Types, bool AskRating) {
  int stopped = 0;
  std::int32_t notedId = 0, notedRating = 0;
  for (dObjList.First(); !dObjList.Eof(); dObjList.Next()) {
    if (dObjList.Integer(Field::ObjPointer) == 0 || !OfTypes(dObjList.Text(Field::ObjType), Types))
      continue;
    const std::int32_t id = dObjList.Integer(Field::ObjID);
    if (++stopped == 1) {
      notedId = id;
      notedRating = dObjList.Integer(Field::RatingConst);
    }
    StopBrowserWin(id, true);
    dObjList.Edit();
    dObjList.SetInteger(Field::ObjPointer, 0);
    dObjList.Post();
    WriteLog("Stop object " + PadId(id), 1);
  }
  if (!Terminating && AskRating && stopped == 1) ShowRatingWin(notedId, notedRating);
}

void TFMain::StopAllEffects() {
  services_.hotKeys.Unregister(kHotKeyStop);
  StopKeyActive = false;
  WriteLog("Stop all objects", 1);
  ClearObjList("ESHD", true);
}

void TFMain::EffectStateMessage(const platform::PortMessage& Message) {
  if (Message.message != WM_EFFECTSTATE) return;
  if (Message.second == 1)
    RunList.MarkAlive(Message.first, services_.clock.Tick());
  else
    StopEffect(Message.first, false);
}

void TFMain::ShowRatingWin(std::int32_t Id, std::int32_t RatingConst) {
  if (Terminating || !FRating || RegRead("EShRD", "1") == "0") return;
  FRating->ObjId = Id;
  FRating->CurRating = RatingConst != 0 ? 5 - RatingConst : -1;
  FRating->SetRating(FRating->CurRating);
  WriteLog("Show rating dialog for object " + PadId(Id), 2);
  FRating->FShow();
}
