# The Windows build's default payload is ZB_PAYLOAD_DIR with the sample client's programs and
# the payload list added (stagepayload.cmake). Sets, for the payload's packing command:
# zb_payload_packed (the folder packed), zb_payload_stage (commands run first) and
# zb_payload_stage_depends.
set(zb_payload_packed ${CMAKE_BINARY_DIR}/payload)
# The list's name is the uninstaller's kPayloadListName (installer/core/uninstallplan.h).
set(zb_payload_stage
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${ZB_PAYLOAD_DIR} -DTARGET=${zb_payload_packed}
            "-DPROGRAMS=$<TARGET_FILE:ZembricoUpdate>$<SEMICOLON>$<TARGET_FILE:ZembricoUninstall>"
            -DLIST=payload.lst -P ${PROJECT_SOURCE_DIR}/client/stagepayload.cmake)
set(zb_payload_stage_depends ZembricoUpdate ZembricoUninstall
    ${PROJECT_SOURCE_DIR}/client/stagepayload.cmake)
