#pragma once
// The console's stand-in for the dialog: the input texts come from the command line or
// standard input, and the report goes to standard output as it is read back.

#include "seam.hpp"
#include "terminal_text.hpp"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace torvane {

class console_seam final : public dialog_seam {
public:
    // `view` empty: the report is printed byte for byte. `out` null: it is only checked.
    console_seam(std::string dimension, std::string data, std::optional<terminal_encoding> view, std::FILE* out);

    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    void set_result_text(report_source& report) override;

    bool output_failed() const { return output_failed_; }

    // Called once the report has been checked, just before its first byte goes out.
    std::function<void()> before_output;

private:
    void emit(std::string_view text);

    std::string dimension_;
    std::string data_;
    std::optional<terminal_encoding> view_;
    std::FILE* out_;
    bool output_failed_ = false;
};

} // namespace torvane
