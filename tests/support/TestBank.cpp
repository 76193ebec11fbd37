#include "tests/support/TestBank.h"

#include "app/Failure.h"
#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "store/BankPassword.h"
#include "store/BankTable.h"
#include "store/Categories.h"
#include "store/SqlName.h"
#include "viewer/FrmMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <sqlcipher/sqlite3.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace testing {

namespace {

struct Connection {
    explicit Connection(const QString& path, const QString& password = store::BankPassword) {
        if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
            throw std::runtime_error("cannot open test bank");
        const QByteArray key = password.toUtf8();
        if (!password.isEmpty())
            sqlite3_key(db, key.constData(), int(key.size()));
    }
    ~Connection() { sqlite3_close(db); }
    void exec(const QString& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error("test SQL failed: " + text);
        }
    }
    sqlite3* db = nullptr;
};

void bindText(sqlite3_stmt* stmt, int i, const std::optional<QString>& text) {
    if (!text) {
        sqlite3_bind_null(stmt, i);
        return;
    }
    const QByteArray bytes = text->toUtf8();
    sqlite3_bind_text(stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

QVariant columnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, i));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
    case SQLITE_NULL:
        return {};
    default:
        return sqlite3_column_double(stmt, i);
    }
}

} // namespace

std::vector<Row> numberedRows(int count) {
    std::vector<Row> rows;
    for (int n = 1; n <= count; ++n) {
        Row row;
        row.id = n;
        row.question = QStringLiteral("Question %1").arg(n);
        row.answer = QStringLiteral("Answer %1").arg(n);
        row.category = store::categories()[size_t((n - 1) % 15)];
        row.index = 0;
        rows.push_back(row);
    }
    return rows;
}

void writeBank(const QString& path, const std::vector<Row>& rows, const QString& password,
               const QStringList& dropColumns) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    Connection c(path, password);
    // A bank as another tool may leave it: ID neither a key nor unique.
    const QString table = store::quoteName(store::BankTableName);
    c.exec(QStringLiteral("CREATE TABLE %1 (%2)")
               .arg(table, store::bankColumnDefinitions(store::IdColumn::Plain)));
    c.exec(QStringLiteral("BEGIN"));
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(c.db,
                       QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(table, store::bankColumnList(), store::bankColumnPlaceholders())
                           .toUtf8()
                           .constData(),
                       -1, &stmt, nullptr);
    for (const Row& row : rows) {
        if (row.id)
            sqlite3_bind_int64(stmt, 1, *row.id);
        else
            sqlite3_bind_null(stmt, 1);
        sqlite3_bind_int64(stmt, 2, row.index);
        bindText(stmt, 3, row.question);
        bindText(stmt, 4, row.answer);
        bindText(stmt, 5, row.category);
        for (int i = 0; i < 3; ++i)
            sqlite3_bind_int(stmt, 6 + i, row.sets[size_t(i)]);
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_int(stmt, 9 + i, row.marks[size_t(i)]);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw std::runtime_error("test insert failed");
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    if (!dropColumns.isEmpty()) {
        // This engine has no DROP COLUMN: the table is copied without them.
        QStringList kept;
        QStringList definitions;
        for (const QString& column : store::bankColumns()) {
            if (dropColumns.contains(column))
                continue;
            kept << store::quoteName(column);
            definitions << store::bankColumnDefinition(column, store::IdColumn::Plain);
        }
        c.exec(
            QStringLiteral("CREATE TABLE short (%1)").arg(definitions.join(QStringLiteral(", "))));
        c.exec(QStringLiteral("INSERT INTO short SELECT %1 FROM %2").arg(kept.join(u','), table));
        c.exec(QStringLiteral("DROP TABLE %1").arg(table));
        c.exec(QStringLiteral("ALTER TABLE short RENAME TO %1").arg(table));
    }
    c.exec(QStringLiteral("COMMIT"));
}

