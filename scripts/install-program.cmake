# Run by cmake --install: lays out the program folder. The bank holds the user's marks,
# so an existing one is never replaced.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(folder "${root}/memvane")
if(EXISTS "${folder}/db/voreldb.mdb")
    message(STATUS "Keeping the bank and its marks: ${folder}/db/voreldb.mdb")
else()
    file(INSTALL "${BANK}" DESTINATION "${folder}/db")
endif()
set(MEMVANE_EXEC "${CMAKE_INSTALL_PREFIX}/memvane/memvane")
configure_file("${DESKTOP_IN}" "${root}/share/applications/memvane.desktop" @ONLY)
message(STATUS "Installing: ${root}/share/applications/memvane.desktop")
