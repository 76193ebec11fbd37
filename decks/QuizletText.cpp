#include "decks/QuizletText.h"

#include "decks/TextInput.h"

namespace decks {

namespace {

QString escapes(QString separator) {
    return separator.replace(QStringLiteral("\\t"), QStringLiteral("\t"))
        .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

} // namespace

void readQuizlet(const DeckInput& input, const DeckOptions& options, const CardSink& sink,
                 DeckReport& report) {
    const QString fieldSeparator = escapes(options.fieldSeparator);
    const QString cardSeparator = escapes(options.cardSeparator);
    if (fieldSeparator.isEmpty() || cardSeparator.isEmpty())
        throw DeckError(QString(), QStringLiteral("an empty separator splits nothing"));
    QString text = wholeText(input.text);
    if (cardSeparator.contains(u'\n'))
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    int cards = 0;
    int pieces = 0;
    int line = 1;
    qsizetype at = 0;
    while (at <= text.size()) {
        qsizetype end = text.indexOf(cardSeparator, at);
        if (end < 0)
            end = text.size();
        const QStringView piece = QStringView(text).mid(at, end - at);
        Card card;
        card.where = lineText(line);
        line += int(piece.count(u'\n') + QStringView(cardSeparator).count(u'\n'));
        at = end + cardSeparator.size();
        if (piece.trimmed().isEmpty())
            continue;
        ++pieces;
        const qsizetype split = piece.indexOf(fieldSeparator);
        if (split < 0) {
            report.skipped.emplace_back(card.where,
                                        QStringLiteral("no field separator between term and "
                                                       "definition"));
            continue;
        }
        card.question = piece.first(split).trimmed().toString();
        card.answer = piece.sliced(split + fieldSeparator.size()).trimmed().toString();
        ++cards;
        take(std::move(card), sink, report);
    }
    if (cards == 0 && pieces > 0)
        throw DeckError(QString(), QStringLiteral("the field separator %1 into term "
                                                  "and definition; --field-separator and "
                                                  "--card-separator name the export's")
                                       .arg(splitsNone(pieces, "card")));
}

} // namespace decks
