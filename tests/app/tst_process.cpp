// The program run as a separate process, for what only a whole process shows: being
// killed, File > Exit, failures that end it, and banks it must refuse without harm.
#include "store/BankPassword.h"
#include "store/BankTable.h"
#include "tests/support/DisplayServer.h"
#include "tests/support/TestBank.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <map>
#include <memory>

#include <unistd.h>

using namespace testing;

namespace {

const QString Key = store::BankPassword;
constexpr int ProcessTimeoutMs = 120000;

struct Ended {
    int code = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out;
    QString err;
};

QProcessEnvironment offscreen() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// prefix: a command the driver runs under (strace, setpriv), or none.
void startDriver(QProcess& process, const QString& folder, const QStringList& steps,
                 const QStringList& prefix = {}, const QProcessEnvironment& env = offscreen()) {
    process.setProcessEnvironment(env);
    const QStringList command = prefix + QStringList{QStringLiteral(DRIVER), folder} + steps;
    process.start(command.first(), command.mid(1));
}

Ended finish(QProcess& process) {
    Ended ended;
    // A process still running at the deadline ended by no doing of its own.
    if (!process.waitForFinished(ProcessTimeoutMs)) {
        process.kill();
        process.waitForFinished(ProcessTimeoutMs);
        ended.err = QStringLiteral("still running after %1 ms; killed\n").arg(ProcessTimeoutMs);
    }
    ended.code = process.exitCode();
    ended.status = process.exitStatus();
    ended.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    ended.err += QString::fromLocal8Bit(process.readAllStandardError());
    return ended;
}

Ended runDriver(const QString& folder, const QStringList& steps, const QStringList& prefix = {},
                const QProcessEnvironment& env = offscreen()) {
    QProcess process;
    startDriver(process, folder, steps, prefix, env);
    return finish(process);
}

Ended runCommand(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    return finish(process);
}

// The sqlcipher command on the bank, as another program would use it; stops at the first error.
Ended sqlcipher(const QString& bank, const QByteArray& sql) {
    return runCommand(QStringLiteral("sqlcipher"), {QStringLiteral("-bail"), bank},
                      "PRAGMA key = '" + Key.toUtf8() + "';\n" + sql + '\n');
}

// Empty when strace can trace a child here; else why not.
QString straceMissing() {
    const Ended probe =
        runCommand(QStringLiteral("strace"), {QStringLiteral("-f"), QStringLiteral("-o"),
                                              QStringLiteral("/dev/null"), QStringLiteral("true")});
    if (probe.status == QProcess::NormalExit && probe.code == 0)
        return {};
    return probe.code < 0 ? QStringLiteral("strace is not installed")
                          : QStringLiteral("strace cannot trace (ptrace is not permitted?): ") +
                                probe.err.trimmed();
}

// strace, following threads, with file names for descriptors, writing to log.
QStringList traced(const QString& log, const QString& calls) {
    return {QStringLiteral("strace"),
            QStringLiteral("-f"),
            QStringLiteral("-y"),
            QStringLiteral("-o"),
            log,
            QStringLiteral("-e"),
            QStringLiteral("trace=") + calls};
}

QStringList lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(u'\n');
}

// Root reads and writes through file modes; without these capabilities it does not.
QStringList modesApply() {
    if (::geteuid() != 0)
        return {};
    return {QStringLiteral("setpriv"),
            QStringLiteral("--bounding-set=-dac_override,-dac_read_search")};
}

// Sets a file's or folder's mode for a while, then puts the old one back.
class Mode {
public:
    Mode(const QString& path, QFile::Permissions permissions)
        : m_path(path)
        , m_old(QFile::permissions(path)) {
        QFile::setPermissions(path, permissions);
    }
    ~Mode() { QFile::setPermissions(m_path, m_old); }

private:
    QString m_path;
    QFile::Permissions m_old;
};

Ended runBankTool(const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(offscreen());
    process.start(QStringLiteral(BANK_TOOL), args);
    return finish(process);
}

// Reads stdout until the line appears; what was read stays in seen.
bool waitForLine(QProcess& process, const QString& line, QString& seen) {
    const QDeadlineTimer deadline(ProcessTimeoutMs);
    while (!seen.split(u'\n').contains(line)) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
        seen += QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    return true;
}

// Kills with SIGKILL: no handler of the program runs.
void killHard(QProcess& process) {
    process.kill();
    process.waitForFinished(ProcessTimeoutMs);
}

QVariantList column(const std::vector<Row>& rows, int mark) {
    QVariantList values;
    for (const Row& row : rows)
        values << qint64(row.marks[size_t(mark)]);
    return values;
}

void copyBank(const QString& from, const QString& to) {
    QFile::remove(to);
    QFile::remove(to + QStringLiteral("-journal"));
    QVERIFY(QFile::copy(from, to));
}

