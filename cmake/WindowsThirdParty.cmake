# Third-party libraries of the Windows build. Debian packages none of them for mingw, so they are
# compiled here from Debian's own sources: libpng from its source package (fetched by
# scripts/fetch-windows-sources), GoogleTest from the googletest package's sources.
set(VELLICOR_THIRD_PARTY_DIR ${PROJECT_SOURCE_DIR}/build/third-party
    CACHE PATH "Where scripts/fetch-windows-sources unpacked Debian source packages")

# zlib: the static archive only; letting the linker pick the import library would make the modules
# import zlib1.dll, which no Windows system provides.
find_library(VELLICOR_MINGW_ZLIB NAMES libz.a REQUIRED)
find_path(VELLICOR_MINGW_ZLIB_INCLUDE zlib.h REQUIRED)
add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES
    IMPORTED_LOCATION ${VELLICOR_MINGW_ZLIB}
    INTERFACE_INCLUDE_DIRECTORIES ${VELLICOR_MINGW_ZLIB_INCLUDE})

file(GLOB VELLICOR_LIBPNG_DIRS LIST_DIRECTORIES true ${VELLICOR_THIRD_PARTY_DIR}/libpng1.6-*)
list(SORT VELLICOR_LIBPNG_DIRS)
list(POP_BACK VELLICOR_LIBPNG_DIRS VELLICOR_LIBPNG_DIR)
if(NOT VELLICOR_LIBPNG_DIR OR NOT EXISTS ${VELLICOR_LIBPNG_DIR}/png.h)
    message(FATAL_ERROR "libpng sources not found in ${VELLICOR_THIRD_PARTY_DIR}: run scripts/fetch-windows-sources")
endif()
set(png ${VELLICOR_LIBPNG_DIR})
# The default configuration, as libpng's own build generates it when nothing is chosen.
configure_file(${png}/scripts/pnglibconf.h.prebuilt ${CMAKE_BINARY_DIR}/third-party/libpng/pnglibconf.h COPYONLY)
add_library(vellicor_png STATIC
    ${png}/png.c ${png}/pngerror.c ${png}/pngget.c ${png}/pngmem.c ${png}/pngpread.c ${png}/pngread.c
    ${png}/pngrio.c ${png}/pngrtran.c ${png}/pngrutil.c ${png}/pngset.c ${png}/pngtrans.c
    ${png}/pngwio.c ${png}/pngwrite.c ${png}/pngwtran.c ${png}/pngwutil.c)
target_include_directories(vellicor_png SYSTEM PUBLIC ${png} ${CMAKE_BINARY_DIR}/third-party/libpng)
target_compile_options(vellicor_png PRIVATE -w)
target_link_libraries(vellicor_png PUBLIC ZLIB::ZLIB)
add_library(PNG::PNG ALIAS vellicor_png)
unset(png)

if(BUILD_TESTING)
    set(VELLICOR_GOOGLETEST_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources (Debian: googletest)")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VELLICOR_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/third-party/googletest EXCLUDE_FROM_ALL)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
endif()
