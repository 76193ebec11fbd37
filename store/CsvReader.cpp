#include "store/CsvReader.h"

#include <QStringDecoder>

#include <csv.h>

#include <memory>

namespace store {

namespace {

struct Collector {
    std::vector<CsvRecord> records;
    CsvRecord current;
    int line = 1;       // the line being fed
    int recordLine = 1; // where the record being read began
    bool badText = false;
};

void onField(void* data, size_t size, void* out) {
    auto* c = static_cast<Collector*>(out);
    if (!data) {
        c->current.fields.emplace_back(std::nullopt);
        return;
    }
    const QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
    // Each field on its own: a leading U+FEFF is text here, not a byte-order mark.
    QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                      QStringConverter::Flag::Stateless);
    const QString text = decode(bytes);
    if (decode.hasError())
        c->badText = true;
    c->current.fields.emplace_back(text);
}

void onRecord(int, void* out) {
    auto* c = static_cast<Collector*>(out);
    c->current.line = c->recordLine;
    c->records.push_back(std::move(c->current));
    c->current = {};
}

struct ParserFree {
    void operator()(csv_parser* p) const {
        csv_free(p);
        delete p;
    }
};

} // namespace

std::vector<CsvRecord> readCsv(const QByteArray& text) {
    std::unique_ptr<csv_parser, ParserFree> parser(new csv_parser);
    if (csv_init(parser.get(), CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0) {
        delete parser.release();
        throw CsvError(0, QStringLiteral("out of memory"));
    }
    Collector c;
    qsizetype start = 0;
    if (text.startsWith("\xef\xbb\xbf"))
        start = 3; // a byte-order mark is not part of the first field
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        end = end < 0 ? text.size() : end + 1;
        const size_t length = size_t(end - start);
        if (csv_parse(parser.get(), text.constData() + start, length, onField, onRecord, &c) !=
            length)
            throw CsvError(c.line, QStringLiteral("a double quote inside a field that is not "
                                                  "quoted, or text after a closing quote"));
        if (c.badText)
            throw CsvError(c.line, QStringLiteral("the text is not UTF-8"));
        if (parser->pstate == 0) // between records: the next one starts on the next line
            c.recordLine = c.line + 1;
        start = end;
        ++c.line;
    }
    if (csv_fini(parser.get(), onField, onRecord, &c) != 0)
        throw CsvError(c.recordLine, QStringLiteral("a quoted field is not closed"));
    if (c.badText) // in a last line without a line break
        throw CsvError(c.recordLine, QStringLiteral("the text is not UTF-8"));
    return std::move(c.records);
}

QByteArray csvField(const std::optional<QString>& value) {
    if (!value)
        return {};
    const QByteArray text = value->toUtf8();
    const bool quote = text.isEmpty() || text.contains(',') || text.contains('"') ||
                       text.contains('\n') || text.contains('\r') || text.startsWith(' ') ||
                       text.startsWith('\t') || text.endsWith(' ') || text.endsWith('\t') ||
                       text.startsWith("\xef\xbb\xbf"); // else read as a byte-order mark
    if (!quote)
        return text;
    return '"' + QByteArray(text).replace("\"", "\"\"") + '"';
}

} // namespace store