// Holds a write transaction on the bank from this process, as another program would.
class WriteLock {
public:
    explicit WriteLock(const QString& path) {
        if (sqlite3_open(QFile::encodeName(path).constData(), &m_db) != SQLITE_OK)
            return;
        const QByteArray key = Key.toUtf8();
        sqlite3_key(m_db, key.constData(), int(key.size()));
        m_held = sqlite3_exec(m_db, "BEGIN IMMEDIATE; UPDATE QATABLE SET Mark6 = Mark6;", nullptr,
                              nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    bool held() const { return m_held; }

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};

// Makes the file unwritable even for root, and undoes it so the folder can be removed.
class Immutable {
public:
    explicit Immutable(const QString& path)
        : m_path(path) {
        m_set = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~Immutable() {
        if (m_set)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    }

private:
    QString m_path;
    bool m_set = false;
};

// What turns a plain bank into one of the odd kinds, as the sqlcipher command runs it.
QByteArray oddBankSql(const QString& kind) {
    if (kind == "shadowed" || kind == "all shadowed")
        return QByteArray("ALTER TABLE QATABLE ADD COLUMN rowid INTEGER DEFAULT 1;\n"
                          "ALTER TABLE QATABLE ADD COLUMN oid INTEGER DEFAULT 1;\n") +
               (kind == "all shadowed" ? "ALTER TABLE QATABLE ADD COLUMN _rowid_ INTEGER;\n" : "");
    if (kind == "without rowid")
        return QStringLiteral("CREATE TABLE cards (%1) WITHOUT ROWID;\n")
                   .arg(store::bankColumnDefinitions())
                   .toUtf8() +
               "INSERT INTO cards SELECT * FROM QATABLE;\n"
               "DROP TABLE QATABLE;\n"
               "ALTER TABLE cards RENAME TO QATABLE;\n";
    if (kind == "view")
        return "ALTER TABLE QATABLE RENAME TO cards;\n"
               "CREATE VIEW QATABLE AS SELECT * FROM cards;\n";
    if (kind == "trigger")
        return "CREATE TRIGGER stamp AFTER UPDATE ON QATABLE BEGIN SELECT 1; END;\n";
    if (kind == "virtual")
        return "CREATE VIRTUAL TABLE notes USING fts4(body);\n";
    if (kind == "no questions")
        return "DELETE FROM QATABLE;\n";
    return {};
}

bool writable(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite);
}

QString text(const QVariant& value) {
    return value.isNull() ? QStringLiteral("<null>") : value.toString();
}

// The description under "Run-time error 'N':" and a blank line on stderr, or a null
// string; Qt's own warnings may surround it.
QString reportedDescription(const QString& err, const QString& heading) {
    const QStringList lines = err.split(u'\n');
    const qsizetype at = lines.indexOf(heading);
    if (at < 0 || at + 2 >= lines.size() || !lines[at + 1].isEmpty())
        return {};
    return lines[at + 2];
}

} // namespace

class TestProcess : public QObject {
    Q_OBJECT

private slots:
    void killedDuringStartupLeavesIndexWhollyOldOrNew() {
        constexpr int Questions = 32767;
        constexpr int Rounds = 20;
        std::vector<Row> rows = numberedRows(Questions);
        rows[0].marks[0] = 1;
        rows[1].marks[1] = 1;
        rows[4999].marks[0] = 1;
        rows[16000].marks[2] = 1;
        rows[20000].marks[3] = 1;
        rows[30000].marks[4] = 1;
        rows[Questions - 1].marks[5] = 1;
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString master = scratch.filePath(QStringLiteral("master.mdb"));
        writeBank(master, rows);
        const QVariantList ids = readColumn(master, QStringLiteral("ID"));
        QCOMPARE(ids.size(), Questions);
        const QVariantList zeros(Questions, QVariant(qint64(0)));
        QCOMPARE(readColumn(master, QStringLiteral("Index")), zeros);

        ProgramFolder folder({});
        const QString bank = folder.bank();

        // Start-ups left to finish show how long one takes (the longest of three, as the
        // time varies), and that each renumbers.
        qint64 startupMs = 0;
        for (int run = 0; run < 3; ++run) {
            copyBank(master, bank);
            QProcess process;
            QElapsedTimer clock;
            clock.start();
            startDriver(process, folder.folder(), {"continue", "hold"});
            QString seen;
            QVERIFY2(waitForLine(process, QStringLiteral("done continue"), seen),
                     qPrintable(seen + QString::fromLocal8Bit(process.readAllStandardError())));
            startupMs = std::max(startupMs, clock.elapsed());
            killHard(process);
            QCOMPARE(readColumn(bank, QStringLiteral("Index")), ids);
        }
        qInfo("unkilled start-up on %d questions took up to %lld ms", Questions, startupMs);

        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("kill delays drawn with seed %u", seed);
        QRandomGenerator random(seed);
        int old = 0;
        int renumbered = 0;
        int journals = 0;
        for (int round = 0; round < Rounds; ++round) {
            copyBank(master, bank);
            // One delay in each twentieth of the start-up, so the short stretch between the
            // commit and the end is reached as surely as the long renumbering before it.
            const qint64 delayMs =
                qint64((round + random.generateDouble()) * double(startupMs) / Rounds);
            QProcess process;
            startDriver(process, folder.folder(), {"continue", "hold"});
            QVERIFY(process.waitForStarted());
            QThread::msleep(static_cast<unsigned long>(delayMs));
            killHard(process);
            const QString what =
                QStringLiteral("round %1, killed after %2 ms").arg(round).arg(delayMs);
            QVERIFY2(process.exitStatus() == QProcess::CrashExit, qPrintable(what));
            QVERIFY2(!QString::fromLocal8Bit(process.readAllStandardError())
                          .contains(QStringLiteral("Run-time error")),
                     qPrintable(what));
            journals += QFile::exists(bank + QStringLiteral("-journal"));

            // The bank tool opens it first, as the next start of the program would.
            const Ended checked = runBankTool({QStringLiteral("check"), bank});
            QVERIFY2(checked.status == QProcess::NormalExit && checked.code == 0,
                     qPrintable(what + u'\n' + checked.err));
            const QVariantList index = readColumn(bank, QStringLiteral("Index"));
            if (index == zeros) {
                ++old;
                QVERIFY2(
                    checked.out.contains(
                        QStringLiteral("Index differs from ID in %1 questions.").arg(Questions)),
                    qPrintable(what + u'\n' + checked.out));
            } else {
                qsizetype off = 0;
                for (qsizetype i = 0; i < index.size(); ++i)
                    off += index[i] != ids[i];
                QVERIFY2(off == 0, qPrintable(what + QStringLiteral(": Index is neither all 0 nor "
                                                                    "all ID; %1 records differ")
                                                         .arg(off)));
                ++renumbered;
                QVERIFY2(checked.out.contains(QStringLiteral("Index = ID in every question.")),
                         qPrintable(what + u'\n' + checked.out));
            }
            QCOMPARE(index.size(), Questions);
            for (int mark = 0; mark < 6; ++mark)
                QVERIFY2(readColumn(bank, QStringLiteral("Mark%1").arg(mark + 1)) ==
                             column(rows, mark),
                         qPrintable(what + QStringLiteral(": Mark%1 changed").arg(mark + 1)));
        }
        qInfo("%d rounds: %d left Index wholly old, %d wholly new; %d left a journal behind",
              Rounds, old, renumbered, journals);
    }

