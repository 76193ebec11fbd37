#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <utility>

namespace testing {

// A display server of the test's own, headless, started on construction and ended with it:
// an Xvfb on a free display number, or a Weston on a socket in a runtime folder of its own.
// An empty value in environment() means: unset.
// Where none can be started, whyNot() says why.
class DisplayServer {
public:
    enum class Kind { X11, Wayland };
    explicit DisplayServer(Kind kind);
    ~DisplayServer();
    DisplayServer(const DisplayServer&) = delete;
    DisplayServer& operator=(const DisplayServer&) = delete;

    bool running() const { return m_why.isEmpty(); }
    QString whyNot() const { return m_why; }
    QString display() const { return m_display; }
    // What a Qt program needs to show its windows there.
    QList<std::pair<QByteArray, QByteArray>> environment() const;

private:
    void startX11();
    void startWayland();

    Kind m_kind;
    QProcess m_process;
    QTemporaryDir m_runtime;
    QString m_display;
    QString m_why;
    std::unique_ptr<DisplayServer> m_host; // the X server Weston runs in
};

} // namespace testing
