#pragma once

#include "bench/BenchBank.h"
#include "bench/Measure.h"

namespace bench {

// A program figure beside its baseline, each the median of runs that alternated one by one.
struct Comparison {
    Sample program;
    Sample baseline;
    int runs = 0;
};

struct RunningFigures {
    Comparison next;        // Next, against the bare update and the next card's fields
    Comparison nextDisplay; // the display part of Next, against the next card's fields
    Comparison jump;        // the random jump, against a random card's fields
    Comparison cardSet;     // OK on all fifteen categories, against the same query
    Comparison bareNext;    // a bare window's Next, against the program's baseline runs
    Comparison bareCardSet; // a bare window's card set, likewise
};

// Starts the program in this process on the bank and measures it at work; each program
// figure ends when the main window has repainted. Leaves the program unloaded.
RunningFigures measureRunning(const BankInfo& bank);

} // namespace bench
