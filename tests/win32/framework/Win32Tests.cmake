# The Win32 backend's tests, and the portable framework, control and
# installer-window suites with their goldens and geometry, cross-built and run
# under Wine on a virtual screen, in the prefix of the Windows tests.
add_executable(win32_framework_tests
  ${CMAKE_CURRENT_LIST_DIR}/WindowProcTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GdiTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/WindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/ResourcesTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/StripTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/controls/ControlBehaviourTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/controls/RepeatedRedrawTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/common/DpiScalerTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/framework/WelcomeWindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/wizard/WizardTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/controls/ControlSheetTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/GoldenImage.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/GoldenPng_gdiplus.cpp
  $<TARGET_OBJECTS:zelqa_res_tool>)
target_include_directories(win32_framework_tests PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(win32_framework_tests PRIVATE zelqa_wizard zelqa_controls zelqa_framework GTest::gtest_main
  gdiplus)
# The goldens are Windows' own (tests/golden/win32/, chosen by the golden
# helper); the program reaches them, and leaves what failed, through Wine's
# drive Z:, the host's root.
target_compile_definitions(win32_framework_tests PRIVATE
  ZELQA_GOLDEN_DIR="Z:${PROJECT_SOURCE_DIR}/tests/golden"
  ZELQA_TEST_OUTPUT_DIR="Z:${CMAKE_BINARY_DIR}/test-output")

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

# The cases at 144 DPI once more on a screen that really is at 144 DPI (Wine
# takes it from the prefix when the program starts; run-under-wine.sh sets it
# for the run and puts 96 back). They must match the same goldens as when only
# the program's own DPI query says 144: nothing else, no system metric, font
# size in points or dialog unit, may scale what the installer draws.
add_test(NAME win32_framework_tests_144dpi
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh $<TARGET_FILE:win32_framework_tests>
          --gtest_filter=Dpis/*/144:Win32Backend.TheScreen*)
set_tests_properties(win32_framework_tests_144dpi PROPERTIES TIMEOUT 300
  ENVIRONMENT "${_wine_environment};ZELQA_WINE_DPI=144" FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix)
