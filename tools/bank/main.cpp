#include "tools/bank/BankCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "print") == 0) {
        // Printing lays out text, which takes Qt Gui; the offscreen platform needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return tools::runBankCommand(QCoreApplication::arguments().mid(1));
    }
    QCoreApplication application(argc, argv);
    return tools::runBankCommand(QCoreApplication::arguments().mid(1));
}
