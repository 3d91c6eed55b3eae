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

# The .cpp files of `dirs` (their own, not their subfolders'). A folder is built by one target
# alone: one folder, one library (or program, or test binary).
function(zb_sources out)
  set(all)
  get_property(claimed GLOBAL PROPERTY ZB_CLAIMED_DIRS)
  foreach(dir IN LISTS ARGN)
    if(dir IN_LIST claimed)
      message(FATAL_ERROR "${dir} is built by a second target: a folder belongs to one alone")
    endif()
    set_property(GLOBAL APPEND PROPERTY ZB_CLAIMED_DIRS ${dir})
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY ZB_BUILT_SOURCES ${all})
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# Makes `root` an include folder holding the headers of `dirs` (their own, not their
# subfolders') at their paths in the repository, as links. A target that gets only its own root
# and those of the layers below cannot include a header of any other folder.
function(zb_include_root root)
  file(REMOVE_RECURSE ${root})
  foreach(dir IN LISTS ARGN)
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h
         ${PROJECT_SOURCE_DIR}/${dir}/*.inc)
    file(MAKE_DIRECTORY ${root}/${dir})
    foreach(header IN LISTS headers)
      get_filename_component(leaf ${header} NAME)
      file(CREATE_LINK ${header} ${root}/${dir}/${leaf} SYMBOLIC)
    endforeach()
  endforeach()
endfunction()

# Stops the configuration unless every name in ARGN is a layer that `user` may stand on: a
# layer declared before it, and a portable one when `user` is portable.
function(zb_check_layers user portable)
  foreach(layer IN LISTS ARGN)
    if(NOT TARGET ${layer})
      message(FATAL_ERROR "${user} links ${layer}, which is not a layer declared below it")
    endif()
    get_target_property(is_layer ${layer} ZB_LAYER)
    get_target_property(is_portable ${layer} ZB_PORTABLE)
    if(NOT is_layer)
      message(FATAL_ERROR "${user} links ${layer}, which is not a layer")
    endif()
    if(portable AND NOT is_portable)
      message(FATAL_ERROR "${user} is portable and may not link the Windows-only ${layer}")
    endif()
  endforeach()
endfunction()

# zb_library(name DIRS dirs... [PORTABLE] [LAYERS layers...] [SYSTEM libraries...])
# A layer: a static library of every .cpp of `dirs`, standing on LAYERS (zb_check_layers) and
# the SYSTEM libraries (imported targets or the platform's own). It sees the headers of its
# folders and of the layers below, nothing else. PORTABLE: built natively too, no <windows.h>.
function(zb_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PORTABLE" "" "DIRS;LAYERS;SYSTEM")
  zb_check_layers(${name} "${arg_PORTABLE}" ${arg_LAYERS})
  zb_sources(srcs ${arg_DIRS})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  zb_include_root(${root} ${arg_DIRS})
  add_library(${name} STATIC ${srcs})
  set_target_properties(${name} PROPERTIES ZB_LAYER TRUE ZB_PORTABLE "${arg_PORTABLE}")
  target_include_directories(${name} PUBLIC ${root})
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  target_link_libraries(${name} PUBLIC ${arg_LAYERS} ${arg_SYSTEM})
endfunction()

# zb_program(name DIR dir CONSOLE|GUI [LAYERS layers...] [SYSTEM libraries...])
# A program from every .cpp of `dir`, seeing its own headers and those of its layers.
function(zb_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "CONSOLE;GUI" "DIR" "LAYERS;SYSTEM")
  zb_check_layers(${name} FALSE ${arg_LAYERS})
  zb_sources(srcs ${arg_DIR})
  add_executable(${name} ${srcs})
  zb_include_root(${CMAKE_BINARY_DIR}/layers/${name} ${arg_DIR})
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/layers/${name})
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  target_link_libraries(${name} PRIVATE ${arg_LAYERS} ${arg_SYSTEM})
  if(WIN32 AND arg_GUI)
    target_link_options(${name} PRIVATE -mwindows)
  endif()
endfunction()

# zb_test_suite(name DIRS dirs... LAYERS layers... [ONE_PROCESS])
# One GoogleTest binary from the .cpp files of `dirs` (not their subfolders: a test folder
# mirrors one code folder). Test helpers are included by their path under tests/. ONE_PROCESS:
# the binary runs as one test (it sets up something costly once for all its cases).
function(zb_test_suite name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "ONE_PROCESS" "" "DIRS;LAYERS")
  zb_check_layers(${name} FALSE ${arg_LAYERS})
  zb_sources(srcs ${arg_DIRS})
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${ZB_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${arg_LAYERS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ZB_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING OR arg_ONE_PROCESS)
    # One Wine process per binary: a process start under emulation costs a third of a second.
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# zb_fuzz_targets(dir LAYERS layers...)
# Every <dir>/<name>_fuzz.cpp is a libFuzzer target, and a bounded run of it is a test.
function(zb_fuzz_targets dir)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LAYERS")
  zb_check_layers(fuzz_targets FALSE ${arg_LAYERS})
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*_fuzz.cpp)
  add_custom_target(fuzz_targets)
  foreach(src IN LISTS srcs)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    add_dependencies(fuzz_targets ${name})
    target_compile_options(${name} PRIVATE ${ZB_WARNINGS} -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${arg_LAYERS})
    # libFuzzer saves new inputs into its first folder: a scratch one in the build tree, so that
    # the committed seed corpus stays as it is.
    set(scratch ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    file(MAKE_DIRECTORY ${scratch})
    # Quiet about new coverage: a failure's report is then the whole of the test's output.
    add_test(NAME ${name} COMMAND ${name} -runs=${ZB_FUZZ_RUNS} -max_total_time=60
             -rss_limit_mb=2048 -verbosity=0 -print_funcs=0
             ${scratch} ${PROJECT_SOURCE_DIR}/${dir}/corpus/${name})
    set_tests_properties(${name} PROPERTIES LABELS "fuzz;slow")
  endforeach()
endfunction()
set(ZB_FUZZ_RUNS 200000 CACHE STRING "Executions of each fuzz target in the test command")

# Stops the configuration when a .cpp under `dir` is built by no target: a test in a folder that
# no test binary reads would otherwise never run.
function(zb_require_built dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  get_property(built GLOBAL PROPERTY ZB_BUILT_SOURCES)
  list(REMOVE_ITEM sources ${built})
  # The server is built by the native tree alone, and its tests with it.
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/tests/server/")
  endif()
  if(sources)
    list(JOIN sources "\n  " sources)
    message(FATAL_ERROR "Built by no target (a folder missing from zb_test_suite?):\n  ${sources}")
  endif()
endfunction()
