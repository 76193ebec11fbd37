#include "decks/MnemosyneText.h"

#include "decks/Html.h"
#include "decks/TextInput.h"

namespace decks {

void readMnemosyne(const DeckInput& input, const DeckOptions&, const CardSink& sink,
                   DeckReport& report) {
    const QString text = wholeText(input.text);
    int lines = 0;
    int cards = 0;
    eachLine(text, [&](QStringView line, int number) {
        if (line.trimmed().isEmpty())
            return;
        ++lines;
        const QList<QStringView> fields = line.split(u'\t');
        Card card;
        card.where = lineText(number);
        if (fields.size() < 2) {
            report.skipped.emplace_back(card.where,
                                        QStringLiteral("one field only: no tab splits it"));
            return;
        }
        card.question = decodeEntities(fields[0].toString(), true).trimmed();
        QStringList answer;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            if (!fields[i].trimmed().isEmpty())
                answer << decodeEntities(fields[i].toString(), true).trimmed();
        }
        card.answer = answer.join(u'\n');
        ++cards;
        take(std::move(card), sink, report);
    });
    if (cards == 0 && lines > 0)
        throw DeckError(QString(), QStringLiteral("a tab %1 into question and "
                                                  "answer")
                                       .arg(splitsNone(lines, "line")));
}

} // namespace decks
