#pragma once
// One running Torvane.exe, started in its own empty directory and driven from this
// process through its window: the two boxes filled in, 计算 pressed, the result box read.

#include "test_support.hpp"

#include <windows.h>

#include <string>

namespace torvane_test {

class torvane_session {
public:
    // Starts `exe` and waits for its window captioned "Torvane"; throws when it cannot.
    explicit torvane_session(const std::string& exe);
    // Ends the process if it is still running.
    ~torvane_session();
    torvane_session(const torvane_session&) = delete;
    torvane_session& operator=(const torvane_session&) = delete;

    HANDLE process() const { return process_.hProcess; }
    HWND window() const { return window_; }
    const temp_directory& directory() const { return directory_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

    void enter(const std::string& dimension, const std::string& data);
    // Sends BM_CLICK, which returns when the click, and with it the whole compute run, is
    // done. False when the dialog gave no answer within `timeout_ms`: it hangs.
    bool press_compute(DWORD timeout_ms = 60000);
    std::string result_text() const;

private:
    temp_directory directory_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

} // namespace torvane_test
