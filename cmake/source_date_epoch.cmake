# Script mode: cmake -DSOURCE_DIR=... -DOUTPUT=... -P source_date_epoch.cmake
# Writes the time PortGauge.exe's PE header carries into OUTPUT: the caller's
# SOURCE_DATE_EPOCH when set, otherwise the last commit's time. OUTPUT is
# rewritten only when the time changes, so the exe is linked again exactly
# then, and two builds of one commit are byte-identical.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(epoch STREQUAL "")
    message(FATAL_ERROR "${SOURCE_DIR} is no git checkout with a commit: set SOURCE_DATE_EPOCH to the"
                        " time (seconds since 1970) for PortGauge.exe's header")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH=\"${epoch}\": a whole number of seconds since 1970 is needed")
endif()
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL epoch)
  file(WRITE "${OUTPUT}" "${epoch}")
endif()
