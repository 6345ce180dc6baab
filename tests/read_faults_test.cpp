// Every way reading the two files back can fail, anywhere in them, made by a file system
// whose reads fail where they are told to: the run must end saying which file it cannot
// read back, with the system's reason, show nothing, and the next run must work. A front
// end that checks the report whole before it shows any of it (as the console does) reads
// it twice: the failure is tried in each of the two passes. The report is read at
// offsets, two pieces at once, and, as on Windows, in turn.

#include "test_support.hpp"

#include <cerrno>
#include <memory>
#include <string>

namespace torvane::testing {
namespace {

// Reads of `file` that reach byte `fail_at` give the bytes before it and fail with `error`,
// in the pass through the file that `pass` names (1 or 2; 0: in every pass). (That a file
// cannot be opened is tried for real in file_faults_test.cpp.)
struct read_rule {
    std::string file;
    int error;
    std::uint64_t fail_at;
    int pass = 0;
    bool in_turn = false;  // read as Windows reads it, without read_at
};

class failing_read final : public read_back_file {
public:
    failing_read(std::unique_ptr<read_back_file> real, const read_rule& rule) : real_(std::move(real)), rule_(rule) {}

    bool reads_at_offsets() const override { return !rule_.in_turn && real_->reads_at_offsets(); }
    piece_read read_at(char* into, std::size_t size, std::uint64_t offset) override
    {
        if (!fails_past(offset, size))
            return real_->read_at(into, size, offset);
        piece_read read = real_->read_at(into, static_cast<std::size_t>(rule_.fail_at - offset), offset);
        read.error_number = rule_.error;
        return read;
    }
    piece_read read_next(char* into, std::size_t size) override
    {
        piece_read read;
        if (fails_past(position_, size)) {
            read = real_->read_next(into, static_cast<std::size_t>(rule_.fail_at - position_));
            read.error_number = rule_.error;
        } else {
            read = real_->read_next(into, size);
        }
        position_ += read.bytes;
        return read;
    }
    int rewind() override
    {
        ++pass_;
        position_ = 0;
        return real_->rewind();
    }
    bool held_steady() const override { return real_->held_steady(); }
    std::FILE* stream() override { return nullptr; }  // every byte goes through the reads above

private:
    // Whether a read of `size` bytes from `offset` reaches the failing byte in this pass
    // (a read that begins past it is not made: the reader stops at the first failure).
    bool fails_past(std::uint64_t offset, std::size_t size) const
    {
        return (rule_.pass == 0 || rule_.pass == pass_) && offset <= rule_.fail_at && offset + size > rule_.fail_at;
    }

    std::unique_ptr<read_back_file> real_;
    const read_rule& rule_;
    int pass_ = 1;
    std::uint64_t position_ = 0;
};

// The system's files, but the reads of the file `rule` names fail by it.
class failing_reads final : public file_system {
public:
    explicit failing_reads(read_rule rule) : rule_(std::move(rule)) {}
    std::unique_ptr<written_file> create(const std::string& path, int& error) const override
    {
        return system_files().create(path, error);
    }
    std::unique_ptr<read_back_file> open_report(const std::string& path, int& error) const override
    {
        return failing(path, system_files().open_report(path, error));
    }
    std::unique_ptr<read_back_file> open_data(const std::string& path, int& error) const override
    {
        return failing(path, system_files().open_data(path, error));
    }

private:
    std::unique_ptr<read_back_file> failing(const std::string& path, std::unique_ptr<read_back_file> real) const
    {
        if (!real || path != rule_.file)
            return real;
        return std::make_unique<failing_read>(std::move(real), rule_);
    }

