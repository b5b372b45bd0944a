# Native build: the portable core and its unit tests under AddressSanitizer and UBSan.
option(QC_SANITIZE "Build with AddressSanitizer and UBSan" ON)
if(QC_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

qc_add_core()
qc_add_googletest()
if(NOT QC_HAVE_GTEST)
  message(FATAL_ERROR "The unit tests need GoogleTest's sources (-DQC_GTEST_DIR=...)")
endif()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*_test.cpp tests/fakes/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE qc_core GTest::gtest_main GTest::gmock)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(agent_search_bench bench/agent_search_bench.cpp)
  target_link_libraries(agent_search_bench PRIVATE qc_core benchmark::benchmark)
endif()

# Fuzz targets (tests/fuzz/*_fuzz.cpp), each a test that replays its committed corpus
# (tests/fuzz/corpus/<target>) under the sanitizers. Where the compiler has libFuzzer
# (clang) the test is libFuzzer's own bounded run from that corpus, with the core compiled
# into the target so that libFuzzer sees its coverage; elsewhere a small driver replays
# the corpus and then a bounded run of seeded random changes to it.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
if(FUZZ_SOURCES AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
  check_cxx_source_compiles(
    "extern \"C\" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }"
    QC_HAVE_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
else()
  set(QC_HAVE_LIBFUZZER OFF)
endif()
foreach(src ${FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(QC_HAVE_LIBFUZZER)
    add_executable(${name} ${src} ${CORE_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # libFuzzer adds what it finds to the first folder: one in the build tree, never the
    # committed corpus.
    set(found ${CMAKE_BINARY_DIR}/fuzz-found/${name})
    file(MAKE_DIRECTORY ${found})
    add_test(NAME ${name} COMMAND ${name} -seed=1 -runs=20000 -max_len=4096 ${found} ${corpus})
  else()
    add_executable(${name} ${src} tests/fuzz/ReplayMain.cpp)
    target_link_libraries(${name} PRIVATE qc_core)
    add_test(NAME ${name} COMMAND ${name} ${corpus})
  endif()
endforeach()
