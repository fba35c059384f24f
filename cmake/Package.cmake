# What an installation holds, and the packages made from it (cpack, through scripts/package).
install(TARGETS twinseek-cli RUNTIME DESTINATION ${TWINSEEK_INSTALL_BINDIR})
if(TARGET twinseek)
    install(TARGETS twinseek RUNTIME DESTINATION ${TWINSEEK_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/transl.dt DESTINATION ${TWINSEEK_INSTALL_DATADIR})
