# googletest from Debian's sources, and one helper to register a test executable.
#
#   varnock_add_gtest(<target> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
#
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
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} gtest_main gtest)
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
