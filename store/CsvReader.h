#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace store {

// One CSV record: its fields (a null field was empty and unquoted) and the line it starts on.
struct CsvRecord {
    std::vector<std::optional<QString>> fields;
    int line = 0;
};

// Reads RFC 4180 text; throws CsvError with the line and the reason on malformed input.
std::vector<CsvRecord> readCsv(const QByteArray& text);

class CsvError : public std::runtime_error {
public:
    CsvError(int line, const QString& reason)
        : std::runtime_error(QStringLiteral("line %1: %2").arg(line).arg(reason).toStdString())
        , m_line(line)
        , m_reason(reason) {}
    int line() const { return m_line; }
    const QString& reason() const { return m_reason; }

private:
    int m_line;
    QString m_reason;
};

// Writes one field so that readCsv gives it back: quoted only where it must be.
QByteArray csvField(const std::optional<QString>& value);

} // namespace store
