#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <stdexcept>
#include <vector>

namespace store {

// The key every question bank is made with.
extern const QString BankConnectText;

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

// Questions from CSV text with the header ID,Question,Answer,Category,BASICS,TOUGH,FINAL and,
// optionally, Index and Mark1 to Mark6. Throws CsvError with the line and the reason.
std::vector<Question> parseQuestions(const QByteArray& csv);

// The whole bank as CSV: every column, marks included.
QByteArray questionsCsv(const std::vector<Question>& questions);

// A failure of a bank command, for the user.
class BankError : public std::runtime_error {
public:
    explicit BankError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

// Writes a new bank; refuses an existing file. Nothing is left behind on failure.
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
ImportCounts importQuestions(const QString& path, const std::vector<Question>& questions);

} // namespace store
