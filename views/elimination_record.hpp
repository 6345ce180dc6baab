#pragma once
// The elimination as the views tell it: what each pass did and the matrix it left. A run
// given the record as its watcher fills it; each finished pass goes to the record's sink.

#include "elimination_findings.hpp"
#include "elimination_observer.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace torvane {

struct row_step {
    std::uint32_t target;
    std::uint32_t source;
    float factor;  // row target += factor x row source
};

struct pivot_repair {
    std::uint32_t added_row;
    float tiny_pivot;  // the pivot before the row was added
};

struct pass_record {
    std::int32_t step = 0;
    pass_phase phase = pass_phase::forward;
    std::uint32_t pivot = 0;  // the pivot row and column
    std::optional<pivot_repair> repair;
    std::vector<row_step> operations;
    std::vector<std::size_t> zeroed;  // row-major places the 1e-6 rule set to 0
    std::vector<float> before;        // N x 2N entries, row-major
    std::vector<float> after;
};

class elimination_record final : public elimination_observer {
public:
    using pass_sink = std::function<void(const pass_record&)>;
    explicit elimination_record(pass_sink sink);
    elimination_record(const elimination_record&) = delete;
    elimination_record& operator=(const elimination_record&) = delete;

    std::uint32_t order() const { return order_; }
    const std::vector<float>& loaded() const { return loaded_; }     // [A | I]
    const std::vector<float>& divisors() const { return divisors_; } // one per row
    const std::vector<float>& result() const { return result_; }     // [I | A^-1]
    bool finished() const { return finished_; }
    const elimination_findings& findings() const { return findings_; }
    // The left half of `loaded()` or the right half of `result()`: N x N, row-major.
    std::vector<float> matrix_a() const;
    std::vector<float> inverse() const;

    void elimination_started(const working_matrix& loaded) override;
    void pivot_repaired(std::uint32_t pivot_row, std::uint32_t added_row, float tiny_pivot) override;
    void rows_combined(std::uint32_t target, std::uint32_t source, float factor) override;
    void tiny_entries_zeroed(const std::vector<std::size_t>& places) override;
    void pass_ended(std::int32_t step, pass_phase phase, std::uint32_t pivot, const working_matrix& result) override;
    void row_normalized(std::uint32_t row, float divisor) override;
    void elimination_finished(const working_matrix& result) override;

private:
    pass_sink sink_;
    std::uint32_t order_ = 0;
    std::vector<float> loaded_;
    pass_record pass_;
    std::vector<float> divisors_;
    std::vector<float> result_;
    bool finished_ = false;
    elimination_findings findings_;
};

} // namespace torvane
