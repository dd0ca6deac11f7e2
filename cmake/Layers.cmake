# The layers of the code, each folder a library of its own. A library's
# sources see only the headers of its own folder and of the layers it uses:
# each layer's headers are reachable through a folder of the build tree that
# holds one link to the layer's source folder, and only the views of the
# layers below are on a library's include path. An upward include is then a
# compile error ("No such file or directory"), not a quiet dependency.

# The view of `name`: a build-tree folder whose only entry links to the
# source folder `name`. Its path goes to `out`.
function(tw_layer_view name out)
  set(view "${CMAKE_BINARY_DIR}/layers/${name}")
  file(MAKE_DIRECTORY "${view}")
  if(NOT EXISTS "${view}/${name}")
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${name}" "${view}/${name}" SYMBOLIC)
  endif()
  set(${out} "${view}" PARENT_SCOPE)
endfunction()

# tw_layer(NAME PORTABLE sources… WINDOWS sources… USES layers…)
# makes the library tw_NAME of the portable sources (and, in the Windows
# tree, the Windows ones) that may use the named layers and those below them.
function(tw_layer name)
  cmake_parse_arguments(LAYER "" "" "PORTABLE;WINDOWS;USES" ${ARGN})
  set(sources ${LAYER_PORTABLE})
  if(WIN32)
    list(APPEND sources ${LAYER_WINDOWS})
  endif()
  set(uses "")
  foreach(lower ${LAYER_USES})
    list(APPEND uses tw_${lower})
  endforeach()
  tw_layer_view(${name} view)
  if(sources)
    add_library(tw_${name} STATIC ${sources})
    target_include_directories(tw_${name} PUBLIC "${view}")
    target_link_libraries(tw_${name} PUBLIC ${uses} PRIVATE tw_warnings)
  else()
    add_library(tw_${name} INTERFACE)
    target_include_directories(tw_${name} INTERFACE "${view}")
    target_link_libraries(tw_${name} INTERFACE ${uses})
  endif()
  # In the native tree every portable header of the layer (any not named
  # *_win.h, outside win/) is a header set that CMake compiles alone
  # (all_verify_interface_header_sets): each one builds on Linux with only
  # what it includes itself.
  if(NOT WIN32)
    file(GLOB_RECURSE headers RELATIVE "${CMAKE_SOURCE_DIR}/${name}" CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${name}/*.h")
    list(FILTER headers EXCLUDE REGEX "(_win\\.h$|^win/)")
    list(TRANSFORM headers PREPEND "${view}/${name}/")
    if(sources)
      target_sources(tw_${name} PUBLIC FILE_SET HEADERS BASE_DIRS "${view}" FILES ${headers})
    else()
      target_sources(tw_${name} INTERFACE FILE_SET HEADERS BASE_DIRS "${view}" FILES ${headers})
    endif()
    set_target_properties(tw_${name} PROPERTIES VERIFY_INTERFACE_HEADER_SETS ON)
  endif()
  set_property(GLOBAL APPEND PROPERTY TW_LAYERS tw_${name})
endfunction()
