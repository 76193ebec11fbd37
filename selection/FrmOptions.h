#pragma once

#include "app/Windows.h"
#include "store/Categories.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QRadioButton;

namespace Ui {
class frmOptions;
}

namespace selection {

struct OptionsChoice;

// Chooses the card set: a pre-made set, categories, or the active custom set.
class FrmOptions : public app::Window<QWidget> {
    Q_OBJECT

public:
    FrmOptions();
    ~FrmOptions() override;

    // The control groups, by index.
    std::array<QRadioButton*, 3> TestType{};
    std::array<QRadioButton*, 4> PremadeType{};
    std::array<QCheckBox*, store::CategoryCount> customCheck{};

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdChangeSet_Click();
    void customCheck_Click(int Index);
    void PremadeType_Click(int Index);

    OptionsChoice choice() const;

    // Names the custom set n in the custom-set option's caption.
    void showCustomSet(int n);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::frmOptions> ui;
};

} // namespace selection
