#include "store/QuestionCsv.h"

#include "store/BankTable.h"
#include "store/MarkFields.h"

namespace store {

namespace {

const QStringList RequiredColumns =
    QStringList{bankColumnName(BankColumn::Id), bankColumnName(BankColumn::Question),
                bankColumnName(BankColumn::Answer), bankColumnName(BankColumn::Category)} +
    QStringList(premadeSetFields().begin(), premadeSetFields().end());
const QStringList MarkColumns(markFields().begin(), markFields().end());
const QStringList ExportColumns =
    RequiredColumns + QStringList{bankColumnName(BankColumn::Index)} + MarkColumns;

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
            // As a spreadsheet user may have retyped it: in any case.
            QString name = record.fields[size_t(i)].value_or(QString()).trimmed();
            for (const QString& column : ExportColumns) {
                if (column.compare(name, Qt::CaseInsensitive) == 0)
                    name = column;
            }
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
    const QString id = bankColumnName(BankColumn::Id);
    q.id = integer(field(id), record.line, id);
    if (m_ids.contains(q.id))
        throw CsvError(record.line, QStringLiteral("ID %1 is used twice").arg(q.id));
    m_ids.insert(q.id);
    q.question = field(bankColumnName(BankColumn::Question));
    q.answer = field(bankColumnName(BankColumn::Answer));
    q.category = field(bankColumnName(BankColumn::Category));
    for (int i = 0; i < 3; ++i) {
        const QString& set = premadeSetFields()[size_t(i)];
        q.sets[size_t(i)] = flag(field(set), record.line, set);
    }
    for (int i = 0; i < 6; ++i) {
        if (m_column.contains(MarkColumns[i]))
            q.marks[size_t(i)] = flag(field(MarkColumns[i]), record.line, MarkColumns[i]);
    }
    if (const QString index = bankColumnName(BankColumn::Index); m_column.contains(index))
        q.index = integer(field(index), record.line, index);
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

} // namespace store
