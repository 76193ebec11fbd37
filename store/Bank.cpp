#include "store/Bank.h"

#include "store/ConnectText.h"
#include "store/CsvReader.h"
#include "store/Database.h"
#include "store/Error.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace store {

const QString BankConnectText = QStringLiteral("MS Access;PWD=mopr5ledun");

namespace {

const QStringList RequiredColumns = {QStringLiteral("ID"),     QStringLiteral("Question"),
                                     QStringLiteral("Answer"), QStringLiteral("Category"),
                                     QStringLiteral("BASICS"), QStringLiteral("TOUGH"),
                                     QStringLiteral("FINAL")};
const QStringList MarkColumns = {QStringLiteral("Mark1"), QStringLiteral("Mark2"),
                                 QStringLiteral("Mark3"), QStringLiteral("Mark4"),
                                 QStringLiteral("Mark5"), QStringLiteral("Mark6")};
const QStringList ExportColumns =
    RequiredColumns + QStringList{QStringLiteral("Index")} + MarkColumns;

int flag(const std::optional<QString>& text, int line, const QString& column) {
    const QString value = text.value_or(QString()).trimmed().toLower();
    if (value == u"1" || value == u"yes" || value == u"true")
        return 1;
    if (value == u"0" || value == u"no" || value == u"false")
        return 0;
    throw CsvError(line, QStringLiteral("%1 is '%2', not 0, 1, yes, no, true or false")
                             .arg(column, text.value_or(QString())));
}

qint64 integer(const std::optional<QString>& text, int line, const QString& column) {
    bool ok = false;
    const qint64 value = text ? text->trimmed().toLongLong(&ok) : 0;
    if (!ok)
        throw CsvError(
            line,
            QStringLiteral("%1 is '%2', not a whole number").arg(column, text.value_or(QString())));
    return value;
}

std::shared_ptr<Database> openBank(const QString& path) {
    return std::make_shared<Database>(path, ConnectText::parse(BankConnectText),
                                      Database::Mode::ReadWrite);
}

void insertAll(Database& db, const std::vector<Question>& questions) {
    Statement insert(
        db, QStringLiteral("INSERT INTO QATABLE (ID, \"Index\", Question, Answer, Category, "
                           "BASICS, TOUGH, FINAL, Mark1, Mark2, Mark3, Mark4, Mark5, Mark6) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)"));
    for (const Question& q : questions) {
        insert.bind(1, q.id);
        insert.bind(2, q.index.value_or(q.id));
        insert.bind(3, q.question ? QVariant(*q.question) : QVariant());
        insert.bind(4, q.answer ? QVariant(*q.answer) : QVariant());
        insert.bind(5, q.category ? QVariant(*q.category) : QVariant());
        for (int i = 0; i < 3; ++i)
            insert.bind(6 + i, q.sets[size_t(i)]);
        for (int i = 0; i < 6; ++i)
            insert.bind(9 + i, q.marks[size_t(i)]);
        insert.run();
    }
}

std::optional<QString> optionalText(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

} // namespace

std::vector<Question> parseQuestions(const QByteArray& csv) {
    const std::vector<CsvRecord> records = readCsv(csv);
    if (records.empty())
        throw CsvError(1, QStringLiteral("the file is empty; it needs the header row %1")
                              .arg(RequiredColumns.join(u',')));
    // Columns are found by their header name, so Index and the marks are optional.
    const CsvRecord& header = records.front();
    QHash<QString, int> column;
    for (int i = 0; i < int(header.fields.size()); ++i) {
        const QString name = header.fields[size_t(i)].value_or(QString()).trimmed();
        if (!ExportColumns.contains(name) || column.contains(name))
            throw CsvError(header.line, QStringLiteral("unknown or repeated column '%1' in the "
                                                       "header")
                                            .arg(name));
        column.insert(name, i);
    }
    for (const QString& name : RequiredColumns) {
        if (!column.contains(name))
            throw CsvError(header.line, QStringLiteral("the header has no column '%1'").arg(name));
    }

    std::vector<Question> questions;
    QSet<qint64> ids;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.fields.size() != header.fields.size())
            throw CsvError(record.line, QStringLiteral("%1 fields where the header has %2")
                                            .arg(record.fields.size())
                                            .arg(header.fields.size()));
        auto field = [&](const QString& name) { return record.fields[size_t(column[name])]; };
        Question q;
        q.id = integer(field(QStringLiteral("ID")), record.line, QStringLiteral("ID"));
        if (ids.contains(q.id))
            throw CsvError(record.line, QStringLiteral("ID %1 is used twice").arg(q.id));
        ids.insert(q.id);
        q.question = field(QStringLiteral("Question"));
        q.answer = field(QStringLiteral("Answer"));
        q.category = field(QStringLiteral("Category"));
        for (int i = 0; i < 3; ++i)
            q.sets[size_t(i)] =
                flag(field(RequiredColumns[4 + i]), record.line, RequiredColumns[4 + i]);
        for (int i = 0; i < 6; ++i) {
            if (column.contains(MarkColumns[i]))
                q.marks[size_t(i)] = flag(field(MarkColumns[i]), record.line, MarkColumns[i]);
        }
        if (column.contains(QStringLiteral("Index")))
            q.index = integer(field(QStringLiteral("Index")), record.line, QStringLiteral("Index"));
        questions.push_back(std::move(q));
    }
    return questions;
}

