# The programs of ./zb bench: the Windows side and the server's load side.

if(WIN32)
  # The Windows side of ./zb bench: headless installs, timed runs with their peak memory.
  zb_program(zbbench DIR bench CONSOLE LAYERS zbinstall SYSTEM psapi)
  # The least any program with the setup program's manifest does before its first paint.
  zb_program(zbfloor DIR bench/floor GUI)
  target_sources(zbfloor PRIVATE bench/floor/floorwindow.rc)
  target_include_directories(zbfloor PRIVATE ${PROJECT_SOURCE_DIR}/resources)
  set_source_files_properties(bench/floor/floorwindow.rc PROPERTIES OBJECT_DEPENDS
                              ${PROJECT_SOURCE_DIR}/resources/ZembricoInstall.manifest)

  # The setup program with its analytics sent to the loopback, where ./zb bench runs a collector
  # that answers or one whose packets are dropped: the tests' port, as the two never run at once.
  zb_installer(ZembricoBench ANALYTICS_HOST 127.0.0.1:${ZB_E2E_COLLECTOR_PORT})
endif()
if(NOT WIN32)
  # The load side of the server's bench (bench/serve).
  zb_program(zbhitload DIR bench/serve CONSOLE LAYERS zbserver zbcore)
endif()
