#pragma once

#include "store/Error.h"

#include "store/CsvReader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace store {

// The password every question bank is made with, and the connect text that carries it.
// Inline, so that a constant of another file made from them is made after them.
inline const QString BankPassword = QStringLiteral("mopr5ledun");
inline const QString BankConnectText = QStringLiteral("MS Access;PWD=") + BankPassword;

// One question as a bank file holds it; the marks stay 0 unless the CSV gives them.
struct Question {
    qint64 id = 0;
    std::optional<QString> question;
    std::optional<QString> answer;
    std::optional<QString> category;
    std::array<int, 3> sets{};   // BASICS, TOUGH, FINAL
    std::array<int, 6> marks{};  // Mark1 to Mark6
    std::optional<qint64> index; // Index; the ID when the CSV has none
};

// Where questions go as they are read, one at a time.
using QuestionSink = std::function<void(const Question&)>;
// Hands every question it has to the sink, in order.
using QuestionSource = std::function<void(const QuestionSink&)>;

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

// A failure of a bank command, for the user.
class BankError : public Error {
public:
    explicit BankError(const QString& message)
        : Error(err::BankRefused, message) {}
};

// Writes a new bank of at least one question; refuses an existing file. It is built in a folder
// of its own beside path and takes its name only when whole, never in place of a file that came
// meanwhile; nothing is left behind on failure. Returns the number of questions.
qint64 createBank(const QString& path, const QuestionSource& questions);
void createBank(const QString& path, const std::vector<Question>& questions);

// Every question of a bank, in ID order.
std::vector<Question> readBank(const QString& path);

struct ImportCounts {
    int added = 0;
    int updated = 0;
    int unchanged = 0;
};

// Adds new questions and updates texts, category and sets of existing ones by ID; marks
// and Index stay. All or nothing.
ImportCounts importQuestions(const QString& path, const QuestionSource& questions);
ImportCounts importQuestions(const QString& path, const std::vector<Question>& questions);

} // namespace store
