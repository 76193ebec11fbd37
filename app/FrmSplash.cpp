#include "app/FrmSplash.h"
#include "ui_frmSplash.h"

#include "app/BankLock.h"
#include "app/Failure.h"
#include "app/Look.h"
#include "app/ProgramFolder.h"
#include "app/ProgramState.h"
#include "app/RuntimeError.h"
#include "app/TaskBar.h"
#include "app/Windows.h"
#include "store/BankPassword.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/MarkFields.h"
#include "store/RecordSet.h"
#include "store/Renumbering.h"
#include "viewer/FrmMain.h"

#include <QCoreApplication>

namespace app {

namespace {

// ID is read as a 64-bit integer: a 16-bit one would fail on every bank of more than
// 32,767 questions.
qint64 questionId(const QVariant& id, const QString& bank) {
    if (id.isNull())
        throw RuntimeError(
            store::err::InvalidUseOfNull,
            QStringLiteral("Invalid use of Null: a question in '%1' has no ID.").arg(bank));
    bool ok = false;
    const qint64 number = id.toLongLong(&ok);
    if (!ok || (id.typeId() == QMetaType::Double && double(number) != id.toDouble()))
        throw RuntimeError(
            store::err::TypeMismatch,
            QStringLiteral("Type mismatch: the ID '%1' in '%2' is not a whole number.")
                .arg(id.toString(), bank));
    return number;
}

} // namespace

FrmSplash::FrmSplash()
    : ui(std::make_unique<Ui::frmSplash>()) {
    // No title-bar buttons: Continue is the way on.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    keepOffTaskBar(this);
    ui->setupUi(this);
    applyPixelFonts(this);
    setFixedSize(size());
    connect(ui->btn_Continue, &QPushButton::clicked, this,
            handler([this] { btn_Continue_Click(); }));
    ui->btn_Continue->setFocus();
}

FrmSplash::~FrmSplash() = default;

void FrmSplash::closeEvent(QCloseEvent* event) {
    Window::closeEvent(event);
    // Continue closes this window once the main window is up. Closed any other way (a close
    // button the window manager draws anyway, Alt+F4), it would leave a process without a
    // window; a tool window does not count as the last window, so Qt would not end it.
    if (event->isAccepted() && !loadedWindow<viewer::FrmMain>())
        QCoreApplication::quit();
}

void FrmSplash::btn_Continue_Click() {
    ProgramState& s = state();
    s.DbPath = bankPath();
    s.Lock = std::make_shared<BankLock>(s.DbPath);
    if (!s.Engine)
        s.Engine = std::make_shared<store::Engine>();
    s.QuestionDb =
        s.Engine->openDatabase(s.DbPath, store::Database::Mode::ReadWrite, store::BankConnectText);
    s.CurrentSQL = QStringLiteral("SELECT * FROM QATABLE");
    // Told what follows, the set's opening notes the records to renumber.
    const store::SetEveryRecord renumbering{QStringLiteral("Index"), QStringLiteral("ID")};
    s.CardSet = s.QuestionDb->openRecordSet(s.CurrentSQL, renumbering);
    store::RecordSet& cards = *s.CardSet;
    if (cards.recordCount() == 0)
        throw RuntimeError(store::err::NoCurrentRecord,
                           QStringLiteral("No current record. The question bank '%1' holds no "
                                          "questions.")
                               .arg(s.DbPath));
    cards.moveFirst();
    {
        // All records or none: a failure part-way leaves the bank as it was. The write lock
        // comes first, so a bank that cannot be written is refused even when nothing differs.
        store::Database::Transaction writing(*s.QuestionDb);
        cards.setEveryRecord(renumbering.field, renumbering.source,
                             [&](const QVariant& id) { return questionId(id, s.DbPath); });
        writing.commit();
    }
    cards.moveFirst();
    s.MarkField = store::markFields().front();
    showWindow<viewer::FrmMain>();
    close();
}

} // namespace app
