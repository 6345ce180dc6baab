// Every way writing a file can fail, anywhere in it, made by a file system that fails
// where it is told to (the bytes before the failure reach the real file, as on a full
// disk): the run must end with the failure that names the file and its reason, show
// nothing, leave neither file half written, and the next run must work. Runs anywhere,
// as any user: no full disk, no broken device, no limits to set.

#include "test_support.hpp"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>

namespace torvane::testing {
namespace {

namespace fs = std::filesystem;

// Where a file fails: at its opening, once `fail_at` bytes were written (the write that
// crosses it writes up to it), or when it is closed after bytes were written to it (the
// run first empties both files, opening and closing each without a write).
struct fault {
    std::string file;
    enum class at { opening, writing, closing } where;
    int error;
    std::uintmax_t fail_at = 0;
};

class failing_file final : public written_file {
public:
    failing_file(std::unique_ptr<written_file> real, const fault* rule) : real_(std::move(real)), rule_(rule) {}

    int write(std::string_view bytes) override
    {
        if (rule_ && rule_->where == fault::at::writing && written_ + bytes.size() > rule_->fail_at) {
            const std::size_t room = static_cast<std::size_t>(rule_->fail_at - written_);
            real_->write(bytes.substr(0, room));
            written_ += room;
            return rule_->error;
        }
        written_ += bytes.size();
        return real_->write(bytes);
    }
    int write_pieces(const std::vector<std::string_view>& pieces) override
    {
        for (const std::string_view piece : pieces)
            if (const int error = write(piece); error != 0)
                return error;
        return 0;
    }
    int close() override
    {
        const int error = real_->close();
        return rule_ && rule_->where == fault::at::closing && written_ > 0 ? rule_->error : error;
    }

private:
    std::unique_ptr<written_file> real_;
    const fault* rule_;
    std::uintmax_t written_ = 0;
};

// The system's files, with `rule` for the file it names; every other file is the system's.
class failing_files final : public file_system {
public:
    explicit failing_files(fault rule) : rule_(std::move(rule)) {}
    std::unique_ptr<written_file> create(const std::string& path, int& error) const override
    {
        const bool named = path == rule_.file;
        if (named && rule_.where == fault::at::opening) {
            error = rule_.error;
            return nullptr;
        }
        std::unique_ptr<written_file> real = system_files().create(path, error);
        if (!real)
            return nullptr;
        return std::make_unique<failing_file>(std::move(real), named ? &rule_ : nullptr);
    }
    std::unique_ptr<read_back_file> open_report(const std::string& path, int& error) const override
    {
        return system_files().open_report(path, error);
    }
    std::unique_ptr<read_back_file> open_data(const std::string& path, int& error) const override
    {
        return system_files().open_data(path, error);
    }

private:
    fault rule_;
};

constexpr std::uintmax_t mebibyte = std::uintmax_t{1} << 20;

// What a file holds; a file never made holds nothing.
std::uintmax_t bytes_in(const std::string& name)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(name, error);
    return error ? 0 : size;
}

struct fault_case {
    const char* name;
    fault made;
};

// "mat.result" of order 60 takes about 5 MiB: it fails in its first buffer, at a buffer's
// edge, while buffers wait to be written behind the run, in the last write and at close.
const fault_case fault_cases[] = {
    {"report_cannot_be_opened", {"mat.result", fault::at::opening, EROFS}},
    {"report_fails_in_its_first_bytes", {"mat.result", fault::at::writing, ENOSPC, 1000}},
    {"report_fails_at_a_buffers_edge", {"mat.result", fault::at::writing, ENOSPC, mebibyte}},
    {"report_fails_just_past_a_buffer", {"mat.result", fault::at::writing, EIO, mebibyte + 1}},
    {"report_fails_while_written_behind", {"mat.result", fault::at::writing, ENOSPC, 5 * mebibyte / 2}},
    {"report_fails_in_its_last_byte", {"mat.result", fault::at::writing, ENOSPC, 0}},
    {"report_fails_at_close", {"mat.result", fault::at::closing, EIO}},
    {"data_cannot_be_opened", {"mat.data", fault::at::opening, EACCES}},
    {"data_fails_in_its_text", {"mat.data", fault::at::writing, ENOSPC, 5}},
    {"data_fails_at_close", {"mat.data", fault::at::closing, EIO}},
};

class write_fault : public in_scratch_directory, public ::testing::WithParamInterface<fault_case> {};

TEST_P(write_fault, names_the_file_and_its_reason_shows_nothing_and_the_next_run_works)
{
    const std::string dimension = "60", data = "1 2 3 4 5 6 7";
    fault made = GetParam().made;
    if (made.where == fault::at::writing && made.fail_at == 0) {  // the report's size less one
        scripted_dialog whole(dimension, data);
        ASSERT_EQ(compute_run(whole).outcome, run_outcome::completed);
        made.fail_at = whole.result.size() - 1;  // the bytes written, before any text mode
        ASSERT_GT(made.fail_at, 4 * mebibyte) << "the report must span several buffers";
    }
    const failing_files files(made);
    run_options options;
    options.files = &files;
    scripted_dialog dialog(dimension, data);
    const run_status status = compute_run(dialog, options);

    EXPECT_EQ(status.outcome, run_outcome::failed);
    EXPECT_EQ(status.failure, run_failure::file_not_writable);
    EXPECT_EQ(status.file, made.file);
    EXPECT_EQ(status.error_number, made.error);
    EXPECT_EQ(dialog.result, "(untouched)");
    EXPECT_EQ(dialog.times_set, 0);
    // Neither file is left looking whole: the failing one, and the report after a failed
    // "mat.data", hold nothing.
    EXPECT_EQ(bytes_in(made.file), 0u);
    EXPECT_EQ(bytes_in("mat.result"), 0u);
    // The status says whether a report there before is gone: not when a file could not
    // even be opened to be emptied, as the run empties both before it writes either.
    EXPECT_EQ(status.report_emptied, made.where != fault::at::opening);

    scripted_dialog next(dimension, data);
    EXPECT_EQ(compute_run(next).outcome, run_outcome::completed);
    EXPECT_EQ(next.times_set, 1);
}

INSTANTIATE_TEST_SUITE_P(faults, write_fault, ::testing::ValuesIn(fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace torvane::testing
