# torvane(1), written by hand in docs/torvane.1.in; the version and the date (the last
# commit's when the build has one, see cmake/Reproducible.cmake) are filled in here.
# scripts/test-package holds its OPTIONS and EXIT STATUS to torvane --help.
torvane_stamp_date(TORVANE_MAN_DATE "%Y-%m-%d")
set(TORVANE_MAN_PAGE ${PROJECT_BINARY_DIR}/man/torvane.1)
configure_file(${PROJECT_SOURCE_DIR}/docs/torvane.1.in ${TORVANE_MAN_PAGE} @ONLY)

add_custom_command(
  OUTPUT ${TORVANE_MAN_PAGE}.gz
  # -n: no name or time stamp in the gzip header, so the same page gives the same bytes.
  COMMAND gzip -9nkf ${TORVANE_MAN_PAGE}
  DEPENDS ${TORVANE_MAN_PAGE}
  COMMENT "Compressing the manual page torvane(1)"
  VERBATIM)
add_custom_target(torvane_manual_page ALL DEPENDS ${TORVANE_MAN_PAGE}.gz)

install(FILES ${TORVANE_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
