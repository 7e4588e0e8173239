# Helpers shared by every folder: test suites, fuzz targets and benchmarks.

add_custom_target(orvane_concurrency_tests)
add_custom_target(orvane_fuzzers)

# orvane_use_test_pch(TARGET): with clang, a suite compiles with the test
# framework's precompiled header (tests/CMakeLists.txt). Not with GCC 12: code
# it reads back from a precompiled header loses its system-header mark, so the
# library's own false warnings inside std::string would fail the build.
function(orvane_use_test_pch name)
  if(TARGET orvane_test_pch)
    target_precompile_headers(${name} REUSE_FROM orvane_test_pch)
  endif()
endfunction()

# orvane_add_test_suite(NAME SOURCES ... LIBS ... LABELS ... [ENVIRONMENT ...])
# One GoogleTest executable registered as one ctest test. Every suite runs with
# the update-check address cleared so no test reaches the network by accident.
# A suite compiles as unity batches: each test file would otherwise parse the
# test framework and the headers under test again, the larger part of a build.
function(orvane_add_test_suite name)
  cmake_parse_arguments(S "" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${S_SOURCES})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON)
  target_link_libraries(${name} PRIVATE ${S_LIBS} orvane_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  orvane_use_test_pch(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    LABELS "${S_LABELS}"
    ENVIRONMENT "ORVANE_UPDATE_URL=;${S_ENVIRONMENT}")
  if("concurrency" IN_LIST S_LABELS)
    add_dependencies(orvane_concurrency_tests ${name})
  endif()
endfunction()

# orvane_add_fuzzer(NAME SOURCES ... LIBS ... CORPUS dir)
# With ORVANE_FUZZ a libFuzzer binary that ctest runs briefly over the corpus
# (label "fuzz"); otherwise a plain program that replays the corpus files, so
# every build checks the bad-input corpus too (label "corpus").
function(orvane_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(ORVANE_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_test(NAME ${name} COMMAND ${name} -max_total_time=15 -timeout=10 -rss_limit_mb=2048
             ${CMAKE_CURRENT_BINARY_DIR}/${name}_work ${F_CORPUS})
    set_tests_properties(${name} PROPERTIES LABELS "fuzz" ENVIRONMENT "ORVANE_UPDATE_URL=")
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${name}_work)
  else()
    add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/support/replay_main.cpp)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_test(NAME ${name} COMMAND ${name} ${F_CORPUS})
    set_tests_properties(${name} PROPERTIES LABELS "corpus" ENVIRONMENT "ORVANE_UPDATE_URL=")
  endif()
  add_dependencies(orvane_fuzzers ${name})
endfunction()

# orvane_add_benchmark(NAME SOURCES ... LIBS ...): Google Benchmark program, not a test.
function(orvane_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/component_bundle.cmake)
