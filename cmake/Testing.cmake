# googletest from Debian's sources, and one helper to register a test executable.
#
#   varnock_add_gtest(<target> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>]
#                     [LOCK <resource>])
#
# LOCK names shared state the tests touch (use "tolvane" for the TOLVANE registry keys of the
# test prefix and the log mutex), so that CTest never runs two such tests at once.
# On the Windows build the executable runs through scripts/wine-run (the toolchain's
# emulator); on the host natively. Every discovered test gets a timeout.
enable_testing()
include(GoogleTest)

set(VARNOCK_GTEST_SOURCE /usr/src/googletest CACHE PATH "googletest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VARNOCK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# googletest's own code is not ours to keep warning-free.
foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -w)
endforeach()

function(varnock_add_gtest target)
    cmake_parse_arguments(ARG "" "TIMEOUT;LOCK" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} gtest_main gtest)
    set(properties TIMEOUT ${ARG_TIMEOUT})
    if(ARG_LOCK)
        list(APPEND properties RESOURCE_LOCK ${ARG_LOCK})
    endif()
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES ${properties})
endfunction()
