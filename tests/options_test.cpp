// The console program's command line.

#include "options.hpp"

#include <gtest/gtest.h>

namespace torvane {
namespace {

struct options_case {
    const char* name;
    std::vector<std::string> arguments;
    const char* error_part;  // empty when the line must be accepted
};

const options_case options_cases[] = {
    {"dimension_and_data", {"--dimension", "2", "--data", "1 2 3 4"}, ""},
    {"equals_forms", {"--dimension=2", "--data-file=m.txt", "--raw"}, ""},
    {"data_from_standard_input", {"--dimension", "3"}, ""},
    {"empty_dimension_text_is_allowed", {"--dimension", ""}, ""},
    {"help_alone", {"--help"}, ""},
    {"version_alone", {"--version"}, ""},
    {"unknown_option", {"--dimension", "2", "--fast"}, "unknown option '--fast'"},
    {"missing_value", {"--dimension"}, "--dimension needs a value"},
    {"missing_dimension", {"--data", "1"}, "--dimension is required"},
    {"both_data_sources", {"--dimension", "1", "--data", "1", "--data-file", "f"}, "cannot be given together"},
    {"matrix_file", {"m.txt", "--explain"}, ""},
    {"matrix_file_from_standard_input", {"-", "--html", "p.html"}, ""},
    {"matrix_file_with_dimension", {"--dimension", "2", "extra"}, "cannot be given with --dimension"},
    {"two_matrix_files", {"a", "b"}, "only one matrix file"},
    {"two_views", {"m.txt", "--explain", "--raw"}, "give one of them"},
};

class options_parsing : public ::testing::TestWithParam<options_case> {};

TEST_P(options_parsing, accepts_or_explains)
{
    const options_case& c = GetParam();
    const parsed_options parsed = parse_options(c.arguments);
    if (*c.error_part == '\0')
        EXPECT_EQ(parsed.error, "");
    else
        EXPECT_NE(parsed.error.find(c.error_part), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(cases, options_parsing, ::testing::ValuesIn(options_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(options_values, texts_are_kept_byte_for_byte)
{
    const parsed_options parsed =
        parse_options({"--dimension", " 2 5\t", "--data", "1,\r\n2\x01", "--raw"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(*parsed.options.dimension, " 2 5\t");
    EXPECT_EQ(*parsed.options.data, "1,\r\n2\x01");
    EXPECT_TRUE(parsed.options.raw);
    EXPECT_FALSE(parsed.options.data_file.has_value());
}

} // namespace
} // namespace torvane
