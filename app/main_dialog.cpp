#include "main_dialog.hpp"

#include "app_state.hpp"
#include "compute_run.hpp"
#include "resource.h"
#include "run_messages.hpp"
#include "template_texts.hpp"
#include "win32_dialog_seam.hpp"

#include <new>

namespace torvane {

namespace {

// What the result box shows when a computation needs more memory than there is for
// reading the input boxes: "内存不足，无法完成计算。"
const char* const out_of_memory_text =
    "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3\xA3\xAC\xCE\xDE\xB7\xA8\xCD\xEA\xB3\xC9\xBC\xC6\xCB\xE3\xA1\xA3";

// "计算中发生意外错误，未显示报告。"
const char* const unexpected_error_text = "\xbc\xc6\xcb\xe3\xd6\xd0\xb7\xa2\xc9\xfa\xd2\xe2\xcd\xe2\xb4\xed\xce\xf3"
                                          "\xa3\xac\xce\xb4\xcf\xd4\xca\xbe\xb1\xa8\xb8\xe6\xa1\xa3";

constexpr int quit_code = 18;

// An edit box takes some 30,000 characters from the keyboard or the clipboard unless told
// otherwise, and cuts a longer paste without a word: a pasted matrix would lose its last
// rows. 0 raises the limit to the most the box can hold, more than any run can take.
void accept_texts_of_any_length(HWND window)
{
    for (int id : {IDC_DIMENSION, IDC_DATA})
        SendDlgItemMessageA(window, id, EM_SETLIMITTEXT, 0, 0);
}

// The icon goes in as the small icon only; the large one stays unset. The template has no
// WS_VISIBLE, so the dialog is still hidden here and WinMain shows it afterwards.
INT_PTR on_init_dialog(HWND window)
{
    accept_texts_of_any_length(window);
    HICON icon = LoadIconA(app_instance, MAKEINTRESOURCEA(IDI_APP));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    show_template_texts(window, app_instance, IDD_MAIN);
    UpdateWindow(window);
    center_window(window);
    return 1;
}

// The run, and what it shows in the result box when it could not be carried out.
INT_PTR run_and_show()
{
    try {
        win32_dialog_seam seam;
        const run_status status = compute_run(seam);
        switch (status.outcome) {
        case run_outcome::completed:
            return 1;
        case run_outcome::no_order:
            return 0;
        case run_outcome::failed:
            set_result_box_text(describe_failure_chinese_gbk(status));
            return 1;
        case run_outcome::interrupted:  // nothing stops the dialog's runs from outside
            return 1;
        }
    } catch (const std::bad_alloc&) {
        // No exception may unwind through the dialog manager.
        set_result_box_text(out_of_memory_text);
    } catch (...) {
        set_result_box_text(unexpected_error_text);
    }
    return 1;
}

// The window does not answer while a run computes, but the system keeps every click and
// key made meanwhile and would hand them over afterwards: each click on 计算 would start the
// same run again. They were made at a window that could not take them, so they go. Clicks
// on the caption (moving, closing) are not in these ranges and still take effect.
// PM_QS_INPUT: only the input is searched, not the messages posted to the window.
void drop_input_queued_during_run()
{
    MSG dropped;
    while (PeekMessageA(&dropped, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE | PM_QS_INPUT))
        ;
    while (PeekMessageA(&dropped, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE | PM_QS_INPUT))
        ;
}

// One press of the compute button. An order of 0 or less leaves the result box as it was
// and answers 0; a run that cannot be carried out says why in the result box.
INT_PTR on_compute()
{
    const INT_PTR answer = run_and_show();
    drop_input_queued_during_run();
    return answer;
}

// Only the click of the compute button (BN_CLICKED, 0, in the high word) starts a run;
// every other command and every notification of the edit boxes is taken and ignored.
INT_PTR on_command(WPARAM wparam)
{
    if (wparam == IDC_COMPUTE)
        return on_compute();
    return 1;
}

INT_PTR on_close(HWND window)
{
    DestroyWindow(window);
    return 1;
}

INT_PTR on_destroy()
{
    PostQuitMessage(quit_code);
    return 1;
}

} // namespace

INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(window);
    case WM_COMMAND:
        return on_command(wparam);
    case WM_CLOSE:
        return on_close(window);
    case WM_DESTROY:
        return on_destroy();
    default:
        return 0;
    }
}

// The client size stands for the window size, so the window sits half its frame right of
// and below the exact middle. The divisions truncate toward zero: a client 3 pixels wider
// than the screen gives x = -1.
void center_window(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - client.right) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace torvane
