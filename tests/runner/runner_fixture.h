#pragma once
// A real RunEffect in a temporary program folder, its agent side (a message
// port the test reads), a local HTTP server that counts what reaches it, and
// looks at the X server: screenshots and the windows of a process.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_port.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace runner_test {

struct ReceivedMessage {
  platform::PortMessage message;
  std::chrono::steady_clock::time_point at;
};

class RunnerFixture {
 public:
  RunnerFixture();
  ~RunnerFixture();

  std::string objectsDir() const { return app_ / "Objects/"; }
  // Writes a page as Objects/<padId>/index.htm.
  void WritePage(const std::string& padId, const std::string& html);
  // Copies an effect folder of the source tree to Objects/<padId>/.
  void InstallDemoEffect(const std::string& folder, const std::string& padId);

  // Starts RunEffect re<padId> <handle>; `environment` ("NAME=value ...") and
  // a file for its error output are optional.
  void Start(const std::string& padId, const std::string& environment = "",
             const std::string& errorFile = "");
  platform::ChildProcess& process() { return process_; }

  // Reads what has arrived at the port so far.
  const std::vector<ReceivedMessage>& Messages();
  int Count(std::int32_t second);
  bool WaitForMessage(std::int32_t second, std::chrono::milliseconds limit);

  std::uint64_t handle() const { return handle_; }

 private:
  testing_support::TempDir app_;
  testing_support::ScopedEnv registry_;
  std::uint64_t handle_;
  platform::MessagePort port_;
  platform::ChildProcess process_;
  std::vector<ReceivedMessage> messages_;
};

// Accepts connections on 127.0.0.1 and answers each with a tiny page;
// counts every connection that arrives.
class CountingHttpServer {
 public:
  CountingHttpServer();
  ~CountingHttpServer();
  int port() const { return port_; }
  int connections() const { return connections_.load(); }
  std::string url(const std::string& path) const;

 private:
  void Serve();
  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> connections_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// Every process below `pid` (children, their children, ...).
std::set<pid_t> Descendants(pid_t pid);
// The browser engine's renderer processes below `pid`.
std::set<pid_t> Renderers(pid_t pid);
// True while the process exists and is not a zombie.
bool ProcessLives(pid_t pid);

// The X server of $DISPLAY.
class XScreen {
 public:
  XScreen();
  ~XScreen();
  int width() const { return width_; }
  int height() const { return height_; }
  // The screen's pixels as 0xRRGGBB.
  std::vector<std::uint32_t> Grab();
  // Mapped top-level windows whose _NET_WM_PID is `pid`: those the window
  // manager manages and those that bypass it.
  std::vector<unsigned long> WindowsOf(pid_t pid);
  bool BypassesWindowManager(unsigned long window);
  // A plain window of the test's own, mapped through the window manager or,
  // with `bypass`, past it (as menus and pop-ups are).
  unsigned long OpenWindow(int x, int y, int width, int height, bool bypass = false);
  void Raise(unsigned long window);
  bool Viewable(unsigned long window);
  // Gives `window` the keyboard focus; the window that has it now.
  void Focus(unsigned long window);
  unsigned long FocusedWindow();
  // The top-level window that the pointer is over once moved to x, y: the
  // one that would get a click there.
  unsigned long TopLevelUnderPointer(int x, int y);
  // Whether top-level `upper` is stacked above top-level `lower`.
  bool StackedAbove(unsigned long upper, unsigned long lower);
  // The names of the atoms in the window's _NET_WM_STATE.
  std::set<std::string> WindowStates(unsigned long window);
  std::string WindowName(unsigned long window);
  // The window's size and its position on the screen.
  void Geometry(unsigned long window, int* x, int* y, int* width, int* height);
  // Whether the window asks for the keyboard focus (WM_HINTS input).
  bool AcceptsFocus(unsigned long window);

 private:
  void* display_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace runner_test
