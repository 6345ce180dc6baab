// Torvane.exe as a person meets it beyond typing and pressing: texts pasted or set by other
// programs, clicks made while a run holds the window, files that cannot be written.

#include "exe_under_test.hpp"
#include "test_support.hpp"

#include <filesystem>
#include <thread>

namespace torvane::testing {
namespace {

class torvane_exe_in_use : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 936u) << "Wine must run with the GBK code page (LC_ALL=zh_CN.UTF-8)"; }
    std::string file(const char* name) const { return read_file(session.file(name)); }

    torvane_session session{exe_under_test()};
};

// The report the run gives for these texts in this process, as the console computes it,
// in a directory of its own.
std::string report_of(const std::string& dimension, const std::string& data)
{
    const auto previous = std::filesystem::current_path();
    const auto directory = std::filesystem::temp_directory_path() / ("torvane-console-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(directory);
    std::filesystem::current_path(directory);
    scripted_dialog dialog(dimension, data);
    compute_run(dialog);
    const std::string report = read_file("mat.result");
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(directory);
    return report;
}

// A whole matrix pasted with Ctrl+V, bigger than an edit box takes by default, is taken
// whole and computed as the console computes the same text.
TEST_F(torvane_exe_in_use, a_pasted_matrix_is_taken_whole)
{
    const std::string matrix = small_integer_matrix(120);
    ASSERT_GT(matrix.size(), 32767u) << "more than an edit box takes by default";
    session.paste(IDC_DIMENSION, "120");
    session.paste(IDC_DATA, matrix);
    const std::string taken = window_text(session.item(IDC_DATA));
    ASSERT_EQ(taken.size(), matrix.size()) << "the pasted text was cut";
    ASSERT_TRUE(taken == matrix);
    ASSERT_TRUE(session.press_compute());
    EXPECT_TRUE(file("mat.result") == report_of("120", matrix)) << "not the console's report";

    std::string ten_megabytes;
    while (ten_megabytes.size() < 10u << 20)
        ten_megabytes += matrix;
    session.paste(IDC_DATA, ten_megabytes);
    EXPECT_EQ(window_text(session.item(IDC_DATA)).size(), ten_megabytes.size());
    EXPECT_EQ(session.close(), 18);
}

// Texts of 1 and 4 MiB set into the data box from this process, as test tools and
// accessibility tools do: the dialog keeps them and keeps running.
TEST_F(torvane_exe_in_use, a_large_text_set_from_another_program_leaves_the_dialog_running)
{
    const std::string rows = small_integer_matrix(120);
    for (const std::size_t size : {std::size_t{1} << 20, std::size_t{4} << 20}) {
        std::string text;
        while (text.size() < size)
            text += rows;
        ASSERT_NO_THROW(session.enter("1", text)) << size;
        EXPECT_EQ(WaitForSingleObject(session.process(), 500), WAIT_TIMEOUT) << "the dialog ended after " << size;
        EXPECT_EQ(window_text(session.item(IDC_DATA)).size(), text.size());
    }
    EXPECT_EQ(session.close(), 18);
}

// Whether the dialog answers a message at once: false while a run holds it.
bool answers(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored) != 0;
}

// Two clicks on 计算 while a long run holds the window start no run after it. The order is
// set to 0 behind them (a sent message comes before queued input), so a click replayed
// would empty mat.result; a click and a key in the order box afterwards show when all the
// queued input has been taken.
TEST_F(torvane_exe_in_use, clicks_made_during_a_run_are_not_replayed)
{
    const std::string matrix = small_integer_matrix(120);
    session.enter("120", matrix);
    std::thread press([this] { session.press_compute(); });
    for (const ULONGLONG end = GetTickCount64() + 30000; answers(session.window()) && GetTickCount64() < end;)
        Sleep(20);
    EXPECT_FALSE(answers(session.window())) << "the run did not hold the window";
    session.click(IDC_COMPUTE);
    session.click(IDC_COMPUTE);
    SendMessageTimeoutA(session.item(IDC_DIMENSION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"), SMTO_NORMAL,
                        180000, nullptr);
    press.join();
    session.click(IDC_DIMENSION);
    session.type_key('7');
    for (const ULONGLONG end = GetTickCount64() + 30000;
         window_text(session.item(IDC_DIMENSION)).size() < 2 && GetTickCount64() < end;)
        Sleep(50);
    ASSERT_EQ(window_text(session.item(IDC_DIMENSION)).size(), 2u) << "the key never reached the order box";
    EXPECT_EQ(file("mat.data").substr(0, 5), "120\r\n") << "a click was replayed";
    EXPECT_NE(file("mat.result"), "") << "a click was replayed";
    EXPECT_EQ(session.close(), 18);
}

// 无法写入文件 "mat.result"：
const std::string cannot_write_report = "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE \"mat.result\"\xA3\xBA";

struct unwritable_report {
    const char* what;
    void (*make)(torvane_session& session);
    std::string reason;
};

const unwritable_report unwritable_reports[] = {
    {"a directory", [](torvane_session& s) { CreateDirectoryA(s.file("mat.result").c_str(), nullptr); },
     "\xBE\xDC\xBE\xF8\xB7\xC3\xCE\xCA\xA1\xA3"},  // 拒绝访问。
    {"on a full disk", [](torvane_session& s) { s.link_to_unix_file("mat.result", "/dev/full"); },
     "\xB4\xC5\xC5\xCC\xD2\xD1\xC2\xFA\xA1\xA3"},  // 磁盘已满。
};

// The result box says which file could not be written and the system's reason.
TEST_F(torvane_exe_in_use, says_why_a_file_could_not_be_written)
{
    for (const unwritable_report& report : unwritable_reports) {
        SCOPED_TRACE(report.what);
        DeleteFileA(session.file("mat.result").c_str());
        RemoveDirectoryA(session.file("mat.result").c_str());
        report.make(session);
        session.enter(example().dimension, example().data);
        ASSERT_TRUE(session.press_compute());
        EXPECT_EQ(session.result_text(), cannot_write_report + report.reason);
    }
}

} // namespace
} // namespace torvane::testing
