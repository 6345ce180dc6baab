// Torvane.exe's entry: registers the window class, creates and shows the main dialog and
// runs the message loop until the dialog is closed.

#include "app_state.hpp"
#include "main_dialog.hpp"
#include "resource.h"

#include <windows.h>

namespace torvane {
namespace {

// The class carries the dialog procedure but no window is ever made of it: the template
// names no class, so the dialog is of the standard dialog class. Whether it registers
// still decides whether the program starts.
ATOM register_window_class(HINSTANCE instance)
{
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = reinterpret_cast<WNDPROC>(main_dialog_proc);
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = "Torvane";
    window_class.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    return RegisterClassExA(&window_class);
}

// No IsDialogMessage here: every message goes to its window as it is, so Tab does not move
// between the controls and every key reaches the focused box. Only the quit message ends
// the loop: -1 says that one message could not be fetched (Wine gives it for a message
// from another program too large to hand over), and the dialog with what its boxes hold
// goes on.
int run_message_loop()
{
    MSG message{};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace
} // namespace torvane

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace torvane;
    app_instance = instance;
    if (register_window_class(instance) == 0) {
        MessageBoxA(nullptr, "RegisterClass   Error", "Error", MB_ICONERROR);
        return 0;
    }
    main_dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, main_dialog_proc, 0);
    if (!main_dialog)
        return 1; // nothing could ever end the message loop
    // SW_SHOWNORMAL whatever show command the program was started with.
    ShowWindow(main_dialog, SW_SHOWNORMAL);
    UpdateWindow(main_dialog);
    return run_message_loop();
}
