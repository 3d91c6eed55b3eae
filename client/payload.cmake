# The Windows build's default payload: ZB_PAYLOAD_DIR with the sample client's programs added
# (stagepayload.cmake), staged in ${CMAKE_BINARY_DIR}/payload and packed.
zb_pack_payload(${ZB_PAYLOAD_RESOURCE} ${CMAKE_BINARY_DIR}/payload SOURCE ${ZB_PAYLOAD_DIR}
  STAGE COMMAND ${CMAKE_COMMAND} -DSOURCE=${ZB_PAYLOAD_DIR} -DTARGET=${CMAKE_BINARY_DIR}/payload
                "-DPROGRAMS=$<TARGET_FILE:ZembricoUpdate>$<SEMICOLON>$<TARGET_FILE:ZembricoUninstall>"
                -P ${PROJECT_SOURCE_DIR}/client/stagepayload.cmake
  DEPENDS ZembricoUpdate ZembricoUninstall ${PROJECT_SOURCE_DIR}/client/stagepayload.cmake)
