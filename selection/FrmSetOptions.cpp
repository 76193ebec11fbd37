#include "selection/FrmSetOptions.h"
#include "ui_frmSetOptions.h"

#include "app/Failure.h"
#include "app/Look.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "selection/FrmOptions.h"
#include "store/MarkFields.h"
#include "viewer/FrmMain.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace selection {

using app::state;

FrmSetOptions::FrmSetOptions()
    : ui(std::make_unique<Ui::frmSetOptions>()) {
    ui->setupUi(this);
    app::applyPixelFonts(this);
    setSelection = {ui->setSelection_0, ui->setSelection_1, ui->setSelection_2,
                    ui->setSelection_3, ui->setSelection_4, ui->setSelection_5};
    auto* sets = new QButtonGroup(this);
    for (QRadioButton* option : setSelection) {
        sets->addButton(option);
        option->installEventFilter(this);
    }
    connect(ui->cmdOK, &QPushButton::clicked, this, app::handler([this] { cmdOK_Click(); }));
    connect(ui->cmdCancel, &QPushButton::clicked, this,
            app::handler([this] { cmdCancel_Click(); }));
    // The first option takes the focus on opening, and with it the selection.
    setSelection[0]->setChecked(true);
    setSelection[0]->setFocus();
}

FrmSetOptions::~FrmSetOptions() = default;

bool FrmSetOptions::eventFilter(QObject* watched, QEvent* event) {
    // An option button that receives the focus becomes the selected one of its group.
    if (event->type() == QEvent::FocusIn) {
        if (auto* option = qobject_cast<QRadioButton*>(watched))
            option->setChecked(true);
    }
    return Window::eventFilter(watched, event);
}

void FrmSetOptions::cmdOK_Click() {
    int n = 0;
    for (int i = 0; i < int(setSelection.size()); ++i) {
        if (setSelection[size_t(i)]->isChecked()) {
            n = i + 1;
            break;
        }
    }
    if (n != 0) {
        state().MarkField = store::markFields().at(size_t(n - 1));
        app::window<FrmOptions>().showCustomSet(n);
        app::window<viewer::FrmMain>().showCustomSet(n);
    }
    close();
}

void FrmSetOptions::cmdCancel_Click() {
    close();
}

} // namespace selection
