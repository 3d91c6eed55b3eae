# The gallery shows every control and message-box form with the real pictures; the test
# command takes screenshots of it into ${CMAKE_BINARY_DIR}/screenshots.
zb_program(gallery DIR tests/gallery GUI LAYERS mycwnd)
target_sources(gallery PRIVATE tests/gallery/gallery.rc)
target_include_directories(gallery PRIVATE ${ZB_PICTURES_DIR} ${PROJECT_SOURCE_DIR}/resources)
set_source_files_properties(tests/gallery/gallery.rc PROPERTIES
                            OBJECT_DEPENDS "${ZB_PICTURES};${PROJECT_SOURCE_DIR}/resources/pictures.rc")
add_dependencies(gallery pictures)
add_test(NAME gallery_screenshots
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/gallery/screenshots.sh
                 $<TARGET_FILE:gallery> ${CMAKE_BINARY_DIR}/screenshots)
