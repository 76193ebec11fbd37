#include "app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

void showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Memvane"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

} // namespace app
