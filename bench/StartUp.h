#pragma once

#include "bench/BenchBank.h"
#include "bench/Measure.h"

#include <QString>
#include <QStringList>

namespace bench {

// What a start-up child runs, each in a fresh process of its own.
enum class StartUp {
    Program, // Continue, up to the first card painted
    Raw,     // the bare engine doing the same work on the bank file
};

// What a window child shows, from the start of its process to its first paint.
enum class FirstWindow {
    Splash, // the program's start-up window
    Bare,   // a plain window with a label and a button
};

// The children's side: one start-up or one window in this process; each prints
// "sample WALL CPU" (a window child gives the time at its paint in place of WALL).
int startUpChild(const QString& kind, const QString& path);
int windowChild(const QString& kind);

// The parent's side: runs one child and returns what it measured.
Sample runStartUp(StartUp kind, const BankInfo& bank);
Sample runFirstWindow(FirstWindow kind);

// Runs this program again with arguments; returns its standard output, or throws when it
// fails.
QByteArray runChild(const QStringList& arguments);

} // namespace bench
