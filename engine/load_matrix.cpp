#include "load_matrix.hpp"

#include "state.hpp"

#include <algorithm>

namespace torvane {

void read_dimension() { in_file.extract(dimension); }

void read_entries()
{
    const auto n = static_cast<std::size_t>(dimension);
    matrix.resize(n, 2 * n);
    // One variable for all entries: an entry that fails to read repeats the last one read.
    float entry = 0.0f;
    for (std::size_t r = 0; r < n; ++r) {
        row_buffer.clear();
        for (std::size_t c = 0; c < n; ++c) {
            in_file.extract(entry);
            row_buffer.push_back(entry);
        }
        for (std::size_t c = 0; c < n; ++c)
            row_buffer.push_back(c == r ? 1.0f : 0.0f);
        std::copy(row_buffer.begin(), row_buffer.end(), matrix.row(r));
    }
}

void load_matrix()
{
    read_dimension();
    if (dimension <= 0)
        return;
    read_entries();
}

} // namespace torvane
