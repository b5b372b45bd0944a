# Native build: the portable core and its unit tests under AddressSanitizer and UBSan.
option(QC_SANITIZE "Build with AddressSanitizer and UBSan" ON)
if(QC_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(qc_core STATIC ${CORE_SOURCES})
target_include_directories(qc_core PUBLIC ${CMAKE_SOURCE_DIR})

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*_test.cpp tests/fakes/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE qc_core GTest::gtest_main GTest::gmock)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS bench/*_bench.cpp)
find_package(benchmark QUIET)
if(benchmark_FOUND AND BENCH_SOURCES)
  foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE qc_core benchmark::benchmark)
  endforeach()
endif()
