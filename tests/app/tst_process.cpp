// The program run as a separate process, for what only a whole process shows: being
// killed, File > Exit, failures that end it, and banks it must refuse without harm.
#include "tests/support/TestBank.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlcipher/sqlite3.h>

#include <algorithm>

using namespace testing;

namespace {

const QString Key = QStringLiteral("mopr5ledun");
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

void startDriver(QProcess& process, const QString& folder, const QStringList& steps) {
    process.setProcessEnvironment(offscreen());
    process.start(QStringLiteral(DRIVER), QStringList{folder} + steps);
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

Ended runDriver(const QString& folder, const QStringList& steps) {
    QProcess process;
    startDriver(process, folder, steps);
    return finish(process);
}

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
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("killAfter"); // empty: the process ends by itself
        QTest::addColumn<int>("markBefore");    // Mark1 of the record the steps tick
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("markAfter");

        QTest::newRow("killed right after next")
            << QStringList{"continue", "tick", "next", "hold"} << "done next" << 0 << 1 << 1;
        QTest::newRow("killed after a tick alone")
            << QStringList{"continue", "tick", "hold"} << "done tick" << 0 << 1 << 0;
        QTest::newRow("exit with a pending tick")
            << QStringList{"continue", "tick", "exit"} << "" << 0 << 1 << 0;
        QTest::newRow("exit with a pending untick")
            << QStringList{"continue", "tick", "exit"} << "" << 1 << 1 << 1;
        QTest::newRow("exit after next")
            << QStringList{"continue", "tick", "next", "exit"} << "" << 0 << 1 << 1;
        QTest::newRow("exit after previous")
            << QStringList{"continue", "next", "tick", "previous", "exit"} << "" << 0 << 2 << 1;
        // Nothing is open yet: the program ends rather than live on without a window.
        QTest::newRow("start-up window closed by the window system")
            << QStringList{"close-splash", "hold"} << "" << 0 << 1 << 0;
    }

    void endOfProcess() {
        QFETCH(QStringList, steps);
        QFETCH(QString, killAfter);
        QFETCH(int, markBefore);
        QFETCH(int, record);
        QFETCH(int, markAfter);
        std::vector<Row> rows = numberedRows(5);
        rows[size_t(record - 1)].marks[0] = markBefore;
        ProgramFolder folder(rows);

        Ended ended;
        if (killAfter.isEmpty()) {
            ended = runDriver(folder.folder(), steps);
            QVERIFY2(ended.status == QProcess::NormalExit, qPrintable(ended.err));
            QCOMPARE(ended.code, 0);
            // File > Exit ends the process inside the step; a hold never ends by itself.
            QVERIFY(ended.out.contains(QStringLiteral("done ") + steps[steps.size() - 2]));
            QVERIFY(!ended.out.contains(QStringLiteral("done ") + steps.last()));
        } else {
            QProcess process;
            startDriver(process, folder.folder(), steps);
            QString seen;
            QVERIFY2(waitForLine(process, killAfter, seen), qPrintable(seen));
            killHard(process);
            ended = finish(process);
            QCOMPARE(ended.status, QProcess::CrashExit);
        }
        QVERIFY2(!ended.err.contains(QStringLiteral("Run-time error")), qPrintable(ended.err));

        QVariantList expected = column(rows, 0);
        expected[record - 1] = qint64(markAfter);
        QCOMPARE(readColumn(folder.bank(), QStringLiteral("Mark1")), expected);
        for (int mark = 1; mark < 6; ++mark)
            QCOMPARE(readColumn(folder.bank(), QStringLiteral("Mark%1").arg(mark + 1)),
                     column(rows, mark));
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
            writeBank(bank, numberedRows(5), Key, {QStringLiteral("\"Index\"")});
        } else if (kind == "locked") {
            writeBank(bank, numberedRows(5));
        } else {
            QCOMPARE(kind, QStringLiteral("missing"));
        }
        const QByteArray before = checksum(bank);
        if (kind == "locked") {
            lock.emplace(bank);
            QVERIFY(lock->held());
        }

        const Ended ended = runDriver(folder.folder(), {"continue", "hold"});
        lock.reset();
        immutable.reset();

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
        else
            QCOMPARE(checksum(bank), before);
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
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
