#include "selection/FrmOptions.h"
#include "ui_frmOptions.h"

#include "app/Failure.h"
#include "app/Look.h"
#include "app/MessageBox.h"
#include "app/ProgramState.h"
#include "app/TaskBar.h"
#include "app/Windows.h"
#include "selection/FrmSetOptions.h"
#include "selection/QueryBuilder.h"
#include "store/Database.h"
#include "store/RecordSet.h"
#include "viewer/FrmMain.h"

#include <QButtonGroup>
#include <QKeyEvent>

namespace selection {

using app::state;

FrmOptions::FrmOptions()
    : Window(app::dialogParent())
    , ui(std::make_unique<Ui::frmOptions>()) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    app::keepOffTaskBar(this);
    ui->setupUi(this);
    app::applyPixelFonts(this);
    setFixedSize(size());

    TestType = {ui->TestType_0, ui->TestType_1, ui->TestType_2};
    PremadeType = {ui->PremadeType_0, ui->PremadeType_1, ui->PremadeType_2, ui->PremadeType_3};
    customCheck = {ui->customCheck_0,  ui->customCheck_1,  ui->customCheck_2,  ui->customCheck_3,
                   ui->customCheck_4,  ui->customCheck_5,  ui->customCheck_6,  ui->customCheck_7,
                   ui->customCheck_8,  ui->customCheck_9,  ui->customCheck_10, ui->customCheck_11,
                   ui->customCheck_12, ui->customCheck_13, ui->customCheck_14};

    // Option buttons group by container; the TestType group spans the frames between its
    // members, which the toolkit's own grouping would mix with the PremadeType group.
    auto* testTypes = new QButtonGroup(this);
    for (QRadioButton* option : TestType)
        testTypes->addButton(option);
    auto* premadeTypes = new QButtonGroup(this);
    for (QRadioButton* option : PremadeType)
        premadeTypes->addButton(option);

    // clicked, unlike toggled, comes only from the user, so values set from code raise
    // no handler.
    for (int i = 0; i < int(customCheck.size()); ++i)
        connect(customCheck[size_t(i)], &QCheckBox::clicked, this,
                app::handler([this, i] { customCheck_Click(i); }));
    for (int i = 0; i < int(PremadeType.size()); ++i)
        connect(PremadeType[size_t(i)], &QRadioButton::clicked, this,
                app::handler([this, i] { PremadeType_Click(i); }));
    connect(ui->cmdOK, &QPushButton::clicked, this, app::handler([this] { cmdOK_Click(); }));
    connect(ui->cmdCancel, &QPushButton::clicked, this,
            app::handler([this] { cmdCancel_Click(); }));
    connect(ui->cmdChangeSet, &QPushButton::clicked, this,
            app::handler([this] { cmdChangeSet_Click(); }));
    ui->cmdOK->setFocus();
}

FrmOptions::~FrmOptions() = default;

void FrmOptions::Form_Load() {
    app::ProgramState& s = state();
    s.SavedCardSet = s.CardSet;
    if (s.LastTestType == QStringLiteral("0")) {
        TestType[0]->setChecked(true);
        for (int i = 0; i < 4; ++i) {
            if (s.LastPremadeType == QString::number(i)) {
                PremadeType[size_t(i)]->setChecked(true);
                break;
            }
        }
    } else if (s.LastTestType == QStringLiteral("1")) {
        TestType[1]->setChecked(true);
        for (size_t i = 0; i < customCheck.size(); ++i) {
            if (s.LastCategoryChecks[i] == QStringLiteral("TRUE"))
                customCheck[i]->setChecked(true);
        }
    } else if (s.LastTestType == QStringLiteral("2")) {
        TestType[2]->setChecked(true);
    }
}

OptionsChoice FrmOptions::choice() const {
    OptionsChoice c;
    for (size_t i = 0; i < TestType.size(); ++i)
        c.testType[i] = TestType[i]->isChecked();
    for (size_t i = 0; i < PremadeType.size(); ++i)
        c.premadeType[i] = PremadeType[i]->isChecked();
    for (size_t i = 0; i < customCheck.size(); ++i) {
        c.customCheck[i] = customCheck[i]->checkState() == Qt::Checked ? 1 : 0;
        c.captions[i] = customCheck[i]->text();
    }
    c.markField = state().MarkField;
    return c;
}

void FrmOptions::cmdOK_Click() {
    app::ProgramState& s = state();
    const Selection chosen = buildQuery(
        choice(), {s.CurrentSQL, s.LastTestType, s.LastPremadeType, s.LastCategoryChecks});
    s.CurrentSQL = chosen.CurrentSQL;
    s.LastTestType = chosen.LastTestType;
    s.LastPremadeType = chosen.LastPremadeType;
    s.LastCategoryChecks = chosen.LastCategoryChecks;

    s.CardSet = s.QuestionDb->openRecordSet(s.CurrentSQL);
    if (s.CardSet->recordCount() == 0) {
        app::showMessage(QStringLiteral(
            "The selected Custom Set does not contain any previously Marked questions."));
        return;
    }
    app::window<viewer::FrmMain>().showNewCardSet();
    close();
}

void FrmOptions::showCustomSet(int n) {
    TestType[2]->setText(QStringLiteral("Custom Set #%1 Memvane Only").arg(n));
}

void FrmOptions::cmdCancel_Click() {
    state().CardSet = state().SavedCardSet;
    close();
}

void FrmOptions::cmdChangeSet_Click() {
    TestType[2]->setChecked(true);
    app::showWindow<FrmSetOptions>();
}

void FrmOptions::customCheck_Click(int /*Index*/) {
    TestType[1]->setChecked(true);
}

void FrmOptions::PremadeType_Click(int /*Index*/) {
    TestType[0]->setChecked(true);
}

void FrmOptions::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        ui->cmdCancel->click();
        return;
    }
    Window::keyPressEvent(event);
}

} // namespace selection
