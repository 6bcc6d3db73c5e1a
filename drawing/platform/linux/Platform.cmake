# Linux: system bitmaps in plain memory, system fonts through FreeType and fontconfig, resources from
# the module's own table.
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
target_sources(vellicor_drawing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PIX_SysBitmapStorage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PIX_FontLayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PIX_ResourceModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PIX_ResourceTable.cpp
)
target_link_libraries(vellicor_drawing PRIVATE PkgConfig::FREETYPE PkgConfig::FONTCONFIG)
