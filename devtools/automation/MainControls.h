#pragma once

// Whole headers: whoever drives the controls calls into them.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace automation {

// The main window's controls, found by their layout names as automation finds them: the
// window keeps its own controls to itself.
struct MainControls {
    explicit MainControls(const QWidget& main);

    QFrame* Line1;
    QGroupBox* lbl_Category;
    QLabel* Category;
    QLabel* Label1;
    QLabel* CountLabel;
    QPushButton* cmdChangeSet;
    QCheckBox* Mark;
    QGroupBox* Question_Frame;
    QPlainTextEdit* Question;
    QPushButton* btn_AnswerToggle;
    QPushButton* btnOptions;
    QPushButton* cmdRandomCard;
    QPushButton* GoFirst;
    QPushButton* Previous;
    QPushButton* Next;
    QFrame* Line2;
    QGroupBox* Answer_Frame;
    QPlainTextEdit* Answer;
    QMenuBar* menubar;
    QMenu* mnuFile;
    QMenu* mnuHelp;
    QAction* itmOptions;
    QAction* itmExit;
    QAction* itmHelp;
    QAction* itmAbout;
};

} // namespace automation
