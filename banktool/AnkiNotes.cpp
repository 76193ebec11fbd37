#include "banktool/DeckWriters.h"

namespace banktool {

namespace {

// HTML with no tab, line end or double quote left, so no field needs quoting.
QString html(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\t':
            out += QStringLiteral("&#9;");
            break;
        case '\r':
            out += QStringLiteral("&#13;");
            break;
        case '\n':
            out += QStringLiteral("<br>");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Anki's tags are separated by blanks and hold none.
QString tag(const QString& name) {
    QString out;
    for (const QChar c : name.trimmed())
        out += c.isSpace() ? u'_' : c;
    return out;
}

// A field that is not HTML is quoted as RFC 4180 says when it must be.
QString field(const QString& text) {
    if (!text.contains(u'"') && !text.contains(u'\t') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    return u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QByteArray ankiNotes(const std::vector<store::Question>& questions,
                     const QHash<qint64, QString>& guids) {
    QString text = QStringLiteral("#separator:tab\n#html:true\n#deck:Memvane\n"
                                  "#guid column:1\n#tags column:4\n");
    for (const store::Question& q : questions) {
        QStringList tags;
        if (const QString topic = tag(q.category.value_or(QString())); !topic.isEmpty())
            tags << topic;
        for (const QString& name : setNames(q))
            tags << tag(name);
        const QString guid = guids.value(q.id, QStringLiteral("memvane-%1").arg(q.id));
        text += QStringLiteral("%1\t%2\t%3\t%4\n")
                    .arg(field(guid), html(q.question.value_or(QString())),
                         html(q.answer.value_or(QString())), field(tags.join(u' ')));
    }
    return text.toUtf8();
}

} // namespace banktool
