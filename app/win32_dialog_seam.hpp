#pragma once
// The compute run's view of the main dialog: the texts of the dimension and data boxes,
// and the result box that takes the report.

#include "seam.hpp"

namespace torvane {

class win32_dialog_seam final : public front_end {
public:
    std::string dimension_text() override;
    std::string data_text() override;
    // Puts the whole report into the result box, or leaves the box alone when the report
    // could not be read back as it was written (the run then reports that failure).
    void set_result_text(report_source& report) override;
};

// Puts a GBK text (the report, or a message) into the result box as UTF-16, so that it
// reads right whatever the system's code page is.
void set_result_box_text(const std::string& gbk) noexcept;

} // namespace torvane
