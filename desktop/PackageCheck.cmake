# Looks into the Debian package `make package` left in the build tree, without installing it:
# its control fields, that its dependencies were worked out from the linked libraries, that
# it holds what an installation holds and nothing of the build, and that quillon-cli runs
# from its unpacked files. Run by ctest (desktop/CMakeLists.txt); with no package built, or
# one older than the programs, there is nothing to check and the test says it skipped.
cmake_minimum_required(VERSION 3.25)
foreach(variable BUILD_DIR VERSION APP_ID WORK_DIR PROGRAM DPKG_DEB)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

file(GLOB packages ${BUILD_DIR}/quillon_*.deb)
list(LENGTH packages count)
if(count EQUAL 0)
    message("no package built: skipped")
    return()
endif()
set(package ${BUILD_DIR}/quillon_${VERSION}_${ARCH}.deb)
if(NOT EXISTS ${package})
    message(FATAL_ERROR "the package is not named quillon_${VERSION}_${ARCH}.deb: ${packages}")
endif()
if(${PROGRAM} IS_NEWER_THAN ${package})
    message("the package is older than the programs: skipped")
    return()
endif()

function(field name out)
    execute_process(COMMAND ${DPKG_DEB} --field ${package} ${name}
        RESULT_VARIABLE status OUTPUT_VARIABLE value ERROR_VARIABLE errors
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-deb --field ${name} failed: ${errors}")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

field(Package name)
field(Version version)
field(Architecture architecture)
field(Depends depends)
if(NOT name STREQUAL "quillon" OR NOT version STREQUAL VERSION OR NOT architecture STREQUAL ARCH)
    message(FATAL_ERROR "control fields: ${name} ${version} ${architecture}")
endif()
# Worked out by dpkg-shlibdeps: the packages of libraries every build links, each with the
# version it needs. A list written by hand would have neither the versions nor all of them.
string(REPLACE "|" ";" EXPECTED_DEPENDS "${EXPECTED_DEPENDS}")
foreach(library IN LISTS EXPECTED_DEPENDS)
    if(NOT depends MATCHES "(^|, )${library} \\(>= [^)]+\\)")
        message(FATAL_ERROR "Depends lacks ${library}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} --contents ${package}
    RESULT_VARIABLE status OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb --contents failed: ${errors}")
endif()
string(REGEX MATCHALL "\\./[^\n]*" paths "${listing}")
foreach(path IN LISTS paths)
    if(NOT path MATCHES "^\\./usr/(bin|share)?(/|$)" OR path MATCHES "/usr/local/|_tests$|write-icons")
        message(FATAL_ERROR "the package holds ${path}")
    endif()
endforeach()
set(expected usr/bin/quillon usr/bin/quillon-cli usr/share/applications/${APP_ID}.desktop
    usr/share/metainfo/${APP_ID}.metainfo.xml usr/share/man/man1/quillon.1
    usr/share/man/man1/quillon-cli.1 usr/share/doc/quillon/manual/index.html
    usr/share/icons/hicolor/48x48/apps/quillon.png)
foreach(file IN LISTS expected)
    if(NOT "./${file}" IN_LIST paths)
        message(FATAL_ERROR "the package lacks ${file}")
    endif()
endforeach()
foreach(program quillon quillon-cli)
    if(NOT listing MATCHES "-rwxr-xr-x [^\n]* \\./usr/bin/${program}\n")
        message(FATAL_ERROR "usr/bin/${program} is not an executable for everyone")
    endif()
endforeach()

# The unpacked programs run with the libraries of the system, not of the build tree.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/run)
execute_process(COMMAND ${DPKG_DEB} --extract ${package} ${WORK_DIR}/root RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb --extract failed")
endif()
execute_process(COMMAND ${WORK_DIR}/root/usr/bin/quillon-cli --help WORKING_DIRECTORY ${WORK_DIR}/run
    RESULT_VARIABLE status OUTPUT_VARIABLE help ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT help MATCHES "Usage: quillon-cli COMMAND")
    message(FATAL_ERROR "the packaged quillon-cli --help failed (${status}): ${help}${errors}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "${package} checked")
