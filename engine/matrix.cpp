#include "matrix.hpp"

#include <limits>
#include <new>
#include <stdexcept>

namespace torvane {

void working_matrix::clear()
{
    entries_.reset();
    rows_ = 0;
    width_ = 0;
}

void working_matrix::resize(std::size_t rows, std::size_t width)
{
    clear();
    if (width != 0 && rows > std::numeric_limits<std::size_t>::max() / sizeof(float) / width)
        throw std::length_error("working matrix size overflows");
    entries_.reset(new float[rows * width]());
    rows_ = rows;
    width_ = width;
}

} // namespace torvane
