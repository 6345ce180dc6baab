// The run's record of what it read from "mat.data", from which the console tells the user
// about it, and a front end's limit on the order, applied as soon as N is read.

#include "console_seam.hpp"
#include "test_support.hpp"

#include <string>
#include <utility>

namespace torvane::testing {
namespace {

using stop_cause = extraction_stop::cause;

struct reading_case {
    const char* name;
    std::string dimension, data;
    bool order_read;
    std::int32_t order;
    std::uint64_t entries_read;
    stop_cause why;
    text_place where;  // line feeds before the place in "mat.data", and bytes after the last
};

// The places are those of "mat.data", whatever line ends the texts hold: the console finds
// them again in the texts, on Windows (which writes CR LF for each LF) as here.
const reading_case reading_cases[] = {
    {"all_read", "2", "1 2\r\n3 4 5", true, 2, 4, stop_cause::none, {}},
    {"comma_on_the_third_line", "2", "1 2\r\n3, 4", true, 2, 3, stop_cause::not_a_number, {2, 1}},
    {"letters_in_the_dimension_text", "3x3", "1", true, 3, 0, stop_cause::not_a_number, {0, 1}},
    {"too_few_entries", "2", "1 2 3 ", true, 2, 3, stop_cause::end_of_text, {1, 6}},
    {"entry_too_large", "2", "1 1e39", true, 2, 1, stop_cause::out_of_range, {1, 2}},
    {"order_too_large", "99999999999", "1", false, 0, 0, stop_cause::out_of_range, {0, 0}},
    {"order_not_positive", "-3", "1", true, -3, 0, stop_cause::none, {}},
    {"empty_data_text", "2", "", false, 0, 0, stop_cause::not_open, {}},
    {"empty_dimension_text", "", "2 1", false, 0, 0, stop_cause::end_of_text, {0, 0}},
    {"order_in_the_data_text", " ", "x", false, 0, 0, stop_cause::not_a_number, {1, 0}},
};

class run_reading_limit : public in_scratch_directory {};
class run_reading : public in_scratch_directory, public ::testing::WithParamInterface<reading_case> {};

TEST_P(run_reading, records_the_order_the_entries_and_where_reading_stopped)
{
    const reading_case& c = GetParam();
    console_seam seam(c.dimension, c.data, std::nullopt, nullptr);
    const matrix_reading reading = compute_run(seam).reading;
    EXPECT_EQ(reading.order.read, c.order_read);
    EXPECT_EQ(reading.order.order, c.order);
    EXPECT_EQ(reading.entries.read, c.entries_read);
    const extraction_stop& stop = c.order_read && c.order > 0 ? reading.entries.stop : reading.order.stop;
    EXPECT_EQ(stop.why, c.why);
    if (c.why != stop_cause::none && c.why != stop_cause::not_open)
        EXPECT_EQ(std::pair(stop.where.line, stop.where.byte), std::pair(c.where.line, c.where.byte));
}

INSTANTIATE_TEST_SUITE_P(inputs, run_reading, ::testing::ValuesIn(reading_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// A view that cannot show an order ends the run once N is read: no matrix is built and no
// report written; within its limit the run is the plain one.
TEST_F(run_reading_limit, a_front_end_limit_ends_the_run_once_the_order_is_read)
{
    console_seam seam("121", "1", std::nullopt, nullptr);
    seam.limit_order(120);
    const run_status refused = compute_run(seam);
    EXPECT_EQ(refused.failure, run_failure::refused_by_front_end);
    EXPECT_EQ(refused.order, 121);
    EXPECT_EQ(read_file(report_file_name), "");
    seam.limit_order(121);
    EXPECT_EQ(compute_run(seam).outcome, run_outcome::completed);
}

} // namespace
} // namespace torvane::testing
