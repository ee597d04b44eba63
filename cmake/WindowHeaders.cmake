# qv_window_headers(<target> MODULE <module> FILES <window yaml files...>)
#
# Generates <build>/generated/<module>/windows/<Window>.h from each window
# definition, holding a qv::rt::ControlId per named control in namespace
# qv::<module>::ctl::<Window>, and gives <target> (and whatever links it)
# <build>/generated as include folder: #include "<module>/windows/<Window>.h".
# Editing a YAML regenerates its header; what includes it recompiles when the
# header's text changes.
function(qv_window_headers target)
  cmake_parse_arguments(ARG "" "MODULE" "FILES" ${ARGN})
  if(NOT ARG_MODULE MATCHES "^[a-z_][a-z0-9_]*$")
    message(FATAL_ERROR "qv_window_headers: MODULE must be a lower-case C++ name, not '${ARG_MODULE}'")
  endif()
  set(root ${CMAKE_BINARY_DIR}/generated)
  set(headers "")
  foreach(yaml IN LISTS ARG_FILES)
    get_filename_component(yaml ${yaml} ABSOLUTE)
    get_filename_component(window ${yaml} NAME_WLE)
    set(header ${root}/${ARG_MODULE}/windows/${window}.h)
    file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${yaml})
    add_custom_command(
      OUTPUT ${header}
      COMMAND qv_windowgen ${ARG_MODULE} ${yaml} ${header} ${shown}
      DEPENDS ${yaml} qv_windowgen
      COMMENT "Generating ${ARG_MODULE}/windows/${window}.h"
      VERBATIM)
    list(APPEND headers ${header})
  endforeach()
  target_sources(${target} PRIVATE ${headers})
  target_include_directories(${target} PUBLIC ${root})
endfunction()
