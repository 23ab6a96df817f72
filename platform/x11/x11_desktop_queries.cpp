#include "platform/x11/x11_desktop_queries.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace platform {
namespace {

// xcb replies and errors are malloc'd.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// How long BringToFront waits for the window manager to act.
constexpr auto kFrontWait = std::chrono::milliseconds(300);
constexpr auto kFrontPoll = std::chrono::milliseconds(5);

}  // namespace

X11DesktopQueries::X11DesktopQueries() {
  int screenNumber = 0;
  connection_ = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    return;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber && screens.rem > 1; ++i) xcb_screen_next(&screens);
  root_ = screens.data->root;
  rootSize_ = {screens.data->width_in_pixels, screens.data->height_in_pixels};
  activeWindowAtom_ = InternAtom("_NET_ACTIVE_WINDOW");
  windowTypeAtom_ = InternAtom("_NET_WM_WINDOW_TYPE");
  windowTypeDesktopAtom_ = InternAtom("_NET_WM_WINDOW_TYPE_DESKTOP");
  wmStateAtom_ = InternAtom("WM_STATE");
  supportingWmCheckAtom_ = InternAtom("_NET_SUPPORTING_WM_CHECK");
}

X11DesktopQueries::~X11DesktopQueries() {
  if (connection_) xcb_disconnect(connection_);
}

std::uint32_t X11DesktopQueries::InternAtom(const char* name) {
  const auto cookie =
      xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
  return reply ? reply->atom : 0;
}

std::optional<std::vector<std::uint32_t>> X11DesktopQueries::Property32(std::uint32_t window,
                                                                        std::uint32_t atom,
                                                                        std::uint32_t type) {
  const auto cookie = xcb_get_property(connection_, 0, window, atom, type, 0, 1024);
  Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
  if (!reply || reply->format != 32 || reply->type != type) return std::nullopt;
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return std::vector<std::uint32_t>(values,
                                    values + xcb_get_property_value_length(reply.get()) / 4);
}

bool X11DesktopQueries::HasProperty(std::uint32_t window, std::uint32_t atom) {
  const auto cookie =
      xcb_get_property(connection_, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
  Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
  return reply && reply->type != XCB_NONE;
}

WindowId X11DesktopQueries::ForegroundWindow() {
  if (connection_ == nullptr) return 0;
  const auto active = Property32(root_, activeWindowAtom_, XCB_ATOM_WINDOW);
  return active && !active->empty() ? active->front() : 0;
}

bool X11DesktopQueries::IsDesktopWindow(WindowId window) {
  if (window == 0 || window == root_) return true;
  if (connection_ == nullptr) return false;
  const auto types = Property32(static_cast<std::uint32_t>(window), windowTypeAtom_, XCB_ATOM_ATOM);
  return types && std::find(types->begin(), types->end(), windowTypeDesktopAtom_) != types->end();
}

std::optional<std::uint32_t> X11DesktopQueries::TopLevelOf(std::uint32_t window) {
  while (true) {
    const auto cookie = xcb_query_tree(connection_, window);
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, cookie, nullptr));
    if (!tree) return std::nullopt;
    if (tree->parent == root_ || tree->parent == XCB_NONE) return window;
    window = tree->parent;
  }
}

std::optional<Rect> X11DesktopQueries::WindowRect(WindowId window) {
  if (connection_ == nullptr || window == 0) return std::nullopt;
  if (window == root_) return Rect{0, 0, rootSize_.width, rootSize_.height};
  const auto top = TopLevelOf(static_cast<std::uint32_t>(window));
  if (!top) return std::nullopt;
  const auto cookie = xcb_get_geometry(connection_, *top);
  Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection_, cookie, nullptr));
  if (!geometry) return std::nullopt;
  const int border = 2 * geometry->border_width;
  return Rect{geometry->x, geometry->y, geometry->x + geometry->width + border,
              geometry->y + geometry->height + border};
}

std::uint32_t X11DesktopQueries::ClientOf(std::uint32_t frame, int depth) {
  if (HasProperty(frame, wmStateAtom_)) return frame;
  if (depth >= 3) return 0;
  const auto cookie = xcb_query_tree(connection_, frame);
  Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, cookie, nullptr));
  if (!tree) return 0;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
    if (const std::uint32_t client = ClientOf(children[i], depth + 1)) return client;
  }
  return depth == 0 ? frame : 0;
}

WindowId X11DesktopQueries::WindowAt(int x, int y) {
  if (connection_ == nullptr) return 0;
  const auto treeCookie = xcb_query_tree(connection_, root_);
  Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection_, treeCookie, nullptr));
  if (!tree) return 0;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  // Ask for every child at once, then read the answers topmost first.
  std::vector<xcb_get_window_attributes_cookie_t> attributeCookies(count);
  std::vector<xcb_get_geometry_cookie_t> geometryCookies(count);
  for (int i = 0; i < count; ++i) {
    attributeCookies[i] = xcb_get_window_attributes(connection_, children[i]);
    geometryCookies[i] = xcb_get_geometry(connection_, children[i]);
  }
  std::uint32_t found = 0;
  for (int i = count - 1; i >= 0; --i) {
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection_, attributeCookies[i], nullptr));
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, geometryCookies[i], nullptr));
    if (found || !attributes || !geometry) continue;  // later answers are still read
    if (attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
        attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
      continue;
    const int border = 2 * geometry->border_width;
    if (x >= geometry->x && x < geometry->x + geometry->width + border && y >= geometry->y &&
        y < geometry->y + geometry->height + border)
      found = children[i];
  }
  return found ? ClientOf(found) : 0;
}

Size X11DesktopQueries::ScreenSize() {
  if (qGuiApp && QGuiApplication::platformName() == "xcb" && qGuiApp->primaryScreen()) {
    const QScreen* screen = qGuiApp->primaryScreen();
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    return {size.width(), size.height()};
  }
  return rootSize_;
}

bool X11DesktopQueries::WindowManagerRunning() {
  const auto check = Property32(root_, supportingWmCheckAtom_, XCB_ATOM_WINDOW);
  return check && !check->empty();
}

void X11DesktopQueries::BringToFront(WindowId window) {
  if (connection_ == nullptr || window == 0 || window == root_) return;
  const auto target = static_cast<std::uint32_t>(window);
  // Ask the window manager to activate it, as a task bar would for a click.
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = target;
  message.type = activeWindowAtom_;
  message.data.data32[0] = 2;
  message.data.data32[1] = XCB_CURRENT_TIME;
  std::free(xcb_request_check(
      connection_, xcb_send_event_checked(
                       connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message))));
  // Raise it as well: done at once without a manager, a request to it with one.
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  std::free(xcb_request_check(
      connection_,
      xcb_configure_window_checked(connection_, target, XCB_CONFIG_WINDOW_STACK_MODE, &above)));
  if (!WindowManagerRunning()) return;

  const auto rect = WindowRect(window);
  if (!rect) return;
  const int centreX = rect->left + (rect->right - rect->left) / 2;
  const int centreY = rect->top + (rect->bottom - rect->top) / 2;
  const auto deadline = std::chrono::steady_clock::now() + kFrontWait;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ForegroundWindow() == window && WindowAt(centreX, centreY) == window) return;
    std::this_thread::sleep_for(kFrontPoll);
  }
}

}  // namespace platform
