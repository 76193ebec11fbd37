#include "decks/AnkiTemplate.h"

#include "decks/Deck.h"

#include <QRegularExpression>

namespace decks::anki {

namespace {

using Node = Template::Node;

// Nested deletions deeper than this are text, as in Anki.
constexpr int DeepestCloze = 10;

struct Token {
    enum Kind { Text, Handle, Open, Inverted, Close } kind;
    QString text;
};

Token handle(QStringView inside) {
    qsizetype start = 0;
    while (start < inside.size() && inside[start] == u'{')
        ++start;
    const QString text = inside.mid(start).trimmed().toString();
    if (text.size() >= 2) {
        if (text.startsWith(u'#'))
            return {Token::Open, text.mid(1).trimmed()};
        if (text.startsWith(u'^'))
            return {Token::Inverted, text.mid(1).trimmed()};
        if (text.startsWith(u'/'))
            return {Token::Close, text.mid(1).trimmed()};
    }
    return {Token::Handle, text};
}

// Handlebars and text; an HTML comment is text whatever it holds. A template that starts by
// naming <% %> as its delimiters uses those instead, as Anki's old ones may.
std::vector<Token> tokens(QString text) {
    static const QString alternative = QStringLiteral("{{=<% %>=}}");
    QString open = QStringLiteral("{{");
    QString close = QStringLiteral("}}");
    if (text.trimmed().startsWith(alternative)) {
        text = text.trimmed().mid(alternative.size());
        open = QStringLiteral("<%");
        close = QStringLiteral("%>");
    }
    std::vector<Token> out;
    qsizetype at = 0;
    qsizetype textStart = 0;
    while (at < text.size()) {
        if (QStringView(text).mid(at).startsWith(u"<!--")) {
            const qsizetype end = text.indexOf(QStringLiteral("-->"), at + 4);
            if (end >= 0) {
                at = end + 3;
                continue;
            }
        }
        if (QStringView(text).mid(at).startsWith(open)) {
            const qsizetype end = text.indexOf(close, at + 2);
            if (end >= 0) {
                if (at > textStart)
                    out.push_back({Token::Text, text.mid(textStart, at - textStart)});
                out.push_back(handle(QStringView(text).mid(at + 2, end - at - 2)));
                at = textStart = end + 2;
                continue;
            }
        }
        ++at;
    }
    if (textStart < text.size())
        out.push_back({Token::Text, text.mid(textStart)});
    return out;
}

std::vector<Node> parse(const std::vector<Token>& tokens, size_t& at, const QString* open) {
    std::vector<Node> nodes;
    while (at < tokens.size()) {
        const Token& token = tokens[at++];
        switch (token.kind) {
        case Token::Text:
            nodes.push_back({Node::Text, token.text, {}, {}});
            break;
        case Token::Handle: {
            QStringList parts = token.text.split(u':');
            const QString key = parts.takeLast();
            std::reverse(parts.begin(), parts.end());
            nodes.push_back({Node::Replacement, key, parts, {}});
            break;
        }
        case Token::Open:
        case Token::Inverted: {
            Node node{token.kind == Token::Open ? Node::Section : Node::Inverted,
                      token.text,
                      {},
                      parse(tokens, at, &token.text)};
            nodes.push_back(std::move(node));
            break;
        }
        case Token::Close:
            if (open && *open == token.text)
                return nodes;
            throw DeckError(QString(),
                            open ? QStringLiteral("its template closes {{/%1}} where {{#%2}} is "
                                                  "open")
                                       .arg(token.text, *open)
                                 : QStringLiteral("its template closes {{/%1}}, which is not "
                                                  "open")
                                       .arg(token.text));
        }
    }
    if (open)
        throw DeckError(QString(), QStringLiteral("its template leaves {{#%1}} open").arg(*open));
    return nodes;
}

bool isClozeSection(const QString& key) {
    bool number = false;
    if (key.startsWith(u'c'))
        key.mid(1).toUInt(&number);
    return number;
}

bool empty(const std::vector<Node>& nodes, const QSet<QString>& nonEmpty) {
    for (const Node& node : nodes) {
        switch (node.kind) {
        case Node::Text:
            break;
        case Node::Replacement:
            if (nonEmpty.contains(node.text))
                return false;
            break;
        case Node::Section:
            if (nonEmpty.contains(node.text) && !empty(node.children, nonEmpty))
                return false;
            break;
        case Node::Inverted:
            if (!nonEmpty.contains(node.text) && !empty(node.children, nonEmpty))
                return false;
            break;
        }
    }
    return true;
}

// Cloze deletions parsed as Anki parses them.
struct Cloze {
    QList<int> ordinals;
    QString hint;
    bool hasHint = false;
    struct Part {
        QString text;
        int cloze = -1; // index into the list of clozes, or text
    };
    std::vector<Part> parts;
};

struct ClozeText {
    std::vector<Cloze> clozes;
    std::vector<Cloze::Part> top;
};

// "{{c1,2::" at, or no ordinals.
QList<int> openCloze(QStringView text, qsizetype at, qsizetype& end) {
    if (!text.mid(at).startsWith(u"{{c"))
        return {};
    qsizetype i = at + 3;
    while (i < text.size() && (text[i].isDigit() || text[i] == u','))
        ++i;
    if (!text.mid(i).startsWith(u"::"))
        return {};
    QList<int> ordinals;
    for (const QStringView n : text.mid(at + 3, i - at - 3).split(u',')) {
        bool ok = false;
        const int value = n.toInt(&ok);
        if (ok && !ordinals.contains(value))
            ordinals << value;
    }
    if (ordinals.isEmpty())
        return {};
    std::sort(ordinals.begin(), ordinals.end());
    end = i + 2;
    return ordinals;
}

ClozeText parseClozes(const QString& text) {
    ClozeText out;
    std::vector<int> open;
    auto addText = [&](QString piece) {
        if (piece.isEmpty())
            return;
        if (open.empty()) {
            out.top.push_back({piece, -1});
            return;
        }
        Cloze& cloze = out.clozes[size_t(open.back())];
        const qsizetype split = piece.indexOf(QStringLiteral("::"));
        if (split >= 0 && !piece.startsWith(u"image-occlusion:")) {
            cloze.hint = piece.mid(split + 2);
            cloze.hasHint = true;
            piece.truncate(split);
        }
        cloze.parts.push_back({piece, -1});
    };
    qsizetype at = 0;
    qsizetype textStart = 0;
    while (at < text.size()) {
        qsizetype end = 0;
        const QList<int> ordinals = openCloze(text, at, end);
        const bool close = ordinals.isEmpty() && QStringView(text).mid(at).startsWith(u"}}");
        if (ordinals.isEmpty() && !close) {
            ++at;
            continue;
        }
        addText(text.mid(textStart, at - textStart));
        if (!ordinals.isEmpty()) {
            if (open.size() < DeepestCloze) {
                out.clozes.push_back({ordinals, {}, false, {}});
                open.push_back(int(out.clozes.size() - 1));
            }
            at = textStart = end;
        } else {
            at = textStart = at + 2;
            if (open.empty()) {
                out.top.push_back({QStringLiteral("}}"), -1});
            } else {
                const int done = open.back();
                open.pop_back();
                if (open.empty())
                    out.top.push_back({{}, done});
                else
                    out.clozes[size_t(open.back())].parts.push_back({{}, done});
            }
        }
    }
    addText(text.mid(textStart));
    return out;
}

void reveal(const ClozeText& all, int index, int ordinal, bool front, bool& found, QString& out) {
    const Cloze& cloze = all.clozes[size_t(index)];
    const bool active = cloze.ordinals.contains(ordinal);
    found |= active;
    if (front && active) {
        bool inner = false;
        QString ignored;
        for (const Cloze::Part& part : cloze.parts) {
            if (part.cloze >= 0)
                reveal(all, part.cloze, ordinal, front, inner, ignored);
        }
        out += QStringLiteral("[%1]").arg(cloze.hasHint ? cloze.hint : QStringLiteral("..."));
        return;
    }
    for (const Cloze::Part& part : cloze.parts) {
        if (part.cloze >= 0)
            reveal(all, part.cloze, ordinal, front, found, out);
        else
            out += part.text;
    }
}

QString clozedText(const ClozeText& all, const Cloze& cloze) {
    QString text;
    for (const Cloze::Part& part : cloze.parts)
        text += part.cloze >= 0 ? clozedText(all, all.clozes[size_t(part.cloze)]) : part.text;
    return text;
}

// What the card's deletions hold, for the answer a typing box expects: once if all agree.
QString typedCloze(const QString& html, int ord) {
    const ClozeText all = parseClozes(html);
    QStringList texts;
    for (const Cloze& cloze : all.clozes) {
        if (cloze.ordinals.contains(ord + 1))
            texts << clozedText(all, cloze);
    }
    texts.removeDuplicates();
    return texts.join(QStringLiteral(", "));
}

QString stripTags(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = html;
    return text.remove(tag);
}

// Anki's ruby: "漢字[かんじ]", a blank or the start before the base.
QString ruby(const QString& text, int keep) {
    static const QRegularExpression pattern(QStringLiteral(" ?([^ >]+?)\\[(.+?)\\]"));
    QString source = text;
    source.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    QString out;
    qsizetype at = 0;
    for (auto it = pattern.globalMatch(source); it.hasNext();) {
        const auto match = it.next();
        out += QStringView(source).mid(at, match.capturedStart() - at);
        at = match.capturedEnd();
        if (match.captured(2).startsWith(u"sound:"))
            out += match.captured(0);
        else if (keep == 1)
            out += match.captured(1);
        else if (keep == 2)
            out += match.captured(2);
        else
            out += QStringLiteral("%1(%2)").arg(match.captured(1), match.captured(2));
    }
    out += QStringView(source).mid(at);
    return out;
}

QString filtered(QString text, QStringList filters, const QString& field, const CardFields& card) {
    // A typing box on the front; the back shows the answer it expects.
    if (!filters.isEmpty() && filters.last() == u"type") {
        if (!card.frontSide)
            return {};
        if (filters.size() == 2 && (filters[0] == u"cloze" || filters[0] == u"nc"))
            return typedCloze(text, card.ord);
        return text;
    }
    for (const QString& filter : filters) {
        if (filter == u"text")
            text = stripTags(text);
        else if (filter == u"cloze")
            text = revealCloze(text, card.ord, card.frontSide == nullptr);
        else if (filter == u"hint")
            text = text.trimmed().isEmpty() ? text : QStringLiteral("[%1: %2]").arg(field, text);
        else if (filter == u"furigana")
            text = ruby(text, 0);
        else if (filter == u"kanji")
            text = ruby(text, 1);
        else if (filter == u"kana")
            text = ruby(text, 2);
        else if (filter.startsWith(u"tts "))
            text.clear(); // read aloud in Anki, not shown
    }
    return text;
}

void renderNodes(const std::vector<Node>& nodes, const CardFields& card, QString* out) {
    for (const Node& node : nodes) {
        switch (node.kind) {
        case Node::Text:
            if (out)
                *out += node.text;
            break;
        case Node::Replacement:
            if (node.text == u"FrontSide") {
                if (out && card.frontSide)
                    *out += *card.frontSide;
            } else if (!node.text.isEmpty() || node.filters.isEmpty()) {
                const auto field = card.fields.constFind(node.text);
                if (field == card.fields.cend())
                    throw DeckError(QString(),
                                    QStringLiteral("its template shows {{%1}}, a field the note "
                                                   "type does not have")
                                        .arg(node.text));
                if (out)
                    *out += filtered(*field, node.filters, node.text, card);
            }
            break;
        case Node::Section:
        case Node::Inverted: {
            if (!card.fields.contains(node.text) && !isClozeSection(node.text))
                throw DeckError(QString(), QStringLiteral("its template tests {{%1%2}}, a field "
                                                          "the note type does not have")
                                               .arg(node.kind == Node::Section ? u'#' : u'^')
                                               .arg(node.text));
            const bool shown = card.nonEmpty.contains(node.text) == (node.kind == Node::Section);
            renderNodes(node.children, card, shown ? out : nullptr);
            break;
        }
        }
    }
}

} // namespace

bool fieldIsEmpty(const QString& html) {
    static const QRegularExpression empty(QStringLiteral("^(?:\\s|</?(?:br|div) ?/?>)*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    return empty.match(html).hasMatch();
}

QSet<int> clozeNumbers(const QString& html) {
    QSet<int> numbers;
    if (!html.contains(QStringLiteral("{{c")))
        return numbers;
    for (const Cloze& cloze : parseClozes(html).clozes) {
        for (const int n : cloze.ordinals)
            numbers.insert(n);
    }
    return numbers;
}

QString revealCloze(const QString& html, int ord, bool front) {
    const ClozeText all = parseClozes(html);
    QString out;
    bool found = false;
    for (const Cloze::Part& part : all.top) {
        if (part.cloze >= 0)
            reveal(all, part.cloze, ord + 1, front, found, out);
        else
            out += part.text;
    }
    return found ? out : QString();
}

Template::Template(const QString& text) {
    size_t at = 0;
    m_nodes = parse(tokens(text), at, nullptr);
}

bool Template::rendersWith(const QSet<QString>& nonEmpty) const {
    return !empty(m_nodes, nonEmpty);
}

QString Template::render(const CardFields& card) const {
    QString out;
    renderNodes(m_nodes, card, &out);
    return out;
}

} // namespace decks::anki
