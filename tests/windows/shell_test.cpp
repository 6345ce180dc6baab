// The window shell in this process: the main dialog as CreateDialogParamA makes it from
// the linked-in template, each row of main_dialog_proc's dispatch, center_window, and
// WinMain itself (its window class, its shown dialog, its quit code and its answer to a
// failed class registration).

#include "app_state.hpp"
#include "main_dialog.hpp"
#include "resource.h"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command);

namespace {

using namespace torvane_test;
using torvane::app_instance;
using torvane::main_dialog;
using torvane::main_dialog_proc;

HICON app_icon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)); }

HICON window_icon(HWND window, WPARAM which)
{
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
}

// The quit code posted to this thread, or -1 when no quit message is waiting.
int take_quit_code()
{
    MSG message{};
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return -1;
    return static_cast<int>(message.wParam);
}

// The screen the tests run on; the centring expectations below are worked out for it.
void expect_test_screen()
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the tests expect a 1024 x 768 display (scripts/test-windows)";
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768) << "the tests expect a 1024 x 768 display (scripts/test-windows)";
}

POINT window_origin(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

SIZE client_size(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

// A hidden main dialog made as WinMain makes it, in a fresh current directory.
class main_dialog_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u) << "Wine must run with the GBK code page (LC_ALL=zh_CN.UTF-8)";
        GetCurrentDirectoryA(sizeof previous_directory_, previous_directory_);
        ASSERT_TRUE(SetCurrentDirectoryA(directory_.path().c_str()));
        app_instance = GetModuleHandleA(nullptr);
        main_dialog = CreateDialogParamA(app_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, main_dialog_proc, 0);
        ASSERT_NE(main_dialog, nullptr);
    }

    void TearDown() override
    {
        if (IsWindow(main_dialog))
            DestroyWindow(main_dialog);
        take_quit_code();
        main_dialog = nullptr;
        SetCurrentDirectoryA(previous_directory_);
    }

    HWND item(int id) const { return GetDlgItem(main_dialog, id); }
    std::string item_text(int id) const { return window_text(item(id)); }
    void fill(const std::string& dimension, const std::string& data, const std::string& result = "before")
    {
        SetDlgItemTextA(main_dialog, IDC_DIMENSION, dimension.c_str());
        SetDlgItemTextA(main_dialog, IDC_DATA, data.c_str());
        SetDlgItemTextA(main_dialog, IDC_RESULT, result.c_str());
    }
    std::string file(const char* name) const { return read_file(directory_.file(name)); }
    bool has_file(const char* name) const { return file_exists(directory_.file(name)); }

    temp_directory directory_;
    char previous_directory_[MAX_PATH] = {};
};

TEST_F(main_dialog_test, starts_hidden_centred_with_the_small_icon_only)
{
    expect_test_screen();
    EXPECT_TRUE(IsWindow(main_dialog));
    EXPECT_FALSE(IsWindowVisible(main_dialog));
    EXPECT_EQ(GetWindowLongA(main_dialog, GWL_STYLE) & WS_VISIBLE, 0);

    ASSERT_NE(app_icon(), nullptr);
    EXPECT_EQ(window_icon(main_dialog, ICON_SMALL), app_icon());
    EXPECT_EQ(window_icon(main_dialog, ICON_BIG), nullptr);

    char class_name[64] = {};
    GetClassNameA(main_dialog, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, "#32770") << "the template names no class: the standard dialog class";

    // Centred by the client size, not the outer size.
    const SIZE client = client_size(main_dialog);
    const POINT origin = window_origin(main_dialog);
    EXPECT_EQ(origin.x, (1024 - client.cx) / 2);
    EXPECT_EQ(origin.y, (768 - client.cy) / 2);
}

