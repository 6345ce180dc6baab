// Drives a running Torvane.exe from outside for the screenshot script:
//   dialog_driver example   enters the 2 x 2 example, presses 计算, checks the result box
//                           and prints the window's rectangle as "x y width height"
//   dialog_driver close     closes the window
// Exit status 0 on success, 1 on a failure (said on stderr).

#include "resource.h"
#include "test_support.hpp"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

using namespace torvane_test;

HWND wait_for_torvane()
{
    const ULONGLONG end = GetTickCount64() + 30000;
    do {
        HWND window = FindWindowA(nullptr, "Torvane");
        if (window && IsWindowVisible(window))
            return window;
        Sleep(20);
    } while (GetTickCount64() < end);
    return nullptr;
}

int fail(const char* message)
{
    std::fprintf(stderr, "dialog_driver: %s\n", message);
    return 1;
}

int compute_example(HWND window)
{
    set_window_text(GetDlgItem(window, IDC_DIMENSION), example_dimension);
    set_window_text(GetDlgItem(window, IDC_DATA), example_data);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, IDC_COMPUTE), BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &ignored))
        return fail("the compute button did not answer");
    if (window_text(GetDlgItem(window, IDC_RESULT)) != example_report())
        return fail("the result box does not hold the example's report");
    // Let the dialog repaint before the picture is taken.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return fail("usage: dialog_driver example|close");
    try {
        HWND window = wait_for_torvane();
        if (!window)
            return fail("no visible window captioned Torvane");
        if (std::strcmp(argv[1], "example") == 0)
            return compute_example(window);
        if (std::strcmp(argv[1], "close") == 0)
            return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : fail("WM_CLOSE could not be posted");
        return fail("usage: dialog_driver example|close");
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
