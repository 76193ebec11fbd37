#include "store/NewFile.h"

#include "store/BankError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace store {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void fail(const QString& what, const QString& path, int error) {
    throw BankError(QStringLiteral("cannot %1 '%2': %3").arg(what, path, systemError(error)));
}

// Closes the descriptor when it goes; close() itself is checked where it matters.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

void sync(const QString& path, const QString& shownAs) {
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        fail(QStringLiteral("sync"), shownAs, errno);
    if (::fsync(fd.get()) != 0)
        fail(QStringLiteral("sync"), shownAs, errno);
}

} // namespace

NewFile::NewFile(const QString& target, const QString& why)
    : m_target(target)
    , m_refusal(QStringLiteral("'%1' exists already").arg(target) +
                (why.isEmpty() ? QString() : QStringLiteral("; ") + why)) {
    // Refused before any work; place() refuses a name taken since.
    if (QFileInfo::exists(target))
        throw BankError(m_refusal);
    const QFileInfo info(target);
    QByteArray folder =
        QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName() + ".XXXXXX");
    if (!::mkdtemp(folder.data()))
        fail(QStringLiteral("write"), target, errno);
    m_folder = QFile::decodeName(folder);
    m_path = m_folder + u'/' + info.fileName();
}

NewFile::~NewFile() {
    if (m_placed)
        return;
    // Only what this made: the file and the engine's journal beside it, then the folder.
    for (const QString& made : {m_path, m_path + QStringLiteral("-journal")})
        ::unlink(QFile::encodeName(made).constData());
    ::rmdir(QFile::encodeName(m_folder).constData());
}

void NewFile::write(const QByteArray& bytes) {
    Descriptor fd(::open(QFile::encodeName(m_path).constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        fail(QStringLiteral("write"), m_target, errno);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        // A full disk shows as a short write first and an error on the next.
        const ssize_t written = ::write(fd.get(), data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("write"), m_target, errno);
        }
        data += written;
        left -= written;
    }
    if (::close(fd.release()) != 0)
        fail(QStringLiteral("write"), m_target, errno);
}

void NewFile::place() {
    sync(m_path, m_target);
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(m_target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            throw BankError(m_refusal);
        if (errno != EINVAL && errno != ENOSYS)
            fail(QStringLiteral("create"), m_target, errno);
        // A file system without the no-replace rename: a new link fails just as surely.
        if (::link(from.constData(), to.constData()) != 0) {
            if (errno == EEXIST)
                throw BankError(m_refusal);
            fail(QStringLiteral("create"), m_target, errno);
        }
        ::unlink(from.constData());
    }
    m_placed = true;
    // One sync of the folder keeps both the new name and the private folder's going.
    ::rmdir(QFile::encodeName(m_folder).constData());
    sync(QFileInfo(m_target).path(), QFileInfo(m_target).path());
}

} // namespace store
