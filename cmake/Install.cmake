# What `cmake --install` puts where; the packages (cmake/Packaging.cmake) take the same.
# Linux: the usual tree under the prefix. Windows: one flat folder, so that the zip unpacks
# to programs that run where they are (they are linked statically).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  install(TARGETS Torvane torvane RUNTIME DESTINATION .)
  # Read in Notepad: CR LF line ends, and the version filled in. The notices are those of
  # the runtime code linked into both programs, which its licences ask to travel along.
  # HighwayHash's licence, Apache-2.0, asks for its whole text: Debian keeps it here.
  file(READ /usr/share/common-licenses/Apache-2.0 APACHE_LICENSE_TEXT)
  # configure_file turns the template's line ends into CR LF, not those of what it puts in.
  string(STRIP "${APACHE_LICENSE_TEXT}" APACHE_LICENSE_TEXT)
  string(REPLACE "\n" "\r\n" APACHE_LICENSE_TEXT "${APACHE_LICENSE_TEXT}")
  foreach(text README.txt THIRD-PARTY-NOTICES.txt)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${text} ${PROJECT_BINARY_DIR}/packaging/${text}
      @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${text} DESTINATION .)
  endforeach()
  return()
endif()

include(GNUInstallDirs)
set(torvane_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/torvane)

install(TARGETS torvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
include(${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/torvane.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME torvane)

# Debian wants the changelog and the README compressed, and without a time stamp the bytes
# stay the same. The README is the user's (packaging/README), not the developers'.
set(torvane_compressed_docs)
foreach(doc changelog README)
  set(compressed ${PROJECT_BINARY_DIR}/packaging/${doc}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${doc} > ${compressed}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${doc}
    COMMENT "Compressing packaging/${doc}")
  list(APPEND torvane_compressed_docs ${compressed})
endforeach()
add_custom_target(torvane_compressed_docs ALL DEPENDS ${torvane_compressed_docs})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${torvane_compressed_docs}
  DESTINATION ${torvane_doc_dir})
