# End-to-end tests: the setup program and variants of it (other build options, payload, no
# message table, an analytics host on the loopback, a tracking tag) run under Wine on a virtual
# display and driven through their screens by zbdriver. Screenshots go to
# ${CMAKE_BINARY_DIR}/screenshots/e2e.

set(ZB_E2E_COLLECTOR_PORT 18765 CACHE STRING
    "Loopback port of the end-to-end tests' analytics collector")

zb_program(zbdriver DIR tests/e2e/driver CONSOLE LAYERS mycwnd zbclientcore
           SYSTEM user32 shell32 oleacc ole32 oleaut32 uuid)
# The launcher of the test payload: records its start beside itself.
zb_program(zbfakelauncher DIR tests/e2e/fakelauncher GUI)

set(zb_e2e_dir ${CMAKE_BINARY_DIR}/e2e)
set(zb_e2e_payload ${zb_e2e_dir}/payload)
# Written only when they change, so that a new configure run does not repack the payload.
file(CONFIGURE OUTPUT ${zb_e2e_payload}/readme.txt CONTENT "Zembrico end-to-end test payload\r\n")
file(CONFIGURE OUTPUT ${zb_e2e_payload}/data/tables.dat CONTENT "tables\r\n")
add_custom_command(TARGET zbfakelauncher POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zbfakelauncher>
                           ${zb_e2e_payload}/ZembricoUpdate.exe VERBATIM)

# A payload of many small files, so that the installation lasts long enough to be interrupted.
set(zb_e2e_slow_payload ${zb_e2e_dir}/payload-many)
if(NOT EXISTS ${zb_e2e_slow_payload}/files/f499.txt)
  string(REPEAT "Zembrico end-to-end test file, a line of text that compresses well.\r\n" 30
         zb_e2e_text)
  foreach(index RANGE 499)
    file(WRITE ${zb_e2e_slow_payload}/files/f${index}.txt "${index}\r\n${zb_e2e_text}")
  endforeach()
endif()

# The build options with a minimum Windows version above every version Wine reports.
file(READ ${ZB_BUILD_OPTIONS_FILE} zb_e2e_options)
string(REGEX REPLACE "minOsVersion=[0-9]+" "minOsVersion=11" zb_e2e_options "${zb_e2e_options}")
string(REGEX REPLACE "minOsVersionName=[0-9]+" "minOsVersionName=11" zb_e2e_options
       "${zb_e2e_options}")
set(zb_e2e_minos_options ${zb_e2e_dir}/buildoptions-minos.ini)
set(zb_e2e_written "")
if(EXISTS ${zb_e2e_minos_options})
  file(READ ${zb_e2e_minos_options} zb_e2e_written)
endif()
if(NOT zb_e2e_written STREQUAL zb_e2e_options)
  file(WRITE ${zb_e2e_minos_options} "${zb_e2e_options}")
endif()

zb_installer(ZembricoE2E PAYLOAD_DIR ${zb_e2e_payload}
             ANALYTICS_HOST 127.0.0.1:${ZB_E2E_COLLECTOR_PORT})
add_dependencies(ZembricoE2E zbfakelauncher)
zb_installer(ZembricoE2ESlow PAYLOAD_DIR ${zb_e2e_slow_payload}
             ANALYTICS_HOST 127.0.0.1:${ZB_E2E_COLLECTOR_PORT})
zb_installer(ZembricoE2EMinOs BUILD_OPTIONS ${zb_e2e_minos_options})
zb_installer(ZembricoE2ENoMessages NO_MESSAGES)

# The prefix's font links to a CJK font of the machine, so that every language draws with real
# glyphs; once per test run, before the cases that show the wizard.
add_test(NAME e2e_font_links COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/e2e/font_links.py)
set_tests_properties(e2e_font_links PROPERTIES FIXTURES_SETUP zb_font_links TIMEOUT 120 LABELS e2e)

