// The windows as a task bar and a window manager on X11 see them, read back from the X
// server by a connection of the test's own: which windows stay off the task bar, their kind,
// the window that owns them and their icon, and what a close request from the window
// manager does to the start-up window. The test starts an Xvfb of its own on a free display;
// where none can be started, it skips and says why.
#include "app/FrmAbout.h"
#include "app/FrmSplash.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "selection/FrmOptions.h"
#include "selection/FrmSetOptions.h"
#include "tests/support/DisplayServer.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

using namespace testing;

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

// A client of the server beside the program, as a task bar is.
class Observer {
public:
    explicit Observer(const QString& display)
        : m_connection(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {}
    ~Observer() { xcb_disconnect(m_connection); }
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    bool connected() const { return xcb_connection_has_error(m_connection) == 0; }

    xcb_atom_t atom(const char* name) const {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(qstrlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    QString atomName(xcb_atom_t atom) const {
        const Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
        return reply ? QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                           xcb_get_atom_name_name_length(reply.get()))
                     : QString();
    }

    // The 32-bit values of a property; empty when the window lacks it.
    QList<quint32> values(WId window, const char* property, xcb_atom_t type,
                          quint32 count = 1024) const {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, xcb_window_t(window), atom(property), type, 0, count),
            nullptr));
        QList<quint32> out;
        if (!reply || reply->format != 32)
            return out;
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
            out << data[i];
        return out;
    }

    // What a window manager sends when the user clicks a close button or presses Alt+F4.
    void askToClose(WId window) const {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = xcb_window_t(window);
        message.type = atom("WM_PROTOCOLS");
        message.data.data32[0] = atom("WM_DELETE_WINDOW");
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, xcb_window_t(window), XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t* m_connection;
};

} // namespace

class TestTaskBar : public QObject {
    Q_OBJECT

public:
    TestTaskBar(QString display, QString whyNot)
        : m_display(std::move(display))
        , m_whyNot(std::move(whyNot)) {}

private slots:
    void initTestCase() {
        if (m_display.isEmpty())
            QSKIP(qPrintable(QStringLiteral("No X server could be started: %1").arg(m_whyNot)));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }
    void cleanup() { resetProgram(); }

    void taskBarEntriesAndIcons_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("seen");
        QTest::newRow("main window") << "FrmMain"
                                     << "on the task bar; NORMAL; owned by none; icon 48 x 48";
        QTest::newRow("start-up window")
            << "frmSplash"
            << "off the task bar; UTILITY; owned by the program; no icon";
        QTest::newRow("options dialog")
            << "frmOptions"
            << "off the task bar; DIALOG; owned by the main window; icon 48 x 48";
        QTest::newRow("custom set dialog") << "frmSetOptions"
                                           << "on the task bar; NORMAL; owned by none; no icon";
        QTest::newRow("About window")
            << "frmAbout"
            << "off the task bar; DIALOG; owned by the main window; no icon";
    }

    void taskBarEntriesAndIcons() {
        QFETCH(QString, window);
        QFETCH(QString, seen);
        std::unique_ptr<ProgramFolder> folder;
        QWidget* shown = nullptr;
        if (window == "frmSplash") {
            shown = &app::showWindow<app::FrmSplash>();
        } else {
            folder = std::make_unique<ProgramFolder>(numberedRows(2));
            viewer::FrmMain& main = startProgram(folder->folder());
            shown = &main;
            if (window == "frmOptions") {
                MainControls(main).btnOptions->click();
                shown = app::loadedWindow<selection::FrmOptions>();
            } else if (window == "frmSetOptions") {
                MainControls(main).cmdChangeSet->click();
                shown = app::loadedWindow<selection::FrmSetOptions>();
            } else if (window == "frmAbout") {
                MainControls(main).itmAbout->trigger();
                shown = app::loadedWindow<app::FrmAbout>();
            }
        }
        QVERIFY(shown);
        QCOMPARE(shown->objectName(), window);
        QVERIFY(QTest::qWaitForWindowExposed(shown));

        const Observer x(m_display);
        QVERIFY(x.connected());
        const WId id = shown->winId();
        const QList<quint32> states = x.values(id, "_NET_WM_STATE", XCB_ATOM_ATOM);
        const bool skipped = states.contains(x.atom("_NET_WM_STATE_SKIP_TASKBAR"));
        const QList<quint32> types = x.values(id, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM);
        const QString type =
            types.isEmpty()
                ? QStringLiteral("no type")
                : x.atomName(types.first()).remove(QStringLiteral("_NET_WM_WINDOW_TYPE_"));
        const QList<quint32> owner = x.values(id, "WM_TRANSIENT_FOR", XCB_ATOM_WINDOW);
        const QList<quint32> leader = x.values(id, "WM_CLIENT_LEADER", XCB_ATOM_WINDOW);
        const viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
        QString ownedBy = QStringLiteral("none");
        if (!owner.isEmpty()) {
            ownedBy = main && owner.first() == quint32(main->winId()) ? "the main window"
                      : owner == leader                               ? "the program"
                                        : QStringLiteral("window %1").arg(owner.first());
        }
        const QList<quint32> icon = x.values(id, "_NET_WM_ICON", XCB_ATOM_CARDINAL, 2);
        const QString iconSize = icon.size() == 2
                                     ? QStringLiteral("icon %1 x %2").arg(icon[0]).arg(icon[1])
                                     : QStringLiteral("no icon");
        QCOMPARE(
            QStringLiteral("%1; %2; owned by %3; %4")
                .arg(skipped ? "off the task bar" : "on the task bar", type, ownedBy, iconSize),
            seen);
    }

    void closingTheStartUpWindowEndsTheProgram() {
        app::FrmSplash& splash = app::showWindow<app::FrmSplash>();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        const Observer x(m_display);
        QVERIFY(x.connected());
        x.askToClose(splash.winId());
        QTimer tooLate;
        tooLate.setSingleShot(true);
        connect(&tooLate, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
        tooLate.start(20000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!app::loadedWindow<app::FrmSplash>());
    }

private:
    QString m_display;
    QString m_whyNot;
};

int main(int argc, char* argv[]) {
    const DisplayServer server(DisplayServer::Kind::X11);
    if (server.running()) {
        for (const auto& [name, value] : server.environment())
            qputenv(name.constData(), value);
    }
    int status = 0;
    {
        QApplication application(argc, argv);
        app::applyLook();
        TestTaskBar test(server.display(), server.whyNot());
        status = QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "tst_taskbar.moc"
