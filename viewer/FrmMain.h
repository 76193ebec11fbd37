#pragma once

#include "app/Windows.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class FrmMain;
}

namespace viewer {

// The card viewer: shows the current card of the card set and moves through it.
class FrmMain : public app::Window<QMainWindow> {
    Q_OBJECT

public:
    FrmMain();
    ~FrmMain() override;

    void Form_Load();
    void ShowCurrentCard();
    void StoreMark();

    // What the dialogs ask of the main window: the first card of a card set just opened,
    // and the mark box of the custom set n that has just become active.
    void showNewCardSet();
    void showCustomSet(int n);

    void GoFirst_Click();
    void Next_Click();
    void Previous_Click();
    void cmdRandomCard_Click();
    void btn_AnswerToggle_MouseDown();
    void btnOptions_Click();
    void itmOptions_Click();
    void cmdChangeSet_Click();
    void itmHelp_Click();
    void itmAbout_Click();
    [[noreturn]] void itmExit_Click();

    // The window's outer heights as designed, answer hidden and shown. Title bar, borders and
    // menu bar take the same part of both, so the area below the menu bar grows by their
    // difference from the designed 211 pixels.
    static constexpr int ShortOuterHeight = 260;
    static constexpr int TallOuterHeight = 479;
    static constexpr int ShortClientHeight = 211;
    static constexpr int TallClientHeight =
        ShortClientHeight + (TallOuterHeight - ShortOuterHeight);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setClientHeight(int height);
    bool hasCurrentCard() const;

    std::unique_ptr<Ui::FrmMain> ui;
};

// The counter: "n of m".
QString counterText(int n, int m);

// The position, 1 to m, that a draw r in [0, 1) picks in a set of m cards.
int randomCardNumber(float r, int m);

} // namespace viewer
