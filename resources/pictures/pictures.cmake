# The pictures (backgrounds, control bitmaps, icon, cursor) are drawn by a committed script into
# ${ZB_PICTURES_DIR}; ZB_PICTURES lists the files, for the resource script to embed.
set(ZB_PICTURES_DIR ${CMAKE_BINARY_DIR}/pictures)
set(zb_pictures_script ${PROJECT_SOURCE_DIR}/resources/pictures/make_pictures.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zb_pictures_script})
execute_process(COMMAND ${ZB_PYTHON} ${zb_pictures_script} --list
                OUTPUT_VARIABLE zb_picture_names OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" zb_picture_names "${zb_picture_names}")
list(TRANSFORM zb_picture_names PREPEND ${ZB_PICTURES_DIR}/ OUTPUT_VARIABLE ZB_PICTURES)
add_custom_command(OUTPUT ${ZB_PICTURES}
                   COMMAND ${ZB_PYTHON} ${zb_pictures_script} ${ZB_PICTURES_DIR}
                   DEPENDS ${zb_pictures_script}
                   COMMENT "Drawing the pictures" VERBATIM)
add_custom_target(pictures ALL DEPENDS ${ZB_PICTURES})
