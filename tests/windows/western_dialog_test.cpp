// Torvane.exe on a Windows set to a western code page (Wine under C.UTF-8: code page
// 1252), read back as UTF-16 as the screen shows it: the labels and the report's Chinese
// headings read right, and a Chinese character typed into a box reaches "mat.data" in GBK,
// as on a Chinese system.

#include "test_support.hpp"

#include <string>

namespace torvane::testing {
namespace {

// By WM_GETTEXT, which reaches a box of another process (GetWindowTextW reads only the
// window's own caption there).
std::wstring wide_text(HWND window)
{
    DWORD_PTR length = 0, copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 60000, &length);
    std::wstring text(length + 1, L'\0');
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 60000,
                        &copied);
    text.resize(copied);
    return text;
}

std::wstring wide_from_gbk_bytes(const std::string& gbk)
{
    std::wstring wide(gbk.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

class western_system : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 1252u) << "Wine must run with a western code page (LC_ALL=C.UTF-8)"; }
    torvane_session session{TORVANE_EXE};
};

TEST_F(western_system, the_labels_and_the_report_read_in_chinese)
{
    std::wstring labels;
    for (HWND child = GetWindow(session.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        labels += wide_text(child) + L"|";
    int label_number = 0;
    for (const wchar_t* label : {L"输入矩阵维数|", L"输入矩阵数据|", L"结果输出|", L"计算|", L" · 高斯-约当消元法求逆矩阵|"})
        EXPECT_NE(labels.find(label), std::wstring::npos) << "label " << label_number++;

    session.enter(example().dimension, example().data);
    ASSERT_TRUE(session.press_compute());
    const std::wstring shown = wide_text(session.item(IDC_RESULT));
    EXPECT_NE(shown.find(L"第 1步"), std::wstring::npos);
    EXPECT_EQ(shown, wide_from_gbk_bytes(example().report));
}

TEST_F(western_system, a_chinese_character_reaches_mat_data_in_gbk)
{
    SendMessageW(session.item(IDC_DIMENSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    SendMessageW(session.item(IDC_DATA), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"１ 2 3 4"));  // a full-width 1
    ASSERT_TRUE(session.press_compute());
    EXPECT_EQ(read_file(session.file("mat.data")), "2\r\n\xA3\xB1 2 3 4");
}

} // namespace
} // namespace torvane::testing
