#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// A file that takes its name whole or not at all, and never in place of another file: it is
// written in a private folder of its own beside the target, synced, then given the target's
// name without replacing anything, and the folder that holds it is synced.
class NewFile {
public:
    // Refuses a target that exists, saying "'TARGET' exists already" and why, when given; makes
    // the private folder; throws BankError when it cannot.
    explicit NewFile(const QString& target, const QString& why = {});
    // Removes what it made and did not place.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Where the file is made: the target's name in the private folder.
    const QString& path() const { return m_path; }

    // Writes the file at path() with every byte, or throws BankError; place() syncs it.
    void write(const QByteArray& bytes);

    // Gives the file its name. Throws BankError, with nothing changed, when that name was
    // taken meanwhile, and when the file cannot be synced or the name given; when the folder
    // that holds it cannot be synced after, it throws with the file under its name already.
    void place();

private:
    QString m_target;
    QString m_refusal;
    QString m_folder;
    QString m_path;
    bool m_placed = false;
};

} // namespace store
