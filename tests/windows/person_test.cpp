// Torvane.exe used as a person would use it: started in an empty directory, its window
// found by the caption "Torvane", the two boxes filled in, the 计算 button pressed, the
// result box read from this process, the window closed.

#include "resource.h"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using namespace torvane_test;

constexpr DWORD start_timeout_ms = 30000;
constexpr DWORD click_timeout_ms = 60000;

class torvane_exe_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u) << "Wine must run with the GBK code page (LC_ALL=zh_CN.UTF-8)";
        std::string command_line = "\"" + windows_path(TORVANE_EXE) + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   directory_.path().c_str(), &startup, &process_))
            << "cannot start " << command_line << ": error " << GetLastError();
        window_ = wait_for_window_of_process(process_.dwProcessId, "Torvane", start_timeout_ms);
        ASSERT_NE(window_, nullptr) << "Torvane.exe showed no window captioned Torvane";
    }

    void TearDown() override
    {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, start_timeout_ms);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }

    HWND item(int id) const { return GetDlgItem(window_, id); }

    // BM_CLICK returns when the button's click, and with it the whole compute run, is done.
    void press_compute()
    {
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutA(item(IDC_COMPUTE), BM_CLICK, 0, 0, SMTO_NORMAL, click_timeout_ms, &ignored))
            << "the compute button did not answer";
    }

    void enter(const std::string& dimension, const std::string& data)
    {
        set_window_text(item(IDC_DIMENSION), dimension);
        set_window_text(item(IDC_DATA), data);
    }

    std::string file(const char* name) const { return read_file(directory_.file(name)); }

    temp_directory directory_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

TEST_F(torvane_exe_test, shows_a_visible_centred_dialog_with_empty_boxes)
{
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_FALSE(IsIconic(window_));
    for (int id : {IDC_DIMENSION, IDC_DATA, IDC_RESULT}) {
        ASSERT_NE(item(id), nullptr) << id;
        EXPECT_EQ(window_text(item(id)), "") << id;
    }
    EXPECT_EQ(window_text(item(IDC_COMPUTE)), "\xBC\xC6\xCB\xE3"); // 计算
    RECT window{}, client{};
    GetWindowRect(window_, &window);
    GetClientRect(window_, &client);
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - client.right) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2);
    EXPECT_FALSE(file_exists(directory_.file("mat.data"))) << "nothing is written before the first press";
}

TEST_F(torvane_exe_test, computes_the_example_into_the_result_box_and_the_files)
{
    enter(example_dimension, example_data);
    press_compute();

    EXPECT_EQ(window_text(item(IDC_RESULT)), example_report());
    // Written in text mode: each LF lies on disk as CR LF, so the report's CR LF is CR CR LF.
    EXPECT_EQ(file("mat.data"), "2\r\n1 2\r\r\n3 4");
    EXPECT_EQ(file("mat.result"), as_written_in_text_mode(example_report()));
}

TEST_F(torvane_exe_test, dimension_0_leaves_the_result_box_unchanged)
{
    enter(example_dimension, example_data);
    press_compute();
    ASSERT_EQ(window_text(item(IDC_RESULT)), example_report());

    enter("0", example_data);
    press_compute();

    EXPECT_EQ(window_text(item(IDC_RESULT)), example_report());
    EXPECT_EQ(file("mat.data"), "0\r\n1 2\r\r\n3 4");
    EXPECT_EQ(file("mat.result"), "") << "the run empties both files before it reads the order";

    // The next press works normally.
    enter("1", "4");
    press_compute();
    EXPECT_EQ(window_text(item(IDC_RESULT)), order_one_report());
}

TEST_F(torvane_exe_test, closing_the_window_ends_the_process_with_status_18)
{
    ASSERT_TRUE(PostMessageA(window_, WM_CLOSE, 0, 0));
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, start_timeout_ms), WAIT_OBJECT_0) << "still running";
    DWORD status = 0;
    ASSERT_TRUE(GetExitCodeProcess(process_.hProcess, &status));
    EXPECT_EQ(status, 18u);
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(torvane_exe_test, closing_after_a_computation_also_ends_with_18_and_keeps_the_files)
{
    enter(example_dimension, example_data);
    press_compute();
    ASSERT_TRUE(PostMessageA(window_, WM_CLOSE, 0, 0));
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, start_timeout_ms), WAIT_OBJECT_0) << "still running";
    DWORD status = 0;
    ASSERT_TRUE(GetExitCodeProcess(process_.hProcess, &status));
    EXPECT_EQ(status, 18u);
    EXPECT_EQ(file("mat.result"), as_written_in_text_mode(example_report()));
}

} // namespace
