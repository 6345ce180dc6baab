# The packages, made by CPack from the install rules (cmake/Install.cmake): on Linux the
# Debian package torvane_<version>_amd64.deb, from the windows preset the zip
# Torvane-<version>-win64.zip. scripts/package builds both into dist/.
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Torvane developers")
set(CPACK_PACKAGE_CONTACT "The Torvane developers <torvane-developers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "invert a square matrix by Gauss-Jordan elimination, showing every pass")
set(CPACK_PACKAGE_DESCRIPTION [[
Torvane inverts a square matrix by Gauss-Jordan elimination in single
precision and shows its working: the whole augmented matrix [A | I] after
every elimination pass, then the inverse, each value to six significant
digits. A singular matrix gives a report too, with inf and nan where the
elimination divides by zero.

It can also show the working step by step: the row operations of every
pass with aligned matrices and an accuracy check in the terminal
(--explain), or the same as a web page (--html).

The matrix is given on the command line, in a file or on standard input.
Every run leaves its input and its report as mat.data and mat.result in
the current directory.]])
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Torvane-${PROJECT_VERSION}-win64)
  # The three files at the top of the zip: unpacked anywhere, the programs run there.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Torvane itself is all rights reserved (packaging/copyright), not free software.
  set(CPACK_DEBIAN_PACKAGE_SECTION non-free/math)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # dpkg-shlibdeps names the libraries the program links against, at their versions.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

include(CPack)
