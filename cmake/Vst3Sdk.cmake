# The VST3 SDK as Debian ships it (juce-modules-source-data), wrapped once:
#   vellicor_vst3_iids  the interface identifiers only (host side: tools, tests, benchmarks)
#   vellicor_vst3_base  the implementation classes the plug-in's binding builds on
# Third-party sources build without our warnings and are included as SYSTEM headers.
set(VELLICOR_VST3_SDK_DIR /usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK
    CACHE PATH "Root of the VST3 SDK (pluginterfaces/, base/, public.sdk/)")
foreach(probe pluginterfaces/base/funknown.h base/source/fobject.cpp public.sdk/source/vst/vstinitiids.cpp)
    if(NOT EXISTS ${VELLICOR_VST3_SDK_DIR}/${probe})
        message(FATAL_ERROR "VST3 SDK not found: ${VELLICOR_VST3_SDK_DIR}/${probe} is missing. "
            "Install the Debian package juce-modules-source-data (scripts/install-deps does), "
            "or point VELLICOR_VST3_SDK_DIR at an SDK root.")
    endif()
endforeach()

set(_sdk ${VELLICOR_VST3_SDK_DIR})
set(_iid_sources
    ${_sdk}/pluginterfaces/base/funknown.cpp
    ${_sdk}/pluginterfaces/base/coreiids.cpp
    ${_sdk}/public.sdk/source/vst/vstinitiids.cpp)
set(_base_sources
    ${_sdk}/pluginterfaces/base/ustring.cpp
    ${_sdk}/pluginterfaces/base/conststringtable.cpp
    ${_sdk}/base/source/baseiids.cpp
    ${_sdk}/base/source/fobject.cpp
    ${_sdk}/base/source/fstring.cpp
    ${_sdk}/base/source/fdebug.cpp
    ${_sdk}/base/source/fbuffer.cpp
    ${_sdk}/base/source/updatehandler.cpp
    ${_sdk}/base/thread/source/flock.cpp
    ${_sdk}/public.sdk/source/common/pluginview.cpp
    ${_sdk}/public.sdk/source/common/memorystream.cpp
    ${_sdk}/public.sdk/source/vst/vstcomponentbase.cpp
    ${_sdk}/public.sdk/source/vst/vsteditcontroller.cpp
    ${_sdk}/public.sdk/source/vst/vstbus.cpp
    ${_sdk}/public.sdk/source/vst/vstparameters.cpp)
set_source_files_properties(${_iid_sources} ${_base_sources} DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES COMPILE_OPTIONS -w)

# The Debian SDK lacks the view interface IDs; ours define them (vst3/PlugViewIids.cpp), built
# with our warnings.
add_library(vellicor_vst3_iids STATIC ${_iid_sources} ${PROJECT_SOURCE_DIR}/vst3/PlugViewIids.cpp)
# RELEASE keeps the SDK's debug traces and asserts out of every build type.
target_compile_definitions(vellicor_vst3_iids PUBLIC RELEASE=1)
target_include_directories(vellicor_vst3_iids SYSTEM PUBLIC ${_sdk})
target_link_libraries(vellicor_vst3_iids PRIVATE vellicor_flags)

add_library(vellicor_vst3_base STATIC ${_base_sources})
find_package(Threads REQUIRED)
target_link_libraries(vellicor_vst3_base PUBLIC vellicor_vst3_iids Threads::Threads)
