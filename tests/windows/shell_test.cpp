// What only this process can see of the window shell: the centring arithmetic, and
// WinMain's answer to a window class it cannot register (one error box, then 0). The
// dialog itself is tested as a person uses it, from another process (person_test.cpp).

#include "main_dialog.hpp"
#include "torvane_session.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command);

namespace torvane::testing {
namespace {

// Client size against the whole screen, halves truncated toward zero.
TEST(centred_origin, truncates_toward_zero)
{
    const int rows[][6] = {{517, 421, 1024, 768, 253, 173}, {1027, 421, 1024, 768, -1, 173},  // -3 / 2 is -1
                           {1028, 421, 1024, 768, -2, 173}, {517, 771, 1024, 768, 253, -1},
                           {1025, 769, 1024, 768, 0, 0},  // -1 / 2 is 0
                           {518, 420, 1024, 768, 253, 174}, {3000, 2000, 1920, 1080, -540, -460}};
    for (const auto& r : rows) {
        const POINT origin = centred_origin(r[0], r[1], r[2], r[3]);
        EXPECT_EQ(origin.x, r[4]) << r[0] << " x " << r[1];
        EXPECT_EQ(origin.y, r[5]) << r[0] << " x " << r[1];
    }
}

TEST(win_main, failed_registration_shows_one_error_box_and_returns_0)
{
    // A class of the same name from the same module makes RegisterClassExA fail.
    WNDCLASSEXA taken{};
    taken.cbSize = sizeof taken;
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "Torvane";
    ASSERT_NE(RegisterClassExA(&taken), 0);

    std::atomic<bool> done{false};
    int boxes = 0;
    std::string text;
    std::thread watcher([&] {
        for (const ULONGLONG end = GetTickCount64() + 30000; !done && GetTickCount64() < end; Sleep(20))
            if (HWND box = find_window_of_process(GetCurrentProcessId(), "Error", "#32770"); box && IsWindowVisible(box)) {
                ++boxes;
                for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                    text += window_text(child) + "|";
                SendMessageA(box, WM_COMMAND, IDOK, 0);
            }
    });
    char command_line[] = "";
    const int result = WinMain(GetModuleHandleA(nullptr), nullptr, command_line, SW_SHOWNORMAL);
    done = true;
    watcher.join();
    UnregisterClassA("Torvane", GetModuleHandleA(nullptr));

    EXPECT_EQ(result, 0);
    EXPECT_EQ(boxes, 1);
    EXPECT_NE(text.find("RegisterClass   Error|"), std::string::npos) << text;
    EXPECT_EQ(find_window_of_process(GetCurrentProcessId(), "Torvane"), nullptr) << "no dialog after a failed registration";
}

} // namespace
} // namespace torvane::testing
