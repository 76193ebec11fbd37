// Writes pictures of the real windows, for review and for the README:
// memvane-screenshots BANK OUTDIR (the bank is copied first; it is never written). On a scaled
// screen (QT_SCALE_FACTOR=2) the pictures are drawn at its density and named NAME@2x.png.
#include "app/FrmAbout.h"
#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "devtools/automation/MainControls.h"
#include "selection/FrmOptions.h"
#include "selection/FrmSetOptions.h"
#include "viewer/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void save(QWidget& window, const QString& folder, const QString& name) {
    const qreal scale = window.devicePixelRatioF();
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    const QString path = QDir(folder).filePath(name + suffix + QStringLiteral(".png"));
    // Lets the window become active, so that its focused control shows its focus mark.
    QCoreApplication::processEvents();
    if (!window.grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: memvane-screenshots BANK OUTDIR\n");
        return 2;
    }
    QTemporaryDir program;
    QDir().mkpath(program.filePath(QStringLiteral("db")));
    if (!QFile::copy(args[1], program.filePath(QStringLiteral("db/voreldb.mdb")))) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(args[1]));
        return 1;
    }
    const QString out = args[2];
    QDir().mkpath(out);
    app::setProgramFolder(program.path());
    app::launch();

    auto& splash = *app::loadedWindow<app::FrmSplash>();
    save(splash, out, QStringLiteral("frmSplash"));
    splash.btn_Continue_Click();
    auto& main = app::window<viewer::FrmMain>();
    save(main, out, QStringLiteral("FrmMain"));
    automation::MainControls(main).Next->click();
    main.btn_AnswerToggle_MouseDown();
    save(main, out, QStringLiteral("FrmMain-answer"));
    save(app::showWindow<selection::FrmOptions>(), out, QStringLiteral("frmOptions"));
    save(app::showWindow<selection::FrmSetOptions>(), out, QStringLiteral("frmSetOptions"));
    save(app::showWindow<app::FrmAbout>(), out, QStringLiteral("frmAbout"));
    return 0;
}
