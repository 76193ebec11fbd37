#pragma once

#include "store/Question.h"

#include <QHash>
#include <QString>

#include <vector>

namespace store {

// Writes a new bank of at least one question; refuses an existing file. It is built in a folder
// of its own beside path and takes its name only when whole, never in place of a file that came
// meanwhile; nothing is left behind on failure. Returns the number of questions.
qint64 createBank(const QString& path, const QuestionSource& questions);
void createBank(const QString& path, const std::vector<Question>& questions);

// Whether the file opens with the bank's key: a question bank, not some other file.
bool isBank(const QString& path);

// Every question of a bank, in ID order.
std::vector<Question> readBank(const QString& path);

struct ImportCounts {
    int added = 0;
    int updated = 0;
    int unchanged = 0;
};

// Adds new questions and updates texts, category and sets of existing ones by ID; marks
// and Index stay. All or nothing; a dry run counts and writes nothing.
ImportCounts importQuestions(const QString& path, const QuestionSource& questions,
                             bool dryRun = false);

// The identities other programs gave the bank's questions, each with its question's ID.
QHash<QString, qint64> readIdentities(const QString& path);

} // namespace store
