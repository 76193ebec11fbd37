#include "viewer/FrmMain.h"
#include "ui_FrmMain.h"

#include "app/Failure.h"
#include "app/FrmAbout.h"
#include "app/Look.h"
#include "app/MessageBox.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "selection/FrmOptions.h"
#include "selection/FrmSetOptions.h"
#include "store/MarkFields.h"
#include "store/RecordSet.h"
#include "viewer/CardFields.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <chrono>
#include <cstdlib>
#include <random>

namespace viewer {

using app::state;

QString counterText(int n, int m) {
    return QStringLiteral("%1 of %2").arg(n).arg(m);
}

int randomCardNumber(float r, int m) {
    return int(double(r) * double(m) + 1.0);
}

FrmMain::FrmMain()
    : ui(std::make_unique<Ui::FrmMain>()) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    ui->setupUi(this);
    app::applyPixelFonts(this);
    for (QWidget* control : std::initializer_list<QWidget*>{ui->menubar, ui->Question, ui->Answer})
        app::useDesktopColours(control);
    prepareCardBox(ui->Question);
    prepareCardBox(ui->Answer);
    setWindowIcon(QIcon(QStringLiteral(":/pictures/memvane.png")));
    setClientHeight(ShortClientHeight);

    ui->btn_AnswerToggle->installEventFilter(this);
    connect(ui->GoFirst, &QPushButton::clicked, this, app::handler([this] { GoFirst_Click(); }));
    connect(ui->Next, &QPushButton::clicked, this, app::handler([this] { Next_Click(); }));
    connect(ui->Previous, &QPushButton::clicked, this, app::handler([this] { Previous_Click(); }));
    connect(ui->cmdRandomCard, &QPushButton::clicked, this,
            app::handler([this] { cmdRandomCard_Click(); }));
    connect(ui->btnOptions, &QPushButton::clicked, this,
            app::handler([this] { btnOptions_Click(); }));
    connect(ui->cmdChangeSet, &QPushButton::clicked, this,
            app::handler([this] { cmdChangeSet_Click(); }));
    connect(ui->itmOptions, &QAction::triggered, this,
            app::handler([this] { itmOptions_Click(); }));
    connect(ui->itmHelp, &QAction::triggered, this, app::handler([this] { itmHelp_Click(); }));
    connect(ui->itmAbout, &QAction::triggered, this, app::handler([this] { itmAbout_Click(); }));
    connect(ui->itmExit, &QAction::triggered, this, [this] { itmExit_Click(); });
    ui->Mark->setFocus();
}

FrmMain::~FrmMain() = default;

void FrmMain::setClientHeight(int height) {
    setFixedSize(width(), menuBar()->sizeHint().height() + height);
}

bool FrmMain::hasCurrentCard() const {
    return state().CardSet && state().CardSet->hasCurrent();
}

void FrmMain::Form_Load() {
    store::RecordSet& cards = *state().CardSet;
    cards.moveNext();
    cards.movePrevious();
    ShowCurrentCard();
}

void FrmMain::ShowCurrentCard() {
    store::RecordSet& cards = *state().CardSet;
    writeCard(*ui, cards, state().MarkField);

    const int p = cards.absolutePosition();
    const int m = cards.recordCount();
    ui->CountLabel->setText(counterText(p + 1, m));
    ui->Next->setEnabled(p + 1 != m);
    ui->Previous->setEnabled(p != 0);
    ui->GoFirst->setEnabled(p != 0);
}

void FrmMain::showNewCardSet() {
    store::RecordSet& cards = *state().CardSet;
    writeCard(*ui, cards, state().MarkField);
    // The count covers the whole set once it has been walked to its end.
    cards.moveLast();
    cards.moveFirst();
    const int m = cards.recordCount();
    ui->CountLabel->setText(counterText(1, m));
    ui->Next->setEnabled(m != 1);
    ui->Previous->setEnabled(false);
    ui->GoFirst->setEnabled(false);
}