QVariant readField(const QString& path, qint64 rowid, const QString& field) {
    Connection c(path);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = %3")
                               .arg(store::quoteName(field), store::quoteName(store::BankTableName))
                               .arg(rowid)
                               .toUtf8();
    if (sqlite3_prepare_v2(c.db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error("test read failed");
    QVariant value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = columnValue(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

void writeField(const QString& path, qint64 rowid, const QString& field, const QVariant& value) {
    Connection c(path);
    const QString literal =
        value.isNull() ? QStringLiteral("NULL")
        : value.typeId() == QMetaType::QString
            ? u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\''
            : value.toString();
    c.exec(QStringLiteral("UPDATE %1 SET %2 = %3 WHERE rowid = %4")
               .arg(store::quoteName(store::BankTableName), store::quoteName(field), literal)
               .arg(rowid));
}

QVariantList readColumn(const QString& path, const QString& field) {
    Connection c(path);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                               .arg(store::quoteName(field), store::quoteName(store::BankTableName))
                               .toUtf8();
    if (sqlite3_prepare_v2(c.db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error("test read failed");
    QVariantList values;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        values << columnValue(stmt, 0);
    sqlite3_finalize(stmt);
    return values;
}

void runSql(const QString& path, const QString& sql) {
    Connection(path).exec(sql);
}

ProgramFolder::ProgramFolder(const std::vector<Row>& rows, const QString& subfolder) {
    m_root = QDir::temp().filePath(QStringLiteral("memvane-test-") +
                                   QUuid::createUuid().toString(QUuid::WithoutBraces));
    m_folder = subfolder.isEmpty() ? m_root : m_root + u'/' + subfolder;
    QDir().mkpath(m_folder + QStringLiteral("/db"));
    if (!rows.empty())
        writeBank(bank(), rows);
}

ProgramFolder::~ProgramFolder() {
    QFile::setPermissions(bank(), QFile::ReadOwner | QFile::WriteOwner);
    QDir(m_root).removeRecursively();
}

namespace {

void failTheRunningTest(std::exception_ptr failure) {
    QTest::qFail(qPrintable(app::failureText(failure)), __FILE__, __LINE__);
}

} // namespace

void initGuiTests() {
    app::applyLook();
    app::setFailureReporter(failTheRunningTest);
}

void cleanupGuiTest() {
    resetProgram();
    QStringList left;
    for (const QWidget* window : QApplication::topLevelWidgets())
        left << QStringLiteral("%1 (%2)").arg(window->objectName(),
                                              window->metaObject()->className());
    QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("windows left: ") + left.join(", ")));
}

viewer::FrmMain& startProgram(const QString& folder) {
    resetProgram();
    app::setProgramFolder(folder);
    app::window<app::FrmSplash>().btn_Continue_Click();
    return *app::loadedWindow<viewer::FrmMain>();
}

MessageAnswerer::MessageAnswerer(std::function<void(const QMessageBox&)> seen)
    : m_seen(std::move(seen)) {
    startTimer(10);
}

void MessageAnswerer::timerEvent(QTimerEvent*) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
        return;
    m_seen(*box);
    box->button(QMessageBox::Ok)->click();
}

MessageCatcher::MessageCatcher()
    : m_answerer([this](const QMessageBox& box) {
        m_texts << box.text();
        m_title = box.windowTitle();
        m_hadIcon = box.icon() != QMessageBox::NoIcon;
        m_buttons = int(box.buttons().size());
    }) {}

QString caption(const QWidget* control) {
    if (auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(control))
        return edit->toPlainText();
    return {};
}

QString spokenName(QWidget* control) {
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
    return spoken ? spoken->text(QAccessible::Name) : QString();
}

QStringList unnamedControls(QWidget* window) {
    QStringList unnamed;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(control);
        const bool picture = label && !label->pixmap().isNull();
        if (((control->focusPolicy() & Qt::TabFocus) || picture) && spokenName(control).isEmpty())
            unnamed << control->objectName();
    }
    return unnamed;
}

QString clicksFromKeys(QWidget* control) {
    QWidget* window = control->window();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return QStringLiteral("the window did not become active");
    control->setFocus(Qt::TabFocusReason);
    if (QApplication::focusWidget() != control)
        return QStringLiteral("the control took no focus");
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    std::vector<std::unique_ptr<QSignalSpy>> clicks;
    for (QAbstractButton* button : buttons) {
        QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
        clicks.push_back(std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QStringList clicked;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        if (const qsizetype count = clicks[size_t(i)]->count())
            clicked << QStringLiteral("%1 %2").arg(buttons[i]->objectName()).arg(count);
    }
    return clicked.join(QStringLiteral(", "));
}

namespace {

QString rgb(QRgb colour) {
    return QStringLiteral("%1,%2,%3").arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

// The commonest colour of the area, and its share of the pixels counted.
std::pair<QRgb, double> commonest(const QImage& image, const QRect& area,
                                  const QRegion& leftOut = {}) {
    QHash<QRgb, int> tally;
    int counted = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (leftOut.contains(QPoint(x, y)))
                continue;
            ++tally[image.pixel(x, y)];
            ++counted;
        }
    }
    QRgb best = 0;
    int most = 0;
    for (auto it = tally.cbegin(); it != tally.cend(); ++it) {
        if (it.value() > most) {
            best = it.key();
            most = it.value();
        }
    }
    return {best, counted ? double(most) / counted : 0.0};
}

QString buttonLook(const QImage& image, const QRect& area) {
    const QRect inside = area.adjusted(2, 2, -2, -2);
    const auto [face, share] = commonest(image, inside);
    if (share < 0.5)
        return QStringLiteral("no flat face");
    QRgb darkest = face;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (qGray(image.pixel(x, y)) < qGray(darkest))
                darkest = image.pixel(x, y);
        }
    }
    // Anti-aliasing leaves a thin caption a shade off its colour.
    const auto near = [darkest](QPalette::ColorGroup group) {
        const QColor text = QApplication::palette().color(group, QPalette::ButtonText);
        return std::abs(qRed(darkest) - text.red()) <= 8 &&
               std::abs(qGreen(darkest) - text.green()) <= 8 &&
               std::abs(qBlue(darkest) - text.blue()) <= 8;
    };
    const QString caption = near(QPalette::Active)     ? QStringLiteral("button text")
                            : near(QPalette::Disabled) ? QStringLiteral("disabled button text")
                                                       : rgb(darkest);
    return QStringLiteral("face %1, caption %2").arg(rgb(face), caption);
}

QString frameLook(const QImage& image, const QGroupBox* frame, const QRect& area) {
    const QPalette desktop = QApplication::palette();
    const int middle = area.center().y();
    const QRgb edge = image.pixel(area.left(), middle);
    const bool etched =
        edge == desktop.color(QPalette::Dark).rgb() &&
        image.pixel(area.left() + 1, middle) == desktop.color(QPalette::Light).rgb();
    int top = area.top();
    while (top < middle && image.pixel(area.left(), top) != edge)
        ++top;

    const int captionHeight = frame->fontMetrics().height();
    QRegion children;
    for (const QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(frame))
            children += child->geometry().translated(area.topLeft());
    }
    const QRect inside(area.left() + 3, std::max(top, area.top() + captionHeight) + 3,
                       area.width() - 6, area.bottom() - 3 - (area.top() + captionHeight + 3));
    const auto [background, share] = commonest(image, inside, children);
    QString look = share > 0.99 ? QStringLiteral("inside %1").arg(rgb(background))
                                : QStringLiteral("inside mixed");
    look +=
        etched ? QStringLiteral("; etched border") : QStringLiteral("; border %1").arg(rgb(edge));
    if (frame->title().isEmpty())
        return look;

    // The caption's ink: what is neither the background nor the border in the caption's span.
    const int span = frame->fontMetrics().horizontalAdvance(frame->title()) + 12;
    int first = -1;
    int last = -1;
    for (int y = area.top(); y <= std::min(area.bottom(), top + captionHeight); ++y) {
        for (int x = area.left() + 2; x < area.left() + span; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel != background && pixel != edge &&
                pixel != desktop.color(QPalette::Light).rgb()) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
    }
    if (first < 0)
        return look + QStringLiteral("; no caption drawn");
    if (first < top && last > top)
        return look + QStringLiteral("; caption across border");
    return look + (last < top ? QStringLiteral("; caption above border")
                              : QStringLiteral("; caption below border"));
}

} // namespace

QString look(QWidget* control) {
    QWidget* window = control->window();
    const QImage image = window->grab().toImage();
    const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
    if (qobject_cast<QPushButton*>(control))
        return buttonLook(image, area);
    if (auto* frame = qobject_cast<QGroupBox*>(control))
        return frameLook(image, frame, area);
    return {};
}

QByteArray checksum(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace testing
