#pragma once
// Window and desktop tests, window shape, the clipboard with a file, and the
// maintenance key combination. Each takes the services it asks.

#include <string>

#include "platform/desktop_queries.h"
#include "platform/input_queries.h"

class QClipboard;
class QRegion;
class QWidget;

// True when the foreground window is a program's (not the desktop) and
// covers exactly the screen: left and top 0, right and bottom the screen size.
bool FullScreenForeground(platform::DesktopQueries& desktop);

// Whether `form` is on top of the other windows: the windows under five points
// of it are noted, the form is brought to the front, and more than two points
// must still show the same window. The form stays in front.
bool WindowUncovered(QWidget& form, platform::DesktopQueries& desktop);

// The rounded rectangle from (0, 0) to (width, height) with corner ellipses
// ellipseWidth by ellipseHeight: the pixels whose centres lie inside it.
QRegion RoundRectRegion(int width, int height, int ellipseWidth, int ellipseHeight);
// Shapes the window to RoundRectRegion and redraws it.
void SetRoundRegion(QWidget& window, int width, int height, int ellipseWidth, int ellipseHeight);

// Puts the file on the clipboard so that a file manager or a mail program can
// paste it: as text/uri-list and as x-special/gnome-copied-files ("copy").
// A relative name is taken from the current folder.
void PutFileOnClipboard(const std::string& FileName, QClipboard& clipboard);

// True when F7 and then Home are each down or were pressed since their last
// query (Home is not asked when F7 is not).
bool MaintenanceKeysDown(platform::InputQueries& input);
