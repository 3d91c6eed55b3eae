# The server's tests (native only), registered by tests/tests.cmake.

# The store's tests start a PostgreSQL server of their own once for the whole binary, so it runs
# as one test.
zb_test_suite(server_tests DIRS tests/server LAYERS zbserver zbcore ONE_PROCESS)
target_compile_definitions(server_tests PRIVATE
                           ZB_PGSERVER_SCRIPT="${PROJECT_SOURCE_DIR}/tests/server/pgserver.py")
set_tests_properties(server_tests PROPERTIES TIMEOUT 600)

# zbserve over the loopback with real clients: the setup program's posts, refusals and floods,
# a kill -9 during ingestion, limits and SIGTERM, on SQLite and (":postgresql") PostgreSQL; and
# the dashboard in headless Chromium (screenshots in screenshots/server).
foreach(case IN ITEMS kept_alive_unread kept_alive_unread:postgresql refusals flood kill9
                      kill9:postgresql limits sigterm)
  string(REPLACE ":" "_" name ${case})
  add_test(NAME server_${name}
           COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/server/zbserve_test.py
                   --zbserve $<TARGET_FILE:zbserve> --work ${CMAKE_BINARY_DIR}/server-tests ${case})
  set_tests_properties(server_${name} PROPERTIES LABELS server TIMEOUT 300)
endforeach()
add_test(NAME server_dashboard
         COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/server/dashboard_test.py
                 --zbserve $<TARGET_FILE:zbserve> --work ${CMAKE_BINARY_DIR}/server-tests
                 --screenshots ${CMAKE_BINARY_DIR}/screenshots/server)
set_tests_properties(server_dashboard PROPERTIES LABELS server TIMEOUT 300)

# GET /download/ over the loopback, curl the client (tests/server/download_test.py).
add_test(NAME download_test
         COMMAND ${ZB_PYTHON} ${PROJECT_SOURCE_DIR}/tests/server/download_test.py
                 $<TARGET_FILE:zbserve> $<TARGET_FILE:zbtag>)
set_tests_properties(download_test PROPERTIES TIMEOUT 600)
