# One date for everything a build stamps: the manual page's date and the PE headers' time
# stamps. scripts/package sets it from the last commit (git log -1 --format=%ct), so two
# builds of one commit give the same bytes; a build without it keeps the tools' defaults
# (the clock).
set(TORVANE_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}" CACHE STRING
  "Seconds since 1970 stamped into the programs and the manual page (empty: the build's clock)")

if(NOT TORVANE_SOURCE_DATE_EPOCH STREQUAL "" AND NOT TORVANE_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "TORVANE_SOURCE_DATE_EPOCH is '${TORVANE_SOURCE_DATE_EPOCH}', not a number of seconds")
endif()

# torvane_stamp_date(VAR FORMAT): the date in FORMAT (as string(TIMESTAMP)), in UTC.
function(torvane_stamp_date variable format)
  if(NOT TORVANE_SOURCE_DATE_EPOCH STREQUAL "")
    set(ENV{SOURCE_DATE_EPOCH} ${TORVANE_SOURCE_DATE_EPOCH})
  endif()
  string(TIMESTAMP date "${format}" UTC)
  set(${variable} ${date} PARENT_SCOPE)
endfunction()

# The linker of mingw-w64 writes SOURCE_DATE_EPOCH, where it is set, into the PE header
# instead of the clock. Setting it on the link command itself holds for every build in the
# folder, and a new date changes the command, so ninja links again.
function(torvane_stamp_links)
  if(TORVANE_SOURCE_DATE_EPOCH STREQUAL "")
    return()
  endif()
  foreach(target IN LISTS ARGN)
    set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK
      "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TORVANE_SOURCE_DATE_EPOCH}")
  endforeach()
endfunction()
