// Runs the program as a process, the way main() does, and plays a script of user actions
// on it, so tests can watch what ends the process: memvane-driver FOLDER STEP...
// Steps: continue, close-splash (the window system closes the start-up window), tick, next,
// previous, random, options-button, exit, hold (wait to be killed), image-plugins (prints
// "image plugin: NAME" for each image format plugin loaded so far). After each step it
// prints "done STEP". Message boxes are answered with OK and their text printed as
// "message: ...".
#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
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
    else if (step == "tick")
        testing::MainControls(*main).Mark->click();
    else if (step == "next")
        testing::MainControls(*main).Next->click();
    else if (step == "previous")
        testing::MainControls(*main).Previous->click();
    else if (step == "random")
        testing::MainControls(*main).cmdRandomCard->click();
    else if (step == "options-button")
        testing::MainControls(*main).btnOptions->click();
    else if (step == "exit")
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
    app::setProgramFolder(args[1]);
    app::launch();
    testing::MessageAnswerer answer(
        [](const QMessageBox& box) { say("message: " + box.text().replace('\n', "\\n")); });
    QTimer::singleShot(0, &application, [steps = args.mid(2)] { play(steps); });
    return application.exec();
}
