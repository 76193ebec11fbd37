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
forbid("store/*" "app/|viewer/|selection/|tools/|ui_|QtWidgets|QWidget|QApplication"
       "the store knows no windows")
foreach(base ProgramState Windows Failure MessageBox Look ProgramFolder RuntimeError)
    forbid("app/${base}.*" "viewer/|selection/" "the base of app/ knows no window of the cards")
endforeach()
forbid("tools/bank/*" "app/|viewer/|selection/|ui_" "the bank tool stands on the store alone")
forbid("tools/decks/*" "app/|viewer/|selection/|tools/bank/|ui_|QtWidgets"
       "the deck readers stand on the store alone")
forbid("fuzz/*" "app/|viewer/|selection/|tools/bank/|ui_"
       "the fuzzers stand on the store and the deck readers")
foreach(folder app selection tests bench tools)
    forbid("${folder}/*" "ui_FrmMain.h" "the main window's controls are its own")
endforeach()

if(broken)
    list(JOIN broken "\n  " text)
    message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
message(STATUS "every include keeps to its layer")
