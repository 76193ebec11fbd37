#include "store/Bank.h"

#include "store/ConnectText.h"
#include "store/CsvReader.h"
#include "store/Database.h"
#include "store/Error.h"
#include "store/MarkFields.h"
#include "store/NewFile.h"
#include "store/Schema.h"
#include "store/Statement.h"

#include <QFileInfo>

#include <utility>

namespace store {

namespace {

const QStringList RequiredColumns = {QStringLiteral("ID"),     QStringLiteral("Question"),
                                     QStringLiteral("Answer"), QStringLiteral("Category"),
                                     QStringLiteral("BASICS"), QStringLiteral("TOUGH"),
                                     QStringLiteral("FINAL")};
const QStringList MarkColumns(markFields().begin(), markFields().end());
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

// Writes questions one by one with a statement prepared once.
class Inserter {
public:
    explicit Inserter(Database& db)
        : m_insert(db,
                   QStringLiteral(
                       "INSERT INTO QATABLE (ID, \"Index\", Question, Answer, Category, "
                       "BASICS, TOUGH, FINAL, Mark1, Mark2, Mark3, Mark4, Mark5, Mark6) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)")) {}

    void operator()(const Question& q) {
        m_insert.bind(1, q.id);
        m_insert.bind(2, q.index.value_or(q.id));
        m_insert.bind(3, q.question ? QVariant(*q.question) : QVariant());
        m_insert.bind(4, q.answer ? QVariant(*q.answer) : QVariant());
        m_insert.bind(5, q.category ? QVariant(*q.category) : QVariant());
        for (int i = 0; i < 3; ++i)
            m_insert.bind(6 + i, q.sets[size_t(i)]);
        for (int i = 0; i < 6; ++i)
            m_insert.bind(9 + i, q.marks[size_t(i)]);
        m_insert.run();
    }

private:
    Statement m_insert;
};

QuestionSource fromList(const std::vector<Question>& questions) {
    return [&questions](const QuestionSink& sink) {
        for (const Question& q : questions)
            sink(q);
    };
}

std::optional<QString> optionalText(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

} // namespace

QuestionReader::QuestionReader(QuestionSink sink)
    : m_sink(std::move(sink))
    , m_csv([this](CsvRecord&& record) { take(std::move(record)); }) {}

void QuestionReader::feed(QByteArrayView bytes) {
    m_csv.feed(bytes);
}

void QuestionReader::finish() {
    m_csv.finish();
    if (m_fault)
        throw *m_fault;
    if (m_headerFields < 0)
        throw CsvError(1, QStringLiteral("the file is empty; it needs the header row %1")
                              .arg(RequiredColumns.join(u',')));
}

// A fault in a record waits for the end of the text, as a fault of the CSV further on wins.
void QuestionReader::take(CsvRecord&& record) {
    if (m_fault)
        return;
    std::optional<Question> question;
    try {
        question = read(record);
    } catch (const CsvError& fault) {
        m_fault = fault;
        return;
    }
    if (question)
        m_sink(*question);
}

std::optional<Question> QuestionReader::read(const CsvRecord& record) {
    if (m_headerFields < 0) {
        // Columns are found by their header name, so Index and the marks are optional.
        for (int i = 0; i < int(record.fields.size()); ++i) {
            const QString name = record.fields[size_t(i)].value_or(QString()).trimmed();
            if (!ExportColumns.contains(name) || m_column.contains(name))
                throw CsvError(
                    record.line,
                    QStringLiteral("unknown or repeated column '%1' in the header").arg(name));
            m_column.insert(name, i);
        }
        for (const QString& name : RequiredColumns) {
            if (!m_column.contains(name))
                throw CsvError(record.line,
                               QStringLiteral("the header has no column '%1'").arg(name));
        }
        m_headerFields = qsizetype(record.fields.size());
        return std::nullopt;
    }
    if (qsizetype(record.fields.size()) != m_headerFields)
        throw CsvError(record.line, QStringLiteral("%1 fields where the header has %2")
                                        .arg(record.fields.size())
                                        .arg(m_headerFields));
    auto field = [&](const QString& name) { return record.fields[size_t(m_column[name])]; };
    Question q;
    q.id = integer(field(QStringLiteral("ID")), record.line, QStringLiteral("ID"));
    if (m_ids.contains(q.id))
        throw CsvError(record.line, QStringLiteral("ID %1 is used twice").arg(q.id));
    m_ids.insert(q.id);
    q.question = field(QStringLiteral("Question"));
    q.answer = field(QStringLiteral("Answer"));
    q.category = field(QStringLiteral("Category"));
    for (int i = 0; i < 3; ++i)
        q.sets[size_t(i)] =
            flag(field(RequiredColumns[4 + i]), record.line, RequiredColumns[4 + i]);
    for (int i = 0; i < 6; ++i) {
        if (m_column.contains(MarkColumns[i]))
            q.marks[size_t(i)] = flag(field(MarkColumns[i]), record.line, MarkColumns[i]);
    }
    if (m_column.contains(QStringLiteral("Index")))
        q.index = integer(field(QStringLiteral("Index")), record.line, QStringLiteral("Index"));
    return q;
}

std::vector<Question> parseQuestions(const QByteArray& csv) {
    std::vector<Question> questions;
    QuestionReader reader([&](const Question& q) { questions.push_back(q); });
    reader.feed(csv);
    reader.finish();
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

qint64 createBank(const QString& path, const QuestionSource& questions) {
    const QString refusal = QStringLiteral("'%1' exists already; a bank holds marks, so it is "
                                           "never overwritten.")
                                .arg(path);
    if (QFileInfo::exists(path))
        throw BankError(refusal);
    if (const QString journal = path + QStringLiteral("-journal"); QFileInfo::exists(journal))
        throw BankError(QStringLiteral("'%1' lies where the new bank's journal would be; the "
                                       "engine would play it back into the new bank. It is "
                                       "left from another bank: move it away first.")
                            .arg(journal));
    NewFile building(path);
    qint64 count = 0;
    {
        Database db(building.path(), ConnectText::parse(BankConnectText),
                    Database::Mode::CreateNew);
        Database::Transaction writing(db);
        createQuestionTable(db);
        Inserter insert(db);
        questions([&](const Question& q) {
            insert(q);
            ++count;
        });
        if (count == 0)
            throw BankError(QStringLiteral("no questions for '%1': Memvane cannot start on an "
                                           "empty bank.")
                                .arg(path));
        createIndexes(db);
        writing.commit();
    }
    if (!building.place())
        throw BankError(refusal);
    return count;
}

void createBank(const QString& path, const std::vector<Question>& questions) {
    createBank(path, fromList(questions));
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
        // Yes/no as the program and its card sets read them, whatever another tool stored.
        for (int i = 0; i < 3; ++i)
            q.sets[size_t(i)] = isYes(select.column(4 + i));
        if (!select.column(7).isNull())
            q.index = select.columnInt64(7);
        for (int i = 0; i < 6; ++i)
            q.marks[size_t(i)] = isYes(select.column(8 + i));
        questions.push_back(std::move(q));
    }
    return questions;
}

ImportCounts importQuestions(const QString& path, const QuestionSource& questions) {
    auto db = openBank(path);
    ImportCounts counts;
    Database::Transaction writing(*db);
    Statement find(*db, QStringLiteral("SELECT Question, Answer, Category, BASICS, TOUGH, FINAL "
                                       "FROM QATABLE WHERE ID = ?1"));
    Statement update(*db, QStringLiteral("UPDATE QATABLE SET Question = ?2, Answer = ?3, "
                                         "Category = ?4, BASICS = ?5, TOUGH = ?6, FINAL = ?7 "
                                         "WHERE ID = ?1"));
    Inserter insert(*db);
    questions([&](const Question& q) {
        find.bind(1, q.id);
        if (!find.step()) {
            find.reset();
            Question added = q;
            added.marks = {};
            added.index.reset();
            insert(added);
            ++counts.added;
            return;
        }
        bool same = optionalText(find.column(0)) == q.question &&
                    optionalText(find.column(1)) == q.answer &&
                    optionalText(find.column(2)) == q.category;
        for (int i = 0; i < 3; ++i)
            same = same && isYes(find.column(3 + i)) == (q.sets[size_t(i)] != 0);
        find.reset();
        if (same) {
            ++counts.unchanged;
            return;
        }
        update.bind(1, q.id);
        update.bind(2, q.question ? QVariant(*q.question) : QVariant());
        update.bind(3, q.answer ? QVariant(*q.answer) : QVariant());
        update.bind(4, q.category ? QVariant(*q.category) : QVariant());
        for (int i = 0; i < 3; ++i)
            update.bind(5 + i, q.sets[size_t(i)]);
        update.run();
        ++counts.updated;
    });
    addStartIndex(*db);
    writing.commit();
    return counts;
}

ImportCounts importQuestions(const QString& path, const std::vector<Question>& questions) {
    return importQuestions(path, fromList(questions));
}

} // namespace store
