#pragma once

#include "store/Question.h"

#include <QString>

namespace tools {

// Reads a question CSV file a piece at a time and passes each question on as soon as it is
// read, so a file of any size takes little memory. Returns how many there were; throws
// BankError naming the file and the line of the first fault.
qint64 readCsvQuestionFile(const QString& path, const store::QuestionSink& sink);

} // namespace tools
