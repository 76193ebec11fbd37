#pragma once

#include "store/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct csv_parser;

namespace store {

struct CsvCollector;

// One CSV record: its fields (a null field was empty and unquoted) and the line it starts on.
struct CsvRecord {
    std::vector<std::optional<QString>> fields;
    int line = 0;
};

// A CSV text that cannot be read: the line it happens on and the reason.
class CsvError : public Error {
public:
    CsvError(int line, const QString& reason)
        : Error(err::BadCsv, QStringLiteral("line %1: %2").arg(line).arg(reason))
        , m_line(line)
        , m_reason(reason) {}
    int line() const { return m_line; }
    const QString& reason() const { return m_reason; }

private:
    int m_line;
    QString m_reason;
};

struct CsvOptions {
    // Found from the first line (the one of comma, semicolon and tab it holds most) when not
    // given.
    std::optional<char> separator;
    // Refuses a quote inside a field that is not quoted, rather than keeping it as text.
    bool strict = true;
    // Skips lines that begin with '#' between records.
    bool comments = false;
    int firstLine = 1;
};

// Reads RFC 4180 text handed over in pieces of any size and passes on each record once it has
// ended, so a file of any length is read in little memory. Lines may end in CRLF, LF or CR
// alone. Throws CsvError with the line and the reason on malformed input, whatever the pieces;
// a control character other than tab, CR and LF is malformed.
class CsvReader {
public:
    using RecordSink = std::function<void(CsvRecord&&)>;

    explicit CsvReader(RecordSink sink, CsvOptions options = {});
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    void feed(QByteArrayView bytes);
    // The end of the text: passes on a last record without a line break.
    void finish();

private:
    struct ParserFree {
        void operator()(csv_parser* p) const;
    };
    struct CollectorFree {
        void operator()(CsvCollector* c) const;
    };

    void start();
    void parse(QByteArrayView piece);
    void feedParser(QByteArrayView segment);
    void lineEnded();
    void pass();

    RecordSink m_sink;
    CsvOptions m_options;
    std::unique_ptr<csv_parser, ParserFree> m_parser;
    std::unique_ptr<CsvCollector, CollectorFree> m_c;
    // The first bytes, until it is clear whether they are a byte-order mark and, when the
    // separator is to be found, until the first line has ended.
    QByteArray m_head;
    bool m_started = false;
    bool m_afterCr = false;    // the last byte was a CR, which a LF may follow
    bool m_atLineStart = true; // for comments
    bool m_inComment = false;
};

// Reads the whole text at once.
std::vector<CsvRecord> readCsv(const QByteArray& text);

// Writes one field so that readCsv gives it back: quoted only where it must be.
QByteArray csvField(const std::optional<QString>& value);

} // namespace store
