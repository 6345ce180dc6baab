#include "matrix_reading.hpp"

#include "state.hpp"

#include <algorithm>

namespace torvane {

namespace {

order_reading read_dimension()
{
    order_reading reading;
    reading.read = in_file.extract(dimension);
    reading.order = dimension;
    reading.place = in_file.last_number_place();
    reading.stop = in_file.stop();
    return reading;
}

entries_reading read_entries()
{
    const auto order = static_cast<std::size_t>(dimension);
    matrix.resize(order, 2 * order);
    entries_reading reading;
    reading.wanted = std::uint64_t{order} * order;
    // One variable for all entries: an entry that fails to read repeats the last one read.
    float entry = 0.0f;
    for (std::size_t r = 0; r < order; ++r) {
        row_buffer.clear();
        for (std::size_t c = 0; c < order; ++c) {
            reading.read += in_file.extract(entry) ? 1 : 0;
            row_buffer.push_back(entry);
        }
        for (std::size_t c = 0; c < order; ++c)
            row_buffer.push_back(c == r ? 1.0f : 0.0f);
        std::copy(row_buffer.begin(), row_buffer.end(), matrix.row(r));
    }
    reading.last = entry;
    reading.stop = in_file.stop();
    return reading;
}

} // namespace

void load_matrix(matrix_reading& reading, const std::function<bool()>& order_taken)
{
    reading.order = read_dimension();
    if (dimension > 0 && order_taken())
        reading.entries = read_entries();
}

} // namespace torvane
