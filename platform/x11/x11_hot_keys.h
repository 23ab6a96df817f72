#pragma once
// Global hot keys on X11: each key is grabbed on the root window through the
// application's own X connection, once for every combination of the NumLock
// and CapsLock modifiers, so it acts whatever their state. Presses arrive in
// Qt's event stream and are picked out by a native event filter.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <map>

#include "platform/hot_keys.h"

struct xcb_connection_t;
struct _XDisplay;

namespace platform {

class X11HotKeys final : public QObject, public HotKeys, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  // Uses the X connection of the running QGuiApplication. Without one (no
  // application, or another platform such as offscreen) nothing is grabbed
  // and every Register fails.
  explicit X11HotKeys(QObject* parent = nullptr);
  // Frees every key still held.
  ~X11HotKeys() override;

  bool Register(int id, VirtualKey key, Modifiers modifiers) override;
  void Unregister(int id) override;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Grab {
    std::uint8_t keycode = 0;
    std::uint16_t modifiers = 0;  // X modifier mask without the lock modifiers
  };

  bool GrabAllLockStates(const Grab& grab);
  void UngrabAllLockStates(const Grab& grab);

  xcb_connection_t* connection_ = nullptr;
  _XDisplay* display_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint16_t numLockMask_ = 0;
  std::uint16_t altMask_ = 0;
  std::map<int, Grab> grabs_;
};

}  // namespace platform
