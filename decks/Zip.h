#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

struct zip;
struct zip_file;

namespace decks {

// A zip archive opened read-only through libzip; throws DeckError when it is none or damaged.
class Zip {
public:
    explicit Zip(const QString& path);

    // Whether the file starts as a zip archive does.
    static bool looksLikeZip(const QByteArray& head);

    const QStringList& names() const { return m_names; }
    bool contains(const QString& name) const { return m_names.contains(name); }
    // The size the archive gives for a member once inflated.
    qint64 inflatedSize(const QString& name) const;

    // Hands the inflated member to feed a piece at a time; refuses to inflate more than limit
    // bytes, whatever sizes the archive claims.
    void read(const QString& name, qint64 limit,
              const std::function<void(const char*, qsizetype)>& feed) const;
    // The whole member, when it is small enough to hold.
    QByteArray readAll(const QString& name, qint64 limit) const;

private:
    struct Close {
        void operator()(zip* archive) const;
    };
    struct CloseFile {
        void operator()(zip_file* file) const;
    };
    std::unique_ptr<zip, Close> m_zip;
    QStringList m_names;

    qint64 index(const QString& name) const;
};

// Whether a member or media name would reach outside the folder it is unpacked in: absolute,
// with a drive, or with a ".." in its path.
bool isOutside(const QString& name);

// "inflates past 1 GiB": a limit as the messages name it.
QString bytesText(qint64 bytes);

} // namespace decks
