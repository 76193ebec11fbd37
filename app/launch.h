#pragma once

namespace app {

// The program-wide look (Fusion, fonts), then the start-up window.
void launch();

// The look alone, for code that shows windows without the start-up window.
void applyLook();

} // namespace app
