# The sample client's programs, ZembricoUpdate.exe and ZembricoUninstall.exe (Windows only).
# They carry the setup program's build options, so that they know the build's names, and the
# uninstaller the message table and the message-box pictures, for the setup program's look.

set(zb_client_generated ${CMAKE_BINARY_DIR}/client)
file(GENERATE OUTPUT ${zb_client_generated}/clientresources.rc CONTENT
"101 ICON \"${ZB_PICTURES_DIR}/icon101.ico\"
131 ZB \"${ZB_BUILD_OPTIONS_FILE}\"
")

zb_program(ZembricoUpdate DIR client/ZembricoUpdate GUI LAYERS zbclient zbcore)
zb_program(ZembricoUninstall DIR client/ZembricoUninstall GUI LAYERS zbclient mycwnd zbcore)
set(zb_client_rc_inputs ${ZB_PICTURES} ${ZB_BUILD_OPTIONS_FILE}
    ${zb_client_generated}/clientresources.rc)
foreach(program IN ITEMS ZembricoUpdate ZembricoUninstall)
  set(rc ${PROJECT_SOURCE_DIR}/client/${program}/${program}.rc)
  target_sources(${program} PRIVATE ${rc})
  target_include_directories(${program} PRIVATE ${zb_client_generated} ${ZB_PICTURES_DIR}
                                                ${CMAKE_BINARY_DIR}/resources
                                                ${PROJECT_SOURCE_DIR}/resources)
  set(inputs ${zb_client_rc_inputs} ${PROJECT_SOURCE_DIR}/resources/${program}.manifest)
  if(program STREQUAL "ZembricoUninstall")
    list(APPEND inputs ${ZB_MESSAGES_RESOURCE})
  endif()
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${inputs}")
  add_dependencies(${program} pictures)
endforeach()
# The message table has its own target here: the payload, and so packed_resources, needs the
# uninstaller.
add_custom_target(client_messages DEPENDS ${ZB_MESSAGES_RESOURCE})
add_dependencies(ZembricoUninstall client_messages)
# The uninstaller carries the list of the payload's files ("ZB"/132), the only files it may
# delete from the install folder: ZB_PAYLOAD_DIR's and the two programs.
set(zb_payload_list ${zb_client_generated}/payload.lst)
file(GLOB_RECURSE zb_payload_sources CONFIGURE_DEPENDS ${ZB_PAYLOAD_DIR}/*)
add_custom_command(OUTPUT ${zb_payload_list}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${ZB_PAYLOAD_DIR} -DLIST=${zb_payload_list}
          "-DPROGRAMS=$<TARGET_FILE_NAME:ZembricoUpdate>$<SEMICOLON>$<TARGET_FILE_NAME:ZembricoUninstall>"
          -P ${PROJECT_SOURCE_DIR}/client/payloadlist.cmake
  DEPENDS ${zb_payload_sources} ${PROJECT_SOURCE_DIR}/client/payloadlist.cmake
  COMMENT "Listing the payload's files for the uninstaller" VERBATIM)
add_custom_target(client_payload_list DEPENDS ${zb_payload_list})
add_dependencies(ZembricoUninstall client_payload_list)
set_property(SOURCE ${PROJECT_SOURCE_DIR}/client/ZembricoUninstall/ZembricoUninstall.rc APPEND
             PROPERTY OBJECT_DEPENDS ${zb_payload_list})
