#pragma once

class QWidget;

namespace app {

// The window that dialogs stand over, so that they take no task-bar entry of their own:
// the main window once it is loaded.
QWidget* dialogParent();

} // namespace app
