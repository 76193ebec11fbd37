#include "tools/decks/CardParts.h"

#include "tools/decks/Html.h"

#include <QRegularExpression>

#include <algorithm>

namespace decks {

void addDeckNames(std::vector<Name>& names, const QString& deck) {
    names.push_back({Name::Deck, deck.trimmed()});
    QStringList parts = deck.split(QStringLiteral("::"), Qt::SkipEmptyParts);
    if (parts.size() > 1) {
        std::reverse(parts.begin(), parts.end());
        for (const QString& part : parts)
            names.push_back({Name::Deck, part.trimmed()});
    }
}

void noteMedia(const QString& html, const QString& where, DeckReport& report) {
    static const QRegularExpression media(
        QStringLiteral("<img\\b[^>]*?\\bsrc\\s*=\\s*[\"']?([^\"'\\s>]+)|\\[sound:([^\\]]*)\\]"),
        QRegularExpression::CaseInsensitiveOption);
    for (auto it = media.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (match.capturedLength(1) > 0)
            report.media.emplace_back(
                where, QStringLiteral("picture '%1'").arg(decodeEntities(match.captured(1))));
        else
            report.media.emplace_back(where, QStringLiteral("sound '%1'").arg(match.captured(2)));
    }
}

} // namespace decks
