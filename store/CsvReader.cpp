#include "store/CsvReader.h"

#include <QStringDecoder>

#include <csv.h>

#include <algorithm>
#include <utility>

namespace store {

struct CsvCollector {
    std::vector<CsvRecord> done; // ended records, passed on once the parser has returned
    CsvRecord current;
    int line = 1;       // the line being fed
    int recordLine = 1; // where the record being read began
    bool badText = false;
};

namespace {

void onField(void* data, size_t size, void* out) {
    auto* c = static_cast<CsvCollector*>(out);
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
    auto* c = static_cast<CsvCollector*>(out);
    c->current.line = c->recordLine;
    c->done.push_back(std::move(c->current));
    c->current = {};
}

constexpr QByteArrayView ByteOrderMark("\xef\xbb\xbf");

} // namespace

void CsvReader::ParserFree::operator()(csv_parser* p) const {
    csv_free(p);
    delete p;
}

void CsvReader::CollectorFree::operator()(CsvCollector* c) const {
    delete c;
}

CsvReader::CsvReader(RecordSink sink)
    : m_sink(std::move(sink))
    , m_c(new CsvCollector) {
    auto* parser = new csv_parser;
    if (csv_init(parser, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0) {
        delete parser;
        throw CsvError(0, QStringLiteral("out of memory"));
    }
    m_parser.reset(parser);
}

CsvReader::~CsvReader() = default;

void CsvReader::feed(QByteArrayView bytes) {
    if (!m_started) {
        // A byte-order mark is not part of the first field, however the pieces split it.
        const qsizetype take = std::min(ByteOrderMark.size() - m_head.size(), bytes.size());
        m_head.append(bytes.first(take));
        bytes = bytes.sliced(take);
        if (m_head.size() < ByteOrderMark.size())
            return;
        m_started = true;
        const QByteArray head = std::exchange(m_head, {});
        if (head != ByteOrderMark)
            parse(head);
    }
    parse(bytes);
}

void CsvReader::finish() {
    if (!m_started) {
        m_started = true;
        parse(std::exchange(m_head, {}));
    }
    if (m_c->badText) // in a last line without a line break
        throw CsvError(m_c->line, QStringLiteral("the text is not UTF-8"));
    if (csv_fini(m_parser.get(), onField, onRecord, m_c.get()) != 0)
        throw CsvError(m_c->recordLine, QStringLiteral("a quoted field is not closed"));
    if (m_c->badText) // in the last field, ended only now
        throw CsvError(m_c->recordLine, QStringLiteral("the text is not UTF-8"));
    pass();
}

// Fed a line at a time, so that an error knows its line.
void CsvReader::parse(QByteArrayView piece) {
    while (!piece.isEmpty()) {
        const qsizetype newline = piece.indexOf('\n');
        const qsizetype length = newline < 0 ? piece.size() : newline + 1;
        if (csv_parse(m_parser.get(), piece.data(), size_t(length), onField, onRecord, m_c.get()) !=
            size_t(length))
            throw CsvError(m_c->line, QStringLiteral("a double quote inside a field that is not "
                                                     "quoted, or text after a closing quote"));
        piece = piece.sliced(length);
        if (newline >= 0)
            lineEnded();
        pass();
    }
}

void CsvReader::lineEnded() {
    if (m_c->badText)
        throw CsvError(m_c->line, QStringLiteral("the text is not UTF-8"));
    if (m_parser->pstate == 0) // between records: the next one starts on the next line
        m_c->recordLine = m_c->line + 1;
    ++m_c->line;
}

void CsvReader::pass() {
    std::vector<CsvRecord> done = std::exchange(m_c->done, {});
    for (CsvRecord& record : done)
        m_sink(std::move(record));
}

std::vector<CsvRecord> readCsv(const QByteArray& text) {
    std::vector<CsvRecord> records;
    CsvReader reader([&](CsvRecord&& record) { records.push_back(std::move(record)); });
    reader.feed(text);
    reader.finish();
    return records;
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
