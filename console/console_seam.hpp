#pragma once
// The console's stand-in for the dialog: the input texts come from the command line or
// standard input, and the report goes to standard output as it is read back.

#include "seam.hpp"
#include "terminal_text.hpp"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <functional>
#include <optional>
#include <string>

namespace torvane {

class console_seam final : public front_end {
public:
    // `view` empty: the report is printed byte for byte. `out` null: it is only checked.
    console_seam(std::string dimension, std::string data, std::optional<terminal_encoding> view, std::FILE* out);

    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    void set_result_text(report_source& report) override;
    std::int32_t largest_order() const override { return largest_order_; }

    // The texts as given, for what is said about their reading after the run.
    const std::string& dimension() const { return dimension_; }
    const std::string& data() const { return data_; }
    // The run ends once N is read when N is above `order` (a view's limit).
    void limit_order(std::int32_t order) { largest_order_ = order; }

    bool output_failed() const { return output_failed_; }
    // errno of the failed write (EFBIG, ENOSPC ...), or 0 where none was given.
    int output_error() const { return output_error_; }

    // Called once the report has been checked, just before its first byte goes out.
    std::function<void()> before_output;

private:
    void emit(std::string_view text);

    std::string dimension_;
    std::string data_;
    std::optional<terminal_encoding> view_;
    std::FILE* out_;
    void fail_output();

    bool output_failed_ = false;
    int output_error_ = 0;
    std::int32_t largest_order_ = std::numeric_limits<std::int32_t>::max();
};

} // namespace torvane
