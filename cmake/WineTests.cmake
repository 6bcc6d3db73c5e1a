# The Windows test executables run through Wine, in a prefix of their own inside the build tree, with
# the test run's own Xvfb as display (none outside a test run).
set(VELLICOR_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
set(VELLICOR_WINE_XVFB_DIR ${CMAKE_BINARY_DIR}/xvfb)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PROJECT_SOURCE_DIR}/scripts/wine-run ${VELLICOR_WINE_PREFIX} ${VELLICOR_WINE_XVFB_DIR})

# Created once at build time: test discovery after each link already runs in it.
add_custom_command(OUTPUT ${VELLICOR_WINE_PREFIX}/.booted
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix ${VELLICOR_WINE_PREFIX} ${VELLICOR_WINE_XVFB_DIR} boot
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/wine-prefix
    COMMENT "Creating the Wine prefix for the Windows tests")
add_custom_target(vellicor_wine_prefix DEPENDS ${VELLICOR_WINE_PREFIX}/.booted)

# One Xvfb, one Wine server, Wine's services and one desktop for the whole run, instead of one
# start-up per test.
add_executable(vellicor_wine_desktop ${PROJECT_SOURCE_DIR}/tests/support/WineDesktop.cpp)
target_link_libraries(vellicor_wine_desktop PRIVATE vellicor_flags user32)
add_test(NAME wine_start
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix ${VELLICOR_WINE_PREFIX} ${VELLICOR_WINE_XVFB_DIR} start
        $<TARGET_FILE:vellicor_wine_desktop>)
add_test(NAME wine_stop
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix ${VELLICOR_WINE_PREFIX} ${VELLICOR_WINE_XVFB_DIR} stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# Windows test targets: vellicor_wine_test(<target>) makes their tests run inside the prefix.
function(vellicor_wine_test target)
    add_dependencies(${target} vellicor_wine_prefix)
endfunction()

# vellicor_check_pe_module(<target> EXPORTS <name>...): the module exports exactly these and imports
# only system DLLs.
set(VELLICOR_SYSTEM_DLLS kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll msvcrt.dll)
find_program(VELLICOR_MINGW_OBJDUMP ${VELLICOR_MINGW_TRIPLE}-objdump REQUIRED)
function(vellicor_check_pe_module target)
    cmake_parse_arguments(M "" "" "EXPORTS" ${ARGN})
    add_test(NAME ${target}_exports_and_imports
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${VELLICOR_MINGW_OBJDUMP} -DMODULE=$<TARGET_FILE:${target}>
            "-DEXPORTS=${M_EXPORTS}" "-DIMPORTS=${VELLICOR_SYSTEM_DLLS}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckPeModule.cmake)
endfunction()