    read_rule rule_;
};

// A dialog that, like the console, checks the report whole before it shows any of it.
class checking_dialog final : public front_end {
public:
    checking_dialog(std::string dimension, std::string data) : typed_(std::move(dimension), std::move(data)) {}
    std::string dimension_text() override { return typed_.dimension; }
    std::string data_text() override { return typed_.data; }
    void set_result_text(report_source& report) override
    {
        if (report.verify())
            typed_.set_result_text(report);
    }
    const std::string& result() const { return typed_.result; }

private:
    scripted_dialog typed_;
};

constexpr std::uint64_t piece_mebibyte = std::uint64_t{1} << 20;
constexpr std::uint64_t last_byte = 0;  // the report's size less one, found by a run

struct read_fault_case {
    const char* name;
    read_rule made;
    bool checked_first;
};

// The report of order 60 takes about 5 MiB, read in pieces of 1 MiB (two at a time where
// the platform reads at offsets; in turn on Windows, and in the rows read in turn).
const read_fault_case read_fault_cases[] = {
    {"report_in_its_first_bytes", {"mat.result", EIO, 1000}, false},
    {"report_at_a_pieces_edge", {"mat.result", EIO, piece_mebibyte}, false},
    {"report_in_the_second_of_two_pieces", {"mat.result", EIO, 3 * piece_mebibyte / 2}, false},
    {"report_in_its_last_byte", {"mat.result", EIO, last_byte}, false},
    {"report_while_checked", {"mat.result", EIO, 3 * piece_mebibyte / 2, 1}, true},
    {"report_in_its_last_byte_while_checked", {"mat.result", ENXIO, last_byte, 1}, true},
    {"report_while_shown_after_the_check", {"mat.result", EIO, 5 * piece_mebibyte / 2, 2}, true},
    {"report_in_its_first_bytes_shown_after_the_check", {"mat.result", EIO, 10, 2}, true},
    {"report_read_in_turn", {"mat.result", EIO, 5 * piece_mebibyte / 2, 0, true}, false},
    {"report_read_in_turn_in_its_last_byte_while_checked", {"mat.result", EIO, last_byte, 1, true}, true},
    {"report_read_in_turn_while_shown_after_the_check", {"mat.result", EIO, piece_mebibyte, 2, true}, true},
    {"data_in_its_text", {"mat.data", EIO, 5}, true},
};

void PrintTo(const read_fault_case& c, std::ostream* out) { *out << c.name; }

class read_fault : public in_scratch_directory, public ::testing::WithParamInterface<read_fault_case> {};

TEST_P(read_fault, names_the_report_and_its_reason_shows_nothing_and_the_next_run_works)
{
    const std::string dimension = "60", data = "1 2 3 4 5 6 7";
    read_rule made = GetParam().made;
    if (made.fail_at == last_byte) {
        scripted_dialog whole(dimension, data);
        ASSERT_EQ(compute_run(whole).outcome, run_outcome::completed);
        made.fail_at = whole.result.size() - 1;  // as read back, in text mode
        ASSERT_GT(made.fail_at, 4 * piece_mebibyte) << "the report must span several pieces";
    }
    const failing_reads files(made);
    run_options options;
    options.files = &files;
    std::string shown;
    run_status status;
    if (GetParam().checked_first) {
        checking_dialog dialog(dimension, data);
        status = compute_run(dialog, options);
        shown = dialog.result();
    } else {
        scripted_dialog dialog(dimension, data);
        status = compute_run(dialog, options);
        shown = dialog.result;
    }

    EXPECT_EQ(status.outcome, run_outcome::failed);
    EXPECT_EQ(status.failure, run_failure::file_not_readable);
    EXPECT_EQ(status.file, made.file);
    EXPECT_EQ(status.error_number, made.error);
    EXPECT_EQ(shown, "(untouched)");

    scripted_dialog next(dimension, data);
    EXPECT_EQ(compute_run(next).outcome, run_outcome::completed);
    EXPECT_EQ(next.times_set, 1);
}

INSTANTIATE_TEST_SUITE_P(faults, read_fault, ::testing::ValuesIn(read_fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace torvane::testing
