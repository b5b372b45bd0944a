# Windows build: the static 32-bit GUI program, its adapter tests and end-to-end tests.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
if(MSVC)
  # One self-contained program there too: the static C++ runtime, our own manifest.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  add_compile_options(/W4 /utf-8)
  add_link_options(/MANIFEST:NO)
  set(QC_UNICODE_ENTRY "")
else()
  add_compile_options(-Wall -Wextra)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(QC_UNICODE_ENTRY -municode)
endif()

set(WIN_LIBS ole32 oleaut32 uuid wbemuuid advapi32 user32 gdi32 shell32 comctl32 kernel32)

add_library(qc_core STATIC ${CORE_SOURCES})
target_include_directories(qc_core PUBLIC ${CMAKE_SOURCE_DIR})

# Adapters and windows: everything Windows-facing except the entry point.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS
  platform/win32/*.cpp app/*_win32.cpp dialogs/*_win32.cpp files/*_win32.cpp
  processes/*_win32.cpp registry/*_win32.cpp)
list(FILTER WIN32_SOURCES EXCLUDE REGEX "main_win32\\.cpp$")
add_library(qc_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(qc_win32 PUBLIC qc_core ${WIN_LIBS})

add_executable(QuenzorCleaner WIN32 app/main_win32.cpp resources/QuenzorCleaner.rc)
target_link_libraries(QuenzorCleaner PRIVATE qc_win32)
target_link_options(QuenzorCleaner PRIVATE ${QC_UNICODE_ENTRY})
set_source_files_properties(resources/QuenzorCleaner.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/QuenzorCleaner.manifest;\
${CMAKE_SOURCE_DIR}/resources/app.ico;${CMAKE_SOURCE_DIR}/resources/banner_main.bmp;\
${CMAKE_SOURCE_DIR}/resources/banner_ack.bmp")

# Everything below is test and demonstration tooling; it needs GoogleTest's sources.
set(QC_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows tests")
if(NOT EXISTS ${QC_GTEST_DIR}/CMakeLists.txt)
  message(STATUS "No GoogleTest at ${QC_GTEST_DIR}: building the program only")
  return()
endif()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QC_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Adapter tests: the real Windows APIs, under Wine, on temporary folders and keys.
file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*_test.cpp)
if(WIN32_TEST_SOURCES)
  add_executable(win32_tests ${WIN32_TEST_SOURCES})
  target_include_directories(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(win32_tests PRIVATE qc_win32 GTest::gtest_main)
  gtest_discover_tests(win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
endif()

# A small idle program: copies of it play the product's processes in tests.
add_executable(idle WIN32 tests/e2e/idle_win32.cpp)
target_link_options(idle PRIVATE ${QC_UNICODE_ENTRY})

# Holds Wine's desktop open through a test run (scripts/test.sh).
add_executable(hold_desktop WIN32 tests/e2e/hold_desktop_win32.cpp)
target_link_options(hold_desktop PRIVATE ${QC_UNICODE_ENTRY})

# End-to-end tests drive the real .exe through its windows.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS tests/e2e/*_test.cpp tests/e2e/driver/*.cpp)
if(E2E_SOURCES)
  add_executable(e2e_tests ${E2E_SOURCES})
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR})
  # qc_core: the tests compare what the windows show with the texts the program holds.
  target_link_libraries(e2e_tests PRIVATE qc_core GTest::gtest_main ${WIN_LIBS})
  add_dependencies(e2e_tests QuenzorCleaner idle)
  gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES RUN_SERIAL TRUE TIMEOUT 180)
endif()

# The demonstration's driver: runs the cleaner silently in a prepared prefix, answers it
# and prints its results (scripts/demo.sh).
file(GLOB DEMO_DRIVER_SOURCES CONFIGURE_DEPENDS tests/e2e/driver/*.cpp)
list(FILTER DEMO_DRIVER_SOURCES EXCLUDE REGEX "_test\\.cpp$")
add_executable(qc_demo tests/e2e/demo_win32.cpp ${DEMO_DRIVER_SOURCES})
target_include_directories(qc_demo PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(qc_demo PRIVATE ${WIN_LIBS})
target_link_options(qc_demo PRIVATE ${QC_UNICODE_ENTRY})
add_dependencies(qc_demo QuenzorCleaner)

# Benchmarks under Wine (bench/run-wine-benchmarks.sh): small console programs timing the
# adapters and the whole program against Windows' own tools. Built on request only
# (target wine_benchmarks), so the ordinary build stays as fast as before.
file(GLOB WINE_BENCH_SOURCES CONFIGURE_DEPENDS bench/wine/*_win32.cpp)
if(WINE_BENCH_SOURCES)
  file(GLOB WINE_BENCH_DRIVER CONFIGURE_DEPENDS tests/e2e/driver/*.cpp)
  list(FILTER WINE_BENCH_DRIVER EXCLUDE REGEX "_test\\.cpp$")
  add_library(qc_bench_driver STATIC EXCLUDE_FROM_ALL ${WINE_BENCH_DRIVER})
  target_include_directories(qc_bench_driver PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(qc_bench_driver PUBLIC ${WIN_LIBS})
  add_custom_target(wine_benchmarks)
  foreach(src ${WINE_BENCH_SOURCES})
    get_filename_component(stem ${src} NAME_WE)
    string(REGEX REPLACE "_win32$" "" stem ${stem})
    add_executable(bench_${stem} EXCLUDE_FROM_ALL ${src})
    target_link_libraries(bench_${stem} PRIVATE qc_win32 qc_bench_driver)
    target_link_options(bench_${stem} PRIVATE ${QC_UNICODE_ENTRY})
    add_dependencies(wine_benchmarks bench_${stem})
  endforeach()
  # The yardstick of the silent run is a window program, as the cleaner is.
  set_target_properties(bench_one_box PROPERTIES WIN32_EXECUTABLE TRUE)
  add_dependencies(wine_benchmarks QuenzorCleaner)
endif()

# The end-to-end driver, the demonstration and the benchmarks call Windows functions
# newer than the program's floor; they only ever run where those exist. Compile options
# come after the definitions on the command line, so these win.
get_property(QC_TOOLS DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
list(FILTER QC_TOOLS INCLUDE REGEX "^(e2e_tests|qc_demo|qc_bench_driver|bench_.*)$")
foreach(tool ${QC_TOOLS})
  target_compile_options(${tool} PRIVATE -U_WIN32_WINNT -UWINVER -D_WIN32_WINNT=0x0601
                                         -DWINVER=0x0601)
endforeach()
