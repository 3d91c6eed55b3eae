# The setup program ZembricoInstall.exe and its variants: one executable per set of build
# settings, sharing every library and differing only in what it carries.
#
#   zb_installer(NAME
#                [BUILD_OPTIONS file]       default ZB_BUILD_OPTIONS_FILE
#                [PAYLOAD_DIR dir]          default ZB_PAYLOAD_DIR
#                [MESSAGES_SOURCES files... | NO_MESSAGES]   default: the main build's table
#                [ANALYTICS_HOST host[:port]]                default ZB_ANALYTICS_HOST
#                [PRODUCT_VERSION a.b.c.d])                  default ZB_PRODUCT_VERSION
#
# makes the target NAME and bin/NAME.exe. NO_MESSAGES leaves out the message table (a setup
# program that cannot load its texts).

set(ZB_BUILD_OPTIONS_FILE ${PROJECT_SOURCE_DIR}/resources/buildoptions.ini CACHE FILEPATH
    "Build-options text of the setup program (\"ZB\"/131)")
set(ZB_PRODUCT_VERSION "1.0.0.0" CACHE STRING
    "Version of the setup program: its version resource, read back as the analytics app version")

set(zb_installer_dir ${CMAKE_CURRENT_LIST_DIR}/../installer/ZembricoInstall/program)

function(zb_installer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_MESSAGES"
                        "BUILD_OPTIONS;PAYLOAD_DIR;ANALYTICS_HOST;PRODUCT_VERSION"
                        "MESSAGES_SOURCES")
  foreach(setting IN ITEMS BUILD_OPTIONS PAYLOAD_DIR ANALYTICS_HOST PRODUCT_VERSION)
    if(NOT DEFINED arg_${setting})
      set(arg_${setting} ${ZB_${setting}})
    endif()
  endforeach()
  if(NOT DEFINED arg_BUILD_OPTIONS)
    set(arg_BUILD_OPTIONS ${ZB_BUILD_OPTIONS_FILE})
  endif()
  set(out ${CMAKE_BINARY_DIR}/installers/${name})

  # The payload and the message table: the main build's when the settings are the same.
  set(payload ${ZB_PAYLOAD_RESOURCE})
  if(NOT arg_PAYLOAD_DIR STREQUAL ZB_PAYLOAD_DIR)
    set(payload ${out}/payload.bin)
    zb_pack_payload(${payload} ${arg_PAYLOAD_DIR})
  endif()
  set(messages ${ZB_MESSAGES_RESOURCE})
  if(arg_NO_MESSAGES)
    set(messages "")
  elseif(arg_MESSAGES_SOURCES)
    set(messages ${out}/messages.bin)
    zb_compile_messages(${messages} ${arg_MESSAGES_SOURCES})
  endif()

  # The resource script names this variant's files.
  set(ZB_RC_BUILD_OPTIONS ${arg_BUILD_OPTIONS})
  set(ZB_RC_PAYLOAD ${payload})
  set(ZB_RC_MANIFEST ${PROJECT_SOURCE_DIR}/resources/ZembricoInstall.manifest)
  if(messages)
    set(ZB_RC_MESSAGES "205 ZB \"${messages}\"")
  else()
    set(ZB_RC_MESSAGES "// built without a message table")
  endif()
  string(REPLACE "." "," ZB_RC_VERSION_NUMBERS ${arg_PRODUCT_VERSION})
  set(ZB_RC_VERSION ${arg_PRODUCT_VERSION})
  configure_file(${zb_installer_dir}/ZembricoInstall.rc.in ${out}/ZembricoInstall.rc @ONLY)

  add_executable(${name} ${zb_installer_dir}/winmain.cpp ${zb_installer_dir}/analyticshost.cpp
                         ${zb_installer_dir}/terminatehandler.cpp
                         ${out}/ZembricoInstall.rc)
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  target_compile_definitions(${name} PRIVATE ZB_ANALYTICS_HOST="${arg_ANALYTICS_HOST}")
  target_include_directories(${name} PRIVATE ${ZB_PICTURES_DIR} ${PROJECT_SOURCE_DIR}/resources)
  target_link_libraries(${name} PRIVATE zbinstall)
  target_link_options(${name} PRIVATE -mwindows)
  set_source_files_properties(${out}/ZembricoInstall.rc PROPERTIES OBJECT_DEPENDS
    "${ZB_PICTURES};${PROJECT_SOURCE_DIR}/resources/pictures.rc;${arg_BUILD_OPTIONS};${payload};${messages};${ZB_RC_MANIFEST}")
  add_dependencies(${name} pictures packed_resources)
endfunction()
