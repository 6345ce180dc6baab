# The programs' icon is drawn by a script at build time; nothing binary is kept in the
# repository. torvane_draw_icon(VAR) draws it into this folder's build tree and sets VAR
# to its path, for a resource script of this folder to take.
find_program(TORVANE_PERL perl REQUIRED)

function(torvane_draw_icon variable)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/resources/torvane.ico)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/resources
    COMMAND ${TORVANE_PERL} ${PROJECT_SOURCE_DIR}/app/resources/make-icon.pl ${icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/app/resources/make-icon.pl
    COMMENT "Drawing the icon"
    VERBATIM)
  set(${variable} ${icon} PARENT_SCOPE)
endfunction()
