#include "tools/automation/MainControls.h"

#include <stdexcept>
#include <string>

namespace automation {

namespace {

template <class T> T* named(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

} // namespace

MainControls::MainControls(const QWidget& main)
    : Line1(named<QFrame>(main, "Line1"))
    , lbl_Category(named<QGroupBox>(main, "lbl_Category"))
    , Category(named<QLabel>(main, "Category"))
    , Label1(named<QLabel>(main, "Label1"))
    , CountLabel(named<QLabel>(main, "CountLabel"))
    , cmdChangeSet(named<QPushButton>(main, "cmdChangeSet"))
    , Mark(named<QCheckBox>(main, "Mark"))
    , Question_Frame(named<QGroupBox>(main, "Question_Frame"))
    , Question(named<QPlainTextEdit>(main, "Question"))
    , btn_AnswerToggle(named<QPushButton>(main, "btn_AnswerToggle"))
    , btnOptions(named<QPushButton>(main, "btnOptions"))
    , cmdRandomCard(named<QPushButton>(main, "cmdRandomCard"))
    , GoFirst(named<QPushButton>(main, "GoFirst"))
    , Previous(named<QPushButton>(main, "Previous"))
    , Next(named<QPushButton>(main, "Next"))
    , Line2(named<QFrame>(main, "Line2"))
    , Answer_Frame(named<QGroupBox>(main, "Answer_Frame"))
    , Answer(named<QPlainTextEdit>(main, "Answer"))
    , menubar(named<QMenuBar>(main, "menubar"))
    , mnuFile(named<QMenu>(main, "mnuFile"))
    , mnuHelp(named<QMenu>(main, "mnuHelp"))
    , itmOptions(named<QAction>(main, "itmOptions"))
    , itmExit(named<QAction>(main, "itmExit"))
    , itmHelp(named<QAction>(main, "itmHelp"))
    , itmAbout(named<QAction>(main, "itmAbout")) {}

} // namespace automation
