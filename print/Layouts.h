#pragma once

#include "print/Sheet.h"

#include <QPointF>
#include <QString>
#include <QStringList>

namespace print {

class CardSet;

enum class Layout { Cards, Fold, List };

struct Settings {
    Layout layout = Layout::Cards;
    CardSize card;
    Flip flip = Flip::Long;
    QPointF offset; // of the backs, millimetres
    bool hideAnswers = false;
    QString title; // atop every page of the list: the bank and the set
};

// What the user is told: a line per card that lost text or has a character no font draws.
struct Report {
    int cards = 0;
    QStringList notes;
};

// Draws every card of the set onto the canvas, from its first page on.
void drawCards(CardSet& cards, const Settings& settings, Canvas& canvas, Report& report);

} // namespace print
