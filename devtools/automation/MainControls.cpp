#include "devtools/automation/MainControls.h"

#include "devtools/automation/Control.h"

namespace automation {

MainControls::MainControls(const QWidget& main)
    : Line1(control<QFrame>(main, "Line1"))
    , lbl_Category(control<QGroupBox>(main, "lbl_Category"))
    , Category(control<QLabel>(main, "Category"))
    , Label1(control<QLabel>(main, "Label1"))
    , CountLabel(control<QLabel>(main, "CountLabel"))
    , cmdChangeSet(control<QPushButton>(main, "cmdChangeSet"))
    , Mark(control<QCheckBox>(main, "Mark"))
    , Question_Frame(control<QGroupBox>(main, "Question_Frame"))
    , Question(control<QPlainTextEdit>(main, "Question"))
    , btn_AnswerToggle(control<QPushButton>(main, "btn_AnswerToggle"))
    , btnOptions(control<QPushButton>(main, "btnOptions"))
    , cmdRandomCard(control<QPushButton>(main, "cmdRandomCard"))
    , GoFirst(control<QPushButton>(main, "GoFirst"))
    , Previous(control<QPushButton>(main, "Previous"))
    , Next(control<QPushButton>(main, "Next"))
    , Line2(control<QFrame>(main, "Line2"))
    , Answer_Frame(control<QGroupBox>(main, "Answer_Frame"))
    , Answer(control<QPlainTextEdit>(main, "Answer"))
    , menubar(control<QMenuBar>(main, "menubar"))
    , mnuFile(control<QMenu>(main, "mnuFile"))
    , mnuHelp(control<QMenu>(main, "mnuHelp"))
    , itmOptions(control<QAction>(main, "itmOptions"))
    , itmExit(control<QAction>(main, "itmExit"))
    , itmHelp(control<QAction>(main, "itmHelp"))
    , itmAbout(control<QAction>(main, "itmAbout")) {}

} // namespace automation
