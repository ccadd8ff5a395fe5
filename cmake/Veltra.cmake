# veltra_library(<name> SOURCES ... [DEPS ...]): one library per folder, headers included by folder path.
function(veltra_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# veltra_test(<name> SOURCES ... DEPS ...): a GoogleTest executable registered with CTest.
function(veltra_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VELTRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                VELTRA_RENDER_DIR="${PROJECT_BINARY_DIR}/renders")
  if(VELTRA_FUZZ)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/sanitizers/leak_suppressions.cpp)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# veltra_fuzzer(<name> SOURCES ... DEPS ...): a libFuzzer target (configure with clang and -DVELTRA_FUZZ=ON).
function(veltra_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
