#pragma once

#include "app/Windows.h"

#include <QWidget>

#include <array>
#include <memory>

class QRadioButton;

namespace Ui {
class frmSetOptions;
}

namespace selection {

// Chooses which of the six custom sets is active.
class FrmSetOptions : public app::Window<QWidget> {
    Q_OBJECT

public:
    FrmSetOptions();
    ~FrmSetOptions() override;

    std::array<QRadioButton*, 6> setSelection{};

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::frmSetOptions> ui;
};

} // namespace selection
