#pragma once
// The dialog is made from its template through the "A" functions, which hand each control
// its text in the system's code page: on a system not set to Chinese the labels would read
// "??????". These put the template's own UTF-16 texts back on the controls, and convert the
// boxes' texts between UTF-16 and GBK, the code page of the report and of "mat.data",
// whatever the system's is.

#include <windows.h>

#include <string>
#include <string_view>

namespace torvane {

// Gives every control of `dialog` that has a text in template `template_id` of `instance`
// that text as UTF-16, matching the controls to the template's items in creation order.
void show_template_texts(HWND dialog, HINSTANCE instance, int template_id);

// GBK bytes as UTF-16, and back; a character GBK has not becomes "?".
std::wstring wide_from_gbk(std::string_view gbk);
std::string gbk_from_wide(std::wstring_view wide);

} // namespace torvane
