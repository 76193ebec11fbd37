#include "decks/Zstd.h"

#include "decks/Deck.h"
#include "decks/Zip.h"

#include <zstd.h>

namespace decks {

void ZstdInflater::Free::operator()(ZSTD_DCtx_s* context) const {
    ZSTD_freeDCtx(context);
}

ZstdInflater::ZstdInflater(const QString& name, qint64 limit, Sink sink)
    : m_context(ZSTD_createDCtx())
    , m_name(name)
    , m_limit(limit)
    , m_sink(std::move(sink))
    , m_out(qsizetype(ZSTD_DStreamOutSize()), Qt::Uninitialized) {
    if (!m_context)
        throw store::Error(store::err::OutOfMemory, QStringLiteral("out of memory for zstd"));
}

void ZstdInflater::tooBig() const {
    throw DeckError(QString(), QStringLiteral("'%1' inflates past %2, more than memvane-bank "
                                              "inflates")
                                   .arg(m_name, bytesText(m_limit)));
}

void ZstdInflater::feed(const char* data, qsizetype size) {
    if (!m_started && size > 0) {
        m_started = true;
        const unsigned long long told = ZSTD_getFrameContentSize(data, size_t(size));
        if (told == ZSTD_CONTENTSIZE_ERROR)
            throw DeckError(QString(),
                            QStringLiteral("'%1' is not compressed with zstd").arg(m_name));
        if (told != ZSTD_CONTENTSIZE_UNKNOWN && told > (unsigned long long)m_limit)
            tooBig();
    }
    ZSTD_inBuffer in{data, size_t(size), 0};
    while (in.pos < in.size) {
        ZSTD_outBuffer out{m_out.data(), size_t(m_out.size()), 0};
        const size_t result = ZSTD_decompressStream(m_context.get(), &out, &in);
        if (ZSTD_isError(result))
            throw DeckError(QString(),
                            QStringLiteral("'%1' is damaged (zstd: %2)")
                                .arg(m_name, QString::fromUtf8(ZSTD_getErrorName(result))));
        m_inFrame = result != 0;
        m_total += qint64(out.pos);
        if (m_total > m_limit)
            tooBig();
        if (out.pos > 0)
            m_sink(m_out.constData(), qsizetype(out.pos));
    }
}

void ZstdInflater::finish() const {
    if (!m_started || m_inFrame)
        throw DeckError(QString(),
                        QStringLiteral("'%1' ends early: the package is cut short").arg(m_name));
}

QByteArray ZstdInflater::inflate(const QString& name, const QByteArray& data, qint64 limit) {
    QByteArray all;
    ZstdInflater inflater(name, limit, [&](const char* d, qsizetype n) { all.append(d, n); });
    inflater.feed(data.constData(), data.size());
    inflater.finish();
    return all;
}

} // namespace decks
