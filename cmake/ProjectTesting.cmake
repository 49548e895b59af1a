include(GoogleTest)

# project_test(<name> LABELS <label>... SOURCES <file>... LIBS <target>...)
# Builds one GoogleTest program and registers each of its tests with ctest under the labels.
function(project_test name)
  cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  project_warnings(${name})
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${ARG_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# project_benchmark(<name> SOURCES <file>... LIBS <target>...)
# Builds one Google Benchmark program with the allocation counter of bench/common; ctest runs it
# once, briefly, under the label "bench".
function(project_benchmark name)
  if(NOT BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} bench_support benchmark::benchmark_main)
  project_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} --benchmark_min_time=0.01)
  set_tests_properties(${name} PROPERTIES LABELS "bench")
endfunction()