    void endOfProcess_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("killAfter"); // empty: the process ends by itself
        QTest::addColumn<int>("markBefore");    // Mark1 of the record the steps tick
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("markAfter");
        QTest::addColumn<QStringList>("said"); // lines the driver prints on the way

        // Offscreen, and on an X server and a Wayland compositor of the test's own. Under the
        // sanitizers offscreen alone: the display rows run the same code of ours, and what the
        // sanitizers find there is the display libraries' (xkbcommon's strndup() of unterminated
        // names, libwayland-client's objects left to the exit).
#ifdef MEMVANE_SANITIZED
        const std::vector<const char*> platforms = {"offscreen"};
#else
        const std::vector<const char*> platforms = {"offscreen", "xcb", "wayland"};
#endif
        for (const char* platform : platforms) {
            const auto row = [platform](const char* name) -> QTestData& {
                return QTest::addRow("%s: %s", platform, name) << QString::fromLatin1(platform);
            };
            row("killed right after next") << QStringList{"continue", "tick", "next", "hold"}
                                           << "done next" << 0 << 1 << 1 << QStringList();
            row("killed after a tick alone") << QStringList{"continue", "tick", "hold"}
                                             << "done tick" << 0 << 1 << 0 << QStringList();
            row("exit with a pending tick")
                << QStringList{"continue", "tick", "exit"} << "" << 0 << 1 << 0 << QStringList();
            row("exit with a pending untick")
                << QStringList{"continue", "tick", "exit"} << "" << 1 << 1 << 1 << QStringList();
            row("exit after next") << QStringList{"continue", "tick", "next", "exit"} << "" << 0
                                   << 1 << 1 << QStringList();
            row("exit after previous")
                << QStringList{"continue", "next", "tick", "previous", "exit"} << "" << 0 << 2 << 1
                << QStringList();
            // The Options window stands over the main window without blocking it; opening it
            // stores the mark.
            row("exit with the Options window open")
                << QStringList{"continue", "tick", "options-button", "exit"} << "" << 0 << 1 << 1
                << QStringList{"window FrmMain: on its own, modeless, inactive",
                               "window frmOptions: over FrmMain, modeless, active"};
            // Nothing is open yet: the program ends rather than live on without a window.
            row("start-up window closed by the window system")
                << QStringList{"close-splash", "hold"} << "" << 0 << 1 << 0 << QStringList();
            row("main window closed by the window system")
                << QStringList{"continue", "close-main", "hold"} << "" << 0 << 1 << 0
                << QStringList();
        }
    }

