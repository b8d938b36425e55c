# Checks the include table of docs/architecture.md: reads every #include "…"
# of the project's .h/.cpp files and fails, naming file and include, when one
# crosses a layer it may not.
#   cmake -DROOT=<source dir> -P tests/layers/check_layers.cmake
#
#   data/, lunar library -> only themselves (the month sheet is classed with
#                           the lunar library)
#   ui/                  -> ui/, data/
#   page folders         -> ui/, data/, the lunar library, their own folder
#   app/ tools/ bench/ tests/ main.cpp -> anything
# A folder with code that is not in the table fails too, so the table stays whole.

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source dir> -P check_layers.cmake")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)

set(PAGE_DIRS ledger accounts loans budget reports settings calendar import recurring)
set(FREE_DIRS app tools bench tests)

# The layer of a path relative to ROOT: "lunar library", "main.cpp" or its
# top folder ("data/", "ledger/", …).
function(layer_of path out)
  if(path MATCHES "^calendar/(LunarCalc|ChnCal|MonthSheet)\\.(h|cpp)$")
    set(${out} "lunar library" PARENT_SCOPE)
  elseif(NOT path MATCHES "/")
    set(${out} "${path}" PARENT_SCOPE)
  else()
    string(REGEX REPLACE "/.*" "/" top "${path}")
    set(${out} "${top}" PARENT_SCOPE)
  endif()
endfunction()

function(allowed from to out)
  string(REGEX REPLACE "/$" "" dir "${from}")
  set(ok FALSE)
  if(from STREQUAL to OR dir IN_LIST FREE_DIRS OR from STREQUAL "main.cpp")
    set(ok TRUE)
  elseif(from STREQUAL "ui/" AND to STREQUAL "data/")
    set(ok TRUE)
  elseif(dir IN_LIST PAGE_DIRS AND to MATCHES "^(ui/|data/|lunar library)$")
    set(ok TRUE)
  endif()
  set(${out} ${ok} PARENT_SCOPE)
endfunction()

function(known layer out)
  string(REGEX REPLACE "/$" "" dir "${layer}")
  if(dir IN_LIST PAGE_DIRS OR dir IN_LIST FREE_DIRS OR layer MATCHES "^(data/|ui/|lunar library|main.cpp)$")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Every source file outside build folders (those holding a CMakeCache.txt)
# and hidden folders.
file(GLOB tops RELATIVE "${ROOT}" "${ROOT}/*")
set(files)
foreach(top ${tops})
  if(top MATCHES "^\\." OR EXISTS "${ROOT}/${top}/CMakeCache.txt")
    continue()
  endif()
  if(IS_DIRECTORY "${ROOT}/${top}")
    file(GLOB_RECURSE found RELATIVE "${ROOT}" "${ROOT}/${top}/*.h" "${ROOT}/${top}/*.cpp")
    list(APPEND files ${found})
  elseif(top MATCHES "\\.(h|cpp)$")
    list(APPEND files ${top})
  endif()
endforeach()
list(SORT files)

set(broken)
foreach(file ${files})
  layer_of("${file}" from)
  known("${from}" ok)
  if(NOT ok)
    list(APPEND broken "${file}: folder ${from} is not in the layer table")
    continue()
  endif()
  get_filename_component(dir "${file}" DIRECTORY)
  file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" inc "${line}")
    # Beside the including file first (as the compiler looks), else from the root.
    if(dir AND EXISTS "${ROOT}/${dir}/${inc}")
      get_filename_component(abs "${ROOT}/${dir}/${inc}" ABSOLUTE)
      file(RELATIVE_PATH target "${ROOT}" "${abs}")
    elseif(EXISTS "${ROOT}/${inc}" OR inc MATCHES "/")
      set(target "${inc}")
    else()
      continue()  # generated beside the file (moc output)
    endif()
    layer_of("${target}" to)
    allowed("${from}" "${to}" ok)
    if(NOT ok)
      list(APPEND broken "${file}: #include \"${inc}\" (${from} may not include ${to})")
    endif()
  endforeach()
endforeach()

list(LENGTH files count)
list(LENGTH broken n)
if(n GREATER 0)
  list(JOIN broken "\n  " text)
  message(FATAL_ERROR "${n} include(s) break the layer table of docs/architecture.md "
                      "(${count} files read):\n  ${text}")
endif()
message(STATUS "layers: ${count} files follow the include table")
