#pragma once
// Writing a list of pieces of text to a stream's file as one.

#include <cstdio>
#include <string_view>
#include <vector>

namespace torvane {

// Writes every piece, in order, bypassing the stream's buffer where the system lets the
// kernel take them from where they are. 0, or the errno of the failure; it may run on a
// writer thread, so a failure is returned, never thrown.
int write_pieces(std::FILE* file, const std::vector<std::string_view>& pieces);

} // namespace torvane