QByteArray questionsCsv(const std::vector<Question>& questions) {
    QByteArray out = ExportColumns.join(u',').toUtf8() + '\n';
    for (const Question& q : questions) {
        QByteArrayList fields = {QByteArray::number(q.id), csvField(q.question), csvField(q.answer),
                                 csvField(q.category)};
        for (int set : q.sets)
            fields.append(QByteArray::number(set));
        fields.append(QByteArray::number(q.index.value_or(q.id)));
        for (int mark : q.marks)
            fields.append(QByteArray::number(mark));
        out += fields.join(',') + '\n';
    }
    return out;
}

void createBank(const QString& path, const std::vector<Question>& questions) {
    if (QFileInfo::exists(path))
        throw BankError(QStringLiteral("'%1' exists already; a bank holds marks, so it is never "
                                       "overwritten.")
                            .arg(path));
    // Built beside the target and renamed into place: a failure leaves no half bank.
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    try {
        {
            Database db(building, ConnectText::parse(BankConnectText), Database::Mode::CreateNew);
            Database::Transaction writing(db);
            db.exec("CREATE TABLE QATABLE (ID INTEGER PRIMARY KEY NOT NULL, \"Index\" INTEGER, "
                    "Question TEXT, Answer TEXT, Category TEXT, BASICS INTEGER, TOUGH INTEGER, "
                    "FINAL INTEGER, Mark1 INTEGER, Mark2 INTEGER, Mark3 INTEGER, Mark4 INTEGER, "
                    "Mark5 INTEGER, Mark6 INTEGER)");
            insertAll(db, questions);
            // Card sets by category then read the index, not every page of the file.
            db.exec("CREATE INDEX QATABLE_Category ON QATABLE (Category)");
            writing.commit();
        }
        if (!QFile::rename(building, path))
            throw BankError(QStringLiteral("could not create '%1'").arg(path));
    } catch (...) {
        QFile::remove(building);
        throw;
    }
}

std::vector<Question> readBank(const QString& path) {
    auto db = openBank(path);
    Statement select(
        *db, QStringLiteral("SELECT ID, Question, Answer, Category, BASICS, TOUGH, FINAL, "
                            "\"Index\", Mark1, Mark2, Mark3, Mark4, Mark5, Mark6 FROM QATABLE "
                            "ORDER BY ID"));
    std::vector<Question> questions;
    while (select.step()) {
        Question q;
        if (select.column(0).isNull())
            throw Error(
                err::InvalidUseOfNull,
                QStringLiteral("Invalid use of Null: a question in '%1' has no ID.").arg(path));
        q.id = select.columnInt64(0);
        q.question = optionalText(select.column(1));
        q.answer = optionalText(select.column(2));
        q.category = optionalText(select.column(3));
        for (int i = 0; i < 3; ++i)
            q.sets[size_t(i)] = select.columnInt64(4 + i) != 0;
        if (!select.column(7).isNull())
            q.index = select.columnInt64(7);
        for (int i = 0; i < 6; ++i)
            q.marks[size_t(i)] = select.columnInt64(8 + i) != 0;
        questions.push_back(std::move(q));
    }
    return questions;
}

ImportCounts importQuestions(const QString& path, const std::vector<Question>& questions) {
    auto db = openBank(path);
    ImportCounts counts;
    Database::Transaction writing(*db);
    Statement find(*db, QStringLiteral("SELECT Question, Answer, Category, BASICS, TOUGH, FINAL "
                                       "FROM QATABLE WHERE ID = ?1"));
    Statement update(*db, QStringLiteral("UPDATE QATABLE SET Question = ?2, Answer = ?3, "
                                         "Category = ?4, BASICS = ?5, TOUGH = ?6, FINAL = ?7 "
                                         "WHERE ID = ?1"));
    std::vector<Question> added;
    for (const Question& q : questions) {
        find.bind(1, q.id);
        if (!find.step()) {
            find.reset();
            added.push_back(q);
            added.back().marks = {};
            added.back().index.reset();
            continue;
        }
        const bool same = optionalText(find.column(0)) == q.question &&
                          optionalText(find.column(1)) == q.answer &&
                          optionalText(find.column(2)) == q.category &&
                          (find.columnInt64(3) != 0) == (q.sets[0] != 0) &&
                          (find.columnInt64(4) != 0) == (q.sets[1] != 0) &&
                          (find.columnInt64(5) != 0) == (q.sets[2] != 0);
        find.reset();
        if (same) {
            ++counts.unchanged;
            continue;
        }
        update.bind(1, q.id);
        update.bind(2, q.question ? QVariant(*q.question) : QVariant());
        update.bind(3, q.answer ? QVariant(*q.answer) : QVariant());
        update.bind(4, q.category ? QVariant(*q.category) : QVariant());
        for (int i = 0; i < 3; ++i)
            update.bind(5 + i, q.sets[size_t(i)]);
        update.run();
        ++counts.updated;
    }
    insertAll(*db, added);
    counts.added = int(added.size());
    writing.commit();
    return counts;
}

} // namespace store
