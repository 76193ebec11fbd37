#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

struct ZSTD_DCtx_s;

namespace decks {

// Inflates zstd data as it comes, handing the result on; refuses more than limit bytes, told
// by the frame's header or found on the way.
class ZstdInflater {
public:
    using Sink = std::function<void(const char*, qsizetype)>;
    ZstdInflater(const QString& name, qint64 limit, Sink sink);

    void feed(const char* data, qsizetype size);
    // Throws when the data ended inside a frame.
    void finish() const;

    // All of a small member at once.
    static QByteArray inflate(const QString& name, const QByteArray& data, qint64 limit);

private:
    struct Free {
        void operator()(ZSTD_DCtx_s* context) const;
    };
    std::unique_ptr<ZSTD_DCtx_s, Free> m_context;
    QString m_name;
    qint64 m_limit;
    Sink m_sink;
    QByteArray m_out;
    qint64 m_total = 0;
    bool m_started = false;
    bool m_inFrame = false;

    [[noreturn]] void tooBig() const;
};

} // namespace decks