    void endOfProcess() {
        QFETCH(QString, platform);
        QFETCH(QStringList, steps);
        QFETCH(QString, killAfter);
        QFETCH(int, markBefore);
        QFETCH(int, record);
        QFETCH(int, markAfter);
        QFETCH(QStringList, said);
        QProcessEnvironment env = offscreen();
        if (platform != u"offscreen") {
            auto& server = m_servers[platform];
            if (!server)
                server = std::make_unique<DisplayServer>(
                    platform == u"xcb" ? DisplayServer::Kind::X11 : DisplayServer::Kind::Wayland);
            if (!server->running())
                QSKIP(qPrintable(QStringLiteral("No %1 display could be started: %2")
                                     .arg(platform, server->whyNot())));
            for (const auto& [name, value] : server->environment()) {
                if (value.isEmpty())
                    env.remove(QString::fromLatin1(name));
                else
                    env.insert(QString::fromLatin1(name), QString::fromLocal8Bit(value));
            }
        }
        std::vector<Row> rows = numberedRows(5);
        rows[size_t(record - 1)].marks[0] = markBefore;
        ProgramFolder folder(rows);

        Ended ended;
        if (killAfter.isEmpty()) {
            ended = runDriver(folder.folder(), steps, {}, env);
            QVERIFY2(ended.status == QProcess::NormalExit, qPrintable(ended.err));
            QCOMPARE(ended.code, 0);
            // File > Exit ends the process inside the step; a hold never ends by itself.
            QVERIFY(ended.out.contains(QStringLiteral("done ") + steps[steps.size() - 2]));
            QVERIFY(!ended.out.contains(QStringLiteral("done ") + steps.last()));
        } else {
            QProcess process;
            startDriver(process, folder.folder(), steps, {}, env);
            QString seen;
            QVERIFY2(waitForLine(process, killAfter, seen), qPrintable(seen));
            killHard(process);
            ended = finish(process);
            ended.out.prepend(seen);
            QCOMPARE(ended.status, QProcess::CrashExit);
        }
        QVERIFY2(!ended.err.contains(QStringLiteral("Run-time error")), qPrintable(ended.err));
        const QStringList out = ended.out.split(u'\n');
        for (const QString& line : QStringList{"platform: " + platform} + said)
            QVERIFY2(out.contains(line),
                     qPrintable(line + QStringLiteral(" not in:\n") + ended.out));

        QVariantList expected = column(rows, 0);
        expected[record - 1] = qint64(markAfter);
        QCOMPARE(readColumn(folder.bank(), QStringLiteral("Mark1")), expected);
        for (int mark = 1; mark < 6; ++mark)
            QCOMPARE(readColumn(folder.bank(), QStringLiteral("Mark%1").arg(mark + 1)),
                     column(rows, mark));
    }

    // Read without its format named, a picture would load every image plugin first.
    void theStartUpWindowLoadsOnlyTheJpegReader() {
        ProgramFolder folder(numberedRows(1));
        const Ended ended = runDriver(folder.folder(), {"image-plugins", "close-splash"});
        QCOMPARE(ended.code, 0);
        QCOMPARE(ended.out.split('\n').filter(QStringLiteral("image plugin:")),
                 QStringList{QStringLiteral("image plugin: libqjpeg.so")});
    }

