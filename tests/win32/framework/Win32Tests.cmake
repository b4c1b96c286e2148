# The Win32 backend's tests, and the portable framework and control suites,
# cross-built and run under Wine on a virtual screen, in the prefix of the
# Windows tests.
add_executable(win32_framework_tests
  ${CMAKE_CURRENT_LIST_DIR}/WindowProcTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GdiTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/WindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/ResourcesTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/StripTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/controls/ControlBehaviourTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/common/DpiScalerTest.cpp
  $<TARGET_OBJECTS:zelqa_res_tool>)
target_include_directories(win32_framework_tests PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(win32_framework_tests PRIVATE zelqa_controls zelqa_framework GTest::gtest_main)

# Left out because Wine, not Windows, differs: Wine's MulDiv gives -1 for a
# result of INT_MIN, and Wine sends WM_MOUSELEAVE only from a timer, one
# hover time after the pointer has left, where these tests (and Windows)
# have it at once; the hover test's 20 ms margins are finer than Wine's timers.
set(_wine_differs
  MulDiv.OverflowAndZeroDenominatorGiveMinusOne
  ControlBehaviour.HoverShowsOnlyAfterThePointerRests
  ControlBehaviour.TextButtonChangesColourOnHoverAndLeaveOnly
  ControlBehaviour.HoverAndLeaveLeaveNoMarks)
list(JOIN _wine_differs ":" _wine_differs)
add_test(NAME win32_framework_tests
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh $<TARGET_FILE:win32_framework_tests>
          --gtest_filter=-${_wine_differs})
set_tests_properties(win32_framework_tests PROPERTIES TIMEOUT 600 ENVIRONMENT "${_wine_environment}"
  FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix)
