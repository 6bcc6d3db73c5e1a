# The version lives in the identity header: VELLICOR_VERSION for project(), read before it.
set(_identity ${CMAKE_CURRENT_LIST_DIR}/plugin/VellicorIdentity.h)
file(STRINGS ${_identity} _version_line REGEX "kVersionText\\[\\] = \"[0-9]+\\.[0-9]+\\.[0-9]+\";")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" VELLICOR_VERSION "${_version_line}")
if(NOT VELLICOR_VERSION)
    message(FATAL_ERROR "${_identity}: no kVersionText of the form \"X.Y.Z\"")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_identity})
