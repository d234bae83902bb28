include(${CMAKE_CURRENT_LIST_DIR}/Embed.cmake)

# brl_add_resources(<target> <resource script>)
# An object library that gives whatever links it the bitmaps and the version block that the
# script names: on Windows the compiled script itself, elsewhere a generated source that
# registers them with the headless back end.
function(brl_add_resources target script)
  get_filename_component(script "${script}" ABSOLUTE)
  if(WIN32)
    add_library(${target} OBJECT "${script}")
    get_filename_component(dir "${script}" DIRECTORY)
    target_include_directories(${target} PRIVATE "${dir}")
  else()
    brl_parse_resource_script("${script}" rc)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.cpp")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -DBRL_RESOURCE_SCRIPT=${script} -DBRL_RESOURCE_OUTPUT=${output}
        -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/Embed.cmake
      DEPENDS "${script}" ${rc_BITMAP_FILES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/Embed.cmake
      COMMENT "Compiling the resources of ${script} in"
      VERBATIM)
    add_library(${target} OBJECT "${output}")
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    # A script that names other files needs a fresh look at its dependencies.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${script}")
  endif()
endfunction()
