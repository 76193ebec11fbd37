#include "app/BankLock.h"

#include "app/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

BankLock::BankLock(const QString& bank) {
    // Through a link, the folder that really holds the bank.
    const QFileInfo file(bank);
    const QString canonical = file.canonicalFilePath();
    const QString folder =
        canonical.isEmpty() ? file.absolutePath() : QFileInfo(canonical).absolutePath();
    // Not inherited: a program started from the menu must not keep the bank locked.
    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return;
    int rc;
    do
        rc = ::flock(m_folder, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK) {
        ::close(m_folder);
        m_folder = -1;
        throw Refusal(
            store::err::FileInUse,
            QStringLiteral("Memvane is already running with this question bank: %1").arg(bank));
    }
}

BankLock::~BankLock() {
    if (m_folder >= 0)
        ::close(m_folder);
}

} // namespace app
