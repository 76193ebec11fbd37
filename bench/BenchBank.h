#pragma once

#include <QString>

namespace bench {

struct BankInfo {
    QString folder;     // the program folder: FOLDER/db/voreldb.mdb
    QString file;       // the bank every figure works on
    QString firstStart; // the bank as made: Index differs from ID in every record
    int questions = 0;
};

// The bank of that many realistic cards (seeded, so every run has the same texts) under
// dir, written through the program's own bank writer on first use and kept for later runs.
// Without the start-up index it is the same file with that index dropped, as an older tool
// left it.
BankInfo bankIn(const QString& dir, int questions, bool startIndex = true);

// Puts the bank back as it was made, synced to disk, so a start renumbers every record.
void restoreFirstStart(const BankInfo& bank);

} // namespace bench
