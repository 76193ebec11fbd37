#pragma once

#include <QString>

namespace app {

// Keeps a second Memvane off a bank that one already has open: each would store its own
// box on every step and undo the other's marks. The lock is the system's, on the folder
// that holds the bank, so it ends with the process however the process ends; the bank file
// itself is left to the engine, and other programs read and write it as before.
class BankLock {
public:
    // Throws a Refusal naming the bank when another running Memvane holds it. A folder that
    // cannot be opened is left to the opening of the bank to report.
    explicit BankLock(const QString& bank);
    ~BankLock();

    BankLock(const BankLock&) = delete;
    BankLock& operator=(const BankLock&) = delete;

private:
    int m_folder = -1;
};

} // namespace app
