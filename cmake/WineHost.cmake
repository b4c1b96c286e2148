# Whether this machine's Wine runs this Windows build, and with which
# commands: scripts/lib/wine-host.sh decides, for CMake and the scripts alike.
# Sets ZELQA_WINE_RUNS (ON/OFF), ZELQA_WINE, ZELQA_WINESERVER and
# ZELQA_WINE_WHY. Asked afresh at every configure: the answer belongs to the
# machine, not to the build folder.
execute_process(
  COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/lib/wine-host.sh ${ZELQA_WINDOWS_ARCH}
  OUTPUT_VARIABLE _wine_host
  RESULT_VARIABLE _wine_host_status)
if(NOT _wine_host_status EQUAL 0)
  message(FATAL_ERROR "scripts/lib/wine-host.sh failed: ${_wine_host}")
endif()
string(REGEX REPLACE "\n$" "" _wine_host "${_wine_host}")
string(REPLACE "\n" ";" _wine_host "${_wine_host}")
foreach(_line IN LISTS _wine_host)
  string(REGEX MATCH "^([A-Z_0-9]+)=(.*)$" _ "${_line}")
  set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
if(ZELQA_WINE_RUNS STREQUAL "1")
  set(ZELQA_WINE_RUNS ON)
else()
  set(ZELQA_WINE_RUNS OFF)
endif()
