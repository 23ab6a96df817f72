#include "tests/runner/runner_fixture.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on

namespace fs = std::filesystem;

namespace runner_test {

RunnerFixture::RunnerFixture()
    : registry_("SPARKLETIDE_REGISTRY", app_ / "registry"),
      handle_(static_cast<std::uint64_t>(getpid())),
      port_(handle_) {
  fs::create_directories(objectsDir());
  fs::copy_file(RUNEFFECT_PATH, app_ / "RunEffect");
}

RunnerFixture::~RunnerFixture() {
  if (process_.pid() > 0) process_.Terminate();
}

void RunnerFixture::WritePage(const std::string& padId, const std::string& html) {
  fs::create_directories(objectsDir() + padId);
  testing_support::WriteFileBytes(objectsDir() + padId + "/index.htm", html);
}

void RunnerFixture::InstallDemoEffect(const std::string& folder, const std::string& padId) {
  fs::copy(fs::path(DEMO_EFFECTS_DIR) / folder, objectsDir() + padId, fs::copy_options::recursive);
}

void RunnerFixture::Start(const std::string& padId, const std::string& environment,
                          const std::string& errorFile) {
  std::vector<std::string> argv = {app_ / "RunEffect", "re" + padId, std::to_string(handle_)};
  if (!environment.empty() || !errorFile.empty()) {
    // The shell becomes the runner (exec), so the pid stays the runner's.
    std::string script = "exec env " + environment + " \"$@\"";
    if (!errorFile.empty()) script += " 2>'" + errorFile + "'";
    argv.insert(argv.begin(), {"/bin/sh", "-c", script, "sh"});
  }
  process_ = platform::ChildProcess::Spawn(argv);
}

const std::vector<ReceivedMessage>& RunnerFixture::Messages() {
  while (const auto message = port_.Receive())
    messages_.push_back({*message, std::chrono::steady_clock::now()});
  return messages_;
}

int RunnerFixture::Count(std::int32_t second) {
  int n = 0;
  for (const ReceivedMessage& m : Messages()) n += m.message.second == second;
  return n;
}

bool RunnerFixture::WaitForMessage(std::int32_t second, std::chrono::milliseconds limit) {
  return testing_support::WaitUntil([&] { return Count(second) > 0; }, limit);
}

CountingHttpServer::CountingHttpServer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("cannot listen on 127.0.0.1");
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

CountingHttpServer::~CountingHttpServer() {
  stopping_ = true;
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

std::string CountingHttpServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void CountingHttpServer::Serve() {
  for (;;) {
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (stopping_) return;
      continue;
    }
    ++connections_;
    char request[4096];
    (void)!recv(client, request, sizeof request, 0);
    const char reply[] =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2\r\n\r\nok";
    (void)!send(client, reply, sizeof reply - 1, MSG_NOSIGNAL);
    close(client);
  }
}

namespace {

// pid -> (parent, state) of every process, from /proc/<pid>/stat.
std::map<pid_t, std::pair<pid_t, char>> ProcessTable() {
  std::map<pid_t, std::pair<pid_t, char>> table;
  DIR* proc = opendir("/proc");
  if (!proc) return table;
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end) continue;
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    char state = '?';
    pid_t parent = 0;
    rest >> state >> parent;
    table[static_cast<pid_t>(pid)] = {parent, state};
  }
  closedir(proc);
  return table;
}

}  // namespace

std::set<pid_t> Descendants(pid_t pid) {
  const auto table = ProcessTable();
  std::set<pid_t> found;
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [child, info] : table)
      if ((info.first == pid || found.count(info.first)) && found.insert(child).second) grew = true;
  }
  return found;
}

std::set<pid_t> Renderers(pid_t pid) {
  std::set<pid_t> found;
  for (pid_t process : Descendants(pid)) {
    std::ifstream file("/proc/" + std::to_string(process) + "/cmdline");
    const std::string cmdline((std::istreambuf_iterator<char>(file)), {});
    if (cmdline.find(std::string("--type=renderer\0", 16)) != std::string::npos)
      found.insert(process);
  }
  return found;
}

bool ProcessLives(pid_t pid) {
  const auto table = ProcessTable();
  const auto it = table.find(pid);
  return it != table.end() && it->second.second != 'Z' && it->second.second != 'X';
}

#define DPY static_cast<Display*>(display_)

XScreen::XScreen() {
  display_ = XOpenDisplay(nullptr);
  if (!display_) throw std::runtime_error("no X display");
  width_ = DisplayWidth(DPY, DefaultScreen(DPY));
  height_ = DisplayHeight(DPY, DefaultScreen(DPY));
}

XScreen::~XScreen() {
  XCloseDisplay(DPY);
}

std::vector<std::uint32_t> XScreen::Grab() {
  XImage* image = XGetImage(DPY, DefaultRootWindow(DPY), 0, 0, width_, height_, AllPlanes, ZPixmap);
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width_) * height_);
  const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
  for (int y = 0; y < height_; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(image->data + y * image->bytes_per_line);
    for (int x = 0; x < width_; ++x)
      pixels[static_cast<size_t>(y) * width_ + x] =
          (direct ? row[x] : static_cast<std::uint32_t>(XGetPixel(image, x, y))) & 0xFFFFFF;
  }
  XDestroyImage(image);
  return pixels;
}

