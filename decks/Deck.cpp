#include "decks/Deck.h"

namespace decks {

QString kindText(Name::Kind kind) {
    switch (kind) {
    case Name::Lesson:
        return QStringLiteral("lesson");
    case Name::Deck:
        return QStringLiteral("deck");
    case Name::Tag:
        return QStringLiteral("tag");
    case Name::NoteType:
        return QStringLiteral("note type");
    case Name::Set:
        return QStringLiteral("set");
    case Name::Topic:
        break;
    }
    return QStringLiteral("topic");
}

QString lineText(int line) {
    return QStringLiteral("line %1").arg(line);
}

} // namespace decks
