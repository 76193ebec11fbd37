#pragma once

#include "store/Error.h"
#include "store/Question.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// Decks of other flash-card programs, read into cards that a bank can take.
namespace decks {

// A name of a deck's that --map can match, as the program that wrote the deck shows it.
struct Name {
    enum Kind { Lesson, Deck, Tag, NoteType, Topic, Set };
    Kind kind;
    QString text;
    bool operator==(const Name&) const = default;
};

// "lesson", "deck", "tag", "note type", "topic", "set".
QString kindText(Name::Kind kind);

inline QStringList nameTexts(const std::vector<Name>& names) {
    QStringList texts;
    for (const Name& name : names)
        texts << name.text;
    return texts;
}

// One card as a deck gives it.
struct Card {
    QString question;
    QString answer;
    // Where a topic may come from, in the order the deck gives them: lessons (the innermost
    // first), the deck, tags, the note type; our CSV's topic; the sets of our KVTML export.
    std::vector<Name> names;
    // What the source keeps for the card from one export to the next (Anki's guid); empty if
    // nothing.
    QString identity;
    // A row of our own CSV, with its ID, topic, sets and marks.
    std::optional<store::Question> own;
    // Where it stands in the file: "line 12", "entry 5", "entry 5 (line 12)", "ID 5",
    // "card 3 (note 2)".
    QString where;
};

using CardSink = std::function<void(Card&&)>;

// The formats, in the order of their table (Formats.h).
enum class Format { Csv, Kvtml, Anki, Tsv, Quizlet, Apkg, Cards };

enum class Encoding { Utf8, Latin1, Utf16 };

// A side of a KVTML card: the text of an identifier's translation, or what goes with it.
struct KvtmlSide {
    enum Part { Text, Comment, Paraphrase, Example };
    int identifier = 0;
    Part part = Text;
    bool operator==(const KvtmlSide&) const = default;
};

struct DeckOptions {
    std::optional<Format> format; // found from the file when not given
    Encoding encoding = Encoding::Utf8;
    std::pair<KvtmlSide, KvtmlSide> sides{KvtmlSide{0, KvtmlSide::Text},
                                          KvtmlSide{1, KvtmlSide::Text}}; // KVTML: Q and A
    QString fieldSeparator = QStringLiteral("\t");
    QString cardSeparator = QStringLiteral("\n");
};

// What was read but did not become a card, and what was changed on the way.
struct DeckReport {
    Format format = Format::Csv;
    QString how;                                      // "named by --from", "found from …"
    std::vector<std::pair<QString, QString>> skipped; // where, why
    int pictures = 0;                                 // written as "[picture: …]"
    int sounds = 0;                                   // dropped
    std::vector<std::pair<QString, QString>> media;   // where, "picture 'cell.png'"
    // Lines that a guessed separator split into many fields, each holding another separator:
    // cards that other separators would have split.
    struct Crowded {
        QString separator; // as an option takes it: "';'"
        QString inner;
        int fields = 0;
    };
    std::optional<Crowded> crowded;
};

// A deck that cannot be read: where (a line or an entry) and why.
class DeckError : public store::Error {
public:
    DeckError(const QString& where, const QString& reason)
        : store::Error(store::err::BadDeck,
                       where.isEmpty() ? reason : where + QStringLiteral(": ") + reason)
        , m_where(where)
        , m_reason(reason) {}
    const QString& where() const { return m_where; }
    const QString& reason() const { return m_reason; }

private:
    QString m_where;
    QString m_reason;
};

QString lineText(int line);

} // namespace decks
