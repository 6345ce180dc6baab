// Orders far too large to invert here, typed into Torvane.exe's dialog: the press must come
// back at once with the reason in the result box (no hang, no out-of-memory end), the
// files must hold no report, and the next press must compute the example as ever.

#include "resource.h"
#include "test_support.hpp"
#include "torvane_session.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

using namespace torvane_test;

// GBK texts of the dialog's messages; their meaning is beside each.
const std::string zh_order = "\xBD\xD7\xCA\xFD\x20"; // "阶数 "
const std::string zh_matrix_needs =
    "\x20\xB5\xC4\xB9\xA4\xD7\xF7\xBE\xD8\xD5\xF3\xD0\xE8\xD2\xAA\x20"; // " 的工作矩阵需要 "
const std::string zh_bytes_of_memory = "\x20\xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xA3\xAC\xB3\xAC\xB3\xF6\xB1\xBE\xBB\xFA"
                                       "\xC4\xDA\xB4\xE6\xA1\xA3"; // " 字节内存，超出本机内存。"
const std::string zh_report_needs =
    "\x20\xB5\xC4\xB1\xA8\xB8\xE6\xD6\xC1\xC9\xD9\xD0\xE8\xD2\xAA\x20"; // " 的报告至少需要 "
const std::string zh_bytes_of_disk = "\x20\xD7\xD6\xBD\xDA\xB4\xC5\xC5\xCC\xBF\xD5\xBC\xE4\xA3\xAC\xB5\xB1\xC7\xB0"
                                     "\xC4\xBF\xC2\xBC\xD6\xBB\xCA\xA3\x20"; // " 字节磁盘空间，当前目录只剩 "
const std::string zh_bytes_end = "\x20\xD7\xD6\xBD\xDA\xA1\xA3"; // " 字节。"

__extension__ typedef unsigned __int128 uint128;

std::uint64_t saturated(uint128 value)
{
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    return value > most ? most : static_cast<std::uint64_t>(value);
}

// The N x 2N working matrix of floats.
std::uint64_t matrix_bytes(std::uint64_t n) { return saturated(uint128(n) * 2 * n * sizeof(float)); }

// Less than any report of order N can take: its 2N - 2 step blocks alone hold N rows of 2N
// values each, and every value is written as at least a digit and two blanks.
std::uint64_t report_bytes_at_least(std::uint64_t n) { return saturated(uint128(2 * n - 2) * n * 2 * n * 3); }

std::uint64_t total_memory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    EXPECT_TRUE(GlobalMemoryStatusEx(&status));
    return status.ullTotalPhys;
}

std::uint64_t free_disk(const std::string& directory)
{
    ULARGE_INTEGER available{};
    EXPECT_TRUE(GetDiskFreeSpaceExA(directory.c_str(), &available, nullptr, nullptr));
    return available.QuadPart;
}

bool starts_with(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

class torvane_exe_huge_order : public ::testing::TestWithParam<const char*> {};

TEST_P(torvane_exe_huge_order, answers_at_once_with_the_reason_and_the_dialog_goes_on)
{
    ASSERT_EQ(GetACP(), 936u) << "Wine must run with the GBK code page (LC_ALL=zh_CN.UTF-8)";
    const std::string order = GetParam();
    const std::uint64_t n = std::stoull(order);
    torvane_session session(TORVANE_EXE);

    // An order whose matrix fits in memory and whose report fits on this disk would really
    // be computed, for hours. The program refuses it only where the disk is too small.
    const bool too_large_for_memory = matrix_bytes(n) > total_memory();
    if (!too_large_for_memory && report_bytes_at_least(n) <= free_disk(session.directory().path()))
        GTEST_SKIP() << "this machine has the memory and the disk for a report of order " << order;

    session.enter(order, example_data);
    // The bound only tells a hang from an answer; a refusal comes in milliseconds.
    ASSERT_TRUE(session.press_compute(60000)) << "the dialog hangs on order " << order;
    ASSERT_EQ(WaitForSingleObject(session.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "Torvane.exe ended";

    const std::string message = session.result_text();
    if (too_large_for_memory) {
        EXPECT_EQ(message, zh_order + order + zh_matrix_needs + std::to_string(matrix_bytes(n)) + zh_bytes_of_memory);
    } else {
        // "阶数 N 的报告至少需要 NEEDED 字节磁盘空间，当前目录只剩 FREE 字节。"
        const std::string start = zh_order + order + zh_report_needs;
        ASSERT_TRUE(starts_with(message, start)) << message;
        const std::size_t middle = message.find(zh_bytes_of_disk, start.size());
        ASSERT_NE(middle, std::string::npos) << message;
        const std::uint64_t needed = std::stoull(message.substr(start.size(), middle - start.size()));
        const std::size_t free_at = middle + zh_bytes_of_disk.size();
        const std::size_t end_at = message.find(zh_bytes_end, free_at);
        ASSERT_NE(end_at, std::string::npos) << message;
        EXPECT_EQ(end_at + zh_bytes_end.size(), message.size()) << message;
        const std::uint64_t free = std::stoull(message.substr(free_at, end_at - free_at));
        EXPECT_GE(needed, report_bytes_at_least(n)) << message;
        EXPECT_GT(needed, free) << message;
    }
    // The inputs are saved as given; the report file was emptied and no report begun.
    EXPECT_EQ(read_file(session.directory().file("mat.data")), order + "\r\n1 2\r\r\n3 4");
    EXPECT_EQ(read_file(session.directory().file("mat.result")), "");

    session.enter(example_dimension, example_data);
    ASSERT_TRUE(session.press_compute()) << "the dialog hangs after order " << order;
    EXPECT_EQ(session.result_text(), example_report());
}

INSTANTIATE_TEST_SUITE_P(orders, torvane_exe_huge_order, ::testing::Values("2147483647", "100000", "20000", "5000"),
                         [](const auto& test) { return std::string("order_") + test.param; });

} // namespace