    void aSecondMemvaneOnTheBankIsRefused() {
        ProgramFolder folder(numberedRows(5));
        const QString bank = folder.bank();
        QProcess first;
        startDriver(first, folder.folder(), {"continue", "hold"});
        QString seen;
        QVERIFY2(waitForLine(first, QStringLiteral("done continue"), seen), qPrintable(seen));

        // Other programs still read and write the bank meanwhile.
        const Ended shell = sqlcipher(bank, "UPDATE QATABLE SET Mark2 = 1 WHERE rowid = 3;\n"
                                            "SELECT group_concat(Mark2, ',') FROM QATABLE;");
        if (shell.code < 0)
            QSKIP("The sqlcipher command is not installed.");
        QVERIFY2(shell.code == 0, qPrintable(shell.err));
        QCOMPARE(shell.out.trimmed(), QStringLiteral("0,0,1,0,0"));
        const QByteArray before = checksum(bank);

        // Traced where strace can: the refused program does not even open the bank.
        const QString whyNot = straceMissing();
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString log = scratch.filePath(QStringLiteral("opens"));
        const Ended second = runDriver(
            folder.folder(), {"continue", "hold"},
            whyNot.isEmpty() ? traced(log, QStringLiteral("open,openat,creat")) : QStringList());
        QCOMPARE(second.status, QProcess::NormalExit);
        QCOMPARE(second.code, 1);
        const QString shown =
            QStringLiteral("message: Memvane is already running with this question bank: %1")
                .arg(bank);
        QVERIFY2(second.out.split(u'\n').contains(shown), qPrintable(second.out));
        QVERIFY(!second.out.contains(QStringLiteral("done continue")));
        QCOMPARE(checksum(bank), before);
        if (whyNot.isEmpty()) {
            const QStringList opens = lines(log);
            QVERIFY(opens.size() > 10);
            const QStringList ofBank = opens.filter(bank);
            QVERIFY2(ofBank.isEmpty(), qPrintable(ofBank.join(u'\n')));
        } else {
            qInfo("not traced: %s", qPrintable(whyNot));
        }

        // A lock left by a killed program does not keep the next one out.
        killHard(first);
        const Ended third = runDriver(folder.folder(), {"continue", "tick", "next", "exit"});
        QVERIFY2(third.status == QProcess::NormalExit && third.code == 0, qPrintable(third.err));
        QVERIFY(third.out.contains(QStringLiteral("done next")));
        QCOMPARE(readColumn(bank, QStringLiteral("Mark1")),
                 QVariantList({1LL, 0LL, 0LL, 0LL, 0LL}));
        QCOMPARE(readColumn(bank, QStringLiteral("Mark2")),
                 QVariantList({0LL, 0LL, 1LL, 0LL, 0LL}));
    }

    // A power cut right after Next returns cannot bring the journal back: its removal was
    // synced to the folder before Next returned.
    void nextReturnsOnlyOnceTheJournalsRemovalIsSynced() {
        if (const QString whyNot = straceMissing(); !whyNot.isEmpty())
            QSKIP(qPrintable(whyNot));
        ProgramFolder folder(numberedRows(3));
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString log = scratch.filePath(QStringLiteral("syncs"));
        const Ended ended =
            runDriver(folder.folder(), {"continue", "tick", "next", "exit"},
                      traced(log, QStringLiteral("fsync,fdatasync,unlink,unlinkat,write")));
        QVERIFY2(ended.status == QProcess::NormalExit && ended.code == 0, qPrintable(ended.err));
        QCOMPARE(readField(folder.bank(), 1, QStringLiteral("Mark1")).toInt(), 1);

        const QStringList calls = lines(log);
        const auto said = [&](const char* step) {
            const QString text = QStringLiteral("\"done %1\\n\"").arg(QLatin1String(step));
            for (qsizetype i = 0; i < calls.size(); ++i)
                if (calls[i].contains(QStringLiteral(" write(1<")) && calls[i].contains(text))
                    return i;
            return qsizetype(-1);
        };
        const qsizetype continued = said("continue");
        const qsizetype stepped = said("next");
        QVERIFY2(continued >= 0 && stepped > continued, qPrintable(calls.join(u'\n')));

        const QString journal = QStringLiteral("\"%1-journal\"").arg(folder.bank());
        qsizetype removed = -1;
        for (qsizetype i = continued; i < stepped; ++i)
            if (calls[i].contains(QStringLiteral("unlink")) && calls[i].contains(journal))
                removed = i;
        QVERIFY2(removed >= 0, qPrintable(calls.mid(continued, stepped - continued).join(u'\n')));
        const QString dbFolder =
            QStringLiteral("<%1>").arg(QFileInfo(folder.bank()).absolutePath());
        bool synced = false;
        for (qsizetype i = removed + 1; i < stepped; ++i)
            synced = synced || ((calls[i].contains(QStringLiteral("fsync(")) ||
                                 calls[i].contains(QStringLiteral("fdatasync("))) &&
                                calls[i].contains(dbFolder));
        QVERIFY2(synced, qPrintable(calls.mid(removed, stepped - removed + 1).join(u'\n')));
    }

    void badBankIsRefusedUntouched_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("says");

