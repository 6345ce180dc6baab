# One interface target carries the warning set so that every target opts in the same way.
add_library(torvane_warnings INTERFACE)
target_compile_options(torvane_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
