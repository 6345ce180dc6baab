// Drives a running Torvane.exe from outside for the screenshot script:
//   dialog_driver example   enters the 2 x 2 example, presses 计算, checks the result box
//                           and prints the window's rectangle as "x y width height"
//   dialog_driver close     closes the window
// Exit status 0 on success, 1 on a failure (said on stderr).

#include "resource.h"
#include "test_support.hpp"
#include "torvane_session.hpp"

#include <cstring>
#include <exception>
#include <iostream>

namespace {

using namespace torvane::testing;

int fail(const char* message)
{
    std::cerr << "dialog_driver: " << message << "\n";
    return 1;
}

int compute_example(HWND window)
{
    set_window_text(GetDlgItem(window, IDC_DIMENSION), example().dimension);
    set_window_text(GetDlgItem(window, IDC_DATA), example().data);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, IDC_COMPUTE), BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &ignored))
        return fail("the compute button did not answer");
    if (window_text(GetDlgItem(window, IDC_RESULT)) != example().report)
        return fail("the result box does not hold the example's report");
    // Let the dialog repaint before the picture is taken.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::cout << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' ' << rect.bottom - rect.top << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return fail("usage: dialog_driver example|close");
    try {
        HWND window = nullptr;
        for (const ULONGLONG end = GetTickCount64() + 30000; !window && GetTickCount64() < end; Sleep(20))
            if (HWND found = FindWindowA(nullptr, "Torvane"); found && IsWindowVisible(found))
                window = found;
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
