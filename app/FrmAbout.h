#pragma once

#include "app/Windows.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmAbout;
}

namespace app {

// Product name, version, publisher and disclaimer; OK, Enter, Escape and the close box end it.
class FrmAbout : public app::Window<QWidget> {
    Q_OBJECT

public:
    FrmAbout();
    ~FrmAbout() override;

    void cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
};

} // namespace app
