// torvane: the console front end. It supplies the two input texts, runs one compute run
// in the current directory and prints the report.

#include "compute_run.hpp"
#include "console_seam.hpp"
#include "terminal.hpp"
#include "matrix_file.hpp"
#include "options.hpp"
#include "program_name.hpp"
#include "progress_line.hpp"
#include "reading_stop.hpp"
#include "run_files.hpp"
#include "run_messages.hpp"
#include "stop_signals.hpp"
#include "torvane_version.hpp"
#include "working_views.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace torvane;

#ifdef SIGPIPE
constexpr int closed_pipe_signal = SIGPIPE;
#else
constexpr int closed_pipe_signal = -1;
#endif

enum exit_status { exit_report = 0, exit_no_order = 1, exit_usage = 2, exit_run_failed = 3 };

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

int fail_usage(const std::string& message)
{
    std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\nTry '" TORVANE_PROGRAM_NAME " --help'.\n", message.c_str());
    return exit_usage;
}

// More data than any order this machine could invert needs: an endless source such as
// /dev/zero would otherwise be read until memory runs out.
constexpr std::size_t largest_data_text = std::size_t{1} << 30;

enum class data_read { ok, failed, too_large };

data_read read_stream(std::FILE* in, std::string& text)
{
    char chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        if (text.size() + got > largest_data_text)
            return data_read::too_large;
        text.append(chunk, got);
    }
    return std::ferror(in) == 0 ? data_read::ok : data_read::failed;
}

data_read read_data_file(const std::string& path, std::string& text)
{
    std::unique_ptr<std::FILE, file_closer> file(std::fopen(path.c_str(), "rb"));
    return file ? read_stream(file.get(), text) : data_read::failed;
}

data_read read_standard_input(std::string& text)
{
    if (is_terminal(stdin))
        std::fputs("Type the matrix entries, N x N numbers row by row, then press Ctrl-D on a new line:\n", stderr);
    return read_stream(stdin, text);
}

// The data text from --data, --data-file or standard input; exit_usage, with its message
// shown, when it cannot be had.
int read_data(const console_options& options, std::string& data)
{
    if (options.data) {
        data = *options.data;
        return exit_report;
    }
    if (options.data_file ? is_run_file(*options.data_file) : stream_is_run_file(stdin))
        return fail_usage(std::string(options.data_file ? "the data file '" + *options.data_file + "'" : "standard input") +
                          " is this directory's own \"mat.data\" or \"mat.result\", which every run rewrites; "
                          "copy it to another name first (cp mat.data my-matrix.txt)");
    errno = 0;
    const data_read result = options.data_file ? read_data_file(*options.data_file, data) : read_standard_input(data);
    const std::string source = options.data_file ? "the data file '" + *options.data_file + "'" : "standard input";
    if (result == data_read::too_large)
        return fail_usage(source + " holds more than 1 GiB of data, more than any matrix this program can invert");
    if (result == data_read::failed)
        return fail_usage("cannot read " + source + (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
    return exit_report;
}

// What a run stopped by a signal left in its files.
const char* files_left(const run_status& status)
{
    if (status.outcome == run_outcome::completed ||
        (status.outcome == run_outcome::interrupted && status.stopped_at == stop_point::showing))
        return "the report in \"mat.result\" is complete";
    if (status.outcome == run_outcome::interrupted && status.stopped_at == stop_point::waiting)
        return "it was still waiting for another run to finish and left \"mat.data\" and \"mat.result\" untouched";
    return "no report was left in \"mat.result\"";
}

// A run stopped by a signal ends with 128 + the signal, as a shell shows a killed
// program. A reader that closed the pipe (SIGPIPE) has gone: nothing is said, as other
// programs say nothing then.
int report_stop(int signal_number, const run_status& status)
{
    if (signal_number != closed_pipe_signal)
        std::fprintf(stderr, TORVANE_PROGRAM_NAME ": stopped by %s; %s\n", signal_name(signal_number).c_str(),
                     files_left(status));
    return 128 + signal_number;
}

int report_outcome(const run_status& status, const console_seam& seam, const input_texts& texts,
                   const working_views& views)
{
    if (const int signal_number = signal_that_stopped(); signal_number != 0 && status.outcome != run_outcome::failed)
        return report_stop(signal_number, status);
    switch (status.outcome) {
    case run_outcome::interrupted:  // only a signal stops a run, and that is answered above
    case run_outcome::completed:
        if (seam.output_failed()) {
            const std::string reason = seam.output_error() != 0 ? std::string(" (") + std::strerror(seam.output_error()) + ")" : "";
            std::fprintf(stderr, TORVANE_PROGRAM_NAME ": could not write the report to standard output%s; %s\n",
                         reason.c_str(), files_left(status));
            return exit_run_failed;
        }
        return exit_report;
    case run_outcome::no_order:
        std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s, so nothing was computed\n",
                     no_order_reason(status.reading, texts).c_str());
        return exit_no_order;
    case run_outcome::failed:
        break;
    }
    if (status.failure == run_failure::refused_by_front_end) {
        std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\n", views.order_refusal(status.order).c_str());
        return exit_usage;
    }
    // A run that failed after it had emptied the report says so: the earlier report is gone.
    std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s%s\n", describe_failure_english(status).c_str(),
                 status.report_emptied ? "; no report was left in \"mat.result\"" : "");
    return exit_run_failed;
}

