#pragma once

#include "app/Windows.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmSplash;
}

namespace app {

// The start-up window: waits for Continue, which opens the bank and the main window.
class FrmSplash : public app::Window<QWidget> {
    Q_OBJECT

public:
    FrmSplash();
    ~FrmSplash() override;

    void btn_Continue_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::frmSplash> ui;
};

} // namespace app
