#include "decks/Protobuf.h"

#include "decks/Deck.h"

namespace decks {

namespace {

[[noreturn]] void broken() {
    throw DeckError(QString(), QStringLiteral("a protocol-buffer message in it is damaged"));
}

} // namespace

quint64 ProtobufReader::varint() {
    quint64 value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (m_at >= m_data.size())
            broken();
        const auto byte = quint8(m_data[m_at++]);
        value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return value;
    }
    broken();
}

bool ProtobufReader::next() {
    if (m_at >= m_data.size())
        return false;
    const quint64 key = varint();
    m_field = int(key >> 3);
    m_number = 0;
    m_bytes = {};
    switch (key & 7) {
    case 0:
        m_number = varint();
        break;
    case 1:
    case 5: {
        const qsizetype size = (key & 7) == 1 ? 8 : 4;
        if (m_data.size() - m_at < size)
            broken();
        m_at += size;
        break;
    }
    case 2: {
        const quint64 size = varint();
        if (size > quint64(m_data.size() - m_at))
            broken();
        m_bytes = m_data.sliced(m_at, qsizetype(size));
        m_at += qsizetype(size);
        break;
    }
    default:
        broken();
    }
    return true;
}

} // namespace decks
