#include "elimination_record.hpp"

namespace torvane {
namespace {

std::vector<float> entries_of(const working_matrix& m)
{
    return m.empty() ? std::vector<float>{} : std::vector<float>(m.row(0), m.row(0) + m.rows() * m.width());
}

// Columns first .. first + n - 1 of every row of an n x 2n matrix.
std::vector<float> half_of(const std::vector<float>& entries, std::uint32_t order, std::uint32_t first)
{
    std::vector<float> half;
    half.reserve(std::size_t{order} * order);
    for (std::size_t r = 0; r < order; ++r)
        half.insert(half.end(), entries.begin() + static_cast<std::ptrdiff_t>(r * 2 * order + first),
                    entries.begin() + static_cast<std::ptrdiff_t>(r * 2 * order + first + order));
    return half;
}

} // namespace

elimination_record::elimination_record(pass_sink sink) : sink_(std::move(sink)) {}

std::vector<float> elimination_record::matrix_a() const { return half_of(loaded_, order_, 0); }
std::vector<float> elimination_record::inverse() const { return half_of(result_, order_, order_); }

void elimination_record::elimination_started(const working_matrix& loaded)
{
    order_ = static_cast<std::uint32_t>(loaded.rows());
    loaded_ = entries_of(loaded);
    pass_ = pass_record{};
    pass_.before = loaded_;
    divisors_.clear();
    result_.clear();
    finished_ = false;
    findings_ = findings_at_start(order_, loaded_);
}

void elimination_record::pivot_repaired(std::uint32_t, std::uint32_t added_row, float tiny_pivot)
{
    pass_.repair = pivot_repair{added_row, tiny_pivot};
}

void elimination_record::rows_combined(std::uint32_t target, std::uint32_t source, float factor)
{
    pass_.operations.push_back({target, source, factor});
}

void elimination_record::tiny_entries_zeroed(const std::vector<std::size_t>& places) { pass_.zeroed = places; }

void elimination_record::pass_ended(std::int32_t step, pass_phase phase, std::uint32_t pivot,
                                    const working_matrix& result)
{
    pass_.step = step;
    pass_.phase = phase;
    pass_.pivot = pivot;
    pass_.after = entries_of(result);
    note_pass(findings_, pass_);
    if (sink_)
        sink_(pass_);
    pass_record next;
    next.before = std::move(pass_.after);
    pass_ = std::move(next);
}

void elimination_record::row_normalized(std::uint32_t, float divisor) { divisors_.push_back(divisor); }

void elimination_record::elimination_finished(const working_matrix& result)
{
    result_ = entries_of(result);
    finished_ = true;
    // The matrix the normalisation started from is the one the last pass left.
    note_normalisation(findings_, pass_.before, divisors_, result_);
}

} // namespace torvane
