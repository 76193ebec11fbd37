#pragma once

#include <QString>

namespace bench {

// Shows cards whose question, then answer, is one unbroken run of letters (5 MB and 50 MB)
// in the program's own main window, off screen, and prints a Markdown section: how long each
// step takes to show, wall time with CPU time beside it, and the peak memory. Banks go in a
// folder under root.
void hugeText(const QString& root);

} // namespace bench
