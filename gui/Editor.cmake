
# The limiter's editor: its own controls, the layout its plug-in builds, the windowless snapshot, and
# the window layer the plug-in's editor object comes from (headless, offering hosts no editor, where
# the platform has no window layer yet).
add_library(vellicor_editor STATIC
    IKnobRotVal.cpp
    IButtonGUI.cpp
    GRAPH.cpp
    VellicorEditor.cpp
    EditorSnapshot.cpp
)
target_link_libraries(vellicor_editor PUBLIC vellicor_gui vellicor_engine vellicor_flags)

# The window layer the plug-in's editor object is made with (MakePlatformGraphics): the platform's
# own for the modules, the headless one for the test binding, whose tests drive the editor directly.
add_library(vellicor_window_headless STATIC platform/headless/PlatformGraphics.cpp)
target_link_libraries(vellicor_window_headless PUBLIC vellicor_gui vellicor_flags)
if(TARGET vellicor_gui_win)
    add_library(vellicor_window STATIC platform/win/PlatformGraphics.cpp)
    target_link_libraries(vellicor_window PUBLIC vellicor_gui_win vellicor_flags)
elseif(TARGET vellicor_gui_x11)
    add_library(vellicor_window STATIC platform/x11/PlatformGraphics.cpp)
    target_link_libraries(vellicor_window PUBLIC vellicor_gui_x11 vellicor_flags)
else()
    add_library(vellicor_window ALIAS vellicor_window_headless)
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
