# Windows build: the static 32-bit GUI program, its adapter tests and end-to-end tests.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
if(MSVC)
  # One self-contained program there too: the static C++ runtime, our own manifest.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  add_compile_options(/utf-8)
  add_link_options(/MANIFEST:NO)
  set(QC_UNICODE_ENTRY "")
  set(QC_STRIP "")
else()
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(QC_UNICODE_ENTRY -municode)
  set(QC_STRIP $<$<CONFIG:Release>:-s>)  # the Release program carries no debug sections
  # A small download for deployment: optimised for size, and unreferenced code of the
  # static runtime dropped. Nothing in the program is bound by computing speed.
  string(REPLACE "-O3" "-Os" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
  add_compile_options($<$<CONFIG:Release>:-ffunction-sections> $<$<CONFIG:Release>:-fdata-sections>)
  add_link_options($<$<CONFIG:Release>:-Wl,--gc-sections>)
endif()

# What the program links: COM and WMI, the registry, windows and painting.
set(WIN_LIBS ole32 oleaut32 uuid wbemuuid advapi32 user32 gdi32 shell32 kernel32)

qc_add_core()

# Adapters and windows: everything Windows-facing except the entry point.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS
  platform/win32/*_win32.cpp app/*_win32.cpp dialogs/*_win32.cpp)
list(FILTER WIN32_SOURCES EXCLUDE REGEX "main_win32\\.cpp$")
add_library(qc_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(qc_win32 PUBLIC qc_core ${WIN_LIBS})

add_executable(QuenzorCleaner WIN32 app/main_win32.cpp resources/QuenzorCleaner.rc)
target_link_libraries(QuenzorCleaner PRIVATE qc_win32)
target_link_options(QuenzorCleaner PRIVATE ${QC_UNICODE_ENTRY} ${QC_STRIP})
set_source_files_properties(resources/QuenzorCleaner.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/QuenzorCleaner.manifest;\
${CMAKE_SOURCE_DIR}/resources/app.ico;${CMAKE_SOURCE_DIR}/resources/banner_main.bmp;\
${CMAKE_SOURCE_DIR}/resources/banner_ack.bmp")
if(NOT MSVC AND CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set_property(TARGET QuenzorCleaner APPEND PROPERTY LINK_DEPENDS
               ${CMAKE_SOURCE_DIR}/resources/xp-imports.txt)
  # The 32-bit program must start on Windows XP SP3: every function it imports has to be
  # in the allow-list of XP's system DLLs, so a new import is added there on purpose.
  add_custom_command(TARGET QuenzorCleaner POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DEXE=$<TARGET_FILE:QuenzorCleaner>
            -DALLOWED=${CMAKE_SOURCE_DIR}/resources/xp-imports.txt
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckImports.cmake
    VERBATIM)
endif()

# Test and demonstration tooling, where GoogleTest's sources are found.
add_subdirectory(tests)
