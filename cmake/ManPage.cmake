# torvane(1), made at build time by help2man from the program's own --help and --version
# and the sections in docs/torvane.h2m, so the page lists exactly the options the program
# takes. A cross build cannot run the program, so there is no page there.
if(CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(TORVANE_HELP2MAN help2man)
if(NOT TORVANE_HELP2MAN)
  message(WARNING "help2man is missing, so torvane(1) is neither built nor installed "
                  "(scripts/install-deps package installs it)")
  return()
endif()

set(torvane_man_include ${PROJECT_SOURCE_DIR}/docs/torvane.h2m)
set(TORVANE_MAN_PAGE ${PROJECT_BINARY_DIR}/man/torvane.1)
add_custom_command(
  OUTPUT ${TORVANE_MAN_PAGE} ${TORVANE_MAN_PAGE}.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
  COMMAND ${TORVANE_HELP2MAN} --no-info --section 1
          --include ${torvane_man_include} --output ${TORVANE_MAN_PAGE} $<TARGET_FILE:torvane>
  # -n: no name or time stamp in the gzip header, so the same page gives the same bytes.
  COMMAND gzip -9nkf ${TORVANE_MAN_PAGE}
  DEPENDS torvane ${torvane_man_include}
  COMMENT "Writing the manual page torvane(1) with help2man"
  VERBATIM)
add_custom_target(torvane_manual_page ALL DEPENDS ${TORVANE_MAN_PAGE}.gz)

install(FILES ${TORVANE_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
