#pragma once

class QWidget;

namespace app {

// Keeps a window off the task bar. Qt's window kinds do it on some desktops (a tool window,
// or a dialog owned by another window, on Windows); X11 task bars go by the window's
// _NET_WM_STATE_SKIP_TASKBAR, which Qt does not set, so it is written before every mapping.
void keepOffTaskBar(QWidget* window);

} // namespace app
