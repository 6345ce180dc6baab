#pragma once

#include "seam.hpp"

#include <cstdint>
#include <string>

namespace torvane {

// "mat.result" read back in the platform's text mode (on Windows the CR CR LF on disk
// comes back as CR LF), in large pieces. It must hold exactly the bytes the run wrote.
class report_file_reader final : public report_source {
public:
    report_file_reader(std::string path, std::uint64_t expected_bytes);
    bool read(const sink& consume) override;
    // Whether the last read() delivered the whole report.
    bool complete() const { return complete_; }
    // errno of the failure, when the failure had one.
    int error_number() const { return error_number_; }

private:
    std::string path_;
    std::uint64_t expected_bytes_;
    int error_number_ = 0;
    bool complete_ = false;
};

// The whole report as one string, for a front end that takes it at once; false when the
// file could not be read back as written.
bool read_report(report_source& report, std::string& text);

} // namespace torvane
