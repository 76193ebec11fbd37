#pragma once

#include <QStringList>

class QTextStream;

namespace banktool {

// memvane-bank COMMAND ARGS...: creates, imports into, exports, checks and prints question
// banks.
// Returns the exit status; reports go to out, errors to err.
int runBankCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int runBankCommand(const QStringList& arguments);

} // namespace banktool
