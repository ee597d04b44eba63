# qv_embed_resources(<target> MODULE <name> FUNCTION <cxx-function> BASE <dir> FILES <files...>)
#
# Compiles the files into <target> as byte arrays and defines
#   std::span<const qv::rt::EmbeddedFile> <cxx-function>();
# which lists them by their path relative to BASE. The program hands that list
# to the resource store under MODULE at start-up.
function(qv_embed_resources target)
  cmake_parse_arguments(ARG "" "MODULE;FUNCTION;BASE" "FILES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${ARG_FUNCTION}_resources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DFUNCTION=${ARG_FUNCTION} -DBASE=${ARG_BASE}
            "-DFILES=${ARG_FILES}" -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResourcesScript.cmake
    DEPENDS ${ARG_FILES} ${CMAKE_SOURCE_DIR}/cmake/EmbedResourcesScript.cmake
    COMMENT "Embedding resources for ${ARG_MODULE}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
