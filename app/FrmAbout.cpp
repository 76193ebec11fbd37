#include "app/FrmAbout.h"
#include "ui_frmAbout.h"

#include "app/Failure.h"
#include "app/Look.h"
#include "app/TaskBar.h"
#include "app/Windows.h"

#include <QKeyEvent>

namespace app {

FrmAbout::FrmAbout()
    : Window(dialogParent())
    , ui(std::make_unique<Ui::frmAbout>()) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    keepOffTaskBar(this);
    // Without an icon of its own it would show the main window's.
    setWindowIcon(QIcon());
    ui->setupUi(this);
    applyPixelFonts(this);
    setFixedSize(size());
    connect(ui->cmdOK, &QPushButton::clicked, this, handler([this] { cmdOK_Click(); }));
    ui->cmdOK->setFocus();
}

FrmAbout::~FrmAbout() = default;

void FrmAbout::cmdOK_Click() {
    close();
}

void FrmAbout::keyPressEvent(QKeyEvent* event) {
    // OK is both the default and the cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        ui->cmdOK->click();
        return;
    default:
        Window::keyPressEvent(event);
    }
}

} // namespace app
