#pragma once

#include "bench/BenchBank.h"
#include "bench/Measure.h"

#include <QString>
#include <QStringList>

namespace bench {

// What a start-up child runs, each in a fresh process of its own.
enum class StartUp {
    Program, // Continue, up to the first card painted
    Today,   // the same with the loop that edits and updates every record
    Raw,     // the bare engine doing the same work on the bank file
};

// The child's side: one start-up in this process; prints "sample WALL CPU".
int startUpChild(const QString& kind, const QString& path);

// The parent's side: runs one child and returns what it measured.
Sample runStartUp(StartUp kind, const BankInfo& bank);

// Runs this program again with arguments; returns its standard output, or throws when it
// fails.
QByteArray runChild(const QStringList& arguments);

} // namespace bench
