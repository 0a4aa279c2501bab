# What the programs under test write into the user's folders (the data
# folder, the settings, the documents folder and the projects' folder made
# in it) stays in the build tree, never in the home of whoever runs the
# tests: the home, the settings and the documents folder are the tree's.
# Tests that look at those folders set ones of their own.
function(dim_test_environment out home)
  file(MAKE_DIRECTORY ${home}/home ${home}/config ${home}/documents)
  set(${out}
      "HOME=${home}/home;XDG_DATA_HOME=${home}/data;XDG_CONFIG_HOME=${home}/config;XDG_DOCUMENTS_DIR=${home}/documents"
      PARENT_SCOPE)
endfunction()

# One GoogleTest program per source folder, registered with CTest.
function(dim_add_test_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE DIM_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}"
                                             DIM_TEST_OUTPUT="${CMAKE_BINARY_DIR}/test-output")
  # The program runs, for its listing as for its tests, through env with
  # the folders: the discovered tests' properties would take one variable.
  dim_test_environment(environment ${CMAKE_BINARY_DIR}/test-home)
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "env;${environment}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
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
  dim_test_environment(environment ${CMAKE_CURRENT_BINARY_DIR}/home/${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
endfunction()
