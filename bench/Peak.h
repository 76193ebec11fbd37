#pragma once

#include "bench/BenchBank.h"

#include <QSize>

namespace bench {

// Peak resident memory (VmHWM) of a child process, in KiB, and what it reports beside it.
struct Peak {
    long kilobytes = 0;
    long pageCacheBytes = 0; // the engine's page cache at the end (program only)
    QSize window;            // the main window's size (program only)
};

// The peak resident memory (VmHWM) of the process with that id, or of this one, in KiB: what
// its current program has held at most since it started or since the peak was reset. -1
// where the system keeps none, or the process has ended.
long peakKilobytes(long pid = 0);

// (child) The program on the bank in folder: start-up, steps and random jumps.
int peakProgramChild(const QString& folder);
// (child) An empty window of that size, in the program's look.
int peakEmptyChild(int width, int height);

Peak runPeakProgram(const BankInfo& bank);
Peak runPeakEmpty(QSize window);

} // namespace bench
