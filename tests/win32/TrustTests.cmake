# The installer's trust chain under Wine: where its DLLs come from, and the
# signature check of what it starts.

# The launch probe signed as the tests need it, in signed-probes/ beside the
# test programs: by the dev builds' publisher, by another publisher, under a
# root nobody trusts, and not at all.
include(${PROJECT_SOURCE_DIR}/cmake/TestCa.cmake)
zelqa_test_ca_dir(_test_ca)
find_program(ZELQA_OSSLSIGNCODE osslsigncode REQUIRED)
set(_probes ${CMAKE_BINARY_DIR}/signed-probes)
set(_probe_files)
foreach(_pair "signed.exe;codesign" "other-publisher.exe;other-publisher" "untrusted-root.exe;untrusted-codesign")
  list(GET _pair 0 _file)
  list(GET _pair 1 _cert)
  add_custom_command(OUTPUT ${_probes}/${_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_probes}
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/sign-with-test-ca.sh ${_test_ca} ${_cert}
      $<TARGET_FILE:zelqa-launch-probe> ${_probes}/${_file}
    DEPENDS zelqa-launch-probe ${PROJECT_SOURCE_DIR}/cmake/sign-with-test-ca.sh ${_test_ca}/publisher.txt
    VERBATIM)
  list(APPEND _probe_files ${_probes}/${_file})
endforeach()
add_custom_command(OUTPUT ${_probes}/unsigned.exe
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_probes}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zelqa-launch-probe> ${_probes}/unsigned.exe
  DEPENDS zelqa-launch-probe VERBATIM)
add_custom_target(zelqa-signed-probes DEPENDS ${_probe_files} ${_probes}/unsigned.exe)
add_dependencies(win32_os_tests zelqa-signed-probes)

# Planted beside the installer under system DLLs' names by trust-e2e.sh.
add_library(zelqa-marker-dll SHARED MarkerDll.cpp)
set_target_properties(zelqa-marker-dll PROPERTIES PREFIX "")

find_program(ZELQA_OBJDUMP ${ZELQA_WINDOWS_ARCH}-w64-mingw32-objdump REQUIRED)

if(ZELQA_XVFB_COMMAND AND ZELQA_XDOTOOL_COMMAND AND ZELQA_IMPORT_COMMAND)
  add_test(NAME win32.e2e.TrustChainAt96Dpi
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/trust-e2e.sh $<TARGET_FILE:ZelqaSetup> $<TARGET_FILE:zelqa-standin>
      ${ZELQA_WIN32_VENDOR_HOST_EXE} ${CMAKE_BINARY_DIR}/test-output/e2e-wine-trust 96
      $<TARGET_FILE:zelqa-marker-dll> ${ZELQA_OBJDUMP})
  set_tests_properties(win32.e2e.TrustChainAt96Dpi PROPERTIES
    ENVIRONMENT "${_wine_environment}" FIXTURES_REQUIRED wine_prefix
    RESOURCE_LOCK "wine_prefix;vendor_port_47443" LABELS e2e TIMEOUT 300)
endif()
