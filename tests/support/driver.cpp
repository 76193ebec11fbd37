// Runs the program as a process, the way main() does, and plays a script of user actions
// on it, so tests can watch what ends the process: memvane-driver FOLDER STEP...
// Steps: continue, close-splash and close-main (the window system closes the start-up or the
// main window), tick, next, previous, random, options-button (then, once the Options window
// alone is active or five seconds have passed, prints "window NAME: over OWNER|on its own,
// modal|modeless, active|inactive" for each window shown), exit, hold (wait to be killed),
// image-plugins (prints "image plugin: NAME" for each image format plugin loaded so far). It
// first prints "platform: NAME", and after each step "done STEP". Message boxes are answered
// with OK and their text printed as "message: ...".
#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "selection/FrmOptions.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Each shown window, sorted by name, as the window system was asked to treat it.
void sayWindows() {
    QStringList lines;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->windowHandle())
            continue;
        const QWindow* owner = w->windowHandle()->transientParent();
        const QWidget* ownerWidget = nullptr;
        for (const QWidget* other : QApplication::topLevelWidgets()) {
            if (owner && other->windowHandle() == owner)
                ownerWidget = other;
        }
        lines << QStringLiteral("window %1: %2, %3, %4")
                     .arg(w->objectName(),
                          ownerWidget ? "over " + ownerWidget->objectName()
                                      : QStringLiteral("on its own"),
                          w->windowHandle()->modality() == Qt::NonModal ? "modeless" : "modal",
                          w->isActiveWindow() ? "active" : "inactive");
    }
    lines.sort();
    for (const QString& line : lines)
        say(line);
}

void play(QStringList steps) {
    if (steps.isEmpty())
        return;
    const QString step = steps.takeFirst();
    viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
    if (step == "continue")
        automation::control<QPushButton>(*app::loadedWindow<app::FrmSplash>(), "btn_Continue")
            ->click();
    else if (step == "close-splash")
        app::loadedWindow<app::FrmSplash>()->windowHandle()->close(); // as a close button does
    else if (step == "close-main")
        main->windowHandle()->close();
    else if (step == "tick")
        testing::MainControls(*main).Mark->click();
    else if (step == "next")
        testing::MainControls(*main).Next->click();
    else if (step == "previous")
        testing::MainControls(*main).Previous->click();
    else if (step == "random")
        testing::MainControls(*main).cmdRandomCard->click();
    else if (step == "options-button") {
        testing::MainControls(*main).btnOptions->click();
        // The window system activates it a moment later, if at all, and may tell the main
        // window later still that it is no longer active.
        (void)QTest::qWaitFor(
            [main] {
                return app::loadedWindow<selection::FrmOptions>()->isActiveWindow() &&
                       !main->isActiveWindow();
            },
            5000);
        sayWindows();
    } else if (step == "exit")
        testing::MainControls(*main).itmExit->trigger();
    else if (step == "hold")
        return;
    else if (step == "image-plugins") {
        // The kernel gives this file no size: it is read line by line.
        QFile maps(QStringLiteral("/proc/self/maps"));
        maps.open(QIODevice::ReadOnly);
        QStringList plugins;
        for (QByteArray line = maps.readLine(); !line.isEmpty(); line = maps.readLine()) {
            if (line.contains("/imageformats/"))
                plugins << QFileInfo(QString::fromLocal8Bit(line.trimmed().split(' ').last()))
                               .fileName();
        }
        plugins.removeDuplicates();
        for (const QString& plugin : plugins)
            say("image plugin: " + plugin);
    }
    say("done " + step);
    QTimer::singleShot(0, qApp, [steps] { play(steps); });
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: memvane-driver FOLDER STEP...\n");
        return 2;
    }
    say("platform: " + QGuiApplication::platformName());
    app::setProgramFolder(args[1]);
    app::launch();
    testing::MessageAnswerer answer(
        [](const QMessageBox& box) { say("message: " + box.text().replace('\n', "\\n")); });
    QTimer::singleShot(0, &application, [steps = args.mid(2)] { play(steps); });
    return app::ended(application.exec());
}
