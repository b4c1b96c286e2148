# The shipped installer end to end under Wine, on a virtual X server of its
# own at 96 and 144 DPI, driven by pointer input and checked by pixels, files
# and the install record. The installer's vendor port is built in (47443) and
# the Linux end-to-end runs bind it too: they must not overlap.
# Label e2e: `ctest -L e2e`.
find_program(ZELQA_XVFB_COMMAND Xvfb)
find_program(ZELQA_XDOTOOL_COMMAND xdotool)
find_program(ZELQA_IMPORT_COMMAND import)
if(NOT ZELQA_XVFB_COMMAND OR NOT ZELQA_XDOTOOL_COMMAND OR NOT ZELQA_IMPORT_COMMAND)
  message(STATUS "Wine end-to-end tests left out: they need Xvfb, xdotool and ImageMagick")
  return()
endif()

foreach(_dpi 96 144)
  add_test(NAME win32.e2e.InstallAt${_dpi}Dpi
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install-e2e.sh $<TARGET_FILE:ZelqaSetup> $<TARGET_FILE:zelqa-standin>
      ${ZELQA_WIN32_VENDOR_HOST_EXE} ${CMAKE_BINARY_DIR}/test-output/e2e-wine-${_dpi} ${_dpi})
  add_test(NAME win32.e2e.CloseDuringDownloadAt${_dpi}Dpi
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/close-e2e.sh $<TARGET_FILE:ZelqaSetup> $<TARGET_FILE:zelqa-standin>
      ${ZELQA_WIN32_VENDOR_HOST_EXE} ${CMAKE_BINARY_DIR}/test-output/e2e-wine-close-${_dpi} ${_dpi})
  set_tests_properties(win32.e2e.InstallAt${_dpi}Dpi win32.e2e.CloseDuringDownloadAt${_dpi}Dpi PROPERTIES
    ENVIRONMENT "${_wine_environment}" FIXTURES_REQUIRED wine_prefix
    RESOURCE_LOCK "wine_prefix;vendor_port_47443" LABELS e2e TIMEOUT 300)
endforeach()
