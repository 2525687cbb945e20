# inflate-bench: our decoder beside zlib and libdeflate, on the same streams.
add_executable(inflate-bench ${CMAKE_CURRENT_SOURCE_DIR}/inflate_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/unit/support/test_ui.cpp)
target_link_libraries(inflate-bench PRIVATE qp_core ZLIB::ZLIB ${LIBDEFLATE_LIBRARY})
