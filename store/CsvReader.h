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

// Reads RFC 4180 text handed over in pieces of any size and passes on each record once it has
// ended, so a file of any length is read in little memory. Throws CsvError with the line and
// the reason on malformed input, whatever the pieces.
class CsvReader {
public:
    using RecordSink = std::function<void(CsvRecord&&)>;

    explicit CsvReader(RecordSink sink);
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

    void parse(QByteArrayView piece);
    void lineEnded();
    void pass();

    RecordSink m_sink;
    std::unique_ptr<csv_parser, ParserFree> m_parser;
    std::unique_ptr<CsvCollector, CollectorFree> m_c;
    QByteArray m_head; // the first bytes, until it is clear whether they are a byte-order mark
    bool m_started = false;
};

// Reads the whole text at once.
std::vector<CsvRecord> readCsv(const QByteArray& text);

// Writes one field so that readCsv gives it back: quoted only where it must be.
QByteArray csvField(const std::optional<QString>& value);

} // namespace store
