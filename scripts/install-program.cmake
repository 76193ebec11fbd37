# Run by cmake --install (and cpack): lays out the program folder. The bank holds the user's
# marks, so an existing one is never replaced; a new one is made from the CSV by the bank tool
# (TOOL), never copied from the build folder, whose bank holds the developer's marks.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(folder "${root}/memvane")
set(bank "${folder}/db/voreldb.mdb")
if(EXISTS "${bank}")
    message(STATUS "Keeping the bank and its marks: ${bank}")
else()
    file(MAKE_DIRECTORY "${folder}/db")
    execute_process(COMMAND "${TOOL}" create "${CSV}" "${bank}"
                    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
    if(failed)
        message(FATAL_ERROR "could not make ${bank}: ${error}")
    endif()
    message(STATUS "Installing: ${bank} (made from ${CSV})")
endif()
# The program and the bank tool on the PATH, by relative links, for a tarball that can be
# unpacked anywhere (into ~/.local, say).
file(MAKE_DIRECTORY "${root}/bin")
foreach(command memvane memvane-bank)
    file(CREATE_LINK "../memvane/${command}" "${root}/bin/${command}" SYMBOLIC)
endforeach()
if(CMAKE_INSTALL_PREFIX MATCHES "/_CPack_Packages/")
    set(MEMVANE_EXEC "memvane")
else()
    set(MEMVANE_EXEC "${CMAKE_INSTALL_PREFIX}/memvane/memvane")
endif()
configure_file("${DESKTOP_IN}" "${root}/share/applications/memvane.desktop" @ONLY)
message(STATUS "Installing: ${root}/share/applications/memvane.desktop")
