#pragma once
// The main dialog: its dialog procedure and its placement on the screen.

#include <windows.h>

namespace torvane {

// Answers 1 for the messages it handles (WM_INITDIALOG, WM_COMMAND, WM_CLOSE, WM_DESTROY)
// and 0 for every other one, leaving it to the dialog manager. A click on the compute
// button answers 0 when the input gave no positive order and nothing was computed.
INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Moves the window so that a client area of its size would sit in the middle of the
// primary screen; size and z-order stay.
void center_window(HWND window);

} // namespace torvane
