#pragma once
// The agent window as the main form sees it, with its state set by a test.

#include <QWidget>

#include "agent/agent_window.h"

class FakeAgentWindow : public AgentWindow {
 public:
  bool AgentEnabled() const override { return enabled; }
  void PM_AgentEnabledClick() override { enabled = !enabled; }
  bool CountsShown() const override { return shown; }
  bool VisibleOnScreen() const override { return onScreen; }
  void FShow() override { shown = onScreen = true; }
  void FHide() override { shown = onScreen = false; }
  QWidget& Form() override { return form; }

  bool enabled = true, shown = false, onScreen = false;
  QWidget form;
};
