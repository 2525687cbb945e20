# The stub: a 32-bit Windows GUI program without C runtime, padded to exactly
# the size at which the configuration block and the archive are appended.
enable_language(RC)

set(QP_STUB_SIZE 31744)

file(GLOB QP_STUB_ONLY CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/startup/*_win32.cpp
  ${PROJECT_SOURCE_DIR}/archive/*_win32.cpp
  ${PROJECT_SOURCE_DIR}/ui/*.cpp
  ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp)
file(GLOB QP_STUB_RESOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.rc)

set(QP_STUB_COMPILE_OPTIONS
  -Os -Wall -Wextra -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
  -fno-threadsafe-statics -fno-stack-protector -ffunction-sections -fdata-sections
  -fno-ident -fno-builtin)

add_executable(quillpack-sfx-image WIN32 ${QP_CORE_SOURCES} ${QP_PLATFORM_COMMON} ${QP_STUB_ONLY}
  ${QP_STUB_RESOURCES})
target_include_directories(quillpack-sfx-image PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(quillpack-sfx-image PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${QP_STUB_COMPILE_OPTIONS}>)
target_compile_definitions(quillpack-sfx-image PRIVATE WIN32_LEAN_AND_MEAN QP_STUB=1)
# The routines the compiler may call itself must not be recognised as loops of themselves.
set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/win32/runtime_win32.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-tree-loop-distribute-patterns")
set_target_properties(quillpack-sfx-image PROPERTIES OUTPUT_NAME quillpack-sfx-unpadded SUFFIX .exe)
target_link_options(quillpack-sfx-image PRIVATE
  -nostdlib -nostartfiles -Wl,-e,_StubEntry -Wl,--gc-sections -s -Wl,--no-insert-timestamp)
target_link_libraries(quillpack-sfx-image PRIVATE kernel32 user32 shell32 gcc)

set(QP_STUB_EXE ${CMAKE_BINARY_DIR}/quillpack-sfx.exe)
add_custom_command(OUTPUT ${QP_STUB_EXE}
  COMMAND ${CMAKE_COMMAND} -DINPUT=$<TARGET_FILE:quillpack-sfx-image> -DOUTPUT=${QP_STUB_EXE}
          -DSIZE=${QP_STUB_SIZE} -P ${PROJECT_SOURCE_DIR}/cmake/pad_stub.cmake
  DEPENDS quillpack-sfx-image ${PROJECT_SOURCE_DIR}/cmake/pad_stub.cmake
  COMMENT "Padding the stub to ${QP_STUB_SIZE} bytes")
add_custom_target(quillpack-sfx ALL DEPENDS ${QP_STUB_EXE})

# Windows programs of the end-to-end tests (the Wine driver and its helpers).
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/e2e/win32/CMakeLists.txt)
  add_subdirectory(tests/e2e/win32)
endif()
