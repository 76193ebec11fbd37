#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace decks {

// Reads the fields of a protocol-buffer message one after the other: the few messages of
// Anki's packages need no generated code. Throws DeckError on a message that is cut short.
class ProtobufReader {
public:
    explicit ProtobufReader(QByteArray message)
        : m_message(std::move(message))
        , m_data(m_message) {}

    // Steps to the next field; false at the end.
    bool next();
    int field() const { return m_field; }
    // A varint field's value (0 for others).
    quint64 number() const { return m_number; }
    // A length-delimited field's bytes (empty for others), while the reader lives.
    QByteArrayView bytes() const { return m_bytes; }
    QString text() const { return QString::fromUtf8(m_bytes); }

private:
    QByteArray m_message;
    QByteArrayView m_data;
    qsizetype m_at = 0;
    int m_field = 0;
    quint64 m_number = 0;
    QByteArrayView m_bytes;

    quint64 varint();
};

} // namespace decks