        QTest::newRow("missing") << "missing" << 3024 << "Could not find file";
        QTest::newRow("zero bytes") << "empty" << 3049 << "The file is empty";
        QTest::newRow("random bytes") << "random" << 3031 << "Not a valid password";
        QTest::newRow("cut to half") << "truncated" << 3049 << "may be damaged";
        QTest::newRow("wrong password") << "password" << 3031 << "Not a valid password";
        QTest::newRow("read-only") << "readonly" << 3027 << "read-only";
        QTest::newRow("no Index column") << "column" << 3265 << "no field 'Index'";
        QTest::newRow("locked by another process") << "locked" << 3260 << "locked";
        // Banks from other tools, made with the sqlcipher command (error 0: the bank is
        // taken, and one tick marks one record).
        QTest::newRow("rowid and oid are columns") << "shadowed" << 0 << "";
        QTest::newRow("rowid, oid and _rowid_ are columns")
            << "all shadowed" << 3251 << "has columns named rowid, oid and _rowid_";
        QTest::newRow("WITHOUT ROWID") << "without rowid" << 3251 << "was made WITHOUT ROWID";
        QTest::newRow("QATABLE is a view") << "view" << 3251 << "is a view, not a table";
        QTest::newRow("a trigger") << "trigger" << 3049 << "It holds a trigger 'stamp'";
        QTest::newRow("a virtual table") << "virtual" << 3049 << "It holds a virtual table 'notes'";
        QTest::newRow("no questions") << "no questions" << 3021 << "holds no questions";
        QTest::newRow("a folder in its place")
            << "folder" << 3024 << "is a folder, not a question bank";
        // Modes hold for root too: the program runs without the capabilities that pass them.
        QTest::newRow("unreadable") << "unreadable" << 3051 << "You may not read it";
        QTest::newRow("folder not writable")
            << "folder not writable" << 3051 << "cannot write in the folder";
        QTest::newRow("folder not searchable")
            << "folder not searchable" << 3024 << "You may not open the folder";
    }

    void badBankIsRefusedUntouched() {
        QFETCH(QString, kind);
        QFETCH(int, error);
        QFETCH(QString, says);
        ProgramFolder folder({});
        const QString bank = folder.bank();
        std::optional<Immutable> immutable;
        std::optional<WriteLock> lock;

        if (kind == "empty" || kind == "random") {
            QFile file(bank);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (kind == "random") {
                QByteArray bytes(64 * 1024, Qt::Uninitialized);
                QRandomGenerator(20240611).fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                                     bytes.size() / 4);
                QCOMPARE(file.write(bytes), bytes.size());
            }
        } else if (kind == "truncated") {
            writeBank(bank, numberedRows(3000));
            QFile file(bank);
            QVERIFY(file.size() > 64 * 1024);
            QVERIFY(file.resize(file.size() / 2));
        } else if (kind == "password") {
            writeBank(bank, numberedRows(5), QStringLiteral("not the key"));
        } else if (kind == "readonly") {
            writeBank(bank, numberedRows(5));
            QVERIFY(QFile::setPermissions(bank,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            if (writable(bank)) { // root writes through the mode bits
                immutable.emplace(bank);
                if (writable(bank))
                    QSKIP("The bank cannot be made read-only here: root writes through mode 0444 "
                          "and chattr +i is not available.");
            }
        } else if (kind == "column") {
            writeBank(bank, numberedRows(5), Key, {QStringLiteral("Index")});
        } else if (kind == "locked" || kind == "unreadable" || kind.startsWith("folder ")) {
            writeBank(bank, numberedRows(5));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(bank));
        } else if (const QByteArray sql = oddBankSql(kind); !sql.isEmpty()) {
            writeBank(bank, numberedRows(5));
            const Ended made = sqlcipher(bank, sql);
            if (made.code < 0)
                QSKIP("The sqlcipher command is not installed.");
            QVERIFY2(made.code == 0, qPrintable(made.err));
        } else {
            QCOMPARE(kind, QStringLiteral("missing"));
        }
        const QByteArray before = checksum(bank);
        if (kind == "locked") {
            lock.emplace(bank);
            QVERIFY(lock->held());
        }
        const QString db = QFileInfo(bank).absolutePath();
        std::optional<Mode> mode;
        QStringList prefix;
        if (kind == "unreadable" || kind.startsWith("folder ")) {
            prefix = modesApply();
            if (!prefix.isEmpty() &&
                runCommand(prefix[0], prefix.mid(1) + QStringList{"true"}).code)
                QSKIP("Root passes file modes here, and setpriv may not drop the capabilities.");
            if (kind == "unreadable")
                mode.emplace(bank, QFile::Permissions());
            else if (kind == "folder not writable")
                mode.emplace(db, QFile::ReadOwner | QFile::ExeOwner);
            else
                mode.emplace(db, QFile::ReadOwner | QFile::WriteOwner);
        }

        const Ended ended = runDriver(folder.folder(),
                                      error ? QStringList{"continue", "hold"}
                                            : QStringList{"continue", "tick", "next", "exit"},
                                      prefix);
        lock.reset();
        immutable.reset();
        mode.reset();

        if (error == 0) {
            QVERIFY2(ended.status == QProcess::NormalExit && ended.code == 0,
                     qPrintable(ended.err));
            QVERIFY2(ended.out.contains(QStringLiteral("done next")), qPrintable(ended.out));
            // By the real row ids: the first record alone is marked, each renumbered once,
            // and the columns that shadow the names are as they were.
            const Ended marks = sqlcipher(
                bank, "SELECT group_concat(Mark1, ',') FROM (SELECT Mark1 FROM QATABLE ORDER BY "
                      "_rowid_);\nSELECT count(*) FROM QATABLE WHERE \"Index\" = ID;\n"
                      "SELECT sum(rowid) + sum(oid) FROM QATABLE;");
            QCOMPARE(marks.out.split(u'\n', Qt::SkipEmptyParts),
                     QStringList({"1,0,0,0,0", "5", "10"}));
            return;
        }

        QCOMPARE(ended.status, QProcess::NormalExit);
        QCOMPARE(ended.code, 1);
        const QString heading = QStringLiteral("Run-time error '%1':").arg(error);
        const QString description = reportedDescription(ended.err, heading);
        QVERIFY2(!description.isNull(), qPrintable(ended.err));
        QVERIFY2(description.contains(says), qPrintable(description));
        // The message box showed the same text as stderr.
        const QString shown = QStringLiteral("message: %1\\n\\n%2").arg(heading, description);
        QVERIFY2(ended.out.split(u'\n').contains(shown), qPrintable(ended.out));
        QVERIFY(!ended.out.contains(QStringLiteral("done continue")));
        QVERIFY2(description.contains(bank), qPrintable(description));

        if (kind == "missing")
            QVERIFY(!QFile::exists(bank));
        else if (kind == "folder")
            QVERIFY(QDir(bank).isEmpty());
        else
            QCOMPARE(checksum(bank), before);
        QVERIFY(!QFile::exists(bank + QStringLiteral("-journal")));
    }

    // A new file is synced before it takes its name and its folder after, so that a power cut
    // leaves either no file or the whole of it.
    void bankToolSyncsWhatItWrites_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("create") << "create";
        QTest::newRow("export") << "export";
    }

    void bankToolSyncsWhatItWrites() {
        QFETCH(QString, command);
        if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
            QSKIP("strace is not installed (scripts/install-deps.sh installs it)");
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString bank = scratch.filePath(QStringLiteral("bank.mdb"));
        const QString csv = scratch.filePath(QStringLiteral("bank.csv"));
        writeBank(bank, numberedRows(20));
        QString target = csv;
        QStringList args = {QStringLiteral("export"), bank, csv};
        if (command == u"create") {
            QCOMPARE(runBankTool(args).code, 0);
            target = scratch.filePath(QStringLiteral("new.mdb"));
            args = QStringList{QStringLiteral("create"), csv, target};
        }
        const QString log = scratch.filePath(QStringLiteral("strace.log"));
        QProcess traced;
        // LeakSanitizer cannot work under ptrace; the tool ends normally, so it would try.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        traced.setProcessEnvironment(env);
        traced.start(QStringLiteral("strace"),
                     QStringList{"-f", "-o", log, "-e",
                                 "trace=open,openat,fsync,fdatasync,rename,renameat,renameat2,"
                                 "link,linkat",
                                 BANK_TOOL} +
                         args);
        const Ended ended = finish(traced);
        if (ended.code != 0 && ended.err.contains(QStringLiteral("ptrace")))
            QSKIP(qPrintable("strace cannot trace here: " + ended.err));
        QVERIFY2(ended.status == QProcess::NormalExit && ended.code == 0, qPrintable(ended.err));
        QVERIFY(QFile::exists(target));

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        static const QRegularExpression call(
            QStringLiteral("^(?:\\d+ +)?(\\w+)\\((.*)\\) += (-?\\d+)"));
        static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
        std::map<int, QString> open; // descriptor: the path it was opened on
        QStringList synced;          // paths, in the order of their syncs
        QString source;              // what took the target's name
        qsizetype syncedBeforeNaming = -1;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const auto match = call.match(QString::fromUtf8(line));
            if (!match.hasMatch() || match.captured(3).toInt() < 0)
                continue;
            const QString name = match.captured(1);
            QStringList paths;
            for (auto it = quoted.globalMatch(match.captured(2)); it.hasNext();)
                paths << it.next().captured(1);
            if (name.startsWith(u"open") && !paths.isEmpty())
                open[match.captured(3).toInt()] = paths.front();
            else if (name == u"fsync" || name == u"fdatasync")
                synced << open[match.captured(2).toInt()];
            else if (paths.size() == 2 && paths.back() == target) {
                source = paths.front();
                syncedBeforeNaming = synced.size();
            }
        }
        QVERIFY2(!source.isEmpty(), "no rename or link gave the file its name");
        QVERIFY2(source != target && QFileInfo(source).fileName() == QFileInfo(target).fileName(),
                 qPrintable(source));
        QVERIFY2(synced.first(syncedBeforeNaming).contains(source),
                 qPrintable(QStringLiteral("%1 was not synced before it took its name; synced: %2")
                                .arg(source, synced.join(u' '))));
        QVERIFY2(synced.sliced(syncedBeforeNaming).contains(scratch.path()),
                 qPrintable(QStringLiteral("the folder was not synced after; synced: %1")
                                .arg(synced.join(u' '))));
    }

    void oddTextsShowAndRoundTrip() {
        QString big;
        big.reserve(1 << 20);
        for (int line = 0; big.size() < (1 << 20); ++line)
            big += QStringLiteral(
                       "Line %1: \"quoted\", comma, \u00e9\u00e8 \u05e9\u05dc\u05d5\u05dd\n")
                       .arg(line);
        big.truncate(1 << 20);

        std::vector<Row> rows = numberedRows(6);
        rows[0].question = big;
        rows[1].question = QStringLiteral("");
        rows[1].answer = QStringLiteral("");
        rows[1].category = QStringLiteral("");
        rows[2].question.reset();
        rows[2].answer.reset();
        rows[2].category.reset();
        rows[3].question = QStringLiteral("\u05de\u05d4\u05d5 \u05d4\u05ea\u05d0?");
        rows[3].answer =
            QStringLiteral("\u0627\u0644\u062e\u0644\u064a\u0629 \u0647\u064a "
                           "\u0648\u062d\u062f\u0629 \u0627\u0644\u062d\u064a\u0627\u0629");
        rows[3].category = QStringLiteral("\u05d1\u05d9\u05d5\u05dc\u05d5\u05d2\u05d9\u05d4 mixed");
        // Decomposed and composed forms stay distinct: nothing may normalise them.
        rows[4].question = QStringLiteral("Cafe\u0301 or Caf\u00e9? n\u0303 a\u030a\u0323");
        rows[4].answer = QStringLiteral("\U0001F469\u200D\U0001F52C \u0915\u094D\u0937");
        rows[5].question = QStringLiteral(" leading and trailing \t");
        rows[5].answer = QStringLiteral("crlf\r\nline\rcarriage");
        ProgramFolder folder(rows);

        const Ended shown = runDriver(folder.folder(),
                                      {"continue", "next", "next", "next", "next", "next", "exit"});
        QVERIFY2(shown.status == QProcess::NormalExit && shown.code == 0, qPrintable(shown.err));
        QCOMPARE(shown.out.count(QStringLiteral("done next")), 5);
        QVERIFY2(!shown.out.contains(QStringLiteral("message:")), qPrintable(shown.out));

        auto sameTexts = [&](const QString& path) {
            for (size_t i = 0; i < rows.size(); ++i) {
                const qint64 rowid = qint64(i + 1);
                const std::optional<QString> want[] = {rows[i].question, rows[i].answer,
                                                       rows[i].category};
                const char* fields[] = {"Question", "Answer", "Category"};
                for (int f = 0; f < 3; ++f) {
                    const QVariant got = readField(path, rowid, QString::fromLatin1(fields[f]));
                    if (got.isNull() != !want[f] || (want[f] && got.toString() != *want[f]))
                        return QStringLiteral("%1 of record %2 is '%3'")
                            .arg(fields[f])
                            .arg(rowid)
                            .arg(text(got).left(60));
                }
            }
            return QString();
        };
        const QString bankTexts = sameTexts(folder.bank());
        QVERIFY2(bankTexts.isEmpty(), qPrintable(bankTexts));

        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString first = scratch.filePath(QStringLiteral("first.csv"));
        const QString copy = scratch.filePath(QStringLiteral("copy.mdb"));
        const QString second = scratch.filePath(QStringLiteral("second.csv"));
        for (const QStringList& args :
             {QStringList{"export", folder.bank(), first}, QStringList{"create", first, copy},
              QStringList{"export", copy, second}}) {
            const Ended tool = runBankTool(args);
            QVERIFY2(tool.status == QProcess::NormalExit && tool.code == 0,
                     qPrintable(args.join(u' ') + u'\n' + tool.err));
        }
        QFile a(first);
        QFile b(second);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray exported = a.readAll();
        QVERIFY(exported.size() > (1 << 20));
        QVERIFY(exported == b.readAll());
        const QString copyTexts = sameTexts(copy);
        QVERIFY2(copyTexts.isEmpty(), qPrintable(copyTexts));
    }

private:
    std::map<QString, std::unique_ptr<DisplayServer>> m_servers;
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
