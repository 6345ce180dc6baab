#pragma once
// What the compute run needs from a front end: the texts of the two input boxes and a
// way to put the report into the result box. The dialog and the console both provide it.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace torvane {

// The report as it lies in "mat.result", for the front end to show.
class report_source {
public:
    using sink = std::function<void(std::string_view piece)>;
    virtual ~report_source() = default;
    // Hands the text to `consume` in order, in pieces. False when the file could not be
    // read to its end or did not hold what was written; the text handed over is then
    // incomplete and must not be shown as the report.
    virtual bool read(const sink& consume) = 0;
    // Reads the text through once without handing it over: whether it is all there as
    // written. A front end that streams the report checks it so before its first byte
    // goes out.
    virtual bool verify() = 0;

    enum class sending { done, not_possible, failed };
    // After a verify() that passed: hands the whole text to `out` inside the system, without
    // copying it through this program, where the platform allows that and the file is held
    // unchanged since the check. not_possible when nothing was sent (read() then does the
    // job); failed when `out` stopped taking it.
    virtual sending send_to(std::FILE* /*out*/) { return sending::not_possible; }
};

class front_end {
public:
    virtual ~front_end() = default;
    virtual std::string dimension_text() = 0;
    virtual std::string data_text() = 0;
    virtual void set_result_text(report_source& report) = 0;
    // The largest order this front end can show. A larger one ends the run right after
    // N is read, before the matrix is built (run_failure::refused_by_front_end).
    virtual std::int32_t largest_order() const { return std::numeric_limits<std::int32_t>::max(); }
    // Told the order once it is read and taken, before the matrix is built: a front end
    // that prepares for the run by its size does so here.
    virtual void order_taken(std::int32_t /*order*/) {}
};

} // namespace torvane
