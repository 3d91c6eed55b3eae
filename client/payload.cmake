# The Windows build's default payload: ZB_PAYLOAD_DIR with the sample client's programs and the
# payload list added (stagepayload.cmake), staged in ${CMAKE_BINARY_DIR}/payload and packed.
# The list's name is the uninstaller's kPayloadListName (client/core/uninstallplan.h).
zb_pack_payload(${ZB_PAYLOAD_RESOURCE} ${CMAKE_BINARY_DIR}/payload SOURCE ${ZB_PAYLOAD_DIR}
  STAGE COMMAND ${CMAKE_COMMAND} -DSOURCE=${ZB_PAYLOAD_DIR} -DTARGET=${CMAKE_BINARY_DIR}/payload
                "-DPROGRAMS=$<TARGET_FILE:ZembricoUpdate>$<SEMICOLON>$<TARGET_FILE:ZembricoUninstall>"
                -DLIST=payload.lst -P ${PROJECT_SOURCE_DIR}/client/stagepayload.cmake
  DEPENDS ZembricoUpdate ZembricoUninstall ${PROJECT_SOURCE_DIR}/client/stagepayload.cmake)
