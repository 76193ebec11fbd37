#include "decks/Zip.h"

#include "decks/Deck.h"

#include <QFile>
#include <QRegularExpression>

#include <zip.h>

namespace decks {

namespace {

constexpr qsizetype PieceSize = 64 * 1024;

QString zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

void Zip::Close::operator()(zip* archive) const {
    zip_discard(archive);
}

void Zip::CloseFile::operator()(zip_file* file) const {
    zip_fclose(file);
}

QString bytesText(qint64 bytes) {
    if (bytes >= (qint64(1) << 30) && bytes % (qint64(1) << 30) == 0)
        return QStringLiteral("%1 GiB").arg(bytes >> 30);
    if (bytes >= (1 << 20))
        return QStringLiteral("%1 MiB").arg(bytes >> 20);
    return QStringLiteral("%1 bytes").arg(bytes);
}

bool isOutside(const QString& name) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (name.startsWith(u'/') || name.startsWith(u'\\') || drive.match(name).hasMatch() ||
        name.contains(QChar(0)))
        return true;
    static const QRegularExpression separator(QStringLiteral("[/\\\\]"));
    return name.split(separator).contains(QStringLiteral(".."));
}

bool Zip::looksLikeZip(const QByteArray& head) {
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
}

Zip::Zip(const QString& path) {
    int code = 0;
    zip* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive)
        throw DeckError(QString(),
                        QStringLiteral("not a whole zip archive (%1)").arg(zipErrorText(code)));
    m_zip.reset(archive);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        m_names << (name ? QString::fromUtf8(name) : QString());
    }
}

qint64 Zip::index(const QString& name) const {
    const zip_int64_t at = zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0);
    if (at < 0)
        throw DeckError(QString(), QStringLiteral("the archive holds no '%1'").arg(name));
    return at;
}

qint64 Zip::inflatedSize(const QString& name) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip.get(), zip_uint64_t(index(name)), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        return -1;
    return qint64(stat.size);
}

void Zip::read(const QString& name, qint64 limit,
               const std::function<void(const char*, qsizetype)>& feed) const {
    const qint64 claimed = inflatedSize(name);
    const QString tooBig =
        QStringLiteral("'%1' inflates past %2, more than memvane-bank inflates").arg(name);
    if (claimed > limit)
        throw DeckError(QString(), tooBig.arg(bytesText(limit)));
    std::unique_ptr<zip_file, CloseFile> file(
        zip_fopen_index(m_zip.get(), zip_uint64_t(index(name)), 0));
    if (!file)
        throw DeckError(QString(), QStringLiteral("'%1' cannot be read from the archive (%2)")
                                       .arg(name, QString::fromUtf8(zip_strerror(m_zip.get()))));
    QByteArray piece(PieceSize, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), piece.data(), zip_uint64_t(piece.size()));
        if (got < 0)
            throw DeckError(QString(),
                            QStringLiteral("'%1' is damaged in the archive (%2)")
                                .arg(name, QString::fromUtf8(zip_file_strerror(file.get()))));
        if (got == 0)
            break;
        total += got;
        if (total > limit)
            throw DeckError(QString(), tooBig.arg(bytesText(limit)));
        feed(piece.constData(), qsizetype(got));
    }
}

QByteArray Zip::readAll(const QString& name, qint64 limit) const {
    QByteArray all;
    read(name, limit, [&](const char* data, qsizetype size) { all.append(data, size); });
    return all;
}

} // namespace decks
