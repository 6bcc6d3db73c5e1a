
# The limiter's editor: its own controls, the layout its plug-in builds, the windowless snapshot, and
# the window layer the plug-in's editor object comes from (headless, offering hosts no editor, where
# the platform has no window layer yet).
if(TARGET vellicor_gui_x11)
    set(VELLICOR_EDITOR_WINDOW_LAYER platform/x11/PlatformGraphics.cpp)
else()
    set(VELLICOR_EDITOR_WINDOW_LAYER platform/headless/PlatformGraphics.cpp)
endif()
add_library(vellicor_editor STATIC
    IKnobRotVal.cpp
    IButtonGUI.cpp
    GRAPH.cpp
    VellicorEditor.cpp
    EditorSnapshot.cpp
    ${VELLICOR_EDITOR_WINDOW_LAYER}
)
target_link_libraries(vellicor_editor PUBLIC vellicor_gui vellicor_engine vellicor_flags)
if(TARGET vellicor_gui_x11)
    target_link_libraries(vellicor_editor PUBLIC vellicor_gui_x11)
endif()

# vellicor_embed_artwork(<target>): the editor's pictures, compiled into a module or executable under
# their resource ids. resources/ResourceIds.h is the one list: each id's line names its picture.
function(vellicor_embed_artwork target)
    file(STRINGS ${PROJECT_SOURCE_DIR}/resources/ResourceIds.h lines REGEX "^#define IDB_")
    set(pairs "")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^#define IDB_[A-Z_]+ ([0-9]+) +/\\* (img/[^ ]+\\.png)")
            message(FATAL_ERROR "resources/ResourceIds.h: no picture named in '${line}'")
        endif()
        list(APPEND pairs "${CMAKE_MATCH_1}=${PROJECT_SOURCE_DIR}/resources/${CMAKE_MATCH_2}")
    endforeach()
    vellicor_embed_resources(${target} ${pairs})
endfunction()
