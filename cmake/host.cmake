# The host build: the core on POSIX, the host tool, the tests and the benchmarks,
# and the stub through a cross-compiling external project.
option(QP_WITH_STUB "Cross-compile the stub and build what embeds or runs it" ON)
option(QP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

add_compile_options(-Wall -Wextra)
if(QP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
find_library(LIBDEFLATE_LIBRARY NAMES deflate REQUIRED)
find_library(ZOPFLI_LIBRARY NAMES zopfli REQUIRED)
find_package(benchmark QUIET)

enable_testing()

file(GLOB QP_PLATFORM_POSIX CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/posix/*.cpp)
add_library(qp_core STATIC ${QP_CORE_SOURCES} ${QP_PLATFORM_COMMON} ${QP_PLATFORM_POSIX})
target_include_directories(qp_core PUBLIC ${PROJECT_SOURCE_DIR})

if(QP_WITH_STUB)
  include(ExternalProject)
  set(QP_STUB_BINARY_DIR ${CMAKE_BINARY_DIR}/stub)
  set(QP_STUB_EXE ${QP_STUB_BINARY_DIR}/quillpack-sfx.exe)
  ExternalProject_Add(stub
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${QP_STUB_BINARY_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-i686.cmake
               -DCMAKE_BUILD_TYPE=MinSizeRel
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON
    BUILD_BYPRODUCTS ${QP_STUB_EXE})

  # The host tool carries the stub's bytes, so it runs as one file.
  set(QP_STUB_IMAGE_CPP ${CMAKE_BINARY_DIR}/generated/stub_image.cpp)
  add_custom_command(OUTPUT ${QP_STUB_IMAGE_CPP}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${QP_STUB_EXE} -DOUTPUT=${QP_STUB_IMAGE_CPP}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_stub.cmake
    DEPENDS stub ${QP_STUB_EXE} ${PROJECT_SOURCE_DIR}/cmake/embed_stub.cmake
    COMMENT "Embedding the stub")
  add_library(qp_stub_image STATIC ${QP_STUB_IMAGE_CPP})
  target_include_directories(qp_stub_image PUBLIC ${PROJECT_SOURCE_DIR})
endif()

add_subdirectory(tools/qpsfx)
add_subdirectory(tests)
add_subdirectory(bench)
