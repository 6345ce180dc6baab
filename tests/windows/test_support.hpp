#pragma once
// What the Windows tests share: the example's expected report, files and temporary
// directories, and finding and reading windows, also those of another process.

#include <windows.h>

#include <string>
#include <string_view>

namespace torvane_test {

// The input of the example: dimension "2", data "1 2" CR LF "3 4".
inline constexpr const char* example_dimension = "2";
inline constexpr const char* example_data = "1 2\r\n3 4";

// The report of the example as the result box shows it: 16 lines, each ended by CR LF,
// with the GBK labels "第 n步" and "求逆结果：".
std::string example_report();
// The report of [[4]]: no step block.
std::string order_one_report();

// What text mode leaves on disk for `text` written by the program: every LF as CR LF.
std::string as_written_in_text_mode(std::string_view text);

std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

// A fresh, empty directory under the temporary directory, removed with all it holds.
class temp_directory {
public:
    temp_directory();
    ~temp_directory();
    temp_directory(const temp_directory&) = delete;
    temp_directory& operator=(const temp_directory&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A Unix path, as CMake knows the build tree, in the form Wine's Windows programs use.
std::string windows_path(std::string path);

// The first top-level window of process `process_id` with this caption (and this class,
// when one is given), or null.
HWND find_window_of_process(DWORD process_id, const char* caption, const char* class_name = nullptr);
// Waits up to `timeout_ms` for such a window to exist and be visible.
HWND wait_for_window_of_process(DWORD process_id, const char* caption, DWORD timeout_ms);

// The window's text through WM_GETTEXT, which works across processes (the text comes in
// the system code page, GBK here).
std::string window_text(HWND window);
void set_window_text(HWND window, const std::string& text);

} // namespace torvane_test
