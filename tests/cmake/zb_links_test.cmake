# The layer helpers of cmake/zb.cmake refuse a link that does not point down: each case
# configures a tiny project of three layers and one wrong or right link and checks the outcome.
#   cmake -DSOURCE=repository -DCOMPILER=c++ -DWORK=dir -P zb_links_test.cmake

cmake_minimum_required(VERSION 3.25)

set(cases
    # name | layer table | expected configure error (empty: configures)
    "down|zb_library(upper DIRS upper PORTABLE LAYERS lower)|"
    "portable_on_windows|zb_library(upper DIRS upper PORTABLE LAYERS win)|upper is portable and may not link the Windows-only win"
    "upward|zb_library(upper DIRS upper PORTABLE LAYERS lower top)|upper links top, which is not a layer declared below it"
    "no_target|zb_library(upper DIRS upper PORTABLE LAYERS lower lzma)|upper links lzma, which is not a layer declared below it"
    "not_a_layer|add_library(plain STATIC lower/lower.cpp)\nzb_library(upper DIRS upper LAYERS plain)|upper links plain, which is not a layer"
    "two_owners|zb_library(upper DIRS upper lower PORTABLE LAYERS lower)|lower is built by a second target")

foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 table)
  list(GET fields 2 expected)
  set(project ${WORK}/${name})
  file(REMOVE_RECURSE ${project})
  foreach(dir IN ITEMS lower win upper top)
    file(WRITE ${project}/${dir}/${dir}.h "#pragma once\n")
    file(WRITE ${project}/${dir}/${dir}.cpp "#include \"${dir}/${dir}.h\"\n")
  endforeach()
  file(WRITE ${project}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(probe LANGUAGES CXX)
include(${SOURCE}/cmake/zb.cmake)
zb_library(lower DIRS lower PORTABLE)
zb_library(win DIRS win LAYERS lower)
${table}
zb_library(top DIRS top LAYERS upper)
")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${project} -B ${project}/build
                          -DCMAKE_CXX_COMPILER=${COMPILER}
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  string(REGEX REPLACE "[ \n]+" " " errors "${errors}")
  if(expected STREQUAL "")
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${name}: a downward link was refused: ${errors}")
    endif()
  elseif(result EQUAL 0)
    message(FATAL_ERROR "${name}: configured although it should fail with: ${expected}")
  elseif(NOT errors MATCHES "${expected}")
    message(FATAL_ERROR "${name}: failed otherwise than with \"${expected}\": ${errors}")
  endif()
  message(STATUS "${name}: as expected")
endforeach()
