#include "bench/StartUp.h"

#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "bench/Check.h"
#include "bench/Paint.h"
#include "bench/RawBank.h"
#include "store/BankPassword.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/RecordSet.h"
#include "store/Statement.h"
#include "tools/automation/MainControls.h"
#include "viewer/FrmMain.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProcess>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace bench {

namespace {

const QString ProgramKind = QStringLiteral("program");
const QString TodayKind = QStringLiteral("today");
const QString RawKind = QStringLiteral("raw");

QString quoteName(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

int columnIndex(const QStringList& columns, const QString& name) {
    for (int i = 0; i < int(columns.size()); ++i) {
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw std::runtime_error("no field " + name.toStdString());
}

// The renumbering of today's start-up, as the main branch runs it: its record set collects
// the row ids with a scan of the whole table in row order; then, in one transaction, every
// record is edited: the read of ID and the update of Index each build their SQL text and
// look their statement up by it. Kept here only as the reference of today's start-up.
void renumberAsToday(store::Database& db) {
    const QString table = QStringLiteral("QATABLE");
    const QString rowId = QStringLiteral("rowid");
    std::vector<qint64> rows;
    {
        store::Statement& select = db.statement(
            QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(rowId, quoteName(table)));
        const store::Statement::Use selecting(select);
        while (select.step())
            rows.push_back(select.columnInt64(0));
    }
    store::Database::Transaction renumbering(db);
    for (const qint64 row : rows) {
        const QStringList& columns = db.columns(table);
        const QStringList read = {quoteName(columns[columnIndex(columns, QStringLiteral("ID"))])};
        store::Statement& select =
            db.statement(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                             .arg(read.join(QStringLiteral(", ")), quoteName(table), rowId));
        QVariantList values;
        {
            const store::Statement::Use reading(select);
            select.bind(1, row);
            require(select.step(), "today's loop reads every record");
            values = {select.column(0)};
        }

        const QVariantList written = {values.constFirst().toLongLong()};
        const QString assignments =
            quoteName(columns[columnIndex(columns, QStringLiteral("Index"))]) +
            QStringLiteral(" = ?%1").arg(written.size());
        store::Statement& update = db.statement(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                                                    .arg(quoteName(table), assignments, rowId)
                                                    .arg(written.size() + 1));
        const store::Statement::Use writing(update);
        update.bind(1, written[0]);
        update.bind(2, row);
        while (update.step()) {
        }
        require(db.changes() == 1, "today's loop writes every record");
    }
    renumbering.commit();
}

// Continue as today: the same steps, with today's renumbering in place of the new one. The
// main window needs a record set of the current kind, so one is opened beside today's.
void continueAsToday(app::FrmSplash& splash) {
    app::ProgramState& s = app::state();
    s.DbPath = app::bankPath();
    if (!s.Engine)
        s.Engine = std::make_shared<store::Engine>();
    s.QuestionDb =
        s.Engine->openDatabase(s.DbPath, store::Database::Mode::ReadWrite, store::BankConnectText);
    s.CurrentSQL = QStringLiteral("SELECT * FROM QATABLE");
    s.CardSet = s.QuestionDb->openRecordSet(s.CurrentSQL);
    renumberAsToday(*s.QuestionDb);
    s.CardSet->moveFirst();
    s.MarkField = QStringLiteral("Mark1");
    app::showWindow<viewer::FrmMain>();
    splash.close();
}

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

Sample programStartUp(const QString& folder, bool today) {
    app::FrmSplash* splash = &waitingForContinue(folder);
    PaintWatch painted({QStringLiteral("Question"), QStringLiteral("CountLabel")});
    const Sample sample = measure([&] {
        if (today)
            continueAsToday(*splash);
        else
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
        RawStatement all(*bank, SelectAllRows);
        rows = rowIds(all);
        renumber(*bank);
        RawStatement card(*bank, SelectCard);
        readCard(card, rows.front());
    });
    require(!rows.empty(), "the bare start-up sees the cards");
    return sample;
}

} // namespace

int startUpChild(const QString& kind, const QString& path) {
    Sample sample;
    if (kind == ProgramKind || kind == TodayKind)
        sample = programStartUp(path, kind == TodayKind);
    else if (kind == RawKind)
        sample = rawStartUp(path);
    else
        throw std::runtime_error("no such start-up: " + kind.toStdString());
    std::printf("sample %.1f %.1f\n", sample.wall, sample.cpu);
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

Sample runStartUp(StartUp kind, const BankInfo& bank) {
    const QString name = kind == StartUp::Program ? ProgramKind
                         : kind == StartUp::Today ? TodayKind
                                                  : RawKind;
    const QByteArray out =
        runChild({QStringLiteral("--child"), QStringLiteral("startup-") + name, bank.folder});
    const QList<QByteArray> words = out.mid(out.indexOf("sample ")).trimmed().split(' ');
    if (words.size() < 3 || words[0] != "sample")
        throw std::runtime_error("a start-up child printed no sample");
    return {words[1].toDouble(), words[2].toDouble()};
}

} // namespace bench
