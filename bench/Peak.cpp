#include "bench/Peak.h"

#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "bench/Paint.h"
#include "bench/StartUp.h"
#include "store/Database.h"
#include "viewer/FrmMain.h"

#include <QCoreApplication>
#include <QWidget>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace bench {

long peakKilobytes(long pid) {
    // /proc files report no size, so QFile would see them as empty.
    std::ifstream status(pid == 0 ? std::string("/proc/self/status")
                                  : "/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

namespace {

Peak parse(const QByteArray& out) {
    const QList<QByteArray> words = out.mid(out.indexOf("peak ")).trimmed().split(' ');
    if (words.size() < 5 || words[0] != "peak")
        throw std::runtime_error("a peak-memory child printed no peak");
    return {words[1].toLong(), words[2].toLong(), QSize(words[3].toInt(), words[4].toInt())};
}

} // namespace

int peakProgramChild(const QString& folder) {
    app::setProgramFolder(folder);
    app::launch();
    settle();
    PaintWatch painted({QStringLiteral("Question"), QStringLiteral("CountLabel")});
    app::loadedWindow<app::FrmSplash>()->btn_Continue_Click();
    waitForPaint(painted);
    viewer::FrmMain& main = *app::loadedWindow<viewer::FrmMain>();
    for (int i = 0; i < 20; ++i) {
        main.Next_Click();
        QCoreApplication::processEvents();
    }
    for (int i = 0; i < 5; ++i) {
        main.cmdRandomCard_Click();
        QCoreApplication::processEvents();
    }
    settle();
    int cache = 0;
    int highest = 0;
    sqlite3_db_status(app::state().QuestionDb->handle(), SQLITE_DBSTATUS_CACHE_USED, &cache,
                      &highest, 0);
    std::printf("peak %ld %d %d %d\n", peakKilobytes(), cache, main.width(), main.height());
    std::fflush(stdout);
    return 0;
}

int peakEmptyChild(int width, int height) {
    app::applyLook();
    QWidget window;
    window.setFixedSize(width, height);
    window.show();
    settle();
    std::printf("peak %ld 0 %d %d\n", peakKilobytes(), width, height);
    std::fflush(stdout);
    return 0;
}

Peak runPeakProgram(const BankInfo& bank) {
    return parse(
        runChild({QStringLiteral("--child"), QStringLiteral("peak-program"), bank.folder}));
}

Peak runPeakEmpty(QSize window) {
    return parse(runChild({QStringLiteral("--child"), QStringLiteral("peak-empty"),
                           QString::number(window.width()), QString::number(window.height())}));
}

} // namespace bench
