#pragma once

#include "store/CsvReader.h"
#include "store/Question.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace store {

// Questions from CSV text with the header ID,Question,Answer,Category,BASICS,TOUGH,FINAL and,
// optionally, Index and Mark1 to Mark6, handed over in pieces of any size. Each question goes to
// the sink as soon as its record is read and found good; after the first fault no more go, and
// finish() throws CsvError with its line and reason (a fault of the CSV itself anywhere in the
// text before a fault in a record).
class QuestionReader {
public:
    explicit QuestionReader(QuestionSink sink);
    void feed(QByteArrayView bytes);
    void finish();

private:
    void take(CsvRecord&& record);
    std::optional<Question> read(const CsvRecord& record);

    QuestionSink m_sink;
    CsvReader m_csv;
    qsizetype m_headerFields = -1; // none read yet
    QHash<QString, int> m_column;
    QSet<qint64> m_ids;
    std::optional<CsvError> m_fault;
};

// The whole text at once.
std::vector<Question> parseQuestions(const QByteArray& csv);

// The whole bank as CSV: every column, marks included.
QByteArray questionsCsv(const std::vector<Question>& questions);

} // namespace store
