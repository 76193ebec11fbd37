#pragma once

#include "banktool/BankCommands.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTextStream>

namespace testing {

// What memvane-bank said and ended with, run in this process; for the tests that link the bank
// tool's library.
struct BankToolRun {
    int status;
    QString out;
    QString err;
};

inline BankToolRun bankTool(const QStringList& args) {
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    const int status = banktool::runBankCommand(args, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
}

// Writes a file for the bank tool to read.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace testing
