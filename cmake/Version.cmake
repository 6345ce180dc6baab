# The version is set once, in project(VERSION), and reaches the programs through a
# generated header: torvane --version, Torvane.exe's version block and credit line, the
# Debian package and the zip's name all follow it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/torvane_version.hpp.in
  ${PROJECT_BINARY_DIR}/generated/torvane_version.hpp @ONLY)

add_library(torvane_version INTERFACE)
target_include_directories(torvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