TEST_F(main_dialog_test, init_dialog_sets_the_small_icon_and_centres_again)
{
    expect_test_screen();
    SendMessageA(main_dialog, WM_SETICON, ICON_SMALL, 0);
    SetWindowPos(main_dialog, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_EQ(window_icon(main_dialog, ICON_SMALL), nullptr);

    EXPECT_EQ(main_dialog_proc(main_dialog, WM_INITDIALOG, 0, 0), 1);

    EXPECT_EQ(window_icon(main_dialog, ICON_SMALL), app_icon());
    EXPECT_EQ(window_icon(main_dialog, ICON_BIG), nullptr);
    const SIZE client = client_size(main_dialog);
    const POINT origin = window_origin(main_dialog);
    EXPECT_EQ(origin.x, (1024 - client.cx) / 2);
    EXPECT_EQ(origin.y, (768 - client.cy) / 2);
    EXPECT_FALSE(IsWindowVisible(main_dialog));
}

TEST_F(main_dialog_test, compute_click_shows_the_report_and_answers_1)
{
    fill(example_dimension, example_data);
    EXPECT_EQ(main_dialog_proc(main_dialog, WM_COMMAND, IDC_COMPUTE, 0), 1);
    EXPECT_EQ(item_text(IDC_RESULT), example_report());
    EXPECT_EQ(file("mat.data"), as_written_in_text_mode("2\n1 2\r\n3 4"));
    EXPECT_EQ(file("mat.result"), as_written_in_text_mode(example_report()));
    EXPECT_EQ(item_text(IDC_DIMENSION), example_dimension) << "the input boxes are only read";
    EXPECT_EQ(item_text(IDC_DATA), example_data);

    // The next run replaces the whole text of the result box.
    fill("1", "4", item_text(IDC_RESULT));
    EXPECT_EQ(main_dialog_proc(main_dialog, WM_COMMAND, IDC_COMPUTE, 0), 1);
    EXPECT_EQ(item_text(IDC_RESULT), order_one_report());
    EXPECT_EQ(file("mat.result"), as_written_in_text_mode(order_one_report()));
}

// Commands other than the click of the compute button: each answers 1 and changes nothing.
TEST_F(main_dialog_test, other_commands_answer_1_and_start_no_run)
{
    struct command {
        const char* what;
        WPARAM wparam;
    };
    const command commands[] = {
        {"compute id with high word 1", MAKEWPARAM(IDC_COMPUTE, 1)},
        {"compute id with BN_DOUBLECLICKED", MAKEWPARAM(IDC_COMPUTE, BN_DOUBLECLICKED)},
        {"compute id with BN_SETFOCUS", MAKEWPARAM(IDC_COMPUTE, BN_SETFOCUS)},
        {"EN_CHANGE from the data box", MAKEWPARAM(IDC_DATA, EN_CHANGE)},
        {"EN_UPDATE from the dimension box", MAKEWPARAM(IDC_DIMENSION, EN_UPDATE)},
        {"EN_SETFOCUS from the result box", MAKEWPARAM(IDC_RESULT, EN_SETFOCUS)},
        {"IDOK (Enter)", MAKEWPARAM(IDOK, 0)},
        {"IDCANCEL (Esc)", MAKEWPARAM(IDCANCEL, 0)},
        {"data box id with code 0", IDC_DATA},
        {"id 0", 0},
    };
    for (const command& c : commands) {
        SCOPED_TRACE(c.what);
        fill(example_dimension, example_data);
        EXPECT_EQ(main_dialog_proc(main_dialog, WM_COMMAND, c.wparam, 0), 1);
        EXPECT_EQ(item_text(IDC_RESULT), "before");
        EXPECT_FALSE(has_file("mat.data")) << "a run was started";
        EXPECT_FALSE(has_file("mat.result")) << "a run was started";
        EXPECT_TRUE(IsWindow(main_dialog));
        EXPECT_EQ(take_quit_code(), -1);
    }
}

// A dimension that gives no positive order ends the run early: the procedure answers 0
// and the result box keeps its text.
TEST_F(main_dialog_test, early_end_answers_0_and_leaves_the_result_box)
{
    const char* const dimensions[] = {"0", "-2", "x", " 0 "};
    for (const char* dimension : dimensions) {
        SCOPED_TRACE(dimension);
        fill(dimension, example_data);
        EXPECT_EQ(main_dialog_proc(main_dialog, WM_COMMAND, IDC_COMPUTE, 0), 0);
        EXPECT_EQ(item_text(IDC_RESULT), "before");
        EXPECT_EQ(file("mat.data"), as_written_in_text_mode(std::string(dimension) + "\n" + example_data));
        EXPECT_EQ(file("mat.result"), "");
    }
    // The next press works normally.
    fill(example_dimension, example_data);
    EXPECT_EQ(main_dialog_proc(main_dialog, WM_COMMAND, IDC_COMPUTE, 0), 1);
    EXPECT_EQ(item_text(IDC_RESULT), example_report());
}

// A run that cannot be carried out says why in the result box, in Chinese.
TEST_F(main_dialog_test, unwritable_report_file_is_reported_in_the_result_box)
{
    ASSERT_TRUE(CreateDirectoryA(directory_.file("mat.result").c_str(), nullptr));
    fill(example_dimension, example_data);
    EXPECT_EQ(main_dialog_proc(main_dialog, WM_COMMAND, IDC_COMPUTE, 0), 1);
    // 无法写入文件 "mat.result"。
    EXPECT_EQ(item_text(IDC_RESULT), "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE \"mat.result\"\xA1\xA3");
}

TEST_F(main_dialog_test, messages_outside_the_table_answer_0)
{
    struct message {
        const char* what;
        UINT number;
        WPARAM wparam;
    };
    const message messages[] = {
        {"WM_NULL", WM_NULL, 0},
        {"WM_MOVE", WM_MOVE, 0},
        {"WM_SIZE", WM_SIZE, SIZE_RESTORED},
        {"WM_TIMER", WM_TIMER, 1},
        {"WM_KEYDOWN", WM_KEYDOWN, VK_RETURN},
        {"WM_CHAR", WM_CHAR, 'a'},
        {"WM_LBUTTONDOWN", WM_LBUTTONDOWN, MK_LBUTTON},
        {"WM_SYSCOMMAND close", WM_SYSCOMMAND, SC_CLOSE},
        {"WM_QUIT", WM_QUIT, 18},
        {"WM_NCDESTROY", WM_NCDESTROY, 0},
        {"WM_NOTIFY", WM_NOTIFY, IDC_DATA},
        {"WM_USER", WM_USER, IDC_COMPUTE},
        {"WM_APP", WM_APP, IDC_COMPUTE},
    };
    for (const message& m : messages) {
        SCOPED_TRACE(m.what);
        fill(example_dimension, example_data);
        EXPECT_EQ(main_dialog_proc(main_dialog, m.number, m.wparam, 0), 0);
        EXPECT_TRUE(IsWindow(main_dialog));
        EXPECT_EQ(take_quit_code(), -1);
        EXPECT_EQ(item_text(IDC_RESULT), "before");
        EXPECT_FALSE(has_file("mat.result"));
    }
}

TEST_F(main_dialog_test, close_destroys_the_dialog_and_destroy_posts_quit_18)
{
    EXPECT_EQ(main_dialog_proc(main_dialog, WM_CLOSE, 0, 0), 1);
    EXPECT_FALSE(IsWindow(main_dialog));
    // DestroyWindow sent WM_DESTROY to the same procedure.
    EXPECT_EQ(take_quit_code(), 18);
}

TEST_F(main_dialog_test, destroy_answers_1_and_posts_quit_18)
{
    EXPECT_EQ(main_dialog_proc(main_dialog, WM_DESTROY, 0, 0), 1);
    EXPECT_EQ(take_quit_code(), 18);
    EXPECT_TRUE(IsWindow(main_dialog)) << "WM_DESTROY itself destroys nothing";
}

// The arithmetic: client size against the whole screen, halves truncated toward zero.
TEST(centred_origin, truncates_toward_zero)
{
    struct row {
        int client_width, client_height, screen_width, screen_height;
        LONG x, y;
    };
    const row rows[] = {
        {517, 421, 1024, 768, 253, 173},
        {1027, 421, 1024, 768, -1, 173}, // 3 wider: -3 / 2 is -1, not -2
        {1028, 421, 1024, 768, -2, 173},
        {517, 771, 1024, 768, 253, -1},
        {517, 772, 1024, 768, 253, -2},
        {1024, 768, 1024, 768, 0, 0},
        {1025, 769, 1024, 768, 0, 0}, // -1 / 2 is 0
        {518, 420, 1024, 768, 253, 174},
        {0, 0, 1920, 1080, 960, 540},
        {3000, 2000, 1920, 1080, -540, -460},
    };
    for (const row& r : rows) {
        const POINT origin = torvane::centred_origin(r.client_width, r.client_height, r.screen_width, r.screen_height);
        EXPECT_EQ(origin.x, r.x) << r.client_width << " x " << r.client_height;
        EXPECT_EQ(origin.y, r.y) << r.client_width << " x " << r.client_height;
    }
}

// center_window on real windows of the dialog's style, sized to a given client area, on
// the 1024 x 768 test screen.
TEST(center_window, moves_the_outer_corner_by_the_client_size)
{
    expect_test_screen();
    struct row {
        int client_width, client_height;
        LONG x, y;
    };
    const row rows[] = {
        {517, 421, 253, 173},
        {1027, 421, -1, 173},
        {1028, 421, -2, 173},
        {517, 771, 253, -1},
        {200, 100, 412, 334},
    };
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.client_width) + " x " + std::to_string(r.client_height));
        RECT outer{0, 0, r.client_width, r.client_height};
        AdjustWindowRectEx(&outer, style, FALSE, 0);
        HWND window = CreateWindowExA(0, "Static", "centre me", style, 7, 9, outer.right - outer.left,
                                      outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        const SIZE client = client_size(window);
        ASSERT_EQ(client.cx, r.client_width);
        ASSERT_EQ(client.cy, r.client_height);

        torvane::center_window(window);

        const POINT origin = window_origin(window);
        EXPECT_EQ(origin.x, r.x);
        EXPECT_EQ(origin.y, r.y);
        EXPECT_EQ(client_size(window).cx, r.client_width) << "the size stays";
        EXPECT_EQ(client_size(window).cy, r.client_height) << "the size stays";
        DestroyWindow(window);
    }
}

