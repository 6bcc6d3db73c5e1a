# Third-party code of the Windows build. Debian packages none of it for mingw, so it is compiled here
# from Debian's own sources: libpng and musl's exp, pow and log from their source packages (fetched
# by scripts/fetch-windows-sources), GoogleTest from the googletest package's sources.
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

# exp, pow and log exactly as glibc computes them (vellicor/engine/platform/win/SoundMaths.cpp). glibc picks
# one of three builds of the same algorithm by processor, so the same three are built here:
#   sse2  plain, fma  with FMA and AVX2 and fused multiply-adds, fma4  the same with AMD's FMA4.
# Each build's public names get the prefix vellicor_musl_<build>_.
file(GLOB VELLICOR_MUSL_DIRS LIST_DIRECTORIES true ${VELLICOR_THIRD_PARTY_DIR}/musl-*)
list(SORT VELLICOR_MUSL_DIRS)
list(POP_BACK VELLICOR_MUSL_DIRS VELLICOR_MUSL_DIR)
if(NOT VELLICOR_MUSL_DIR OR NOT EXISTS ${VELLICOR_MUSL_DIR}/src/math/pow.c)
    message(FATAL_ERROR "musl sources not found in ${VELLICOR_THIRD_PARTY_DIR}: run scripts/fetch-windows-sources")
endif()
set(_musl_gen ${CMAKE_BINARY_DIR}/third-party/musl)
# The two musl headers that the maths sources reach for and mingw lacks.
file(WRITE ${_musl_gen}/endian.h
    "#pragma once\n#define __LITTLE_ENDIAN 1234\n#define __BIG_ENDIAN 4321\n#define __BYTE_ORDER __LITTLE_ENDIAN\n")
file(WRITE ${_musl_gen}/features.h "#pragma once\n")
set(_musl_names exp pow log __exp_data __pow_log_data __log_data
    __math_oflow __math_uflow __math_xflow __math_invalid __math_divzero)
set(_musl_sources exp pow log exp_data pow_data log_data
    __math_oflow __math_uflow __math_xflow __math_invalid __math_divzero)
list(TRANSFORM _musl_sources PREPEND ${VELLICOR_MUSL_DIR}/src/math/)
list(TRANSFORM _musl_sources APPEND .c)
set(_musl_flags_sse2 "")
set(_musl_flags_fma -mfma -mavx2 -ffp-contract=fast)
set(_musl_flags_fma4 -mfma4 -ffp-contract=fast)
set(_musl_objects "")
foreach(build sse2 fma fma4)
    set(header ${_musl_gen}/rename-${build}.h)
    set(text "#include <math.h>\n#include <stdint.h>\n#define hidden\n")
    foreach(name IN LISTS _musl_names)
        string(APPEND text "#define ${name} vellicor_musl_${build}_${name}\n")
    endforeach()
    file(WRITE ${header} "${text}")
    add_library(vellicor_musl_${build} OBJECT ${_musl_sources})
    target_include_directories(vellicor_musl_${build} SYSTEM PRIVATE
        ${_musl_gen} ${VELLICOR_MUSL_DIR}/src/internal ${VELLICOR_MUSL_DIR}/arch/generic)
    target_compile_options(vellicor_musl_${build} PRIVATE -w -include ${header} ${_musl_flags_${build}})
    list(APPEND _musl_objects $<TARGET_OBJECTS:vellicor_musl_${build}>)
endforeach()
add_library(vellicor_musl_maths STATIC ${_musl_objects})
set_target_properties(vellicor_musl_maths PROPERTIES LINKER_LANGUAGE C)

if(BUILD_TESTING)
    set(VELLICOR_GOOGLETEST_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources (Debian: googletest)")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # It names its targets GTest::gtest and GTest::gtest_main, as the Linux package does.
    add_subdirectory(${VELLICOR_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/third-party/googletest EXCLUDE_FROM_ALL)
endif()
