#pragma once
// Opening "mat.result" to read it back: a regular file only, and on Linux held steady by
// a read lease where one can be had.

#include <cstdio>
#include <string>

namespace torvane {

// Opens the report for reading in text mode. Only a regular file can give back what was
// written to it; anything else is refused at once (ESPIPE) rather than read: a named
// pipe with no writer would block the open for good. `held_steady` says whether a read
// lease keeps writers off it.
std::FILE* open_for_reading(const std::string& path, bool& held_steady);

// Whether the lease taken on opening still stands: a writer's open starts to break it
// (F_GETLEASE then gives F_UNLCK), and the kernel removes it after the break time. Where
// no lease was to be had (Windows), true: nothing was promised.
bool lease_intact(std::FILE* file);

} // namespace torvane
