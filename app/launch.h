#pragma once

namespace app {

// The program-wide look (Fusion, fonts), then the start-up window.
void launch();

// The look alone, for code that shows windows without the start-up window.
void applyLook();

// What main() returns once the event loop has: on Wayland the process ends here instead.
// Qt 6.4's Wayland client can deadlock while QApplication's destructor stops its event
// threads (one leaves a read prepared that the other then waits on), and a process that never
// ends keeps its bank locked. Every write of the run is committed by then.
int ended(int status);

} // namespace app
