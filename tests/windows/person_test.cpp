// Torvane.exe used as a person uses it, from another process: started in an empty
// directory, its window found by the caption "Torvane", the boxes filled in, 计算 pressed,
// the result box read, the window closed. Every file it leaves is written in text mode:
// each LF lies on disk as CR LF, so the report's CR LF as CR CR LF.

#include "order_limits.hpp"
#include "run_messages.hpp"
#include "system_limits.hpp"
#include "exe_under_test.hpp"
#include "test_support.hpp"

#include <filesystem>
#include <iostream>

#include <psapi.h>

namespace torvane::testing {
namespace {

class torvane_exe : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 936u) << "Wine must run with the GBK code page (LC_ALL=zh_CN.UTF-8)"; }
    std::string file(const char* name) const { return read_file(session.file(name)); }

    torvane_session session{exe_under_test()};
};

TEST_F(torvane_exe, shows_a_centred_dialog_with_empty_boxes_and_writes_nothing)
{
    EXPECT_TRUE(IsWindowVisible(session.window()));
    EXPECT_FALSE(IsIconic(session.window()));
    for (int id : {IDC_DIMENSION, IDC_DATA, IDC_RESULT})
        EXPECT_EQ(window_text(session.item(id)), "") << id;
    EXPECT_EQ(window_text(session.item(IDC_COMPUTE)), "\xBC\xC6\xCB\xE3");  // 计算
    RECT window{}, client{};
    GetWindowRect(session.window(), &window);
    GetClientRect(session.window(), &client);
    // Centred by the client size, not the outer one, on the 1024 x 768 test screen.
    EXPECT_EQ(window.left, (1024 - client.right) / 2);
    EXPECT_EQ(window.top, (768 - client.bottom) / 2);
    EXPECT_FALSE(std::filesystem::exists(session.file("mat.data")));
}

TEST_F(torvane_exe, computes_keeps_the_box_without_an_order_and_computes_again)
{
    session.enter(example().dimension, example().data);
    ASSERT_TRUE(session.press_compute());
    EXPECT_EQ(session.result_text(), example().report);
    EXPECT_EQ(file("mat.data"), "2\r\n1 2\r\r\n3 4");
    EXPECT_EQ(file("mat.result"), on_disk(example().report));

    session.enter("0", example().data);
    ASSERT_TRUE(session.press_compute());
    EXPECT_EQ(session.result_text(), example().report);
    EXPECT_EQ(file("mat.result"), "");

    session.enter("1", "4");
    ASSERT_TRUE(session.press_compute());
    EXPECT_EQ(session.result_text(), report_case_named("order_one").report);
    EXPECT_EQ(session.close(), 18) << "closing the window ends the program with 18";
    EXPECT_EQ(file("mat.result"), on_disk(report_case_named("order_one").report));
}

class torvane_exe_huge_order : public torvane_exe, public ::testing::WithParamInterface<std::int32_t> {};

// Refused at once, with the reason in the result box (no hang, no out-of-memory end), no
// report begun, and the next press computes as ever.
TEST_P(torvane_exe_huge_order, answers_at_once_with_the_reason_and_the_dialog_goes_on)
{
    const std::int32_t n = GetParam();
    run_status refused;
    refused.outcome = run_outcome::failed;
    refused.order = n;
    refused.failure = matrix_bytes(n) > physical_memory_bytes() ? run_failure::too_large_for_memory
                                                                 : run_failure::too_large_for_disk;
    if (refused.failure == run_failure::too_large_for_disk &&
        smallest_report_bytes(n) <= std::filesystem::space(session.file("")).available)
        GTEST_SKIP() << "this machine has the memory and the disk for a report of order " << n;

    session.enter(std::to_string(n), example().data);
    ASSERT_TRUE(session.press_compute()) << "the dialog hangs on order " << n;
    // The disk message ends with the free bytes, which change from moment to moment.
    const std::string message = describe_failure_chinese_gbk(refused);
    const std::string lasting = message.substr(0, message.find("\xB5\xB1\xC7\xB0"));  // up to 当前
    EXPECT_EQ(session.result_text().substr(0, lasting.size()), lasting);
    EXPECT_EQ(file("mat.data"), std::to_string(n) + "\r\n1 2\r\r\n3 4");
    EXPECT_EQ(file("mat.result"), "");

    session.enter(example().dimension, example().data);
    ASSERT_TRUE(session.press_compute()) << "the dialog hangs after order " << n;
    EXPECT_EQ(session.result_text(), example().report);
}

INSTANTIATE_TEST_SUITE_P(orders, torvane_exe_huge_order, ::testing::Values(2147483647, 100000, 20000, 5000),
                         [](const auto& test) { return "order_" + std::to_string(test.param); });

// A long session: 1000 presses of 计算 in one process, the corpus of reports typed in over
// and over, each press checked to the byte as it comes. At the end the process must hold no
// more private memory than after a warm-up.

// The process's private memory. Wine leaves PrivateUsage 0 for another process and gives its
// private memory as PagefileUsage, which Windows gives as the same private commit charge.
// (Handles, GDI and USER objects Wine does not count per process; lost ones, a FILE left
// open or a brush not deleted, hold private memory there too.)
SIZE_T private_bytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
}

// On screen a press takes some 90 ms under Wine, most of it repainting through X;
// minimised some 10 ms. So the dialog is on screen for the first and every tenth round.
void show_dialog(HWND window, bool on_screen)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_SYSCOMMAND, on_screen ? SC_RESTORE : SC_MINIMIZE, 0, SMTO_NORMAL, 60000, &ignored);
}

TEST_F(torvane_exe, a_thousand_presses_leak_nothing_and_the_last_report_is_right)
{
    // Every case of the corpus that can be typed (no NUL byte, no report too large to keep),
    // round after round; the warm-up goes through every one of them.
    std::vector<report_case> cases;
    for (const report_case& c : report_cases())
        if (c.digest.empty() && c.data.find('\0') == std::string::npos)
            cases.push_back(c);
    constexpr std::size_t press_count = 1000, warm_up_presses = 60;
    ASSERT_LT(cases.size(), warm_up_presses);
    std::string shown;
    SIZE_T baseline = 0;
    for (std::size_t pressed = 0; pressed < press_count; ++pressed) {
        if (pressed % cases.size() == 0)
            show_dialog(session.window(), pressed / cases.size() % 10 == 0);
        const report_case& c = pressed + 1 < press_count ? cases[pressed % cases.size()] : example();
        session.enter(c.dimension, c.data);
        ASSERT_TRUE(session.press_compute()) << "press " << pressed << ": the compute button did not answer";
        const std::string result = session.result_text();
        ASSERT_EQ(result, c.computes() ? c.report : shown) << "press " << pressed << ", case " << c.name;
        shown = result;
        if (pressed + 1 == warm_up_presses)
            baseline = private_bytes(session.process());
    }
    EXPECT_EQ(shown, example().report);
    const SIZE_T end = private_bytes(session.process());
    std::cout << "private bytes after the warm-up " << baseline << ", after the last press " << end << "\n";
    // The heap commits in steps of up to 64 KiB; 256 KiB allows a few and still finds a leak
    // of 280 bytes a press, or of the order-12 report (38 KB) on each of its 18 presses.
    EXPECT_NE(end, 0u) << "private memory not reported";
    EXPECT_LE(end, baseline + 256 * 1024) << "private memory grows";
}

} // namespace
} // namespace torvane::testing
