#pragma once
// A note for the user when reading the entries stopped before all N x N were read (a
// comma, a letter, a dimension text such as "3x3", too few numbers): the run goes on as
// designed, with the missing entries repeating the last value read (0 before any), but
// the user is told how many were read and where reading stopped.

#include <string>

namespace torvane {

// One line without a line end, or empty when every entry was read or N is not positive.
// The texts are read with the engine's own reader, so the note cannot disagree with it.
std::string reading_stop_note(const std::string& dimension, const std::string& data);

} // namespace torvane
