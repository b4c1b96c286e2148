# Delay-loaded system DLLs for the Windows builds.
#
# A DLL in a program's import table is looked up by the loader before any of
# the program's code runs, starting in the program's own folder; unless it is
# a KnownDLL, a file of that name beside the program (in a Downloads folder,
# say) is loaded instead. So only KnownDLLs are imported the ordinary way, and
# every other system DLL comes from a delay-import library: it is loaded on
# the first call into it, by the hook in framework/win32/SystemDlls_win32.cpp,
# from System32 only.
#
# zelqa_delay_import(VAR name...) sets VAR to the delay-import libraries of
# the named DLLs (urlmon for urlmon.dll), made at configure time from
# mingw-w64's own import libraries: every function those export, none of their
# data (data can't be reached through a load-on-first-call thunk).
#
# On x86_64 the thunk dlltool makes keeps the integer argument registers but
# not xmm0 to xmm3: the first call of a function taking floating-point
# arguments there would get them clobbered. The shipped 32-bit program passes
# everything on the stack; none of the functions called today takes floats.
include_guard(GLOBAL)

find_program(ZELQA_DLLTOOL ${ZELQA_WINDOWS_ARCH}-w64-mingw32-dlltool REQUIRED)
find_program(ZELQA_NM ${ZELQA_WINDOWS_ARCH}-w64-mingw32-nm REQUIRED)

function(zelqa_delay_import out_var)
  set(_libs)
  set(_dir ${CMAKE_BINARY_DIR}/delay-load)
  file(MAKE_DIRECTORY ${_dir})
  foreach(_name IN LISTS ARGN)
    find_library(_import_lib_${_name} NAMES ${_name} REQUIRED NO_CACHE)
    set(_import_lib ${_import_lib_${_name}})
    set(_def ${_dir}/${_name}.def)
    set(_lib ${_dir}/lib${_name}-delay.a)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_import_lib})
    if(NOT EXISTS ${_lib} OR ${_import_lib} IS_NEWER_THAN ${_lib})
      execute_process(COMMAND ${ZELQA_NM} -g --defined-only ${_import_lib}
        OUTPUT_VARIABLE _symbols RESULT_VARIABLE _result)
      if(NOT _result EQUAL 0)
        message(FATAL_ERROR "cannot list ${_import_lib}")
      endif()
      # A function has its import slot (I __imp_X) and a thunk (T X); on
      # i686 both carry the C underscore and stdcall's @N.
      if(ZELQA_WINDOWS_ARCH STREQUAL "i686")
        set(_prefix "_")
      else()
        set(_prefix "")
      endif()
      string(REGEX MATCHALL "[0-9a-fA-F]+ T ${_prefix}[A-Za-z_][A-Za-z0-9_@]*" _thunks "${_symbols}")
      set(_exports)
      foreach(_thunk IN LISTS _thunks)
        string(REGEX REPLACE "^[0-9a-fA-F]+ T ${_prefix}" "" _function "${_thunk}")
        if(_symbols MATCHES "I __imp_${_prefix}${_function}\n")
          list(APPEND _exports "${_function}")
        endif()
      endforeach()
      list(REMOVE_DUPLICATES _exports)
      if(NOT _exports)
        message(FATAL_ERROR "${_import_lib} lists no functions")
      endif()
      list(JOIN _exports "\n" _export_lines)
      file(WRITE ${_def} "LIBRARY ${_name}.dll\nEXPORTS\n${_export_lines}\n")
      # --kill-at: the name looked up in the DLL is the function's, without @N.
      execute_process(COMMAND ${ZELQA_DLLTOOL} --kill-at --input-def ${_def} --dllname ${_name}.dll
          --output-delaylib ${_lib}
        RESULT_VARIABLE _result ERROR_VARIABLE _error)
      if(NOT _result EQUAL 0)
        message(FATAL_ERROR "dlltool could not make ${_lib}: ${_error}")
      endif()
    endif()
    list(APPEND _libs ${_lib})
  endforeach()
  set(${out_var} ${_libs} PARENT_SCOPE)
endfunction()
