#pragma once

#include "file_system.hpp"
#include "keyed_hash.hpp"
#include "seam.hpp"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace torvane {

class two_threads;

// What the run wrote to the report: its length and checksum before any text-mode
// translation (reading back in text mode gives those bytes again).
struct written_report {
    std::uint64_t bytes = 0;
    std::uint64_t checksum = 0;
    hash_key key{};  // the checksum's
};

// "mat.result" read back in the platform's text mode (on Windows the CR CR LF on disk
// comes back as CR LF), in large pieces. It must hold exactly the bytes the run wrote.
class report_file_reader final : public report_source {
public:
    // Two pieces at a time are read on `threads`, which must outlive the reader, as must
    // `files`, which opens the file; reading stops early, unfinished, once `stop_requested`
    // says so.
    report_file_reader(std::string path, written_report expected, two_threads& threads, const file_system& files,
                       std::function<bool()> stop_requested = {});
    ~report_file_reader() override;
    bool verify() override;
    bool read(const sink& consume) override;
    sending send_to(std::FILE* out) override;
    // Whether the last read() or verify() found the whole report as written.
    bool complete() const { return complete_; }
    // errno of the failure, when the failure had one (ESPIPE: not a regular file).
    int error_number() const { return error_number_; }
    // Whether the report was found whole by verify() and then changed while it was handed
    // over: what was handed over (printed) is not the checked report.
    bool changed_while_shown() const { return changed_while_shown_; }

private:
    bool open_or_rewind();
    bool pass(const sink* consume);
    bool pass_in_turn(const sink* consume, char* piece, std::size_t size);
    bool pass_in_pairs(const std::unique_ptr<char[]> (&pieces)[2]);
    bool pass_handing_over(const sink& consume, const std::unique_ptr<char[]> (&pieces)[2]);

    bool stopping() const { return stop_requested_ && stop_requested_(); }

    std::string path_;
    written_report expected_;
    two_threads& threads_;
    const file_system& files_;
    std::function<bool()> stop_requested_;
    std::unique_ptr<read_back_file> file_;
    int error_number_ = 0;
    bool complete_ = false;
    bool checked_ = false;      // a verify() found the whole report as written
    bool changed_while_shown_ = false;
};

// The whole report as one string, for a front end that takes it at once; false when the
// file could not be read back as written.
bool read_report(report_source& report, std::string& text);

} // namespace torvane