namespace {

std::vector<unsigned long> RootChildren(Display* display) {
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  std::vector<unsigned long> windows;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    windows.assign(children, children + count);  // bottom to top
    XFree(children);
  }
  return windows;
}

std::vector<unsigned long> ManagedClients(Display* display) {
  std::vector<unsigned long> windows;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, DefaultRootWindow(display),
                         XInternAtom(display, "_NET_CLIENT_LIST", False), 0, 4096, False, XA_WINDOW,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    const auto* clients = reinterpret_cast<const unsigned long*>(data);
    windows.assign(clients, clients + count);
    XFree(data);
  }
  return windows;
}

}  // namespace

std::vector<unsigned long> XScreen::WindowsOf(pid_t pid) {
  std::vector<unsigned long> candidates = ManagedClients(DPY), windows;
  for (unsigned long w : RootChildren(DPY)) candidates.push_back(w);
  const Atom wmPid = XInternAtom(DPY, "_NET_WM_PID", False);
  for (unsigned long w : candidates) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(DPY, w, &attributes) || attributes.map_state != IsViewable) continue;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* pidData = nullptr;
    if (XGetWindowProperty(DPY, w, wmPid, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &pidData) == Success &&
        pidData) {
      if (n == 1 && static_cast<pid_t>(*reinterpret_cast<const unsigned long*>(pidData)) == pid)
        windows.push_back(w);
      XFree(pidData);
    }
  }
  return windows;
}

bool XScreen::BypassesWindowManager(unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(DPY, window, &attributes) && attributes.override_redirect;
}

unsigned long XScreen::OpenWindow(int x, int y, int width, int height, bool bypass) {
  const Window window =
      XCreateSimpleWindow(DPY, DefaultRootWindow(DPY), x, y, width, height, 0,
                          BlackPixel(DPY, DefaultScreen(DPY)), BlackPixel(DPY, DefaultScreen(DPY)));
  XSetWindowAttributes attributes = {};
  attributes.override_redirect = bypass;
  XChangeWindowAttributes(DPY, window, CWOverrideRedirect, &attributes);
  XMapWindow(DPY, window);
  XSync(DPY, False);
  return window;
}

void XScreen::Raise(unsigned long window) {
  XRaiseWindow(DPY, window);
  XSync(DPY, False);
}

bool XScreen::Viewable(unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(DPY, window, &attributes) && attributes.map_state == IsViewable;
}

void XScreen::Focus(unsigned long window) {
  XSetInputFocus(DPY, window, RevertToParent, CurrentTime);
  XSync(DPY, False);
}

unsigned long XScreen::FocusedWindow() {
  Window window;
  int revert;
  XGetInputFocus(DPY, &window, &revert);
  return window;
}

unsigned long XScreen::TopLevelUnderPointer(int x, int y) {
  XWarpPointer(DPY, None, DefaultRootWindow(DPY), 0, 0, 0, 0, x, y);
  XSync(DPY, False);
  Window root, child;
  int rootX, rootY, winX, winY;
  unsigned int mask;
  XQueryPointer(DPY, DefaultRootWindow(DPY), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
  return child;
}

bool XScreen::StackedAbove(unsigned long upper, unsigned long lower) {
  const std::vector<unsigned long> order = RootChildren(DPY);
  const auto u = std::find(order.begin(), order.end(), upper);
  const auto l = std::find(order.begin(), order.end(), lower);
  return u != order.end() && l != order.end() && u > l;
}

std::set<std::string> XScreen::WindowStates(unsigned long window) {
  std::set<std::string> names;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(DPY, window, XInternAtom(DPY, "_NET_WM_STATE", False), 0, 64, False,
                         XA_ATOM, &type, &format, &count, &after, &data) != Success ||
      !data)
    return names;
  const auto* atoms = reinterpret_cast<const Atom*>(data);
  for (unsigned long i = 0; i < count; ++i) {
    char* name = XGetAtomName(DPY, atoms[i]);
    names.insert(name);
    XFree(name);
  }
  XFree(data);
  return names;
}

std::string XScreen::WindowName(unsigned long window) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(DPY, window, XInternAtom(DPY, "_NET_WM_NAME", False), 0, 256, False,
                         XInternAtom(DPY, "UTF8_STRING", False), &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    name.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return name;
}

void XScreen::Geometry(unsigned long window, int* x, int* y, int* width, int* height) {
  XWindowAttributes attributes;
  XGetWindowAttributes(DPY, window, &attributes);
  Window child;
  XTranslateCoordinates(DPY, window, DefaultRootWindow(DPY), 0, 0, x, y, &child);
  *width = attributes.width;
  *height = attributes.height;
}

bool XScreen::AcceptsFocus(unsigned long window) {
  XWMHints* hints = XGetWMHints(DPY, window);
  if (!hints) return true;
  const bool accepts = !(hints->flags & InputHint) || hints->input;
  XFree(hints);
  return accepts;
}

}  // namespace runner_test
