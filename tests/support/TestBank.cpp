#include "tests/support/TestBank.h"

#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "selection/Categories.h"
#include "viewer/FrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>

#include <sqlcipher/sqlite3.h>

#include <stdexcept>

namespace testing {

namespace {

struct Connection {
    explicit Connection(const QString& path,
                        const QString& password = QStringLiteral("mopr5ledun")) {
        if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
            throw std::runtime_error("cannot open test bank");
        const QByteArray key = password.toUtf8();
        if (!password.isEmpty())
            sqlite3_key(db, key.constData(), int(key.size()));
    }
    ~Connection() { sqlite3_close(db); }
    void exec(const QString& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error("test SQL failed: " + text);
        }
    }
    sqlite3* db = nullptr;
};

void bindText(sqlite3_stmt* stmt, int i, const std::optional<QString>& text) {
    if (!text) {
        sqlite3_bind_null(stmt, i);
        return;
    }
    const QByteArray bytes = text->toUtf8();
    sqlite3_bind_text(stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

QVariant columnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, i));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
    case SQLITE_NULL:
        return {};
    default:
        return sqlite3_column_double(stmt, i);
    }
}

} // namespace

std::vector<Row> numberedRows(int count) {
    std::vector<Row> rows;
    for (int n = 1; n <= count; ++n) {
        Row row;
        row.id = n;
        row.question = QStringLiteral("Question %1").arg(n);
        row.answer = QStringLiteral("Answer %1").arg(n);
        row.category = selection::categoryCaptions()[size_t((n - 1) % 15)];
        row.index = 0;
        rows.push_back(row);
    }
    return rows;
}

void writeBank(const QString& path, const std::vector<Row>& rows, const QString& password,
               const QStringList& dropColumns) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    Connection c(path, password);
    QStringList columns = {QStringLiteral("ID INTEGER"),    QStringLiteral("\"Index\" INTEGER"),
                           QStringLiteral("Question TEXT"), QStringLiteral("Answer TEXT"),
                           QStringLiteral("Category TEXT"), QStringLiteral("BASICS INTEGER"),
                           QStringLiteral("TOUGH INTEGER"), QStringLiteral("FINAL INTEGER")};
    for (int i = 1; i <= 6; ++i)
        columns << QStringLiteral("Mark%1 INTEGER").arg(i);
    c.exec(QStringLiteral("CREATE TABLE QATABLE (%1)").arg(columns.join(QStringLiteral(", "))));
    c.exec(QStringLiteral("BEGIN"));
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(c.db,
                       "INSERT INTO QATABLE (ID, \"Index\", Question, Answer, Category, BASICS, "
                       "TOUGH, FINAL, Mark1, Mark2, Mark3, Mark4, Mark5, Mark6) VALUES "
                       "(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14)",
                       -1, &stmt, nullptr);
    for (const Row& row : rows) {
        if (row.id)
            sqlite3_bind_int64(stmt, 1, *row.id);
        else
            sqlite3_bind_null(stmt, 1);
        sqlite3_bind_int64(stmt, 2, row.index);
        bindText(stmt, 3, row.question);
        bindText(stmt, 4, row.answer);
        bindText(stmt, 5, row.category);
        for (int i = 0; i < 3; ++i)
            sqlite3_bind_int(stmt, 6 + i, row.sets[size_t(i)]);
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_int(stmt, 9 + i, row.marks[size_t(i)]);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw std::runtime_error("test insert failed");
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    if (!dropColumns.isEmpty()) {
        for (const QString& drop : dropColumns)
            columns.removeIf([&](const QString& column) { return column.startsWith(drop + u' '); });
        QStringList names;
        for (const QString& column : columns)
            names << column.section(u' ', 0, 0);
        c.exec(QStringLiteral("CREATE TABLE short (%1)").arg(columns.join(QStringLiteral(", "))));
        c.exec(QStringLiteral("INSERT INTO short SELECT %1 FROM QATABLE").arg(names.join(u',')));
        c.exec(QStringLiteral("DROP TABLE QATABLE"));
        c.exec(QStringLiteral("ALTER TABLE short RENAME TO QATABLE"));
    }
    c.exec(QStringLiteral("COMMIT"));
}

QVariant readField(const QString& path, qint64 rowid, const QString& field) {
    Connection c(path);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QStringLiteral("SELECT \"%1\" FROM QATABLE WHERE rowid = %2")
                               .arg(field)
                               .arg(rowid)
                               .toUtf8();
    if (sqlite3_prepare_v2(c.db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error("test read failed");
    QVariant value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = columnValue(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

void writeField(const QString& path, qint64 rowid, const QString& field, const QVariant& value) {
    Connection c(path);
    const QString literal =
        value.isNull() ? QStringLiteral("NULL")
        : value.typeId() == QMetaType::QString
            ? u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\''
            : value.toString();
    c.exec(QStringLiteral("UPDATE QATABLE SET \"%1\" = %2 WHERE rowid = %3")
               .arg(field, literal)
               .arg(rowid));
}

QVariantList readColumn(const QString& path, const QString& field, const QString& table) {
    Connection c(path);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql =
        QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY rowid").arg(field, table).toUtf8();
    if (sqlite3_prepare_v2(c.db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error("test read failed");
    QVariantList values;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        values << columnValue(stmt, 0);
    sqlite3_finalize(stmt);
    return values;
}

void runSql(const QString& path, const QString& sql) {
    Connection(path).exec(sql);
}

ProgramFolder::ProgramFolder(const std::vector<Row>& rows, const QString& subfolder) {
    m_root = QDir::temp().filePath(QStringLiteral("memvane-test-") +
                                   QUuid::createUuid().toString(QUuid::WithoutBraces));
    m_folder = subfolder.isEmpty() ? m_root : m_root + u'/' + subfolder;
    QDir().mkpath(m_folder + QStringLiteral("/db"));
    if (!rows.empty())
        writeBank(bank(), rows);
}

ProgramFolder::~ProgramFolder() {
    QFile::setPermissions(bank(), QFile::ReadOwner | QFile::WriteOwner);
    QDir(m_root).removeRecursively();
}

void resetProgram() {
    app::unloadAllWindows();
    app::state() = {};
    app::setProgramFolder({});
}

viewer::FrmMain& startProgram(const QString& folder) {
    resetProgram();
    app::setProgramFolder(folder);
    app::window<app::FrmSplash>().btn_Continue_Click();
    return *app::loadedWindow<viewer::FrmMain>();
}

class MessageCatcher::Watcher : public QObject {
public:
    explicit Watcher(MessageCatcher& owner)
        : m_owner(owner) {}

protected:
    void timerEvent(QTimerEvent*) override {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_owner.m_texts << box->text();
        m_owner.m_title = box->windowTitle();
        m_owner.m_hadIcon = box->icon() != QMessageBox::NoIcon;
        m_owner.m_buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    }

private:
    MessageCatcher& m_owner;
};

MessageCatcher::MessageCatcher()
    : m_watcher(new Watcher(*this)) {
    m_timer = m_watcher->startTimer(10);
}

MessageCatcher::~MessageCatcher() {
    delete m_watcher;
}

QString caption(const QWidget* control) {
    if (auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(control))
        return edit->toPlainText();
    return {};
}

QByteArray checksum(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace testing
