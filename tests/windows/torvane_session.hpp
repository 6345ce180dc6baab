#pragma once
// What the Windows suites add to the shared test support: windows found and read across
// processes, and one running Torvane.exe, started in an empty directory of its own and
// driven through its window: the two boxes filled in, 计算 pressed, the result box read.

#include <windows.h>

#include <string>

namespace torvane::testing {

// A Unix path, as CMake knows the build tree, in the form Wine's Windows programs use.
std::string windows_path(std::string path);

// The first top-level window of `process_id` with this caption (and class, when given).
HWND find_window_of_process(DWORD process_id, const char* caption, const char* class_name = nullptr);
// Waits up to 30 s for such a window to exist and be visible; null when none came.
HWND wait_for_window_of_process(DWORD process_id, const char* caption);

// Through WM_GETTEXT and WM_SETTEXT, which work across processes, in the GBK code page.
std::string window_text(HWND window);
void set_window_text(HWND window, const std::string& text);

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
    // BM_CLICK returns when the click, and with it the whole run, is done: false when no
    // answer came within `timeout_ms`, that is, the dialog hangs.
    bool press_compute(DWORD timeout_ms = 60000);
    std::string result_text() const;
    // Closes the window and waits for the process to end; its exit status, or -1.
    long close();

private:
    void end();

    std::string directory_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

} // namespace torvane::testing
