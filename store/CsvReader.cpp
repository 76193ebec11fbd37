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

// The separator of a first line: the one of comma, semicolon and tab it holds most outside
// quotes; a comma when it holds none.
char findSeparator(QByteArrayView line) {
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == '\n' || c == '\r')
            break;
        else if (!quoted)
            commas += c == ',', semicolons += c == ';', tabs += c == '\t';
    }
    if (tabs > commas && tabs >= semicolons)
        return '\t';
    return semicolons > commas ? ';' : ',';
}

bool isControl(char c) {
    return (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
}

} // namespace

void CsvReader::ParserFree::operator()(csv_parser* p) const {
    csv_free(p);
    delete p;
}

void CsvReader::CollectorFree::operator()(CsvCollector* c) const {
    delete c;
}

CsvReader::CsvReader(RecordSink sink, CsvOptions options)
    : m_sink(std::move(sink))
    , m_options(options)
    , m_c(new CsvCollector) {
    auto* parser = new csv_parser;
    const unsigned char strict = options.strict ? CSV_STRICT | CSV_STRICT_FINI : 0;
    if (csv_init(parser, strict | CSV_EMPTY_IS_NULL) != 0) {
        delete parser;
        throw CsvError(0, QStringLiteral("out of memory"));
    }
    m_parser.reset(parser);
    m_c->line = m_c->recordLine = options.firstLine;
    if (options.separator)
        csv_set_delim(parser, *options.separator);
}

CsvReader::~CsvReader() = default;

void CsvReader::feed(QByteArrayView bytes) {
    if (m_started) {
        parse(bytes);
        return;
    }
    // A byte-order mark is not part of the first field, however the pieces split it.
    m_head.append(bytes);
    if (m_head.size() < ByteOrderMark.size() && ByteOrderMark.startsWith(m_head))
        return;
    if (!m_options.separator && !m_head.contains('\n') && !m_head.contains('\r'))
        return;
    start();
}

void CsvReader::start() {
    m_started = true;
    QByteArray head = std::exchange(m_head, {});
    if (head.startsWith(ByteOrderMark))
        head.remove(0, ByteOrderMark.size());
    if (!m_options.separator) {
        m_options.separator = findSeparator(head);
        csv_set_delim(m_parser.get(), *m_options.separator);
    }
    parse(head);
}

void CsvReader::finish() {
    if (!m_started)
        start();
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
        if (m_afterCr && piece.front() == '\n') {
            // The LF of a CRLF: the line was counted at its CR.
            m_afterCr = false;
            if (!m_inComment)
                feedParser(piece.first(1));
            piece = piece.sliced(1);
            continue;
        }
        qsizetype length = 0;
        while (length < piece.size() && piece[length] != '\n' && piece[length] != '\r')
            ++length;
        const bool ends = length < piece.size();
        const QByteArrayView segment = piece.first(ends ? length + 1 : length);
        piece = piece.sliced(segment.size());
        if (m_atLineStart && m_options.comments && m_parser->pstate == 0 && segment.front() == '#')
            m_inComment = true;
        m_atLineStart = false;
        // The first fault in the text wins, however it is cut into pieces: what comes before a
        // control character is parsed first.
        const auto control = std::find_if(segment.begin(), segment.end(), isControl);
        if (control != segment.end()) {
            if (!m_inComment)
                feedParser(segment.first(control - segment.begin()));
            throw CsvError(m_c->line,
                           QStringLiteral("a control character (U+%1) that is no text")
                               .arg(QString::number(uchar(*control), 16).toUpper(), 4, u'0'));
        }
        if (!m_inComment)
            feedParser(segment);
        m_afterCr = ends && segment.back() == '\r';
        if (ends) {
            m_atLineStart = true;
            m_inComment = false;
            lineEnded();
        }
        pass();
    }
}

void CsvReader::feedParser(QByteArrayView segment) {
    if (csv_parse(m_parser.get(), segment.data(), size_t(segment.size()), onField, onRecord,
                  m_c.get()) != size_t(segment.size()))
        throw CsvError(m_c->line, QStringLiteral("a double quote inside a field that is not "
                                                 "quoted, or text after a closing quote"));
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
    // A semicolon or a tab, quoted, cannot make a reader take it for the separator.
    const bool quote = text.isEmpty() || text.contains(',') || text.contains(';') ||
                       text.contains('\t') || text.contains('"') || text.contains('\n') ||
                       text.contains('\r') || text.startsWith(' ') || text.startsWith('\t') ||
                       text.endsWith(' ') || text.endsWith('\t') ||
                       text.startsWith("\xef\xbb\xbf"); // else read as a byte-order mark
    if (!quote)
        return text;
    return '"' + QByteArray(text).replace("\"", "\"\"") + '"';
}

} // namespace store
