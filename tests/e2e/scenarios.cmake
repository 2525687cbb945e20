# Scenarios: GoogleTest programs on the host (tests/e2e/*_test.cpp) that build SFX
# files, run them under Wine with the driver and compare transcript and files.
# They share the one Xvfb display, so they run one at a time.
include(GoogleTest)

set(QP_E2E_WIN32_DIR ${QP_STUB_BINARY_DIR}/tests/e2e/win32)
add_library(qp_e2e_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/scenario.cpp)
# The core calls the message and prompt functions that the test support defines.
target_link_libraries(qp_e2e_support PUBLIC "$<LINK_GROUP:RESCAN,qp_test_support,qp_core>"
  GTest::gtest)
target_compile_definitions(qp_e2e_support PUBLIC
  QP_STUB_EXE="${QP_STUB_EXE}"
  QP_E2E_DRIVER="${QP_E2E_WIN32_DIR}/qpdrive.exe"
  QP_E2E_MARKER="${QP_E2E_WIN32_DIR}/qpmarker.exe"
  QP_E2E_DIR="${CMAKE_CURRENT_LIST_DIR}"
  QP_WINE_STATE="${QP_WINE_STATE}")
add_dependencies(qp_e2e_support stub)

file(GLOB e2e_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
foreach(test_source ${e2e_test_sources})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(e2e_${test_name} ${test_source})
  target_link_libraries(e2e_${test_name} PRIVATE qp_e2e_support GTest::gtest_main)
  if(TARGET qpsfx)
    add_dependencies(e2e_${test_name} qpsfx)
    target_compile_definitions(e2e_${test_name} PRIVATE QP_QPSFX="$<TARGET_FILE:qpsfx>")
  endif()
  gtest_discover_tests(e2e_${test_name} TEST_PREFIX "wine." DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES LABELS wine FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop TIMEOUT 180)
endforeach()
