#include "win32_dialog_seam.hpp"

#include "app_state.hpp"
#include "report_file_reader.hpp"
#include "resource.h"
#include "template_texts.hpp"

#include <windows.h>

#include <new>

namespace torvane {
namespace {

// The text of one edit box of main_dialog, copied through a zero-filled GlobalAlloc block
// (std::bad_alloc when it cannot be had). It is taken as UTF-16 and written in GBK, the
// code page of "mat.data" and of the report, so the file holds the same bytes whatever the
// system's code page is.
std::string dialog_box_text(int id)
{
    HWND box = GetDlgItem(main_dialog, id);
    const int length = GetWindowTextLengthW(box);
    if (length <= 0)
        return {};
    const SIZE_T size = (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t);
    auto* buffer = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
    if (!buffer)
        throw std::bad_alloc();
    const int copied = GetWindowTextW(box, buffer, length + 1);
    std::string text;
    try {
        text = gbk_from_wide({buffer, static_cast<std::size_t>(copied > 0 ? copied : 0)});
    } catch (...) {
        GlobalFree(buffer);
        throw;
    }
    GlobalFree(buffer);
    return text;
}

} // namespace

void set_result_box_text(const std::string& gbk) noexcept
{
    try {
        SetDlgItemTextW(main_dialog, IDC_RESULT, wide_from_gbk(gbk).c_str());
    } catch (const std::bad_alloc&) {  // no room for the UTF-16 copy: the system converts it
        SetDlgItemTextA(main_dialog, IDC_RESULT, gbk.c_str());
    }
}

std::string win32_dialog_seam::dimension_text() { return dialog_box_text(IDC_DIMENSION); }

std::string win32_dialog_seam::data_text() { return dialog_box_text(IDC_DATA); }

void win32_dialog_seam::set_result_text(report_source& report)
{
    std::string text;
    if (read_report(report, text))
        set_result_box_text(text);
}

} // namespace torvane
