#pragma once
// The agent's main form `FMain`: never shown, it owns the agent's lasting
// objects, runs the once-a-second heartbeat, shows the tray icon and receives
// the global hot keys.

#include <cstdint>
#include <exception>
#include <random>
#include <string>

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include "agent/agent_window.h"
#include "catalogue/obj_table.h"
#include "common/effect_protocol.h"
#include "download/rsa_verifier.h"
#include "platform/clock.h"
#include "platform/cpu_probe.h"
#include "platform/desktop_queries.h"
#include "platform/dialogs.h"
#include "platform/hot_keys.h"
#include "platform/input_queries.h"
#include "platform/message_port.h"
#include "platform/shortcut.h"
#include "playback/run_list.h"

class AgentApplication;
class TFRating;

// Hot-key ids.
enum HotKeyId { kHotKeyStop = 1, kHotKeyForce = 2, kHotKeyEnable = 3, kHotKeyShowHide = 4 };

class TFMain : public QWidget {
  Q_OBJECT
 public:
  struct Services {
    platform::Clock& clock;
    platform::HotKeys& hotKeys;
    platform::DesktopQueries& desktop;
    platform::InputQueries& input;
    platform::CpuProbe& cpu;
    platform::Dialogs& dialogs;
    // The number runners are given to address their messages to.
    std::uint64_t windowHandle = 0;
    AgentApplication* application = nullptr;  // receives ProcessException
  };

  // Runs FormCreate; the destructor runs FormDestroy.
  explicit TFMain(Services services);
  ~TFMain() override;

  void TimerTimer();
  void ProcessException(const QObject* Sender, const std::exception& E);
  void LoadIcon(const std::string& Name);
  void LoadTrayIcon();
  void RxTrayIconClick();
  void RxTrayIconDblClick();
  void CheckFormVisibility();
  void SetHotKey(int Id, platform::Shortcut Key);
  // A press of a registered global hot key.
  void HotKeyPressed(int Id);

  // The catalogue file and the reconciliation with the effects folder.
  void SaveObjList();
  void LoadObjList();
  void CreateObjList();
  // Record operations; those taking an identifier act on its first record.
  void SetObjType(std::int32_t ObjID, const std::string& Type);
  void SetObjEnabled(std::int32_t ObjID, bool Enabled);
  bool ChkObjName(std::int32_t ObjID);
  void SetObjRating(std::int32_t ObjID, std::int32_t Rating);
  bool CheckObjExists(std::int32_t ObjID, const std::string& CRC);
  void ClearStat();
  void ClearTableTmp();
  void AddNewObject(std::int32_t ObjID, const std::string& ObjName, const std::string& ObjType,
                    const std::string& ObjDescription, const std::string& ZipFileName,
                    const std::string& ZipFileCRC32, std::int32_t MaxExecCount,
                    std::int32_t EnableDays, std::int32_t MinExecInterval, double BeginDate,
                    double EndDate);
  bool DeleteObject(std::int32_t ObjID);
  // Signature checks with the built-in key.
  bool CheckSign(std::string_view Buffer, std::string_view SignatureText);
  bool CheckSignAndExtractZipFile(const std::string& ZipFileName, const std::string& Folder);

  // Runners: starting and stopping effects, and the runners' messages.
  bool ShowEffect(std::int32_t Id, bool StopKeyAlways);
  std::int32_t StartBrowserWin(std::int32_t Id, bool CountsAsPlaying);
  void StopBrowserWin(std::int32_t Id, bool Kill);
  bool StopEffect(std::int32_t Id, bool Kill);
  void ClearObjList(const std::string& Types, bool AskRating);
  void StopAllEffects();
  void EffectStateMessage(const platform::PortMessage& Message);
  void ShowRatingWin(std::int32_t Id, std::int32_t RatingConst);

  // Selection.
  void FireObj(const std::string& Types, bool TimedOnly);
  void ShowPermanentEffects();
  void StopSSifRunning();

  // The heartbeat's checks, in the order it calls them; each keeps its own pace.
  virtual void CheckAndStartDownload() {}
  virtual void CheckUserIdleAndFireSS();
  virtual void CheckAndFireObj();
  virtual void CheckTimeEffStart();
  virtual void CheckCpuUsage();
  virtual void CheckHangEffects();
  virtual void CheckHangSession() {}

  QTimer Timer;
  QSystemTrayIcon RxTrayIcon;
  catalogue::ObjTable dObjList;
  TRsaVerifier rsa;
  RunEntryList RunList;
  // The agent window and the rating panel; null until they exist.
  AgentWindow* FObjects = nullptr;
  TFRating* FRating = nullptr;
  // Set once the agent is ending: no more rating questions.
  bool Terminating = false;

  bool StopKeyActive = false;
  bool EffectPlaying = false;
  bool ScreensaverActive = false;
  std::int32_t IdleLimitMs = 0;
  std::int32_t CpuLoadScore = 0;
  std::uint32_t LastActivityTick = 0;
  std::string CurrentIconName;
  // The checks' own clocks (ticks) and the last cursor position seen.
  std::uint32_t NextRandomTick = 0;
  std::uint32_t LastTimedCheck = 0;
  std::uint32_t IdleDeadline = 0;
  std::uint32_t NextHangCheck = 0;
  platform::Point LastCursorPos;
  // The one random generator of the agent, seeded once from the clock.
  std::mt19937 Random;

 private:
  void FormCreate();
  void FormDestroy();

  Services services_;
};
