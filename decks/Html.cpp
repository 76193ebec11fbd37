#include "decks/Html.h"

#include "decks/Deck.h"

#include <QHash>
#include <QRegularExpression>

namespace decks {

namespace {

const QHash<QString, QString>& namedEntities() {
    static const QHash<QString, QString> names = {
        {QStringLiteral("amp"), QStringLiteral("&")},
        {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},
        {QStringLiteral("nbsp"), QStringLiteral("\u00a0")},
        {QStringLiteral("ndash"), QStringLiteral("–")},
        {QStringLiteral("mdash"), QStringLiteral("—")},
        {QStringLiteral("hellip"), QStringLiteral("…")},
        {QStringLiteral("copy"), QStringLiteral("©")},
        {QStringLiteral("deg"), QStringLiteral("°")},
        {QStringLiteral("times"), QStringLiteral("×")},
        {QStringLiteral("rarr"), QStringLiteral("→")},
        {QStringLiteral("larr"), QStringLiteral("←")},
    };
    return names;
}

QString attribute(const QString& tag, const QString& name) {
    const QRegularExpression pattern(
        QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(tag);
    if (!match.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i) {
        if (match.capturedLength(i) > 0)
            return match.captured(i);
    }
    return {};
}

// A line ends without the blanks before its break.
void lineBreak(QString& out, bool always) {
    while (out.endsWith(u' ') || out.endsWith(u'\t'))
        out.chop(1);
    if (always || (!out.isEmpty() && !out.endsWith(u'\n')))
        out += u'\n';
}

} // namespace

QString decodeEntities(const QString& text, bool onlyNumeric) {
    if (!text.contains(u'&'))
        return text;
    static const QRegularExpression entity(
        QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    QString out;
    qsizetype at = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        out += QStringView(text).mid(at, match.capturedStart() - at);
        at = match.capturedEnd();
        const QString name = match.captured(1);
        if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff)) {
                const char32_t c = code;
                out += QString::fromUcs4(&c, 1);
                continue;
            }
        } else if (!onlyNumeric && namedEntities().contains(name)) {
            out += namedEntities().value(name);
            continue;
        }
        out += match.captured(0);
    }
    out += QStringView(text).mid(at);
    return out;
}

QString plainText(const QString& html, DeckReport& report, const QString& where) {
    static const QRegularExpression sound(QStringLiteral("\\[sound:([^\\]]*)\\]"));
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)\\b[^>]*>"));
    QString text = html;
    for (auto it = sound.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        ++report.sounds;
        if (!where.isEmpty())
            report.media.emplace_back(where, QStringLiteral("sound '%1'").arg(match.captured(1)));
    }
    text.remove(sound);
    QString out;
    qsizetype at = 0;
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        out += decodeEntities(text.mid(at, match.capturedStart() - at));
        at = match.capturedEnd();
        const QString name = match.captured(2).toLower();
        const bool closing = !match.captured(1).isEmpty();
        if (name == u"br") {
            lineBreak(out, true);
        } else if (name == u"div" || name == u"p") {
            lineBreak(out, false);
        } else if (name == u"img" && !closing) {
            QString what = decodeEntities(attribute(match.captured(0), QStringLiteral("alt")));
            if (what.isEmpty())
                what = decodeEntities(attribute(match.captured(0), QStringLiteral("src")));
            out += QStringLiteral("[picture: %1]").arg(what);
            ++report.pictures;
            if (!where.isEmpty())
                report.media.emplace_back(where, QStringLiteral("picture '%1'").arg(what));
        }
    }
    out += decodeEntities(text.mid(at));
    return out.trimmed();
}

} // namespace decks
