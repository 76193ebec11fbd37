#pragma once

#include <QString>

#include <cstdint>

namespace bench {

struct BankInfo {
    QString folder; // the program folder: FOLDER/db/voreldb.mdb
    QString file;
    int questions = 0;
    std::int64_t textBytes = 0; // UTF-8 bytes of Question + Answer + Category
};

// Writes a bank of realistic cards (seeded, so every run writes the same texts) through the
// program's own bank writer, in a program folder under root.
BankInfo makeBank(const QString& root, int questions);

} // namespace bench
