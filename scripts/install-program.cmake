# Run by cmake --install: lays out the program folder. The bank holds the user's marks,
# so an existing one is never replaced.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(folder "${root}/memvane")
if(EXISTS "${folder}/db/voreldb.mdb")
    message(STATUS "Keeping the bank and its marks: ${folder}/db/voreldb.mdb")
else()
    file(INSTALL "${BANK}" DESTINATION "${folder}/db")
endif()
# A program on the PATH, for a tarball that can be unpacked anywhere (into ~/.local, say).
file(MAKE_DIRECTORY "${root}/bin")
file(CREATE_LINK ../memvane/memvane "${root}/bin/memvane" SYMBOLIC)
if(CMAKE_INSTALL_PREFIX MATCHES "/_CPack_Packages/")
    set(MEMVANE_EXEC "memvane")
else()
    set(MEMVANE_EXEC "${CMAKE_INSTALL_PREFIX}/memvane/memvane")
endif()
configure_file("${DESKTOP_IN}" "${root}/share/applications/memvane.desktop" @ONLY)
message(STATUS "Installing: ${root}/share/applications/memvane.desktop")
