# Fails when a file under src/ includes a header of a layer above its own.
#   cmake -DSOURCE_DIR=<src> -DSTAMP=<file> -P CheckLayers.cmake
# Layers, lowest first: platform, base, framework, document, search, views, app, cli.
# A ui/ folder sits above its own layer and above the ui/ folders of lower layers, and
# sees no engine folder above its own; nothing outside ui/ sees a ui/ folder; only
# main.cpp sees everything.
set(_order platform base framework document search views app cli)

# Sets <out_rank> to the layer's place and <out_ui> to whether the path is a ui/ part;
# rank -1 for a path outside the layers (main.cpp).
function(_layer_of path out_rank out_ui)
  string(REGEX MATCH "^([a-z]+)/(ui/)?" _m "${path}")
  set(_ui OFF)
  if(CMAKE_MATCH_2)
    set(_ui ON)
  endif()
  list(FIND _order "${CMAKE_MATCH_1}" _rank)
  if(NOT _m OR CMAKE_MATCH_1 STREQUAL "platform")
    set(_ui OFF)
  endif()
  set(${out_rank} ${_rank} PARENT_SCOPE)
  set(${out_ui} ${_ui} PARENT_SCOPE)
endfunction()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE _files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h"
     "${SOURCE_DIR}/*.inc")
set(_faults "")
foreach(_file IN LISTS _files)
  _layer_of("${_file}" _rank _ui)
  if(_rank EQUAL -1)
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(_line IN LISTS _includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" _inc "${_line}")
    _layer_of("${_inc}" _incRank _incUi)
    if(_incRank EQUAL -1)
      continue() # the same folder, a system or a generated header outside the layers
    endif()
    if(_incRank GREATER _rank OR (_incUi AND NOT _ui))
      string(APPEND _faults "  src/${_file}: #include \"${_inc}\"\n")
    endif()
  endforeach()
endforeach()
if(_faults)
  message(FATAL_ERROR "Includes that run up the layers:\n${_faults}")
endif()
file(TOUCH "${STAMP}")
