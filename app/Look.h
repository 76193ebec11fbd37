#pragma once

class QWidget;

namespace app {

// Layouts give font sizes in pixels (the "pixelSize" property), so that they hold on a
// screen of any resolution; this applies them to a window and its controls.
void applyPixelFonts(QWidget* window);

// Gives a control the desktop's own colours where its window has colours of its own (the
// menu bar, the text boxes and their scroll bars).
void useDesktopColours(QWidget* control);

} // namespace app
