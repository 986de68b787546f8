# Draws the folder-to-folder include graph of the sources and checks that
# every folder includes only folders of the layers below its own:
#
#   cmake -P cmake/include_layers.cmake
#
# prints each folder, by layer from the top, with the folders it includes,
# and fails naming every include that reaches up or sideways, every
# portable file outside the platform shims that includes windows.h, and any
# difference between the layers below and those the README's layout
# section lists. ctest runs it as the test include_layers.

cmake_minimum_required(VERSION 3.20)

if(NOT ROOT)
  get_filename_component(ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

# From the bottom up. Layers 0 to 3 are the portable core; cli/ and the
# folders of the window program stand on it, win/ and res/ below the rest of
# the window code.
set(layers
  "src"
  "expr"
  "plot"
  "analysis decide descriptor document"
  "res win"
  "cli imm prefs ui update"
  "app")
# What the tests and benchmarks of the portable core may include: the core.
set(core_top 3)
set(core_users bench tests/fuzz tests/unit)
# The portable core's platform shims: the only files of it that include
# windows.h (the Windows half of the file calls, and the services that hold
# both sides under #ifdef _WIN32).
set(platform_shims
  src/utf16_text.cpp
  src/zr_buffer_memory.cpp
  src/zr_file_calls_windows.cpp)

set(problems "")
set(layer_of_names "")
set(index 0)
foreach(layer IN LISTS layers)
  string(REPLACE " " ";" folders "${layer}")
  foreach(folder IN LISTS folders)
    set(layer_${folder} ${index})
    list(APPEND folder_names ${folder})
  endforeach()
  math(EXPR index "${index} + 1")
endforeach()

# The project folders a folder's sources include, sorted; an include whose
# first part is no project folder is one of the folder's own ("raster/...").
function(included_folders folder out)
  file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  set(found "")
  foreach(source IN LISTS sources)
    file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_0-9]+)/")
        set(target ${CMAKE_MATCH_1})
        if(target STREQUAL "tests" OR target STREQUAL "bench")
          continue()
        endif()
        if(DEFINED layer_${target} AND NOT target STREQUAL folder)
          list(APPEND found ${target})
          set_property(GLOBAL APPEND PROPERTY include_sites_${folder}_${target} ${source})
        endif()
      elseif(line MATCHES "<windows\\.h>" AND DEFINED layer_${folder})
        if(layer_${folder} LESS_EQUAL core_top AND NOT source IN_LIST platform_shims)
          set_property(GLOBAL APPEND PROPERTY windows_sites ${source})
        endif()
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES found)
  list(SORT found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Prints a folder and what it includes; records each include above `limit`.
function(draw folder label limit)
  included_folders(${folder} targets)
  string(JOIN " " shown ${targets})
  if(shown STREQUAL "")
    set(shown "-")
  endif()
  string(LENGTH "${folder}/" length)
  math(EXPR pad "12 - ${length}")
  if(pad LESS 1)
    set(pad 1)
  endif()
  string(REPEAT " " ${pad} spaces)
  message("${label}${folder}/${spaces}${shown}")
  foreach(target IN LISTS targets)
    if(layer_${target} GREATER limit)
      get_property(sites GLOBAL PROPERTY include_sites_${folder}_${target})
      list(JOIN sites ", " sites)
      if(DEFINED layer_${folder})
        set(where "layer ${layer_${folder}}")
      else()
        set(where "a test of the core")
      endif()
      set_property(GLOBAL APPEND PROPERTY problems
        "${folder}/ (${where}) includes ${target}/ (layer ${layer_${target}}): ${sites}")
    endif()
  endforeach()
endfunction()

message("Each folder and the folders it includes, by layer from the top:")
list(LENGTH layers count)
math(EXPR top "${count} - 1")
foreach(index RANGE ${top} 0 -1)
  list(GET layers ${index} layer)
  string(REPLACE " " ";" folders "${layer}")
  set(label "${index}  ")
  foreach(folder IN LISTS folders)
    if(EXISTS ${ROOT}/${folder})
      math(EXPR limit "${index} - 1")
      draw(${folder} "${label}" ${limit})
      string(REGEX REPLACE "." " " label "${label}")
    endif()
  endforeach()
endforeach()
message("The tests and benchmarks of the portable core (layers 0 to ${core_top} only):")
foreach(folder IN LISTS core_users)
  draw(${folder} "   " ${core_top})
endforeach()

# The README's layout section lists the layers as "  N  folder/ folder/...".
file(READ ${ROOT}/README.md readme)
set(listed "")
foreach(index RANGE ${top})
  list(GET layers ${index} layer)
  string(REPLACE " " "/ " folders "${layer}/")
  if(NOT readme MATCHES "\n  ${index}  ${folders}\n")
    set_property(GLOBAL APPEND PROPERTY problems
      "README.md does not list layer ${index} as \"  ${index}  ${folders}\"")
  endif()
endforeach()

# Every folder of sources has its layer.
file(GLOB entries RELATIVE ${ROOT} ${ROOT}/*)
foreach(entry IN LISTS entries)
  if(NOT IS_DIRECTORY ${ROOT}/${entry} OR entry MATCHES "^(build|tests|bench)$" OR
     DEFINED layer_${entry})
    continue()
  endif()
  file(GLOB_RECURSE sources ${ROOT}/${entry}/*.h ${ROOT}/${entry}/*.cpp)
  if(sources)
    set_property(GLOBAL APPEND PROPERTY problems "${entry}/ holds sources but has no layer")
  endif()
endforeach()

get_property(windows_sites GLOBAL PROPERTY windows_sites)
foreach(site IN LISTS windows_sites)
  set_property(GLOBAL APPEND PROPERTY problems
    "${site} includes windows.h but is no platform shim of the portable core")
endforeach()

get_property(problems GLOBAL PROPERTY problems)
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "The layers do not hold:\n  ${text}")
endif()
message("Every folder includes only the layers below it.")