void FrmMain::showCustomSet(int n) {
    const QString field = store::markFields().at(size_t(n - 1));
    ui->Mark->setText(QStringLiteral("Add to Custom Set #%1").arg(n));
    if (state().CardSet && state().CardSet->recordCount() > 0)
        ui->Mark->setChecked(store::isYes(state().CardSet->field(field)));
}

void FrmMain::StoreMark() {
    if (!hasCurrentCard())
        return; // an empty card set has nothing to mark
    store::RecordSet& cards = *state().CardSet;
    cards.edit();
    if (const std::optional<QString> field = store::markFieldName(state().MarkField))
        cards.setField(*field, ui->Mark->isChecked() ? 1 : 0);
    cards.update();
}

void FrmMain::GoFirst_Click() {
    if (!hasCurrentCard())
        return;
    StoreMark();
    state().CardSet->moveFirst();
    ShowCurrentCard();
}

void FrmMain::Next_Click() {
    if (!hasCurrentCard())
        return;
    StoreMark();
    store::RecordSet& cards = *state().CardSet;
    if (!cards.eof()) {
        cards.moveNext();
        if (cards.eof())
            cards.movePrevious();
    }
    ShowCurrentCard();
}

void FrmMain::Previous_Click() {
    if (!hasCurrentCard())
        return;
    StoreMark();
    store::RecordSet& cards = *state().CardSet;
    if (!cards.bof()) {
        cards.movePrevious();
        if (cards.bof())
            cards.moveNext();
    }
    ShowCurrentCard();
}

void FrmMain::cmdRandomCard_Click() {
    if (!hasCurrentCard())
        return;
    std::mt19937 generator(
        std::uint32_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    // 24 random bits make every float in [0, 1) on the grid reachable, and never 1.
    const float r = float(generator() >> 8) * 0x1p-24f;
    store::RecordSet& cards = *state().CardSet;
    const int k = randomCardNumber(r, cards.recordCount());
    cards.setAbsolutePosition(k - 1);
    ShowCurrentCard();
}

void FrmMain::btn_AnswerToggle_MouseDown() {
    if (ui->Answer->isVisible()) {
        ui->Answer->setVisible(false);
        ui->btn_AnswerToggle->setText(QStringLiteral("View Answer"));
        setClientHeight(ShortClientHeight);
    } else {
        ui->Answer->setVisible(true);
        setClientHeight(TallClientHeight);
        ui->btn_AnswerToggle->setText(QStringLiteral("Hide Answer"));
    }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->btn_AnswerToggle &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        app::handler([this] { btn_AnswerToggle_MouseDown(); })();
    return Window::eventFilter(watched, event);
}

void FrmMain::btnOptions_Click() {
    StoreMark();
    app::showWindow<selection::FrmOptions>();
}

void FrmMain::itmOptions_Click() {
    app::showWindow<selection::FrmOptions>();
}

void FrmMain::cmdChangeSet_Click() {
    StoreMark();
    app::showWindow<selection::FrmSetOptions>();
}

void FrmMain::itmHelp_Click() {
    const QString readme = QDir(app::programFolder()).filePath(QStringLiteral("readme.txt"));
    // The path goes as one argument, never through a shell, so blanks in it are safe.
    const QString notepad = QStandardPaths::findExecutable(QStringLiteral("notepad"));
    if (!notepad.isEmpty() && QProcess::startDetached(notepad, {readme}))
        return;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(readme)))
        return;
    // Asking for the readme must not end the session.
    app::showMessage(QStringLiteral("No text viewer could open the readme file '%1'.").arg(readme));
}

void FrmMain::itmAbout_Click() {
    app::showWindow<app::FrmAbout>();
}

void FrmMain::itmExit_Click() {
    // At once: no closing handlers, nothing stored.
    std::_Exit(EXIT_SUCCESS);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    Window::closeEvent(event);
    if (event->isAccepted())
        QCoreApplication::quit();
}

} // namespace viewer
