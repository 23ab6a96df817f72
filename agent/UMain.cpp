#include "agent/UMain.h"

#include "agent/agent_application.h"
#include "agent/event_log.h"
#include "download/public_key.h"

TFMain::TFMain(Services services) : rsa(std::string(BuiltInPublicKey())), services_(services) {
  FormCreate();
}

TFMain::~TFMain() {
  FormDestroy();
}

void TFMain::FormCreate() {
  WriteLog("Start", 1);
  if (services_.application)
    services_.application->exceptionHandler = [this](const QObject* sender,
                                                     const std::exception& error) {
      ProcessException(sender, error);
    };
  Random.seed(services_.clock.Tick() ^
              static_cast<std::uint32_t>(services_.clock.Now() * 86400000.0));

  // A failure of the catalogue is reported like any other and the agent goes
  // on with what it has.
  try {
    CreateObjList();
    ShowPermanentEffects();
  } catch (const std::exception& error) {
    ProcessException(this, error);
  }

  // A tool window never gets a taskbar button; the main form is never shown.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  resize(208, 56);

  Timer.setInterval(1000);
  connect(&Timer, &QTimer::timeout, this, &TFMain::TimerTimer);
  connect(&RxTrayIcon, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) RxTrayIconClick();
            if (reason == QSystemTrayIcon::DoubleClick) RxTrayIconDblClick();
          });
  services_.hotKeys.onHotKey = [this](int id) {
    if (services_.application)
      services_.application->Guard(this, [&] { HotKeyPressed(id); });
    else
      HotKeyPressed(id);
  };
  LoadTrayIcon();
  RxTrayIcon.show();
}

void TFMain::FormDestroy() {
  Timer.stop();
  Terminating = true;
  if (StopKeyActive) services_.hotKeys.Unregister(kHotKeyStop);
  for (int id : {kHotKeyForce, kHotKeyEnable, kHotKeyShowHide}) services_.hotKeys.Unregister(id);
  services_.hotKeys.onHotKey = nullptr;
  ClearObjList("ESHCD", false);
  try {
    SaveObjList();
  } catch (const std::exception& error) {
    ProcessException(this, error);
  }
  StopBrowserWin(-1, true);
  if (services_.application) services_.application->exceptionHandler = nullptr;
  WriteLog("Exit", 1);
}

void TFMain::TimerTimer() {
  if (FObjects && FObjects->AgentEnabled()) {
    CheckAndStartDownload();
    CheckUserIdleAndFireSS();
    CheckAndFireObj();
  }
  CheckTimeEffStart();
  CheckFormVisibility();
  CheckCpuUsage();
  CheckHangEffects();
  CheckHangSession();
  LoadTrayIcon();
}

void TFMain::ProcessException(const QObject* Sender, const std::exception& E) {
  std::string text = "Exception";
  if (Sender) {
    text += " on object ";
    text += Sender->metaObject()->className();
  }
  text += " : ";
  text += E.what();
  WriteLog(text, 0);
}

void TFMain::SetHotKey(int Id, platform::Shortcut Key) {
  if (Id == kHotKeyStop && !StopKeyActive) return;
  services_.hotKeys.Unregister(Id);
  services_.hotKeys.Register(Id, Key.key, Key.modifiers);  // a refused key simply does not act
}

void TFMain::HotKeyPressed(int Id) {
  switch (Id) {
    case kHotKeyStop:
      StopAllEffects();
      break;
    case kHotKeyForce:
      FireObj("ESHD", false);
      break;
    case kHotKeyEnable:
      if (FObjects) FObjects->PM_AgentEnabledClick();
      break;
    case kHotKeyShowHide:
      RxTrayIconDblClick();
      break;
    default:
      break;
  }
}
