#pragma once
// What the Linux and Windows suites share: a scratch directory to run in, a scripted
// dialog, files byte for byte, and the corpus in tests/data/reports, where each case is a
// dimension text, a data text and the exact report they must give.

#include "compute_run.hpp"
#include "report_file_reader.hpp"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "resource.h"
#include <windows.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::testing {

// A test that needs what this machine lacks (a tool, root) is skipped, saying what; where
// CI runs (CI is set), which has everything installed, that is a failure instead.
#define TORVANE_SKIP_FOR_WANT_OF(what)                                                                                 \
    do {                                                                                                               \
        if (std::getenv("CI") != nullptr)                                                                              \
            FAIL() << "CI must run every test, and this one lacks " << (what);                                         \
        GTEST_SKIP() << "this machine lacks " << (what);                                                               \
    } while (false)

// The run writes its files into the current directory, so each test gets a fresh one.
// Set to a test's directory while it starts a child process that runs a test of its own:
// the child's directory is then made inside it, and goes with it.
inline constexpr const char* scratch_parent_variable = "TORVANE_TEST_SCRATCH_PARENT";
class in_scratch_directory : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path directory;

private:
    std::filesystem::path previous;
};

// The dialog as a test drives it: two box texts in, the result box text out.
class scripted_dialog final : public front_end {
public:
    scripted_dialog(std::string typed_dimension, std::string typed_data) : dimension(typed_dimension), data(typed_data) {}
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

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view bytes);
// `text` as the platform's text mode leaves it on disk: on Windows each LF as CR LF.
std::string on_disk(std::string_view text);
// A path of the build tree as this platform's programs open it: Z:\... under Wine.
std::string platform_path(std::string path);
// A file under tests/data.
inline std::string test_data(const std::string& relative) { return platform_path(TORVANE_TEST_DATA "/" + relative); }

// The rows of a table kept as data under tests/data: one row a line, fields separated by
// tabs, the escapes \t \r \n \v \f \\ within a field; lines starting with # are notes.
std::vector<std::vector<std::string>> data_table(const std::string& relative);

struct report_case {
    std::string name, dimension, data;
    std::string report;  // the exact mat.result; empty when the input gives no positive order
    std::string digest;  // instead of `report` for one too large to keep: "SIZE FNV-1a-64"
    bool computes() const { return !report.empty() || !digest.empty(); }
};
inline void PrintTo(const report_case& c, std::ostream* out) { *out << c.name; }

std::vector<report_case> report_cases();
report_case report_case_named(const std::string& name);
// Whether `shown` is the case's report; when not, where the two part.
::testing::AssertionResult is_report_of(const report_case& c, std::string_view shown);

// The 2 x 2 example, [[1, 2], [3, 4]], whose report every suite knows.
inline const report_case& example() { static const report_case c = report_case_named("example"); return c; }

#ifdef _WIN32
// For the Windows suites (tests/windows/torvane_session.cpp): one running Torvane.exe,
// started in an empty directory of its own and driven from this process through its
// window (WM_SETTEXT, BM_CLICK and WM_GETTEXT work across processes, in the GBK code page).

std::string window_text(HWND window);

// An order-N matrix of small integers (-9 to 9) as a person pastes it: one row a line,
// entries separated by blanks, lines ended with CR LF. The same `seed` gives the same text.
std::string small_integer_matrix(int order, unsigned seed = 1);

class torvane_session {
public:
    // Starts `exe` and waits for its window captioned "Torvane"; throws when it cannot.
    explicit torvane_session(const std::string& exe);
    ~torvane_session();  // ends the process if it still runs, and removes its directory
    torvane_session(const torvane_session&) = delete;
    torvane_session& operator=(const torvane_session&) = delete;

    HANDLE process() const { return process_.hProcess; }
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    std::string file(const char* name) const { return directory_ + "\\" + name; }

    void enter(const std::string& dimension, const std::string& data);
    // What Ctrl+V does: `text` goes onto the clipboard and the box takes it from there in
    // place of its whole text.
    void paste(int id, const std::string& text);
    // A click of the left mouse button in the middle of the control, through the input
    // queue as a person's click comes.
    void click(int id);
    // A key pressed and let go, through the input queue, into the control with the focus.
    void type_key(WORD virtual_key);
    // Makes `name` in the session's directory a symbolic link to the Linux file `target`
    // (/dev/full: a disk that is always full), removed again at the end. Under Wine only:
    // it runs Linux's ln and rm.
    void link_to_unix_file(const char* name, const char* target);
    // BM_CLICK returns when the click, and with it the whole run, is done: false when no
    // answer came within a minute, that is, the dialog hangs.
    bool press_compute();
    std::string result_text() const { return window_text(item(IDC_RESULT)); }
    // Closes the window and waits for the process to end; its exit status, or -1.
    long close();

private:
    void end();
    bool holds(const std::string& name) const;
    void run_linux_on(const std::string& name, const std::string& command, bool leaves_it) const;

    std::string directory_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::vector<std::string> unix_links_;
};

#endif

} // namespace torvane::testing
