#include "tiny_entries.hpp"

#include "arithmetic.hpp"
#include "split_work.hpp"

namespace torvane {
namespace {

// Below this many entries one thread cleans the whole matrix: handing work over costs more.
constexpr std::size_t entries_worth_splitting = 16384;

} // namespace

// Stores every entry back, tiny or not, so the loop has no branch and vectorises.
void set_tiny_entries_to_zero(float* row, std::size_t width)
{
    for (std::size_t c = 0; c < width; ++c)
        row[c] = is_tiny(row[c]) ? 0.0f : row[c];
}

void set_tiny_entries_to_zero(working_matrix& m)
{
    const auto clean_row = [&m](std::size_t r) { set_tiny_entries_to_zero(m.row(r), m.width()); };
    if (m.rows() * m.width() < entries_worth_splitting) {
        for (std::size_t r = 0; r < m.rows(); ++r)
            clean_row(r);
    } else {
        share_work(m.rows(), clean_row);
    }
}

std::vector<std::size_t> tiny_nonzero_places(const working_matrix& m)
{
    std::vector<std::size_t> places;
    for (std::size_t r = 0; r < m.rows(); ++r)
        for (std::size_t c = 0; c < m.width(); ++c)
            if (is_tiny(m.at(r, c)) && m.at(r, c) != 0.0f)
                places.push_back(r * m.width() + c);
    return places;
}

} // namespace torvane
