# Windows: system bitmaps as DIB sections, system fonts through GDI, the Wine probe through the
# registry, resources from the module's resource section.
target_sources(vellicor_drawing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PIX_SysBitmapStorage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PIX_FontLayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PIX_ResourceModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PIX_ResourceTable.cpp
)
target_link_libraries(vellicor_drawing PUBLIC gdi32 user32 advapi32)
