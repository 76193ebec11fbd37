#include "app/ProgramFolder.h"

#include <QCoreApplication>

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

void setProgramFolder(const QString& folder) {
    overridden() = folder;
}

} // namespace app
