# What an installation holds, and the packages made from it: a .deb on Linux, a .zip of the
# command line on Windows (cpack, through scripts/package).
install(TARGETS twinseek-cli RUNTIME DESTINATION ${TWINSEEK_INSTALL_BINDIR})
if(TARGET twinseek)
    install(TARGETS twinseek RUNTIME DESTINATION ${TWINSEEK_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/transl.dt DESTINATION ${TWINSEEK_INSTALL_DATADIR})

string(REGEX REPLACE "^www\\." "" vendorDomain "${TWINSEEK_VENDOR_HOST}")
set(TWINSEEK_PACKAGE_MAINTAINER "Twinseek developers <packages@${vendorDomain}>" CACHE STRING
    "Maintainer named by the package")

if(NOT WIN32)
    # Made in the build folder: what needs the version, compressed manual pages, the icon's
    # bitmap sizes. The desktop's own places for each.
    set(made ${CMAKE_BINARY_DIR}/install-data)
    set(madeFiles)
    find_program(TWINSEEK_GZIP gzip REQUIRED)

    # Dates as the Debian change log writes them.
    execute_process(COMMAND date -u -R -d "${TWINSEEK_RELEASE_DATE} 12:00"
        OUTPUT_VARIABLE TWINSEEK_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    string(SUBSTRING "${TWINSEEK_RELEASE_DATE}" 0 4 TWINSEEK_RELEASE_YEAR)
    set(docDir ${CMAKE_INSTALL_DATAROOTDIR}/doc/twinseek)
    configure_file(${CMAKE_SOURCE_DIR}/data/changelog.in ${made}/changelog @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/data/copyright.in ${made}/copyright @ONLY)
    install(FILES ${made}/copyright DESTINATION ${docDir})

    set(pages twinseek-cli)
    if(TARGET twinseek)
        list(APPEND pages twinseek)
    endif()
    foreach(page ${pages})
        configure_file(${CMAKE_SOURCE_DIR}/data/${page}.1 ${made}/${page}.1 @ONLY)
        list(APPEND compressed ${made}/${page}.1)
        install(FILES ${made}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    list(APPEND compressed ${made}/changelog)
    install(FILES ${made}/changelog.gz DESTINATION ${docDir})
    foreach(file ${compressed})
        # -n: no name or time stamp inside, so the same input gives the same bytes.
        add_custom_command(OUTPUT ${file}.gz
            COMMAND ${TWINSEEK_GZIP} -9nkf ${file}
            DEPENDS ${file} VERBATIM)
        list(APPEND madeFiles ${file}.gz)
    endforeach()

    install(FILES ${CMAKE_SOURCE_DIR}/data/twinseek-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME twinseek-cli)

    if(TARGET twinseek)
        install(FILES ${CMAKE_SOURCE_DIR}/data/twinseek.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        configure_file(${CMAKE_SOURCE_DIR}/data/twinseek.metainfo.xml.in
            ${made}/example.twinseek.Twinseek.metainfo.xml @ONLY)
        install(FILES ${made}/example.twinseek.Twinseek.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

        set(icon ${CMAKE_SOURCE_DIR}/data/icons/twinseek.svg)
        set(iconTheme ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
        install(FILES ${icon} DESTINATION ${iconTheme}/scalable/apps)
        # Bitmaps for desktops and panels that do not draw SVG, rendered from the same file.
        find_program(TWINSEEK_RSVG_CONVERT rsvg-convert)
        if(NOT TWINSEEK_RSVG_CONVERT)
            message(FATAL_ERROR "rsvg-convert renders the icon's sizes: run scripts/setup "
                "(Debian package librsvg2-bin)")
        endif()
        foreach(size 16 22 24 32 48 64 128 256)
            set(png ${made}/icons/${size}x${size}/twinseek.png)
            add_custom_command(OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${made}/icons/${size}x${size}
                COMMAND ${TWINSEEK_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon}
                DEPENDS ${icon} VERBATIM)
            list(APPEND madeFiles ${png})
            install(FILES ${png} DESTINATION ${iconTheme}/${size}x${size}/apps)
        endforeach()
    endif()
    add_custom_target(install_data ALL DEPENDS ${madeFiles})
endif()

set(CPACK_PACKAGE_NAME twinseek)
set(CPACK_PACKAGE_VENDOR Twinseek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TWINSEEK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL https://${TWINSEEK_VENDOR_HOST}/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find duplicate files and folders and remove them")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
if(WIN32)
    if(CMAKE_CROSSCOMPILING)
        # The cross build's other targets are tests for wine: packing builds only what it
        # installs (scripts/package builds those first).
        set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
    endif()
    set(CPACK_GENERATOR ZIP)
    if(TARGET twinseek)
        # A native build with the window; its Qt libraries come from windeployqt.
        set(CPACK_PACKAGE_FILE_NAME twinseek-${PROJECT_VERSION}-windows-x64)
    else()
        set(CPACK_PACKAGE_FILE_NAME twinseek-cli-${PROJECT_VERSION}-windows-x64)
    endif()
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TWINSEEK_PACKAGE_MAINTAINER})
    # The libraries the programs link, found by dpkg-shlibdeps.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The summary above, then this text as the long description.
    set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_SOURCE_DIR}/data/package-description.txt)
endif()
include(CPack)
