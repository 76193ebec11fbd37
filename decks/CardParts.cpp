#include "decks/CardParts.h"

#include "decks/Html.h"

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
    static const QRegularExpression source(QStringLiteral("\\bsrc\\s*=\\s*[\"']?([^\"'\\s>]+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    // Tag by tag, so that text full of "<img" without an end costs one pass.
    for (qsizetype at = 0;
         (at = html.indexOf(QStringLiteral("<img"), at, Qt::CaseInsensitive)) >= 0;) {
        const qsizetype end = html.indexOf(u'>', at);
        if (end < 0)
            break;
        const auto match = source.match(QStringView(html).mid(at, end - at));
        if (match.hasMatch())
            report.media.emplace_back(
                where, QStringLiteral("picture '%1'").arg(decodeEntities(match.captured(1))));
        at = end;
    }
    for (qsizetype at = 0; (at = html.indexOf(QStringLiteral("[sound:"), at)) >= 0;) {
        const qsizetype end = html.indexOf(u']', at);
        if (end < 0)
            break;
        report.media.emplace_back(where,
                                  QStringLiteral("sound '%1'").arg(html.mid(at + 7, end - at - 7)));
        at = end;
    }
}

} // namespace decks
