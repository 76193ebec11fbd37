#include "decks/OwnCsv.h"

#include "decks/TextInput.h"
#include "store/CsvReader.h"
#include "store/QuestionCsv.h"

namespace decks {

void readOwnCsv(const DeckInput& input, const DeckOptions&, const CardSink& sink, DeckReport&) {
    store::QuestionReader reader([&](const store::Question& q) {
        Card card;
        card.question = q.question.value_or(QString());
        card.answer = q.answer.value_or(QString());
        if (q.category)
            card.names.push_back({Name::Topic, *q.category});
        card.where = QStringLiteral("ID %1").arg(q.id);
        card.own = q;
        sink(std::move(card));
    });
    readInPieces(input.text, [&](QByteArrayView bytes) { reader.feed(bytes); });
    reader.finish();
}

QByteArray writeOwnCsv(const BankContent& bank) {
    return store::questionsCsv(bank.questions);
}

} // namespace decks