# Each script's cases. One wizard at a time: the cases share the display, the prefix and the
# collector's port.
function(zb_e2e_cases script)
  foreach(case IN LISTS ARGN)
    add_test(NAME e2e_${case}
             COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/e2e/${script}
                     --bin ${CMAKE_BINARY_DIR}/bin --work ${zb_e2e_dir}
                     --screenshots ${CMAKE_BINARY_DIR}/screenshots/e2e
                     --zbtag ${zb_zbtag} --port ${ZB_E2E_COLLECTOR_PORT} ${case})
    set_tests_properties(e2e_${case} PROPERTIES RESOURCE_LOCK zb_e2e_gui TIMEOUT 180 LABELS e2e
                         FIXTURES_REQUIRED zb_font_links)
  endforeach()
endfunction()

# The wizard's screens, questions and exit codes.
zb_e2e_cases(wizard_test.py standard finished_close options_quit progress_continue running_client
             min_os no_messages licence_and_space custom_folder disk_error previous_folder
             refused_folder default_build analytics_order)
# Tagged installers: sites, operators' names, a hostile tag, the lines queued before the log.
zb_e2e_cases(sites_test.py tagged_site long_queued_line hostile_tag operator_names)
# Install, launch the real client, uninstall as the system would.
zb_e2e_cases(roundtrip_test.py default_roundtrip custom_roundtrip any_script)
# The wizard with the keyboard alone (real X key presses through xdotool) and as screen readers
# read it.
zb_e2e_cases(keyboard_test.py keyboard_standard keyboard_custom keyboard_quit readers_progress)
# Screens of other sizes with a taskbar, each a display and a wineserver of its own; and the
# pixels at 96 DPI against reference pictures.
zb_e2e_cases(screens_test.py work_area same_at_96 scales click_install_at_144)
# Signed in every signature shape, then tagged, re-tagged and cleared by zbtag.
zb_e2e_cases(signed_test.py signed_tags signed_tag_site)
# What the running program trusts: its mapped image, not the file at its path.
zb_e2e_cases(image_test.py swapped_exe)
# A network that drops the collector's packets.
zb_e2e_cases(network_test.py collector_reachable_midway collector_unreachable)
# Downloaded from zbserve (the native tree's, beside zbtag), tagged at request time.
zb_e2e_cases(served_test.py served_tag_site)
# The install funnel: downloaded from zbserve, installed and launched, its hits received by
# zbserve and read on its dashboard in headless Chromium.
zb_e2e_cases(funnel_test.py funnel)
# The cases that take minutes carry the label slow too (`ctest -LE slow` leaves them out).
# Four Wine sessions of their own start there, which takes minutes where Wine runs emulated.
set_tests_properties(e2e_work_area PROPERTIES TIMEOUT 900 LABELS "e2e;slow")
# Nine runs of the wizard: three signature shapes, each tagged, re-tagged and cleared.
set_tests_properties(e2e_signed_tags PROPERTIES TIMEOUT 600 LABELS "e2e;slow")
# Twenty Wine sessions: five DPI steps on four screens.
set_tests_properties(e2e_scales PROPERTIES TIMEOUT 2400 LABELS "e2e;slow")
# A signed download, an installation and launch under Wine, and a browser on the dashboard.
set_tests_properties(e2e_funnel PROPERTIES TIMEOUT 400)

# The options screen in other languages, standard and custom view, in
# ${CMAKE_BINARY_DIR}/screenshots/languages: to check by eye that each text fits its control.
add_test(NAME e2e_language_screenshots
         COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/e2e/language_screenshots.py
                 --bin ${CMAKE_BINARY_DIR}/bin --work ${zb_e2e_dir}
                 --screenshots ${CMAKE_BINARY_DIR}/screenshots/languages
                 --messages ${PROJECT_SOURCE_DIR}/resources/messages)
set_tests_properties(e2e_language_screenshots PROPERTIES
                     RESOURCE_LOCK zb_e2e_gui TIMEOUT 180 LABELS e2e
                     FIXTURES_REQUIRED zb_font_links)
