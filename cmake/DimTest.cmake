# One GoogleTest program per source folder, registered with CTest.
function(dim_add_test_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE DIM_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}"
                                             DIM_TEST_OUTPUT="${CMAKE_BINARY_DIR}/test-output")
  # What the program writes into the user's data folder stays in the build
  # tree, never in the home of whoever runs the tests; tests that look at
  # that folder set one of their own.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300
                       ENVIRONMENT "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/data")
endfunction()

# A libFuzzer target; CTest runs it over its committed corpus and a bounded
# number of fresh inputs, so every crash file stays a regression test.
function(dim_add_fuzzer name)
  cmake_parse_arguments(F "" "RUNS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/work/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name}
           COMMAND ${name} -runs=${F_RUNS} -max_total_time=120 -timeout=10 -rss_limit_mb=2048 ${work} ${corpus})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/home/${name}")
endfunction()
