#pragma once
// Shared pieces of the tests: a scratch working directory, a scripted dialog, and
// report texts spelled out line by line.

#include "compute_run.hpp"
#include "read_report.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace torvane::testing {

// Each test runs in a fresh, empty directory of its own, as the run writes its files
// into the current directory.
class in_scratch_directory : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path directory;

private:
    std::filesystem::path previous;
};

// The dialog as a test drives it: two box texts in, the result box text out.
class scripted_dialog final : public dialog_seam {
public:
    scripted_dialog(std::string dimension, std::string data) : dimension(std::move(dimension)), data(std::move(data)) {}
    std::string dimension_text() override { return dimension; }
    std::string data_text() override { return data; }
    void set_result_text(report_source& report) override
    {
        ++times_set;
        std::string text;
        if (read_report(report, text))
            result = text;
    }

    std::string dimension;
    std::string data;
    std::string result = "(untouched)";
    int times_set = 0;
};

// Lines joined as the report writes them: each ends in CR LF.
std::string crlf_lines(std::initializer_list<std::string_view> lines);
std::string read_file(const std::filesystem::path& path);
// `text` as a file written in the platform's text mode holds it: on Windows each LF
// lies on disk as CR LF.
std::string on_disk(std::string_view text);
void write_file(const std::filesystem::path& path, std::string_view bytes);

// The report text of one run in the current directory, or "(untouched)" when none was shown.
std::string report_of(std::string dimension, std::string data);

// The tail every full report ends with: the normalisation's N empty lines, the frame, the
// inverse lines and the closing rule.
std::string report_tail(int n, std::initializer_list<std::string_view> inverse_lines);

// The sixteen-line report of [[1, 2], [3, 4]].
std::string example_report();

// The GBK labels, for building expected reports.
inline constexpr std::string_view step_label_prefix = "\xB5\xDA ";
inline constexpr std::string_view step_label_suffix = "\xB2\xBD";
std::string step_header(int step);

} // namespace torvane::testing
