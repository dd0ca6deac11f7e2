# The layers of the code, each folder a library of its own. A library's
# sources see only the headers of its own folder and of the layers it uses:
# each layer's headers are reachable through a folder of the build tree that
# holds one link to the layer's source folder, and only the views of the
# layers below are on a library's include path. An upward include is then a
# compile error ("No such file or directory"), not a quiet dependency.

# The view of `name`: a build-tree folder whose only entry links to the
# source folder `name`. Its path goes to `out`. A room of a layer is named
# by its path (ui/drawing): its view holds that room's folder alone, so a
# room reaches its layer's other rooms only through the ones it uses.
function(tw_layer_view name out)
  set(view "${CMAKE_BINARY_DIR}/layers/${name}")
  get_filename_component(parent "${view}/${name}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  if(NOT EXISTS "${view}/${name}")
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${name}" "${view}/${name}" SYMBOLIC)
  endif()
  set(${out} "${view}" PARENT_SCOPE)
endfunction()

# The library of layer or room `name`: tw_ui_drawing for ui/drawing.
function(tw_layer_target name out)
  string(REPLACE "/" "_" target "tw_${name}")
  set(${out} "${target}" PARENT_SCOPE)
endfunction()

# tw_layer(NAME PORTABLE sources… WINDOWS sources… USES layers…)
# makes the library tw_NAME of the portable sources (and, in the Windows
# tree, the Windows ones) that may use the named layers and those below them.
# NAME and the layers used may be rooms (ui/controls → tw_ui_controls).
function(tw_layer name)
  cmake_parse_arguments(LAYER "" "" "PORTABLE;WINDOWS;USES" ${ARGN})
  set(sources ${LAYER_PORTABLE})
  if(WIN32)
    list(APPEND sources ${LAYER_WINDOWS})
  endif()
  set(uses "")
  foreach(lower ${LAYER_USES})
    tw_layer_target(${lower} used)
    list(APPEND uses ${used})
  endforeach()
  tw_layer_target(${name} lib)
  tw_layer_view(${name} view)
  if(sources)
    add_library(${lib} STATIC ${sources})
    target_include_directories(${lib} PUBLIC "${view}")
    target_link_libraries(${lib} PUBLIC ${uses} PRIVATE tw_warnings)
  else()
    add_library(${lib} INTERFACE)
    target_include_directories(${lib} INTERFACE "${view}")
    target_link_libraries(${lib} INTERFACE ${uses})
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
      target_sources(${lib} PUBLIC FILE_SET HEADERS BASE_DIRS "${view}" FILES ${headers})
    else()
      target_sources(${lib} INTERFACE FILE_SET HEADERS BASE_DIRS "${view}" FILES ${headers})
    endif()
    set_target_properties(${lib} PROPERTIES VERIFY_INTERFACE_HEADER_SETS ON)
  endif()
  set_property(GLOBAL APPEND PROPERTY TW_LAYERS ${lib})
endfunction()

# tw_layer_rooms(NAME rooms…): the layer NAME made of rooms, bottom to top,
# each the folder NAME/room with a tw_layer of its own. tw_NAME gathers them
# for the layers above, which use NAME as one layer.
function(tw_layer_rooms name)
  set(libs "")
  foreach(room ${ARGN})
    add_subdirectory(${room})
    tw_layer_target(${name}/${room} lib)
    list(APPEND libs ${lib})
  endforeach()
  add_library(tw_${name} INTERFACE)
  target_link_libraries(tw_${name} INTERFACE ${libs})
endfunction()
