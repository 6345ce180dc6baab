# Puts the page together: the template's markup with the page's script, and the engine's
# script (WebAssembly inside) with the worker's, kept as text for the page to start its
# worker from. Usage: cmake -DENGINE= -DWORKER= -DTEMPLATE= -DSCRIPT= -DPAGE= -P assemble_page.cmake
cmake_minimum_required(VERSION 3.25)
file(READ ${ENGINE} engine)
file(READ ${WORKER} worker)
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
foreach(part engine worker script)
  # Inside <script> these would end the element early.
  string(FIND "${${part}}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the ${part} script holds \"</script\" and cannot be put inside the page")
  endif()
endforeach()
string(REPLACE "/*@WORKER@*/" "${engine}\n${worker}" page "${page}")
string(REPLACE "/*@SCRIPT@*/" "${script}" page "${page}")
file(WRITE ${PAGE} "${page}")
