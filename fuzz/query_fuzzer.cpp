// Feeds arbitrary bytes to store::Query::parse, read as UTF-8, as Latin-1 and as raw UTF-16.
// store::Error 3075 is the expected outcome for text the language does not accept; any other
// exception, a wrong error, or an accepted query that does not survive being written back
// and parsed again is a finding (abort, so libFuzzer keeps the input).
#include "store/Error.h"
#include "store/QueryText.h"

#include <QVariant>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

[[noreturn]] void fail(const char* what, const QString& text) {
    std::fprintf(stderr, "query_fuzzer: %s\n  text: %s\n", what, text.toUtf8().constData());
    std::abort();
}

// The accepted query in the language again, every name in brackets so any name survives.
QString write(const store::Query& query) {
    QString out = QStringLiteral("SELECT * FROM [") + query.table + u']';
    for (size_t i = 0; i < query.conditions.size(); ++i) {
        const store::Condition& c = query.conditions[i];
        out += i == 0 ? QStringLiteral(" WHERE [") : QStringLiteral(" OR [");
        out += c.field + QStringLiteral("] = ");
        switch (c.kind) {
        case store::Condition::Kind::True:
            out += QStringLiteral("YES");
            break;
        case store::Condition::Kind::False:
            out += QStringLiteral("NO");
            break;
        case store::Condition::Kind::Equals:
            if (c.value.typeId() == QMetaType::LongLong)
                out += QString::number(c.value.toLongLong());
            else if (c.value.typeId() == QMetaType::QString)
                out += u'\'' + c.value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
            else
                fail("an Equals condition whose value is neither qint64 nor QString", out);
            break;
        }
    }
    return out;
}

bool same(const store::Query& a, const store::Query& b) {
    if (a.table != b.table || a.conditions.size() != b.conditions.size())
        return false;
    for (size_t i = 0; i < a.conditions.size(); ++i) {
        const store::Condition& x = a.conditions[i];
        const store::Condition& y = b.conditions[i];
        if (x.field != y.field || x.kind != y.kind || x.value.typeId() != y.value.typeId() ||
            x.value != y.value)
            return false;
    }
    return true;
}

void check(const QString& text) {
    store::Query query;
    try {
        query = store::Query::parse(text);
    } catch (const store::Error& e) {
        if (e.number() != store::err::SyntaxError)
            fail("store::Error with a number other than 3075", text);
        if (!e.description().contains(text))
            fail("the error description does not quote the query text", text);
        return;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "query_fuzzer: unexpected exception: %s\n", e.what());
        fail("an exception other than store::Error", text);
    } catch (...) {
        fail("a non-standard exception", text);
    }

    if (query.table.isEmpty())
        fail("an accepted query with an empty table name", text);
    for (const store::Condition& c : query.conditions) {
        if (c.field.isEmpty())
            fail("an accepted condition with an empty field name", text);
    }
    const QString again = write(query);
    try {
        if (!same(query, store::Query::parse(again)))
            fail("the query written back parses to a different query", text);
    } catch (const store::Error&) {
        fail("the query written back is refused", again);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    // Raw UTF-16 reaches lone surrogates and characters beyond the BMP.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, size_t(units.size()) * sizeof(QChar));
    check(units);
    return 0;
}