text_origin origin_of(const console_options& options, bool line_feed_between)
{
    if (options.matrix_file)
        return {text_origin::source::matrix_file, *options.matrix_file, line_feed_between};
    if (options.data)
        return {text_origin::source::command_line, {}, false};
    if (options.data_file)
        return {text_origin::source::data_file, *options.data_file, false};
    return {text_origin::source::standard_input, "-", false};
}

int run(const console_options& options)
{
    if (const std::string refusal = output_into_run_file(); !refusal.empty()) {
        std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\n", refusal.c_str());
        return exit_usage;
    }
    std::string data;
    if (const int status = read_data(options, data); status != exit_report)
        return status;
    box_texts texts =
        options.matrix_file ? split_matrix_text(std::move(data)) : box_texts{*options.dimension, std::move(data)};
    const text_origin origin = origin_of(options, texts.line_feed_between);
    working_views views(options);
    if (const std::string refusal = views.open_files(options.data_file); !refusal.empty()) {
        std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\n", refusal.c_str());
        return exit_usage;
    }

    std::optional<terminal_encoding> view;
    if (!options.raw)
        view = locale_terminal_encoding();
    write_unchanged(stdout);  // the report's CR LF must reach stdout as it is
    // With a view of the working, the report is checked but not printed; --raw with only
    // --latex beside it prints it as usual.
    std::FILE* report_out = views.active() && !options.raw ? nullptr : stdout;
    console_seam seam(std::move(texts.dimension), std::move(texts.data), view, report_out);
    seam.limit_order(views.largest_order());
    run_options run;
    run.watcher = views.watcher();
    run.stop_requested = [] { return signal_that_stopped() != 0; };
    run.on_waiting_for_directory = [] {
        std::fputs(TORVANE_PROGRAM_NAME ": waiting for another run in this directory\n", stderr);
    };
    stop_on_signals();
    run_status status;
    {
        progress_line progress(stderr);
        run.step_written = [&progress](std::int32_t step, std::int32_t total_steps) {
            progress.show_step(step, total_steps);
        };
        seam.before_output = [&progress] { progress.clear(); };
        views.before_output = seam.before_output;
        status = compute_run(seam, run);
        views.before_output = nullptr;
    }
    const input_texts read_texts{seam.dimension(), seam.data(), origin};
    int outcome = report_outcome(status, seam, read_texts, views);
    if (outcome == exit_report) {
        const std::string failure = views.finish();
        if (signal_that_stopped() != 0)  // the view's last part was cut short: the report stays
            return report_stop(signal_that_stopped(), status);
        if (!failure.empty()) {
            std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\n", failure.c_str());
            outcome = exit_run_failed;
        }
    }
    if (status.outcome == run_outcome::completed)
        if (const std::string note = reading_stop_note(status.reading, read_texts); !note.empty())
            std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\n", note.c_str());
    return outcome;
}

// Help and version go to standard output, which may be closed or full.
int print_text(const char* text)
{
    const bool written = std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
    if (written)
        return exit_report;
    std::fprintf(stderr, TORVANE_PROGRAM_NAME ": could not write to standard output%s%s\n", errno != 0 ? ": " : "",
                 errno != 0 ? std::strerror(errno) : "");
    return exit_usage;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write then fails with EFBIG, and the run stops with a
    // message and an emptied report, instead of being killed without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const parsed_options parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty())
        return fail_usage(parsed.error);
    if (parsed.options.help)
        return print_text(usage_text);
    if (parsed.options.version)
        return print_text(TORVANE_PROGRAM_NAME " " TORVANE_VERSION "\n");
    // The run answers its own failures; what is left here is memory that ran out outside
    // it (the data read in, the views), said in the user's terms, not the library's.
    try {
        return run(parsed.options);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, TORVANE_PROGRAM_NAME ": %s\n", describe_failure_english(out_of_memory_outside_run()).c_str());
    } catch (...) {
        std::fprintf(stderr,
                     TORVANE_PROGRAM_NAME ": the run stopped on an unexpected error, so no report was printed\n");
    }
    return exit_run_failed;
}
