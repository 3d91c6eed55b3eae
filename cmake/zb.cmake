# Helpers that keep the top-level CMakeLists a table of layers.

set(ZB_WARNINGS -Wall -Wextra -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports std::string concatenation at -O2 as an overlapping memcpy (GCC bug 105329),
  # and std::string and std::optional members inlined at -O2 as maybe uninitialized (bug 105562).
  list(APPEND ZB_WARNINGS -Wno-restrict -Wno-maybe-uninitialized)
endif()

# __FILE__ as a path inside the repository ("plib/pbase64.cpp"), so that assertion messages
# read the same in every build tree and on every machine.
add_compile_options(-fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=)

function(zb_sources out)
  set(all)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# A static library from every .cpp of the given folders; a folder with no sources yet gives none.
function(zb_library name dirs)
  zb_sources(srcs ${dirs})
  if(NOT srcs)
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  zb_link_existing(${name} PUBLIC ${ARGN})
endfunction()

# Links only the targets that exist, so that a layer can be built before the next one has code.
function(zb_link_existing name scope)
  foreach(lib IN LISTS ARGN)
    if(TARGET ${lib} OR lib MATCHES "::")
      target_link_libraries(${name} ${scope} ${lib})
    endif()
  endforeach()
endfunction()

# zb_program(name dir CONSOLE|GUI libs...)
function(zb_program name dir kind)
  zb_sources(srcs ${dir})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  zb_link_existing(${name} PRIVATE ${ARGN})
  if(WIN32 AND kind STREQUAL "GUI")
    target_link_options(${name} PRIVATE -mwindows)
  endif()
endfunction()

# One GoogleTest binary from the *_test.cpp files of the given folders.
function(zb_test_suite name dirs)
  set(srcs)
  foreach(dir IN LISTS dirs)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND srcs ${found})
  endforeach()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  zb_link_existing(${name} PRIVATE ${ARGN})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ZB_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING)
    # One Wine process per binary: a process start under emulation costs a third of a second.
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Every fuzz/<name>_fuzz.cpp is a libFuzzer target, and a bounded run of it is a test.
function(zb_fuzz_targets dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*_fuzz.cpp)
  add_custom_target(fuzz_targets)
  foreach(src IN LISTS srcs)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    add_dependencies(fuzz_targets ${name})
    target_compile_options(${name} PRIVATE ${ZB_WARNINGS} -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    zb_link_existing(${name} PRIVATE ${ARGN})
    # libFuzzer saves new inputs into its first folder: a scratch one in the build tree, so that
    # the committed seed corpus stays as it is.
    set(scratch ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    file(MAKE_DIRECTORY ${scratch})
    add_test(NAME ${name} COMMAND ${name} -runs=${ZB_FUZZ_RUNS} -max_total_time=60
             -rss_limit_mb=2048 ${scratch} ${PROJECT_SOURCE_DIR}/${dir}/corpus/${name})
    set_tests_properties(${name} PROPERTIES LABELS fuzz)
  endforeach()
endfunction()
set(ZB_FUZZ_RUNS 200000 CACHE STRING "Executions of each fuzz target in the test command")
