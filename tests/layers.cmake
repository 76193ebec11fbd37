# Fails when an include crosses the layers the other way: cmake -DSOURCE_DIR=... -P layers.cmake
function(forbid glob pattern why)
    file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${glob}")
    foreach(file ${files})
        file(STRINGS "${SOURCE_DIR}/${file}" hits REGEX "^#include [<\"](${pattern})")
        if(hits)
            list(APPEND broken "${file}: ${hits} (${why})")
        endif()
    endforeach()
    set(broken "${broken}" PARENT_SCOPE)
endfunction()

set(broken)
forbid("store/*" "app/|viewer/|selection/|decks/|print/|banktool/|devtools/|ui_|QtWidgets|QWidget|QApplication"
       "the store knows no windows")
foreach(base ProgramState Windows Failure MessageBox Look ProgramFolder RuntimeError)
    forbid("app/${base}.*" "viewer/|selection/" "the base of app/ knows no window of the cards")
endforeach()
forbid("banktool/*" "app/|viewer/|selection/Frm|devtools/|ui_|QtWidgets|QWidget|QApplication"
       "the bank tool stands on the store, the query builder, the deck readers and printing")
forbid("decks/*" "app/|viewer/|selection/|banktool/|print/|devtools/|ui_|QtWidgets"
       "the deck readers stand on the store alone")
forbid("print/*" "app/|viewer/|selection/Frm|banktool/|decks/|devtools/|ui_|QtWidgets|QWidget|QApplication"
       "printing stands on the store and the query builder alone")
forbid("selection/QueryBuilder.*" "app/|viewer/|selection/Frm|ui_|QtWidgets|QWidget|QApplication"
       "the query builder knows no windows")
forbid("fuzz/*" "app/|viewer/|selection/|banktool/|print/|devtools/|ui_"
       "the fuzzers stand on the store and the deck readers")
# A window's controls are its own; others find them by their layout names.
forbid("app/*" "ui_FrmMain.h|ui_frmOptions.h|ui_frmSetOptions.h" "a window's controls are its own")
forbid("viewer/*" "ui_frm" "a window's controls are its own")
forbid("selection/*" "ui_FrmMain.h|ui_frmAbout.h|ui_frmSplash.h" "a window's controls are its own")
foreach(folder tests bench devtools banktool decks print fuzz)
    forbid("${folder}/*" "ui_" "a window's controls are its own")
endforeach()

if(broken)
    list(JOIN broken "\n  " text)
    message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
message(STATUS "every include keeps to its layer")
