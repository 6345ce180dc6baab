# Debian's build flags, hardening included (fortify, the stack protector, bind now): what a
# Debian build of the package uses. The linux preset turns them on, so that the Linux suite
# tests the very program the .deb ships (scripts/package makes it from that folder).
# dpkg-buildflags also gives its -ffile-prefix-map for the folder it runs in: the sources'.
option(TORVANE_DEBIAN_FLAGS "Compile and link with Debian's build flags (dpkg-buildflags, hardening=+all)" OFF)
if(NOT TORVANE_DEBIAN_FLAGS)
  return()
endif()

find_program(TORVANE_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
function(torvane_debian_flags variable kind)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${TORVANE_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${variable} "${flags}" PARENT_SCOPE)
endfunction()
torvane_debian_flags(debian_cppflags CPPFLAGS)
torvane_debian_flags(debian_cxxflags CXXFLAGS)
torvane_debian_flags(debian_ldflags LDFLAGS)
# Before the build type's flags, which come later on the command line: the preset's -g1
# keeps the debugging information small; the stripped program is the same.
string(APPEND CMAKE_CXX_FLAGS " ${debian_cppflags} ${debian_cxxflags}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_ldflags}")
