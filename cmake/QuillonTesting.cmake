# How a test suite is added: one executable of GoogleTest tests, each test found and run by
# ctest on its own.
#
#   quillon_test_suite(<executable>
#       SOURCES <file>...
#       LIBRARIES <target>...
#       [QT]                  window tests: the shared Qt main and the Qt test toolkit
#                             (tests/support/qt), run on the offscreen platform
#       [CLI]                 the tests run quillon-cli: it is built first and its path is
#                             QUILLON_CLI
#       [TIMEOUT <seconds>])  each test's limit, where ctest's default is not enough
#
# What only one suite needs (include folders, more compile definitions, other programs built
# first) goes beside the call, on the executable.
include(GoogleTest)

function(quillon_test_suite name)
    cmake_parse_arguments(PARSE_ARGV 1 SUITE "QT;CLI" "TIMEOUT" "SOURCES;LIBRARIES")
    if(SUITE_UNPARSED_ARGUMENTS OR NOT SUITE_SOURCES)
        message(FATAL_ERROR "quillon_test_suite(${name}): SOURCES are needed; "
            "not understood: ${SUITE_UNPARSED_ARGUMENTS}")
    endif()
    add_executable(${name} ${SUITE_SOURCES})
    target_link_libraries(${name} PRIVATE ${SUITE_LIBRARIES})
    # A settings file the program saves when none stands in the test's folder goes to a folder
    # of the build tree, not to the user's own configuration, and no test sees another's.
    set(properties ENVIRONMENT_MODIFICATION
        XDG_CONFIG_HOME=set:${CMAKE_BINARY_DIR}/test-config/${name})
    if(SUITE_QT)
        target_link_libraries(${name} PRIVATE quillon_qt_test_main quillon_qt_test_support Qt6::Test
            GTest::gtest)
        list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    if(SUITE_CLI)
        target_compile_definitions(${name} PRIVATE QUILLON_CLI="$<TARGET_FILE:quillon-cli>")
        add_dependencies(${name} quillon-cli)
    endif()
    if(SUITE_TIMEOUT)
        list(APPEND properties TIMEOUT ${SUITE_TIMEOUT})
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
