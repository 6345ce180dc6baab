#include "win32_dialog_seam.hpp"

#include "app_state.hpp"
#include "read_report.hpp"
#include "resource.h"

#include <windows.h>

#include <new>

namespace torvane {

std::string dialog_box_text(int id)
{
    const int length = GetWindowTextLengthA(GetDlgItem(main_dialog, id));
    if (length <= 0)
        return {};
    const SIZE_T size = static_cast<SIZE_T>(length) + 1;
    auto* buffer = static_cast<char*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
    if (!buffer)
        throw std::bad_alloc();
    GetDlgItemTextA(main_dialog, id, buffer, length + 1);
    // The length may overstate a text of double-byte characters; the zero fill then
    // stands for the rest, as it does in the file written from this buffer.
    std::string text;
    try {
        text.assign(buffer, static_cast<std::size_t>(length));
    } catch (...) {
        GlobalFree(buffer);
        throw;
    }
    GlobalFree(buffer);
    return text;
}

std::string win32_dialog_seam::dimension_text() { return dialog_box_text(IDC_DIMENSION); }

std::string win32_dialog_seam::data_text() { return dialog_box_text(IDC_DATA); }

void win32_dialog_seam::set_result_text(report_source& report)
{
    std::string text;
    if (read_report(report, text))
        SetDlgItemTextA(main_dialog, IDC_RESULT, text.c_str());
}

} // namespace torvane
