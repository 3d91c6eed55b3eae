# A layer sees the headers of the layers below it and no others: with the include folders and
# definitions of a real target, `ALLOWED` must compile and `FORBIDDEN` must fail for want of
# the header.
#   cmake -DCOMPILER=c++ -DINCLUDES=dir|dir -DDEFINES=A|B=1 -DALLOWED=header
#         -DFORBIDDEN=header -DWORK=dir -P zb_includes_test.cmake

cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" includes "${INCLUDES}")
string(REPLACE "|" ";" defines "${DEFINES}")
list(TRANSFORM includes PREPEND -I)
list(TRANSFORM defines PREPEND -D)
file(MAKE_DIRECTORY ${WORK})

function(compile header out_result out_errors)
  file(WRITE ${WORK}/probe.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} -std=c++20 -fsyntax-only ${defines} ${includes}
                          ${WORK}/probe.cpp
                  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_errors} "${errors}" PARENT_SCOPE)
endfunction()

compile(${ALLOWED} result errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${ALLOWED} does not compile with the layer's include folders:\n${errors}")
endif()
compile(${FORBIDDEN} result errors)
string(REGEX MATCH "${FORBIDDEN}[^\n]*(No such file|not found)" missing "${errors}")
if(result EQUAL 0 OR NOT missing)
  message(FATAL_ERROR "${FORBIDDEN} is within the layer's reach:\n${errors}")
endif()
message(STATUS "${ALLOWED} compiles, ${FORBIDDEN} is out of reach")
