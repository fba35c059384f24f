# Where an installation puts things. Linux follows the file-system hierarchy (programs in
# bin/, their data in share/twinseek/); on Windows everything lies in one folder, the
# translation table beside the executables.
include(GNUInstallDirs)
if(WIN32)
    set(TWINSEEK_INSTALL_BINDIR .)
    set(TWINSEEK_INSTALL_DATADIR .)
else()
    set(TWINSEEK_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
    set(TWINSEEK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/twinseek)
endif()
# The data folder as seen from the programs' folder, so an installation can be moved whole.
file(RELATIVE_PATH TWINSEEK_DATA_FROM_BIN ${CMAKE_INSTALL_PREFIX}/${TWINSEEK_INSTALL_BINDIR}
    ${CMAKE_INSTALL_PREFIX}/${TWINSEEK_INSTALL_DATADIR})
if(TWINSEEK_DATA_FROM_BIN STREQUAL "")
    set(TWINSEEK_DATA_FROM_BIN .)
endif()
