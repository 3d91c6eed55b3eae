# Every test but the server's own (tests/server/server.cmake) is registered here; slow ones
# carry the label slow, so that `ctest -LE slow` is the quick run.

# Portable unit tests: the same sources run natively and, in the win32 build, under Wine.
zb_test_suite(portable_tests
              DIRS tests/plib tests/protocols tests/installer/core tests/client/core tests/crypto
                   tests/tools/core
              LAYERS plib protocols zbcore zbclientcore zbcrypto zbtoolscore)
# The JPEG tests decode the generated backgrounds as well.
add_dependencies(portable_tests pictures)
target_compile_definitions(portable_tests PRIVATE ZB_PICTURES_DIR="${ZB_PICTURES_DIR}")

if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME messages_check COMMAND ${zb_zbmsgc} --check ${zb_messages_sources})
endif()
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME pictures_test
           COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/resources/pictures/make_pictures_test.py)
endif()
# zbtag on PE files signed with throw-away certificates, every signature shape: natively, and
# the Windows zbtag under Wine; skipped without openssl or osslsigncode.
add_test(NAME zbtag_signing_test
         COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/tools/zbtag/signing_test.py
                 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:zbtag>)
set_tests_properties(zbtag_signing_test PROPERTIES SKIP_RETURN_CODE 77)

if(WIN32)
  # What the loader sees of the shipped programs: imports and manifests, and the mitigation flags.
  set(zb_shipped $<TARGET_FILE:ZembricoInstall> $<TARGET_FILE:ZembricoUninstall>
                 $<TARGET_FILE:ZembricoUpdate>)
  add_test(NAME pe_imports COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/cmake/pe_check.py
                                   imports ${zb_shipped})
  add_test(NAME pe_flags COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/cmake/pe_check.py
                                 flags --objdump ${CMAKE_OBJDUMP} ${zb_shipped})

  zb_test_suite(windows_tests
                DIRS tests/plib/win tests/plib/winseam tests/installer/MyCWnd tests/installer/ZembricoInstall
                     tests/installer/ZembricoInstall/faults tests/client
                LAYERS plibwin zbcore zbinstall mycwnd zbclientcore zbtoolscore)
  # The tests read the controls as screen readers do.
  target_link_libraries(windows_tests PRIVATE oleacc)
  target_sources(windows_tests PRIVATE installer/ZembricoInstall/program/analyticshost.cpp
                                       tests/installer/MyCWnd/testresources.rc)
  target_compile_definitions(windows_tests PRIVATE ZB_ANALYTICS_HOST="${ZB_ANALYTICS_HOST}"
                                                   ZB_DEFAULT_PAYLOAD="${ZB_PAYLOAD_RESOURCE}")
  # A zone away from UTC, with a half-hour offset and daylight time for half the year, so that
  # the time-zone checks can tell a right offset from none on a machine set to UTC.
  set_tests_properties(windows_tests PROPERTIES ENVIRONMENT "TZ=Australia/Adelaide")
  target_include_directories(windows_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/data
                                                   ${ZB_PICTURES_DIR} ${PROJECT_SOURCE_DIR}/resources)
  set_source_files_properties(tests/installer/MyCWnd/testresources.rc PROPERTIES OBJECT_DEPENDS
    "${PROJECT_SOURCE_DIR}/tests/data/notajpeg.jpg;${ZB_PICTURES};${PROJECT_SOURCE_DIR}/resources/pictures.rc")
  # The round trip (install, launch, uninstall) runs the programs as the payload carries them;
  # the legacy-removal tests run fakeuninstaller as an old edition's uninstaller, and the
  # runtime-handler tests run zbruntimefailure to fail in each way the runtimes report, and the
  # launch tests start zbfakelauncher (tests/e2e) as the launcher.
  zb_program(fakeuninstaller DIR tests/fakeuninstaller CONSOLE)
  zb_program(zbruntimefailure DIR tests/runtimefailure CONSOLE LAYERS zbcore)
  add_dependencies(windows_tests pictures packed_resources fakeuninstaller zbruntimefailure
                   zbfakelauncher)
  # Installations onto a small, a full and a read-only drive: the script mounts them (as root)
  # and maps them to drive letters of the prefix; it reports a skip where it cannot mount.
  add_test(NAME fault_drives
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/installer/ZembricoInstall/faults/drives.sh
                   $<TARGET_FILE:windows_tests>)
  set_tests_properties(fault_drives PROPERTIES SKIP_RETURN_CODE 77)

  # End-to-end tests of the setup program and variants of it, under Wine on a virtual display.
  include(tests/e2e/e2e.cmake)
  # Damaged resources and a registry failure, each in a variant of the end-to-end installer
  # made at test time, driven through the wizard.
  add_test(NAME fault_resources
           COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/installer/ZembricoInstall/faults/e2e_faults.py
                   --bin ${CMAKE_BINARY_DIR}/bin --work ${CMAKE_BINARY_DIR}/e2e
                   --screenshots ${CMAKE_BINARY_DIR}/screenshots/faults
                   --zbtag ${zb_zbtag} --port ${ZB_E2E_COLLECTOR_PORT}
                   truncated_payload corrupt_payload_stream escaping_payload_name
                   malformed_message_line build_options_without_equals registry_error
                   trailer_out_of_range)
  set_tests_properties(fault_resources PROPERTIES RESOURCE_LOCK zb_e2e_gui TIMEOUT 300
                                                  LABELS e2e)
  include(tests/gallery/gallery.cmake)
endif()

# The layers hold: a link that does not point down stops the configuration, and a layer's
# include folders reach no header above or beside it.
if(WIN32)
  foreach(probe IN ITEMS
          "mycwnd|plib/winseam/unique.h|installer/ZembricoInstall/startup.h"
          "zbcore|installer/core/payloadarchive.h|plib/win/pfile.h"
          "zbtoolscore|tools/core/payloadwriter.h|installer/ZembricoInstall/startup.h"
          "plib|plib/pstring.h|protocols/inixor.h"
          "zbclient|plib/win/prunningclient.h|installer/ZembricoInstall/installlog.h")
    string(REPLACE "|" ";" probe "${probe}")
    list(GET probe 0 layer)
    list(GET probe 1 allowed)
    list(GET probe 2 forbidden)
    add_test(NAME layer_includes_${layer}
             COMMAND ${CMAKE_COMMAND} -DCOMPILER=${CMAKE_CXX_COMPILER}
                     "-DINCLUDES=$<JOIN:$<TARGET_PROPERTY:${layer},INCLUDE_DIRECTORIES>,|>"
                     "-DDEFINES=$<JOIN:$<TARGET_PROPERTY:${layer},COMPILE_DEFINITIONS>,|>"
                     -DALLOWED=${allowed} -DFORBIDDEN=${forbidden}
                     -DWORK=${CMAKE_BINARY_DIR}/layer-probes/${layer}
                     -P ${PROJECT_SOURCE_DIR}/tests/cmake/zb_includes_test.cmake)
  endforeach()
else()
  add_test(NAME layer_links
           COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}
                   -DCOMPILER=${CMAKE_CXX_COMPILER} -DWORK=${CMAKE_BINARY_DIR}/layer-probes
                   -P ${PROJECT_SOURCE_DIR}/tests/cmake/zb_links_test.cmake)
endif()


if(NOT WIN32)
  include(tests/server/server.cmake)
endif()

if(WIN32)
  # The Windows build builds every test; the native one the portable tests alone.
  zb_require_built(tests)
endif()
