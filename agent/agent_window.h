#pragma once
// What the main form needs of the agent window (`FObjects`): its shown
// state, the agent-enabled switch of the tray menu, and showing and hiding.

class QWidget;

class AgentWindow {
 public:
  virtual ~AgentWindow() = default;
  // The checked state of the tray menu's "agent enabled" item.
  virtual bool AgentEnabled() const = 0;
  // The tray menu's toggle of that item.
  virtual void PM_AgentEnabledClick() = 0;
  // The window counts itself shown (FShow called and not yet FHide).
  virtual bool CountsShown() const = 0;
  // The window is really visible on the screen.
  virtual bool VisibleOnScreen() const = 0;
  virtual void FShow() = 0;
  virtual void FHide() = 0;
  virtual QWidget& Form() = 0;
};
