#pragma once

#include <QProcess>
#include <QString>

namespace testing {

// A small file system that fills up: a tmpfs mounted for the test, unmounted when it goes.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder, int kilobytes)
        : m_folder(folder) {
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), folder});
        m_mounted = mount.waitForFinished() && mount.exitStatus() == QProcess::NormalExit &&
                    mount.exitCode() == 0;
        m_error = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
    }
    ~SmallDisk() {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_folder});
    }
    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_error;
};

} // namespace testing
