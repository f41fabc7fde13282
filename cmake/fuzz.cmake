# Fuzz targets (fuzz/): one libFuzzer program per parser of outside input,
# built natively against the simulated platform by clang (preset `fuzz`,
# which also turns on AddressSanitizer and UndefinedBehaviorSanitizer).
# Each is also a CTest test that fuzzes for VARNEL_FUZZ_TEST_SECONDS from
# a fixed seed, starting from its corpus in fuzz/corpus/<name>/; the test
# command counts it like any test program (scripts/fuzz.sh writes its report).

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VARNEL_FUZZ needs clang (libFuzzer): use the preset `fuzz`")
endif()
set(VARNEL_FUZZ_TEST_SECONDS 20 CACHE STRING "How long each fuzz target runs as a test")
set(VARNEL_FUZZ_SEED 1 CACHE STRING "The fixed seed of the fuzz targets' test runs")

enable_testing()
foreach(name settings_ini settings_encoding packed_dib)
  add_executable(${name}_fuzz fuzz/${name}_fuzz.cpp)
  target_link_libraries(${name}_fuzz PRIVATE varnel_core)
  target_include_directories(${name}_fuzz PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  add_test(NAME ${name}_fuzz COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/fuzz.sh ${VARNEL_FUZZ_TEST_SECONDS} ${name})
  set_tests_properties(${name}_fuzz PROPERTIES
    ENVIRONMENT "VARNEL_FUZZ_BIN=${CMAKE_BINARY_DIR};VARNEL_FUZZ_SEED=${VARNEL_FUZZ_SEED}")
endforeach()
