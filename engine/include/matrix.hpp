#pragma once
// The working matrix: N rows of 2N single-precision entries held in one allocation,
// so that a row update streams through contiguous memory.

#include <cstddef>
#include <memory>

namespace torvane {

class working_matrix {
public:
    // Drops every row and gives the memory back.
    void clear();
    // Makes rows x width zero entries; throws std::bad_alloc or std::length_error when the
    // size cannot be held.
    void resize(std::size_t rows, std::size_t width);

    std::size_t rows() const { return rows_; }
    std::size_t width() const { return width_; }
    bool empty() const { return rows_ == 0; }

    float* row(std::size_t r) { return entries_.get() + r * width_; }
    const float* row(std::size_t r) const { return entries_.get() + r * width_; }
    float& at(std::size_t r, std::size_t c) { return row(r)[c]; }
    float at(std::size_t r, std::size_t c) const { return row(r)[c]; }

private:
    std::unique_ptr<float[]> entries_;
    std::size_t rows_ = 0;
    std::size_t width_ = 0;
};

} // namespace torvane
