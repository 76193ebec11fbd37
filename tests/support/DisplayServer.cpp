#include "tests/support/DisplayServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/prctl.h>

#include <csignal>

namespace testing {

namespace {

constexpr int StartMs = 20000;

} // namespace

DisplayServer::DisplayServer(Kind kind)
    : m_kind(kind) {
    if (!m_runtime.isValid()) {
        m_why = QStringLiteral("no folder for the server: %1").arg(m_runtime.errorString());
        return;
    }
    // Should the test die, the server goes with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    if (kind == Kind::X11)
        startX11();
    else
        startWayland();
    if (m_display.isEmpty() && m_why.isEmpty())
        m_why = QStringLiteral("the server named no display");
}

DisplayServer::~DisplayServer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

// Xvfb picks a free display number itself and tells it on its standard output.
void DisplayServer::startX11() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        m_why = QStringLiteral("Xvfb is not installed (scripts/install-deps.sh installs it)");
        return;
    }
    m_process.start(program,
                    {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    if (!m_process.waitForStarted(StartMs)) {
        m_why = QStringLiteral("Xvfb could not be started: %1").arg(m_process.errorString());
        return;
    }
    QByteArray out;
    const QDeadlineTimer deadline(StartMs);
    while (!out.contains('\n') && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        m_why = QStringLiteral("Xvfb named no display: %1")
                    .arg(QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed());
        return;
    }
    m_display = QStringLiteral(":%1").arg(number);
}

// Weston on its X11 backend, in an Xvfb of its own: that backend gives it a seat with a
// keyboard, without which it activates no window (its headless backend has none). It makes
// its socket in XDG_RUNTIME_DIR, which must be the user's alone, once it takes clients.
void DisplayServer::startWayland() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (program.isEmpty()) {
        m_why = QStringLiteral("weston is not installed (scripts/install-deps.sh installs it)");
        return;
    }
    m_host = std::make_unique<DisplayServer>(Kind::X11);
    if (!m_host->running()) {
        m_why = QStringLiteral("no X server for Weston to run in: %1").arg(m_host->whyNot());
        return;
    }
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString socket = QStringLiteral("memvane-test");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DISPLAY"), m_host->display());
    m_process.setProcessEnvironment(env);
    const QString log = m_runtime.filePath(QStringLiteral("weston.log"));
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(log);
    m_process.start(program, {"--backend=x11-backend.so", "--socket=" + socket, "--no-config",
                              "--idle-time=0", "--width=1024", "--height=768"});
    if (!m_process.waitForStarted(StartMs)) {
        m_why = QStringLiteral("weston could not be started: %1").arg(m_process.errorString());
        return;
    }
    const QString path = m_runtime.filePath(socket);
    const QDeadlineTimer deadline(StartMs);
    while (!QFileInfo(path).exists() && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running)
        m_process.waitForFinished(50);
    if (!QFileInfo(path).exists()) {
        QFile said(log);
        said.open(QIODevice::ReadOnly);
        m_why = QStringLiteral("weston made no socket: %1")
                    .arg(QString::fromLocal8Bit(said.readAll()).trimmed().right(2000));
        return;
    }
    m_display = socket;
}

QList<std::pair<QByteArray, QByteArray>> DisplayServer::environment() const {
    // No session bus goes with this display. Without an address, libdbus would try to
    // autolaunch one for it and leak when that fails; one that leads nowhere is refused.
    QList<std::pair<QByteArray, QByteArray>> env = {
        {"DBUS_SESSION_BUS_ADDRESS",
         "unix:path=" + QFile::encodeName(m_runtime.filePath(QStringLiteral("no-bus")))}};
    if (m_kind == Kind::X11)
        return env + QList<std::pair<QByteArray, QByteArray>>{{"QT_QPA_PLATFORM", "xcb"},
                                                              {"DISPLAY", m_display.toLocal8Bit()}};
    // An empty DISPLAY: nothing of the program may reach the X server Weston runs in.
    return env + QList<std::pair<QByteArray, QByteArray>>{
                     {"QT_QPA_PLATFORM", "wayland"},
                     {"DISPLAY", {}},
                     {"WAYLAND_DISPLAY", m_display.toLocal8Bit()},
                     {"XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())}};
}

} // namespace testing
