#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace print {

// memvane-bank print: a card set as a PDF, or a test page that finds a printer's offset.
QString usage();
QString help();
void run(const QStringList& args, QTextStream& out);

} // namespace print
