#include "banktool/BankCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

namespace {

// Qt says these on the way to a correct page: the offscreen platform has no runtime folder,
// and a Latin font is asked for a script that another font then draws.
void quietHarmlessWarnings(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtWarningMsg &&
        (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
         message.trimmed().startsWith(QStringLiteral("OpenType support missing for"))))
        return;
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toUtf8().constData());
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "print") == 0) {
        // Printing lays out text, which takes Qt Gui; the offscreen platform needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietHarmlessWarnings);
        QGuiApplication application(argc, argv);
        return banktool::runBankCommand(QCoreApplication::arguments().mid(1));
    }
    QCoreApplication application(argc, argv);
    return banktool::runBankCommand(QCoreApplication::arguments().mid(1));
}
