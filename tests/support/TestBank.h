#pragma once

#include "app/Windows.h"
#include "devtools/automation/Control.h"
#include "devtools/automation/MainControls.h"
#include "store/BankPassword.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QMessageBox;
class QWidget;

namespace viewer {
class FrmMain;
}

namespace testing {

using automation::control;
using automation::MainControls;

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
               const QString& password = store::BankPassword, const QStringList& dropColumns = {});

// Reads one field of the record with that rowid, through a connection of its own.
QVariant readField(const QString& path, qint64 rowid, const QString& field);
void writeField(const QString& path, qint64 rowid, const QString& field, const QVariant& value);
QVariantList readColumn(const QString& path, const QString& field);
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

// For a test binary's initTestCase: the program's look, and a failure that escapes an event
// handler fails the running test at once, with its text, instead of ending the process.
void initGuiTests();

// For a test's cleanup: a fresh run for the next case, and no window left behind.
void cleanupGuiTest();

// Forgets windows and program state, so each case starts as a fresh run.
using app::resetProgram;

// Runs start-up in process on the bank of folder: Continue on the start-up window.
viewer::FrmMain& startProgram(const QString& folder);

// While it lives, answers every message box that comes up with OK, after showing it to seen.
class MessageAnswerer : public QObject {
public:
    explicit MessageAnswerer(std::function<void(const QMessageBox&)> seen);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::function<void(const QMessageBox&)> m_seen;
};

// Answers message boxes with OK and keeps what they showed.
class MessageCatcher {
public:
    MessageCatcher();
    QStringList texts() const { return m_texts; }
    QString title() const { return m_title; }
    bool hadIcon() const { return m_hadIcon; }
    int buttons() const { return m_buttons; }

private:
    QStringList m_texts;
    QString m_title;
    bool m_hadIcon = false;
    int m_buttons = 0;
    MessageAnswerer m_answerer;
};

// What a control shows as its caption: a frame's title, a label's or button's text, a text
// box's text.
QString caption(const QWidget* control);

// What a screen reader says a control is: its accessible name.
QString spokenName(QWidget* control);

// The controls of a window that take the focus or show a picture but have no spoken name.
QStringList unnamedControls(QWidget* window);

// Gives the control the focus in its shown and active window, presses Return, the keypad's
// Enter and Space, and tells which buttons of the window those clicked, how often
// ("cmdOK 2"). The buttons' handlers are taken off first, so nothing else happens.
QString clicksFromKeys(QWidget* control);

// How a command button or a frame is drawn, read from a grab of its window: the button's
// face and the colour of its caption; the frame's inside, its border, and where its caption
// lies against the border.
QString look(QWidget* control);

// The bank file's checksum, for checks that nothing changed.
QByteArray checksum(const QString& path);

} // namespace testing
