#pragma once
// The two handles the window shell shares: set by WinMain, read by the dialog procedure
// (the icon) and by the compute run's seam (the controls).

#include <windows.h>

namespace torvane {

extern HINSTANCE app_instance; // the module that holds the dialog template and the icon
extern HWND main_dialog;       // the main dialog, once CreateDialogParamA has returned

} // namespace torvane
