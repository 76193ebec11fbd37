#pragma once

namespace print {

class Canvas;

// One sheet, front and back, to find how far a printer shifts the backs: a cross at the middle
// of the front, scales at the middle of the back.
void drawTestPage(Canvas& canvas);

} // namespace print
