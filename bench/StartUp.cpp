#include "bench/StartUp.h"

#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "bench/Check.h"
#include "bench/Paint.h"
#include "bench/RawBank.h"
#include "devtools/automation/MainControls.h"
#include "store/RecordSet.h"
#include "viewer/FrmMain.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>

namespace bench {

namespace {

const QString ProgramKind = QStringLiteral("program");
const QString RawKind = QStringLiteral("raw");
const QString SplashKind = QStringLiteral("splash");
const QString BareKind = QStringLiteral("bare");

double monotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// The least a window with a label and a button costs: Qt's own style, the application's
// default font, no pictures.
class BareFirstWindow : public QWidget {
public:
    BareFirstWindow() {
        setObjectName(QStringLiteral("bare"));
        auto* label = new QLabel(QStringLiteral("Memvane"), this);
        label->setObjectName(QStringLiteral("label"));
        auto* button = new QPushButton(QStringLiteral("Continue"), this);
        button->setObjectName(QStringLiteral("button"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(button);
        resize(492, 230);
    }
};

// Every kind of start-up is timed from the same state of its process: the start-up window on
// screen, waiting for Continue. Key derivation alone ran 1.9x slower in a process that had not
// got there, with the same instructions, so a bare process would not be the same work.
app::FrmSplash& waitingForContinue(const QString& folder) {
    app::setProgramFolder(folder);
    app::launch();
    settle();
    app::FrmSplash* splash = app::loadedWindow<app::FrmSplash>();
    require(splash && splash->isVisible(), "the start-up window is shown");
    return *splash;
}

Sample programStartUp(const QString& folder) {
    app::FrmSplash* splash = &waitingForContinue(folder);
    PaintWatch painted({QStringLiteral("Question"), QStringLiteral("CountLabel")});
    const Sample sample = measure([&] {
        splash->btn_Continue_Click();
        waitForPaint(painted);
    });
    viewer::FrmMain* main = app::loadedWindow<viewer::FrmMain>();
    require(main && main->isVisible(), "the main window is shown");
    const int count = app::state().CardSet->recordCount();
    require(automation::MainControls(*main).CountLabel->text() ==
                QStringLiteral("1 of %1").arg(count),
            "the first card is shown");
    require(!automation::MainControls(*main).Question->toPlainText().isEmpty(),
            "the question is shown");
    return sample;
}

Sample rawStartUp(const QString& folder) {
    waitingForContinue(folder);
    const QString file = app::bankPath();
    std::optional<RawBank> bank;
    std::vector<std::int64_t> rows;
    const Sample sample = measure([&] {
        bank.emplace(file);
        rows = startUp(*bank);
        RawStatement card(*bank, SelectCard);
        readCard(card, rows.front());
    });
    require(!rows.empty(), "the bare start-up sees the cards");
    return sample;
}

} // namespace

int startUpChild(const QString& kind, const QString& path) {
    Sample sample;
    if (kind == ProgramKind)
        sample = programStartUp(path);
    else if (kind == RawKind)
        sample = rawStartUp(path);
    else
        throw std::runtime_error("no such start-up: " + kind.toStdString());
    std::printf("sample %.1f %.1f\n", sample.wall, sample.cpu);
    std::fflush(stdout);
    return 0;
}

// From the start of the process to the first paint of every part of the window: the time
// at that paint (the parent knows when it started the process) and the CPU time so far.
int windowChild(const QString& kind) {
    std::unique_ptr<PaintWatch> painted;
    std::unique_ptr<BareFirstWindow> bare;
    if (kind == SplashKind) {
        painted = std::make_unique<PaintWatch>(
            QStringList{QStringLiteral("btn_Continue"), QStringLiteral("lblProductName"),
                        QStringLiteral("Image1"), QStringLiteral("Picture1")});
        app::launch();
    } else if (kind == BareKind) {
        painted = std::make_unique<PaintWatch>(
            QStringList{QStringLiteral("label"), QStringLiteral("button")});
        bare = std::make_unique<BareFirstWindow>();
        bare->show();
    } else
        throw std::runtime_error("no such window: " + kind.toStdString());
    waitForPaint(*painted);
    const double paintedAt = monotonicMicros();
    std::printf("sample %.1f %.1f\n", paintedAt, processCpuMicros());
    std::fflush(stdout);
    return 0;
}

QByteArray runChild(const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        throw std::runtime_error("the child " + arguments.join(u' ').toStdString() + " failed");
    return child.readAllStandardOutput();
}

namespace {

Sample sampleOf(const QByteArray& out) {
    const QList<QByteArray> words = out.mid(out.indexOf("sample ")).trimmed().split(' ');
    if (words.size() < 3 || words[0] != "sample")
        throw std::runtime_error("a child printed no sample");
    return {words[1].toDouble(), words[2].toDouble()};
}

} // namespace

Sample runStartUp(StartUp kind, const BankInfo& bank) {
    const QString name = kind == StartUp::Program ? ProgramKind : RawKind;
    return sampleOf(
        runChild({QStringLiteral("--child"), QStringLiteral("startup-") + name, bank.folder}));
}

Sample runFirstWindow(FirstWindow kind) {
    const double started = monotonicMicros();
    Sample sample = sampleOf(runChild(
        {QStringLiteral("--child"),
         QStringLiteral("window-") + (kind == FirstWindow::Splash ? SplashKind : BareKind)}));
    sample.wall -= started;
    return sample;
}

} // namespace bench
