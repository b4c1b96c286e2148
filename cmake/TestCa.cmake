# The local test CA (tools/vendor-host/make-test-ca.sh): the folder of the
# build's extra CA file in dev-type builds, else one of this build, so that
# the tests can run in any build, trusting the CA explicitly.
include_guard(GLOBAL)

# zelqa_test_ca_dir(VAR): VAR is the folder, made or completed now if needed
# (the script returns at once when everything is there).
function(zelqa_test_ca_dir out_var)
  if(NOT ZELQA_EXTRA_CA_FILE STREQUAL "")
    get_filename_component(_dir "${ZELQA_EXTRA_CA_FILE}" DIRECTORY)
    get_filename_component(_name "${ZELQA_EXTRA_CA_FILE}" NAME)
    if(NOT _name STREQUAL "ca.pem")
      message(WARNING "ZELQA_EXTRA_CA_FILE is not named ca.pem; the local test CA is made as ${_dir}/ca.pem")
    endif()
  else()
    set(_dir "${CMAKE_BINARY_DIR}/test-ca")
  endif()
  find_program(OPENSSL_COMMAND openssl REQUIRED)
  execute_process(
    COMMAND sh "${PROJECT_SOURCE_DIR}/tools/vendor-host/make-test-ca.sh" "${_dir}" "${ZELQA_VENDOR_PUBLISHER}"
    RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "make-test-ca.sh failed (${_result})")
  endif()
  set(${out_var} "${_dir}" PARENT_SCOPE)
endfunction()

# zelqa_sign_with_test_ca(TARGET): the build signs the Windows program TARGET
# for the dev builds' publisher, as the vendor signs what it ships.
function(zelqa_sign_with_test_ca target)
  find_program(ZELQA_OSSLSIGNCODE osslsigncode REQUIRED)
  zelqa_test_ca_dir(_dir)
  # A new test CA (another publisher, say) relinks and so re-signs it.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${_dir}/codesign.pem)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/sign-with-test-ca.sh ${_dir} codesign
      $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
