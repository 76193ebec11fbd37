#include "store/QueryText.h"

#include "store/Error.h"

namespace store {

namespace {

class Tokens {
public:
    explicit Tokens(const QString& text)
        : m_text(text) {}

    [[noreturn]] void reject() const {
        throw Error(err::SyntaxError,
                    QStringLiteral("Syntax error in query expression '%1'.").arg(m_text));
    }

    bool atEnd() {
        skipBlanks();
        return m_pos >= m_text.size();
    }

    QString word() {
        skipBlanks();
        const qsizetype start = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'[') {
            // [Field name] as Access writes it.
            const qsizetype close = m_text.indexOf(u']', m_pos + 1);
            if (close < 0 || close == m_pos + 1)
                reject();
            m_pos = close + 1;
            return m_text.mid(start + 1, close - start - 1);
        }
        while (m_pos < m_text.size() && isWordChar(m_text[m_pos], m_pos == start))
            ++m_pos;
        if (m_pos == start)
            reject();
        return m_text.mid(start, m_pos - start);
    }

    void keyword(QStringView expected) {
        if (word().compare(expected, Qt::CaseInsensitive) != 0)
            reject();
    }

    void symbol(QChar expected) {
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != expected)
            reject();
        ++m_pos;
    }

    Condition value(const QString& field) {
        skipBlanks();
        if (m_pos >= m_text.size())
            reject();
        const QChar c = m_text[m_pos];
        if (c == u'\'')
            return {field, Condition::Kind::Equals, quoted()};
        if (c.isDigit() || c == u'-' || c == u'+')
            return {field, Condition::Kind::Equals, integer()};
        const QString name = word();
        if (name.compare(u"YES", Qt::CaseInsensitive) == 0 ||
            name.compare(u"TRUE", Qt::CaseInsensitive) == 0)
            return {field, Condition::Kind::True, {}};
        if (name.compare(u"NO", Qt::CaseInsensitive) == 0 ||
            name.compare(u"FALSE", Qt::CaseInsensitive) == 0)
            return {field, Condition::Kind::False, {}};
        reject();
    }

private:
    static bool isWordChar(QChar c, bool first) {
        if (c == u'_' || (c.unicode() < 128 && c.isLetter()))
            return true;
        return !first && c.unicode() < 128 && c.isDigit();
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    QString quoted() {
        QString out;
        ++m_pos;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c != u'\'') {
                out += c;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == u'\'') {
                out += c;
                ++m_pos;
                continue;
            }
            return out;
        }
        reject(); // unterminated
    }

    qint64 integer() {
        const qsizetype start = m_pos;
        if (m_text[m_pos] == u'-' || m_text[m_pos] == u'+')
            ++m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].unicode() < 128 && m_text[m_pos].isDigit())
            ++m_pos;
        bool ok = false;
        const qint64 number = m_text.mid(start, m_pos - start).toLongLong(&ok);
        if (!ok)
            reject();
        return number;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

Query Query::parse(const QString& text) {
    Tokens tokens(text);
    Query query;
    tokens.keyword(u"SELECT");
    tokens.symbol(u'*');
    tokens.keyword(u"FROM");
    query.table = tokens.word();
    if (tokens.atEnd())
        return query;
    tokens.keyword(u"WHERE");
    do {
        const QString field = tokens.word();
        tokens.symbol(u'=');
        query.conditions.push_back(tokens.value(field));
        if (tokens.atEnd())
            return query;
        tokens.keyword(u"OR");
    } while (true);
}

} // namespace store
