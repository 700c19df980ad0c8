# Installs the build tree into a fresh prefix, runs quillon-cli from there, and checks what the
# desktop reads with its own validators. Run by ctest (desktop/CMakeLists.txt).
foreach(variable BUILD_DIR PREFIX APP_ID)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()
foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI)
    if(NOT ${tool} OR NOT EXISTS "${${tool}}")
        message(FATAL_ERROR "${tool} was not found: scripts/install-deps.sh installs it")
    endif()
endforeach()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}); is everything built?\n${output}")
endif()

set(expected bin/quillon bin/quillon-cli share/man/man1/quillon.1 share/man/man1/quillon-cli.1
    share/doc/quillon/manual/index.html share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/quillon.png)
endforeach()
foreach(file IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

# Run from a folder of its own, so nothing of the build tree is found by accident.
file(MAKE_DIRECTORY ${PREFIX}/run)
execute_process(COMMAND ${PREFIX}/bin/quillon-cli --help WORKING_DIRECTORY ${PREFIX}/run
    RESULT_VARIABLE status OUTPUT_VARIABLE help ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT help MATCHES "Usage: quillon-cli COMMAND")
    message(FATAL_ERROR "installed quillon-cli --help failed (${status}): ${help}${errors}")
endif()

execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${APP_ID}.desktop
    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT status EQUAL 0 OR NOT report STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${report}")
endif()
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --explain
    ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml
    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${report}")
endif()

# The icons are real pictures of the size their folder names.
foreach(size 16 256)
    file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/quillon.png header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 16 dimensions)
    math(EXPR width_height "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex "${width_height}")
    string(LENGTH "${hex}" length)
    math(EXPR pad "8 - ${length}")
    string(REPEAT "0" ${pad} zeros)
    set(expected_dimensions "${zeros}${hex}${zeros}${hex}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT dimensions STREQUAL expected_dimensions)
        message(FATAL_ERROR "icon ${size}: not a ${size}x${size} PNG (${header})")
    endif()
endforeach()
message(STATUS "installed into ${PREFIX} and checked")
