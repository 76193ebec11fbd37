#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace app {

namespace {
QString& overridden() {
    static QString folder;
    return folder;
}
} // namespace

QString programFolder() {
    return overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
}

QString bankPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("db/voreldb.mdb"));
}

void setProgramFolder(const QString& folder) {
    overridden() = folder;
}

} // namespace app
