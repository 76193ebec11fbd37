#include "tools/bank/BankCommands.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    return tools::runBankCommand(QCoreApplication::arguments().mid(1));
}