// WinMain runs on this thread; a watcher thread looks at what it shows and ends it.
class win_main_test : public ::testing::Test {
protected:
    void TearDown() override
    {
        UnregisterClassA("Torvane", GetModuleHandleA(nullptr));
        take_quit_code();
    }

    template <class Watch> int run_win_main(int show_command, Watch watch)
    {
        std::atomic<bool> done{false};
        std::thread watcher([&] { watch(done); });
        char command_line[] = "";
        const int result = WinMain(GetModuleHandleA(nullptr), nullptr, command_line, show_command);
        done = true;
        watcher.join();
        return result;
    }
};

TEST_F(win_main_test, shows_the_dialog_normally_and_returns_18_when_it_is_closed)
{
    bool found = false, visible = false, iconic = true;
    std::string dialog_class;
    WNDCLASSEXA registered{};
    registered.cbSize = sizeof registered;
    BOOL class_found = FALSE;

    const int result = run_win_main(SW_MINIMIZE, [&](const std::atomic<bool>& done) {
        HWND dialog = wait_for_window_of_process(GetCurrentProcessId(), "Torvane", 30000);
        if (!dialog || done)
            return;
        found = true;
        visible = IsWindowVisible(dialog);
        iconic = IsIconic(dialog);
        char name[64] = {};
        GetClassNameA(dialog, name, sizeof name);
        dialog_class = name;
        class_found = GetClassInfoExA(GetModuleHandleA(nullptr), "Torvane", &registered);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });

    EXPECT_EQ(result, 18);
    ASSERT_TRUE(found) << "no visible window captioned Torvane";
    EXPECT_TRUE(visible);
    EXPECT_FALSE(iconic) << "SW_SHOWNORMAL, not the show command WinMain was given";
    EXPECT_EQ(dialog_class, "#32770");
    EXPECT_EQ(app_instance, GetModuleHandleA(nullptr));
    EXPECT_FALSE(IsWindow(main_dialog));

    // The registered class, as the watcher found it while the dialog was up.
    ASSERT_TRUE(class_found);
    EXPECT_EQ(registered.style, UINT{CS_HREDRAW | CS_VREDRAW});
    EXPECT_EQ(registered.lpfnWndProc, reinterpret_cast<WNDPROC>(main_dialog_proc));
    EXPECT_EQ(registered.cbClsExtra, 0);
    EXPECT_EQ(registered.cbWndExtra, 30);
    EXPECT_EQ(registered.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(registered.hIcon, app_icon());
    EXPECT_EQ(registered.hIconSm, app_icon());
    EXPECT_EQ(registered.hCursor, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    EXPECT_EQ(registered.hbrBackground, reinterpret_cast<HBRUSH>(INT_PTR{16}));
    EXPECT_EQ(registered.lpszMenuName, nullptr);
}

TEST_F(win_main_test, failed_registration_shows_one_error_box_and_returns_0)
{
    // A class of the same name from the same module makes RegisterClassExA fail.
    WNDCLASSEXA taken{};
    taken.cbSize = sizeof taken;
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "Torvane";
    ASSERT_NE(RegisterClassExA(&taken), 0);

    std::set<HWND> boxes;
    std::vector<std::string> texts;
    int buttons = 0;
    bool has_ok = false, error_icon = false, dialog_seen = false;

    const int result = run_win_main(SW_SHOWNORMAL, [&](const std::atomic<bool>& done) {
        const ULONGLONG end = GetTickCount64() + 30000;
        while (!done && GetTickCount64() < end) {
            if (find_window_of_process(GetCurrentProcessId(), "Torvane"))
                dialog_seen = true;
            HWND box = find_window_of_process(GetCurrentProcessId(), "Error", "#32770");
            if (!box || !IsWindowVisible(box) || boxes.count(box)) {
                Sleep(20);
                continue;
            }
            boxes.insert(box);
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                char name[64] = {};
                GetClassNameA(child, name, sizeof name);
                if (lstrcmpiA(name, "Button") == 0)
                    ++buttons;
                else if (lstrcmpiA(name, "Static") == 0) {
                    texts.push_back(window_text(child));
                    auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
                    if (icon && icon == LoadIconA(nullptr, MAKEINTRESOURCEA(32513))) // IDI_ERROR
                        error_icon = true;
                }
            }
            has_ok = GetDlgItem(box, IDOK) != nullptr;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });

    EXPECT_EQ(result, 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "RegisterClass   Error"), texts.end());
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(has_ok);
    EXPECT_TRUE(error_icon);
    EXPECT_FALSE(dialog_seen) << "no dialog after a failed registration";
}

} // namespace
