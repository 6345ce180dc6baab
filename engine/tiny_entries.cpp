#include "tiny_entries.hpp"

#include "arithmetic.hpp"

namespace torvane {

// Stores every entry back, tiny or not, so the loop has no branch and vectorises.
void set_tiny_entries_to_zero(float* row, std::size_t width)
{
    for (std::size_t c = 0; c < width; ++c)
        row[c] = is_tiny(row[c]) ? 0.0f : row[c];
}

void note_tiny_nonzero_places(const float* row, std::size_t width, std::size_t first_place,
                              std::vector<std::size_t>& places)
{
    for (std::size_t c = 0; c < width; ++c)
        if (is_tiny(row[c]) && row[c] != 0.0f)
            places.push_back(first_place + c);
}

} // namespace torvane
