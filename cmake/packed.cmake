# The payload archive ("ZB"/130) and the message table ("ZB"/205), made at build time by the
# host tools zbpack and zbmsgc. A cross build cannot run its own tools: it takes them, and
# zbtag for the tests, from a native build (./zb build builds that first), ZB_HOST_TOOLS_DIR.

set(ZB_PAYLOAD_DIR ${PROJECT_SOURCE_DIR}/resources/payload CACHE PATH
    "Folder whose files the setup program installs")
set(ZB_MESSAGES_SOURCE "" CACHE STRING
    "Message-table sources, a list compiled in its order (UTF-8, the table's line format); empty: every resources/messages/*.txt, en.txt first")
# Trees configured when the source was the one English file move on to every language.
get_property(zb_messages_type CACHE ZB_MESSAGES_SOURCE PROPERTY TYPE)
if(zb_messages_type STREQUAL "FILEPATH"
   AND ZB_MESSAGES_SOURCE STREQUAL "${PROJECT_SOURCE_DIR}/resources/messages/en.txt")
  set_property(CACHE ZB_MESSAGES_SOURCE PROPERTY TYPE STRING)
  set_property(CACHE ZB_MESSAGES_SOURCE PROPERTY VALUE "")
endif()
if(ZB_MESSAGES_SOURCE)
  set(zb_messages_sources ${ZB_MESSAGES_SOURCE})
else()
  file(GLOB zb_messages_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/messages/*.txt)
  list(SORT zb_messages_sources)
  list(REMOVE_ITEM zb_messages_sources ${PROJECT_SOURCE_DIR}/resources/messages/en.txt)
  list(PREPEND zb_messages_sources ${PROJECT_SOURCE_DIR}/resources/messages/en.txt)
endif()
set(ZB_HOST_TOOLS_DIR ${PROJECT_SOURCE_DIR}/build/native/bin CACHE PATH
    "Where a cross build finds the native zbpack, zbmsgc and zbtag")
set(ZB_PAYLOAD_RESOURCE ${CMAKE_BINARY_DIR}/resources/payload.bin)
set(ZB_MESSAGES_RESOURCE ${CMAKE_BINARY_DIR}/resources/messages.bin)

foreach(tool IN ITEMS zbpack zbmsgc zbtag)
  if(CMAKE_CROSSCOMPILING)
    find_program(zb_${tool} ${tool} HINTS ${ZB_HOST_TOOLS_DIR} NO_DEFAULT_PATH NO_CACHE)
    if(NOT zb_${tool})
      message(FATAL_ERROR "${tool} is not in ZB_HOST_TOOLS_DIR (${ZB_HOST_TOOLS_DIR}): "
                          "build the native tree first (./zb build does)")
    endif()
  else()
    set(zb_${tool} $<TARGET_FILE:${tool}>)
  endif()
endforeach()

# zb_pack_payload(out dir [SOURCE folder STAGE commands... DEPENDS files-or-targets...])
# Packs `dir` into the payload archive `out`. With STAGE, the commands make `dir` from SOURCE
# first, and the packing follows SOURCE's files and the DEPENDS.
function(zb_pack_payload out dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "SOURCE" "STAGE;DEPENDS")
  if(NOT arg_SOURCE)
    set(arg_SOURCE ${dir})
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${arg_SOURCE}/*)
  get_filename_component(out_dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
                     ${arg_STAGE}
                     COMMAND ${zb_zbpack} ${dir} ${out}
                     DEPENDS ${zb_zbpack} ${files} ${arg_DEPENDS}
                     COMMENT "Packing the payload from ${arg_SOURCE}" VERBATIM)
endfunction()

# Compiles the message-table sources (in their order) into `out`.
function(zb_compile_messages out)
  get_filename_component(out_dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
                     COMMAND ${zb_zbmsgc} ${ARGN} ${out}
                     DEPENDS ${zb_zbmsgc} ${ARGN}
                     COMMENT "Compiling the message table ${out}" VERBATIM)
endfunction()
