# Installs the build into a scratch prefix and checks that a desktop finds
# everything: cmake -DBUILD=<dir> -DPREFIX=<scratch> -DAPP_ID=<id> -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(problems "")
foreach(path bin/tarnwick
             share/applications/${APP_ID}.desktop
             share/icons/hicolor/scalable/apps/${APP_ID}.svg
             share/icons/hicolor/48x48/apps/${APP_ID}.png
             share/tarnwick/translations/tarnwick_en.qm
             share/doc/tarnwick/README.md)
    if(NOT EXISTS ${PREFIX}/${path})
        list(APPEND problems "missing ${path}")
    endif()
endforeach()

# Every PNG must sit in the folder of its own pixel size, or the desktop
# scales the wrong picture.
file(GLOB pngs ${PREFIX}/share/icons/hicolor/*/apps/${APP_ID}.png)
foreach(png IN LISTS pngs)
    string(REGEX MATCH "/([0-9]+)x([0-9]+)/apps/" _ ${png})
    file(READ ${png} header LIMIT 24 HEX)
    # IHDR: width and height as big-endian 32-bit words at bytes 16 and 20.
    string(SUBSTRING ${header} 32 8 w)
    string(SUBSTRING ${header} 40 8 h)
    math(EXPR w "0x${w}")
    math(EXPR h "0x${h}")
    if(NOT w EQUAL CMAKE_MATCH_1 OR NOT h EQUAL CMAKE_MATCH_2)
        list(APPEND problems "${png} is ${w}x${h}")
    endif()
endforeach()

# The desktop entry must start the installed program and name the installed icon.
set(entry ${PREFIX}/share/applications/${APP_ID}.desktop)
if(EXISTS ${entry})
    file(STRINGS ${entry} exec REGEX "^Exec=")
    file(STRINGS ${entry} icon REGEX "^Icon=")
    if(NOT exec MATCHES "^Exec=tarnwick( |$)")
        list(APPEND problems "desktop entry runs '${exec}', not tarnwick")
    endif()
    if(NOT icon STREQUAL "Icon=${APP_ID}")
        list(APPEND problems "desktop entry names '${icon}', not ${APP_ID}")
    endif()
endif()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "installation layout:\n  ${text}")
endif()
file(REMOVE_RECURSE ${PREFIX})
