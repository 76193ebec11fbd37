#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>
#include <vector>

class QWidget;

namespace viewer {
class FrmMain;
}

namespace testing {

struct Row {
    std::optional<qint64> id;
    std::optional<QString> question;
    std::optional<QString> answer;
    std::optional<QString> category;
    std::array<int, 3> sets{};
    std::array<int, 6> marks{};
    qint64 index = 0;
};

// Rows numbered 1..count: "Question n", "Answer n", categories in turn.
std::vector<Row> numberedRows(int count);

// Writes a bank with raw SQL (not through the program's own tool) at path.
void writeBank(const QString& path, const std::vector<Row>& rows,
               const QString& password = QStringLiteral("mopr5ledun"),
               const QStringList& dropColumns = {});

// Reads one field of the record with that rowid, through a connection of its own.
QVariant readField(const QString& path, qint64 rowid, const QString& field);
void writeField(const QString& path, qint64 rowid, const QString& field, const QVariant& value);
QVariantList readColumn(const QString& path, const QString& field,
                        const QString& table = QStringLiteral("QATABLE"));
// Runs SQL on the bank through a connection of its own.
void runSql(const QString& path, const QString& sql);

// A program folder in a temporary directory, with db/voreldb.mdb.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::vector<Row>& rows, const QString& subfolder = {});
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString folder() const { return m_folder; }
    QString bank() const { return m_folder + QStringLiteral("/db/voreldb.mdb"); }

private:
    QString m_root;
    QString m_folder;
};

// Forgets windows and program state, so each case starts as a fresh run.
void resetProgram();

// Runs start-up in process on the bank of folder: Continue on the start-up window.
viewer::FrmMain& startProgram(const QString& folder);

// Answers the next message box with OK and returns its text (empty if none came).
class MessageCatcher {
public:
    MessageCatcher();
    ~MessageCatcher();
    QStringList texts() const { return m_texts; }
    QString title() const { return m_title; }
    bool hadIcon() const { return m_hadIcon; }
    int buttons() const { return m_buttons; }

private:
    QStringList m_texts;
    QString m_title;
    bool m_hadIcon = false;
    int m_buttons = 0;
    int m_timer = 0;
    class Watcher;
    Watcher* m_watcher;
};

// What a control shows as its caption: a frame's title, a label's or button's text, a text
// box's text.
QString caption(const QWidget* control);

// The bank file's checksum, for checks that nothing changed.
QByteArray checksum(const QString& path);

} // namespace testing
