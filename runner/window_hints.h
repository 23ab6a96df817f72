#pragma once
// Window manager hints that Qt's window flags do not give.

#include <QWidget>

namespace runner {

// Asks the window manager to keep the top-level `window` out of the taskbar
// and the pager, now and whenever Qt recreates its native window (which it
// does when the page's renderer first draws into it).
void KeepOutOfTaskbar(QWidget& window);

}  // namespace runner
