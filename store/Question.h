#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace store {

// One question as a bank file holds it; the marks stay 0 unless the source gives them.
struct Question {
    qint64 id = 0;
    std::optional<QString> question;
    std::optional<QString> answer;
    std::optional<QString> category;
    std::array<int, 3> sets{};   // BASICS, TOUGH, FINAL
    std::array<int, 6> marks{};  // Mark1 to Mark6
    std::optional<qint64> index; // Index; the ID when the source has none
    // What another program calls the question from one export to the next (Anki's guid); the
    // bank keeps it beside the ID, so the same card imported again finds its question.
    QString identity;
};

// Where questions go as they are read, one at a time.
using QuestionSink = std::function<void(const Question&)>;
// Hands every question it has to the sink, in order.
using QuestionSource = std::function<void(const QuestionSink&)>;

} // namespace store
