
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
# their resource ids (resources/ResourceIds.h).
function(vellicor_embed_artwork target)
    set(img ${PROJECT_SOURCE_DIR}/resources/img)
    vellicor_embed_resources(${target} 100=${img}/bg.png 101=${img}/knob.png 102=${img}/knob2.png
        104=${img}/reset.png 105=${img}/memory.png)
endfunction()
