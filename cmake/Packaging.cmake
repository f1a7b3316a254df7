# A desktop installation by the XDG conventions, and the Debian package.
#
#   bin/tarnwick                                        (src/ui)
#   share/applications/org.tarnwick.Tarnwick.desktop
#   share/icons/hicolor/<N>x<N>/apps/org.tarnwick.Tarnwick.png
#   share/icons/hicolor/scalable/apps/org.tarnwick.Tarnwick.svg
#   share/tarnwick/translations/tarnwick_<lang>.qm     (also embedded in the program)
#   share/doc/tarnwick/                                 README and its pictures

set(_res ${PROJECT_SOURCE_DIR}/resources)

if(EXISTS ${_res}/${TARNWICK_APP_ID}.desktop)
    install(FILES ${_res}/${TARNWICK_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

install(FILES ${_res}/icons/${TARNWICK_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Rendered sizes of the application icon, whichever of the two usual namings
# they carry: <id>-<N>.png, or <N>x<N>/<id>.png in a hicolor-like tree.
file(GLOB_RECURSE _pngs RELATIVE ${_res}/icons ${_res}/icons/*.png)
foreach(_png IN LISTS _pngs)
    if(_png MATCHES "^${TARNWICK_APP_ID}-([0-9]+)\\.png$"
       OR _png MATCHES "(^|/)([0-9]+)x[0-9]+(/apps)?/${TARNWICK_APP_ID}\\.png$")
        set(_size ${CMAKE_MATCH_1})
        if(_size STREQUAL "" OR _size STREQUAL "/")
            set(_size ${CMAKE_MATCH_2})
        endif()
        install(FILES ${_res}/icons/${_png}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
                RENAME ${TARNWICK_APP_ID}.png)
    endif()
endforeach()

# The compiled string tables; lrelease writes them next to the app library.
file(GLOB _ts ${_res}/strings/*.ts)
foreach(_t IN LISTS _ts)
    get_filename_component(_name ${_t} NAME_WE)
    install(FILES ${PROJECT_BINARY_DIR}/src/app/${_name}.qm
            DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick/translations OPTIONAL)
endforeach()

set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/tarnwick)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${_docdir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/
        DESTINATION ${_docdir}/docs
        FILES_MATCHING PATTERN "*.png" PATTERN "*.svg")

# The Debian package: `cpack` in the build folder gives tarnwick_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "The Tarnwick developers")
set(CPACK_PACKAGE_CONTACT "The Tarnwick developers <hello@tarnwick.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tarnwick)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tarnwick developers <hello@tarnwick.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tarnwick.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see it: the SVG icon plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "trayer | stalonetray")
# CPack puts the summary above this and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "When a new application window opens on another monitor than the one the\n\
pointer is on, Tarnwick moves it there 80 ms later, keeping its relative\n\
place inside the monitor's free area. Only the position changes. X11 only.")
include(CPack)

if(TARNWICK_BUILD_TESTS AND TARGET tarnwick)
    add_test(NAME install_layout
             COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                     -DPREFIX=${PROJECT_BINARY_DIR}/install-check -DAPP_ID=${TARNWICK_APP_ID}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckInstall.cmake)
    set_tests_properties(install_layout PROPERTIES LABELS install TIMEOUT 120)
endif()
