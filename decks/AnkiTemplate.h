#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <vector>

// Anki's card templates, rendered as Anki renders them: fields, sections, filters, clozes.
namespace decks::anki {

// What a card is rendered from: its note's fields with the special ones added, which of them
// are not empty, the card's number, and the rendered front when the back is rendered.
struct CardFields {
    QHash<QString, QString> fields;
    QSet<QString> nonEmpty;
    int ord = 0;
    const QString* frontSide = nullptr; // null while the front is rendered
};

// Empty as Anki sees a field: nothing but blanks and empty <br> or <div> tags.
bool fieldIsEmpty(const QString& html);

// The cloze numbers {{c1::…}} in a field, nested ones too.
QSet<int> clozeNumbers(const QString& html);

// The text of a cloze field for card ord (0-based) as Anki's cloze filter gives it: "[...]" or
// the hint for the card's deletions on the front, their text on the back; empty when the
// field has none of the card's deletions.
QString revealCloze(const QString& html, int ord, bool front);

class Template {
public:
    // Throws DeckError naming what is wrong with the template.
    explicit Template(const QString& text);

    // Whether a note with these fields filled gets a card of this template in Anki.
    bool rendersWith(const QSet<QString>& nonEmpty) const;
    // Throws DeckError when the template names a field the note type lacks.
    QString render(const CardFields& card) const;

    struct Node {
        enum Kind { Text, Replacement, Section, Inverted } kind;
        QString text; // the text, or the field's name
        QStringList filters;
        std::vector<Node> children;
    };

private:
    std::vector<Node> m_nodes;
};

} // namespace decks::anki
